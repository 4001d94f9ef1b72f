// Windows: the display always exists; the shell opens folders and addresses.
#include <windows.h>
#include <shellapi.h>

#include <FL/x.H>

#include "toolkit/fltk/fltk_platform.h"

// FLTK 1.3 declares this for programs only on X11 and macOS; the Windows
// library has it too (it registers the window class and reads the screen).
void fl_open_display();

namespace corvane::tk::fltk {

bool DisplayAvailable(std::string*) { return true; }

void OpenDisplay() { fl_open_display(); }

bool LaunchOpener(const std::string& address) {
  if (address.empty()) return false;
  HINSTANCE result = ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace corvane::tk::fltk
