// The program's command line:
//   corvane [--server URL] [--home DIR] [--trust-key FILE]... [--help] [--version]
// "--server=URL", "--home=DIR" and "--trust-key=FILE" are accepted too.
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
};

// Reads the arguments after the program name.  An unknown option, a missing
// value or a stray argument leaves a message in error.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text printed for --help.
std::string UsageText();

}  // namespace corvane::app
