// The command line's commands (list, show, download, install, packages,
// installed, uninstall, verify): the engine run without a window, in the same
// program folder, with the same configuration, registry store and activity
// log as the wizard.
#pragma once

#include <iosfwd>

#include "app/command_line.h"

namespace corvane::app {

// Exit codes of a command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitItemFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreachable = 3;
inline constexpr int kExitTrust = 4;
inline constexpr int kExitRestartWanted = 5;
inline constexpr int kExitInterrupted = 130;

// Runs line.command; the caller has entered the program folder and chosen
// the server.  Output goes to out, errors to err, answers come from in.
int RunCli(const CommandLine& line, std::ostream& out, std::ostream& err, std::istream& in);

}  // namespace corvane::app
