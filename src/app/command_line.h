// The program's command line:
//   corvane [--server URL] [--home DIR] [--help] [--version]
// "--server=URL" and "--home=DIR" are accepted too.
#pragma once

#include <string>
#include <vector>

namespace corvane::app {

struct CommandLine {
  std::string server;  // catalogue server root; empty: environment or default
  std::string home;    // program folder; empty: chosen by the runtime
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
