// MinGW and Subversion in the environment, and the report of tool versions.
//
// RegisterMinGW (run at the end of every installation) finds Subversion and
// MinGW through the registry, puts MinGW's bin folder on the machine PATH,
// copies gcc's internal programs next to the tools and sets the user
// variable MINGW.  Every registry write is made by running `reg.exe` through
// RunCommand, which also logs each command.  ShowVersionInfo ("Show version
// info") reports the versions of MinGW, its tools, the toolchain's compiler
// and its Subversion checkouts.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// Subversion's tools folder and MinGW's install folder; empty until
// RegisterMinGW has found them, then kept for the rest of the run.
extern std::string svnBinFolder;
extern std::string mingwFolder;

inline constexpr const char* kSvnAppPathKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\svn.exe";
inline constexpr const char* kMinGWUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MinGW";
inline constexpr const char* kUserEnvironmentKey = "HKEY_CURRENT_USER\\Environment";
inline constexpr const char* kMachineEnvironmentKey =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Registers MinGW as the header says; logs "Mingw installation path - not
// found!" and changes nothing when the registry does not name its folder.
void RegisterMinGW();

// Puts folder on the machine PATH unless the PATH already contains it
// (letter case ignored; logged as folder + " already presents.").  The value
// keeps its type (REG_SZ or REG_EXPAND_SZ) and every entry; when there is no
// PATH value yet it becomes the folder alone.  When the query is stopped by
// the user or its answer cannot be read, nothing is written (and that is logged).
void AddToSystemPath(const std::string& folder);

// The text after key in the first line of the include file header_name that
// contains key.  The file is MinGW's include folder: bin_folder without its
// last "\bin", + "\include\" + header_name.  header_name + " Not found." when
// the file cannot be read; empty text when no line has the key.
std::string HeaderVersion(const std::string& bin_folder, const std::string& key, const std::string& header_name);

// What a tool prints on its standard output, waiting for it to end (no GUI
// events are taken meanwhile).  Mode -1: the first line, blanks and control
// characters trimmed from both ends; any other mode: everything.  Empty text
// when the tool cannot be started.  A tool still running after the time
// limit is stopped and what it printed so far counts.
std::string ToolOutput(const std::string& command_line, int mode);
// The time limit of ToolOutput in milliseconds (60000 at start; tests shorten it).
void SetToolOutputLimit(int milliseconds);

// The toolchain's Subversion server: "http://" + CORVANE_SVN_HOST + ":81".
std::string SubversionServer();

// The 30 lines of the version report (see ShowVersionInfo), running the
// tools it names.  With SVNPATH empty only lines 0 to 8 are filled.
std::vector<std::string> VersionReportLines();

// Shows the version report in a dialog over the main window (title message
// 35, width 500) and puts the version, the system's name and the compiler's
// banner (from the last report made with SVNPATH set) in the status line.
void ShowVersionInfo();

// svnBinFolder, mingwFolder and the remembered banner back to empty (for a
// new run in the same process).
void ResetMinGWSetup();

}  // namespace corvane
