// Building the main window: the window with its status line and close
// question, the menus, the three page tabs, the pictures and the pages.
#pragma once

#include <string>

namespace corvane {

// Main window geometry and style (title bar, menu bar, status bar, centred).
inline constexpr int kMainWindowX = 10, kMainWindowY = 10, kMainWindowW = 670, kMainWindowH = 510;
inline constexpr int kMainWindowStyle = 525;

// The status line: version, author credit, the system's name, and that the
// catalogue offered is the Windows one.
std::string StatusLineText();

// Creates mainApp and everything in it.  The application title must be set.
void BuildMainWindow();

}  // namespace corvane
