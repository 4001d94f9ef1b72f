// The few things the FLTK backend needs from the platform itself.
#pragma once

#include <string>

namespace corvane::tk::fltk {

// True when a display can be opened; otherwise false with the reason.
bool DisplayAvailable(std::string* error);
// Connects FLTK to the display (after DisplayAvailable said it can).
void OpenDisplay();
// Hands a folder or web address to the desktop's opener without waiting for
// it; false when the opener cannot be started.
bool LaunchOpener(const std::string& address);

}  // namespace corvane::tk::fltk
