// Environment variables and the program's own folder.
#pragma once

#include <string>

namespace corvane::runtime {

// Empty text when unset.
std::string GetEnv(const std::string& name);
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// The element separator of PATH: ';' on Windows, ':' elsewhere.
char PathListSeparator();
// "Windows" or the system's own name ("Linux").
std::string SystemName();

// The folder of the running executable ('/' separators), empty when unknown.
std::string ExecutableFolder();
// The program folder: home when not empty; else the executable's folder when
// writable and not an installed copy (on Linux: below /usr, or a folder
// <prefix>/lib/corvane); else the per-user data folder: $XDG_DATA_HOME/corvane
// (or ~/.local/share/corvane).
std::string ChooseProgramFolder(const std::string& home);
// Creates the folder when needed and changes into it; false on failure.
bool EnterProgramFolder(const std::string& folder);
// The folder chosen by EnterProgramFolder (empty before).
const std::string& ProgramFolder();

}  // namespace corvane::runtime
