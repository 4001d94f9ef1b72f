// The shell's small dialogs: the Info box, and the folder requesters that set
// the toolchain, WinRAR and Subversion install folders.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// Which folder AskPath asks for.
inline constexpr int kAskTarnicPath = 1;
inline constexpr int kAskWinrarPath = 2;
inline constexpr int kAskSvnPath = 3;

// The lines of the Info box.
std::vector<std::string> AboutLines();

// Shows the Info box (title "Info", AboutLines, the logo when it loaded).
// Returns 0.
int ShowAbout();

// Asks for one folder with the folder requester, stores it in TARNPATH,
// WINRAR or SVNPATH (empty when the requester was cancelled), saves the
// configuration, retitles the three "Change paths" items, logs the three
// folders, and sets the install target to TARNPATH while SVNPATH is empty.
// Any other value of which only saves, retitles and logs.  Returns 0.
int AskPath(int which);

}  // namespace corvane
