// The program's command line:
//   corvane [--server URL] [--home DIR] [--trust-key FILE]... [--help] [--version]
//   corvane COMMAND [ID...] [options]     (list, show, download, install, packages,
//                                          installed, uninstall, verify)
// "--server=URL", "--home=DIR", "--trust-key=FILE" and "--language=L" are accepted too.
#pragma once

#include <string>
#include <vector>

namespace corvane::app {

struct CommandLine {
  std::string server;  // catalogue server root; empty: environment or default
  std::string home;    // program folder; empty: chosen by the runtime
  std::vector<std::string> trust_keys;  // minisign public key files, in order
  bool help = false;
  bool version = false;
  std::string error;   // set when the line cannot be understood

  // A command runs without a window; empty: the wizard.
  std::string command;
  std::vector<std::string> ids;  // the programs a command is about
  std::string language;          // catalogue language; empty: the configured one
  bool json = false, sizes = false, all = false, yes = false, quiet = false, verbose = false;
};

// The commands the program knows.
bool IsCommand(const std::string& word);

// Reads the arguments after the program name.  An unknown option, a missing
// value or a stray argument leaves a message in error.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text printed for --help.
std::string UsageText();

}  // namespace corvane::app
