// The command line's installed-state commands, which work from the Tarnic
// folder's installed record alone (no catalogue server):
//   installed [--json]        the recorded programs
//   uninstall ID... [--yes]   remove them (changed files are kept and named)
//   verify [ID...]            name files changed or missing since install
#pragma once

#include <iosfwd>

#include "app/cli_report.h"
#include "app/command_line.h"

namespace corvane::app {

// True for the three commands above.
bool IsInstalledStateCommand(const std::string& command);

// Runs one of them for TARNPATH; answers the exit status (cli.h).  An ID
// that is not recorded is a usage error and nothing is done; uninstall
// without --yes asks on the terminal and refuses without one.
int RunInstalledStateCommand(const CommandLine& line, CliReporter& reporter, std::ostream& out,
                             std::ostream& err);

}  // namespace corvane::app
