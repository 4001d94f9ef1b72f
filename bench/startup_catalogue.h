// What the start-up benchmark serves and starts from: a catalogue server's
// files in a folder that a web server publishes (version file, language list,
// two language files and the program list of each language), and a program
// folder that has run before (configuration without self-update, toolchain
// and WinRAR folders known, so start-up asks nothing).
#pragma once

#include <string>

namespace corvane::bench {

// The languages the served catalogue offers, as file stems.
inline constexpr const char* kServedLanguages[] = {"english", "deutsch"};

// A program list file of `programs` records whose downloads point at
// server_root (e.g. "http://127.0.0.1:8000"); 8-bit text with CR LF.
std::string ProgramListText(const std::string& server_root, const std::string& language, int programs);

// A second language file made from the English one: every message keeps
// its number, its text is marked as translated.
std::string TranslatedLanguageFile(const std::string& english);

// Writes below web_root + "/download/corvane/" everything start-up fetches.
// False with a reason when a file cannot be written.
bool WriteServedCatalogue(const std::string& web_root, const std::string& server_root, int programs,
                          std::string* error);

// Makes home a program folder that has run before: "lang/english.lang",
// "data/conf.txt" (AUTOUPDATE "FALSE"), a toolchain folder holding
// "bin/tnc.exe" and a WinRAR folder holding "unrar.exe".  No list file is
// there, so start-up fetches them.  False with a reason on failure.
bool PrepareProgramFolder(const std::string& home, std::string* error);

}  // namespace corvane::bench
