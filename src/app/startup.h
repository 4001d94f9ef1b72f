// The start-up sequence of the application: folders, log, settings, texts,
// version check, languages and catalogue, the main window, the toolchain and
// WinRAR folder checks, the Start page and the loop's timer.  It runs in the
// program folder (the current folder), which the entry has entered.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// The "--trust-key" files of the command line (absolute paths), read by the
// start-up together with the other sources of trusted keys.
extern std::vector<std::string> trustKeyFiles;

// The texts of the first run, from the program's own English catalogue.
inline constexpr const char* kEnglishLangFile = "lang/english.lang";

// Creates "lang", "data" and "download" (one level each).  When no language
// file was found, writes the embedded English catalogue to
// "lang/english.lang", deletes "data/conf.txt" so that a fresh one with
// defaults is written, and lists the language files again.
void SetUpFolders();

// The configured language's texts into messages, or the English ones when
// that language has no file in "lang"; false when they are not its own.
bool LoadTexts();

// While TARNPATH is empty: asks for the toolchain folder until one holding
// "bin\tnc.exe" is chosen (or the question is answered with OK), then logs it.
void CheckToolchainFolder();

// While WINRAR is empty and "unrar.exe" is not found there: tells the user
// and asks for the WinRAR folder once.  Logs the folder.
void CheckWinrarFolder();

// Steps 1 to 19 of the start-up, ending with the Start page shown, the loop
// bookkeeping taken and the half-second timer running.
void StartUp();

}  // namespace corvane
