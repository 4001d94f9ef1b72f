// The ten user settings of "data/conf.txt" and the two values derived from
// them.  The file holds one "KEY=value" line per setting in a fixed order and
// is read by line position, not by key.  Paths are relative to the current
// folder (the program folder).
#pragma once

#include <string>
#include <vector>

namespace corvane {

// The settings, in file order.  Before LoadConfig every text is empty except
// APPVERSION ("1.00"); DEFAULT_INSTALL is 0 and DISABLE_DELETE 1.
extern std::string LANGUAGE;     // catalogue language, e.g. "ENGLISH"
extern std::string AUTOUPDATE;   // "TRUE" or "FALSE" (compared exactly)
extern std::string URLUPDATE;    // kept and written back
extern std::string AUTOEXECUTE;  // kept and written back
extern std::string WINRAR;       // folder holding unrar.exe
extern std::string TARNPATH;     // toolchain folder
extern std::string SVNPATH;      // folder for an install from Subversion
extern int DEFAULT_INSTALL;      // kept and written back
extern int DISABLE_DELETE;       // the install engine deletes only while 0
extern std::string APPVERSION;   // compared by the version check

// The folder packages are installed into; TARNPATH after LoadConfig.
extern std::string installTarget;
// Position of LANGUAGE in languageList after LoadConfig, or -1.
extern int languageIndex;
// The position FindInList found last (-1 before any success).
extern int lastFoundIndex;

// The configuration file, relative to the program folder.
inline constexpr const char* kConfigFile = "data/conf.txt";

// Reads data/conf.txt into the settings, or creates it with defaults when it
// cannot be read; then sets installTarget and languageIndex (languageList
// must be built first).  Never fails: a file that cannot be created is
// logged and the program runs on with the values in memory.
void LoadConfig();

// Writes the ten settings to data/conf.txt.  The file is replaced as a whole
// (written beside it, then renamed), so a failed write leaves the previous
// file as it was and logs "Saving configuration - failed".
void SaveConfig();

// The text after the first "=" of line; the whole line when it has none.
std::string LineValue(const std::string& line);

// Position of the first entry of list equal to text with case ignored, or
// -1 (at once for an empty text or list).  A hit is also stored in
// lastFoundIndex; a miss leaves it unchanged.
int FindInList(const std::string& text, const std::vector<std::string>& list);

// Puts every value above back to its state before LoadConfig.
void ResetConfig();

}  // namespace corvane
