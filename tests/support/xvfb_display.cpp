#include "support/xvfb_display.h"

#ifdef _WIN32

namespace corvane::testing {
bool XvfbDisplay::Start(int, int) {
  error_ = "no Xvfb on Windows";
  return false;
}
XvfbDisplay::~XvfbDisplay() = default;
}  // namespace corvane::testing

#else

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane::testing {

bool XvfbDisplay::Start(int width, int height) {
  if (pid_ > 0) return true;
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "cannot make a pipe for Xvfb";
    return false;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const std::string fd_text = std::to_string(fds[1]);
  pid_ = fork();
  if (pid_ < 0) {
    error_ = "cannot start Xvfb";
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid_ == 0) {
    close(fds[0]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number once it accepts connections.
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  for (int waited = 0; waited < 10000;) {
    if (poll(&p, 1, 100) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1) break;
      if (c == '\n') break;
      number += c;
    } else {
      waited += 100;
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
    }
  }
  close(fds[0]);
  if (pid_ < 0 || number.empty()) {
    error_ = "Xvfb could not be started (is the xvfb package installed?)";
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    return false;
  }
  name_ = ":" + number;
  const char* old = std::getenv("DISPLAY");
  had_display_ = old != nullptr;
  if (old) saved_display_ = old;
  setenv("DISPLAY", name_.c_str(), 1);
  return true;
}

XvfbDisplay::~XvfbDisplay() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  if (had_display_) {
    setenv("DISPLAY", saved_display_.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
}

}  // namespace corvane::testing

#endif  // _WIN32
