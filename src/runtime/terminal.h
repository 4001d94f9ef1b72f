// The console side of the command line: whether a stream is a terminal, its
// width, and Ctrl-C caught as a request to stop instead of ending the process.
#pragma once

namespace corvane::runtime {

// A window program started from a console writes to that console (on
// Windows it has none of its own); output sent elsewhere stays there.
void UseParentConsole();

// True when standard output (1) or standard input (0) is a terminal.
bool IsTerminal(int fd);

// Columns of the terminal on standard output; 80 when unknown.
int TerminalColumns();

// From now on Ctrl-C (SIGINT) only sets a flag that Interrupted() reads.
void CatchInterrupt();
bool Interrupted();
void ClearInterrupt();

}  // namespace corvane::runtime
