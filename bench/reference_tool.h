// Runs a reference tool (curl, unzip) and times it from start to exit, the
// way a user's shell would see it.
#pragma once

#include <string>

namespace corvane::bench {

struct ToolRun {
  bool ok = false;        // started, ended by itself with exit code 0
  int exit_code = -1;
  double wall_ms = 0;     // from just before the start to the exit
  double cpu_ms = -1;     // its user plus system time, when known
  std::string output;     // what it wrote to its standard output
  std::string errors;     // its standard error (first 64 KiB)
};

// The full path of a tool found on PATH, or empty.
std::string LocateTool(const std::string& name);

// Runs the command line (program path first, arguments split on blanks and
// double quotes) and waits for it; a tool that runs longer than limit_ms is
// killed and reported as failed.
ToolRun RunTool(const std::string& command_line, int limit_ms = 600000);

}  // namespace corvane::bench
