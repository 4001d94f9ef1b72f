#include <sys/ioctl.h>
#include <unistd.h>

#include "runtime/terminal.h"

namespace corvane::runtime {

void UseParentConsole() {}

bool IsTerminal(int fd) { return isatty(fd) == 1; }

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace corvane::runtime
