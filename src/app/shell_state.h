// The application shell's own global state: what start-up sets once and the
// pages, commands and the download run read afterwards.  The gadgets of the
// pages live with their page builders (start_page.h, download_page.h,
// install_page_view.h) and the menus with main_menus.h.
#pragma once

#include <string>

#include "toolkit/toolkit.h"

namespace corvane {

// What start-up learns about the system, read by the pages and commands.
struct ShellState {
  // The system the program runs on, as it names itself ("Linux", "Windows").
  // The catalogue platform stays "win32" whatever this says.
  std::string osName{};
  // The environment variable PROGRAMFILES, read once at start-up; the start
  // folder of the toolchain and WinRAR folder requesters.  Often empty here.
  std::string programFilesFolder{};
};
extern ShellState shellState;
// The names the rest of the program and the tests use.
inline std::string& osName = shellState.osName;
inline std::string& programFilesFolder = shellState.programFilesFolder;

// "Corvane " + programVersion: the window title and the caption of boxes.
std::string ApplicationTitle();

// The credit shown in the status line, the Info box and SetInfo.
inline constexpr const char* kAuthorCredit = "the Corvane developers";
inline constexpr const char* kProgramName = "Corvane";

// Puts the state above back to its start values.
void ResetShellState();

}  // namespace corvane
