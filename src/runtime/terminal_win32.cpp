#include <io.h>
#include <windows.h>

#include "runtime/terminal.h"

namespace corvane::runtime {

bool IsTerminal(int fd) { return _isatty(fd) != 0; }

int TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
    return info.srWindow.Right - info.srWindow.Left + 1;
  return 80;
}

}  // namespace corvane::runtime
