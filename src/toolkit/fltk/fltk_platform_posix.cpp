// X11 display check and xdg-open.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include <FL/x.H>

#include "toolkit/fltk/fltk_platform.h"

namespace corvane::tk::fltk {
namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    std::string candidate = folder + "/" + program;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool DisplayAvailable(std::string* error) {
  const char* name = std::getenv("DISPLAY");
  // Asked directly: the toolkit library would end the process instead.
  Display* display = (name && *name) ? XOpenDisplay(name) : nullptr;
  if (!display) {
    if (error) {
      *error = std::string("cannot open display ") + (name && *name ? name : "(DISPLAY unset)") +
               ": set DISPLAY or run under Xvfb";
    }
    return false;
  }
  XCloseDisplay(display);
  return true;
}

void OpenDisplay() { fl_open_display(); }

bool LaunchOpener(const std::string& address) {
  if (address.empty() || !OnPath("xdg-open")) return false;
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // A grandchild runs the opener so that nobody has to wait for it.
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0) _exit(1);
    if (grandchild == 0) {
      int null_fd = open("/dev/null", O_RDWR);
      if (null_fd >= 0) {
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
      }
      execlp("xdg-open", "xdg-open", address.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace corvane::tk::fltk
