// The platform the catalogue is chosen for, and the names of the catalogue
// files on the server and in the local folders.  Every name is built from the
// current platform and LANGUAGE when it is asked for.
#pragma once

#include <string>

namespace corvane {

// Platform flags, tested in this order with the last one set winning.  The
// shell sets platformWin32 at start-up: the catalogue server publishes
// Windows packages, whatever system the program runs on.
extern int platformWin32;
extern int platformMacosX86;
extern int platformMacosPpc;
extern int platformLinuxX86;

// "win32", "macos_x86", "macos_ppc" or "linux_x86"; empty with no flag set.
std::string PlatformName();

// The list file of the current LANGUAGE, in lower case
// ("win32.app.italiano.txt"); kept in "data".
std::string ListFileName();
// The English list file ("win32.app.english.txt"); kept in "data".
std::string EnglishListFileName();

// Description and info files of one program, in lower case; kept in "lang".
// identifier + "." + LANGUAGE + ".txt"
std::string DescriptionFileName(const std::string& identifier);
// identifier + ".english.txt"
std::string EnglishDescriptionFileName(const std::string& identifier);
// identifier + ".info." + LANGUAGE + ".txt"
std::string InfoFileName(const std::string& identifier);
// identifier + ".info.english.txt"
std::string EnglishInfoFileName(const std::string& identifier);

// True when name is usable as a file name inside one folder: not empty, not
// "." or "..", and free of '/', '\' and ':'.  A name built from what the
// server sends must never reach outside the folder it is stored in.
bool IsPlainFileName(const std::string& name);

}  // namespace corvane
