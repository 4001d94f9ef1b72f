// The message catalogue: the 100 numbered texts every caption, menu entry and
// question is looked up in, and the language files they come from.
//
// A language file ("lang/<NAME>.lang") is 8-bit text with one message per
// line: the number in decimal (leading blanks and zeros allowed), "::" and
// the text, in which every "<br>" stands for a line feed.  Loading a file
// overwrites only the numbers it contains.
#pragma once

#include <string>
#include <vector>

#include "settings/config.h"  // LANGUAGE, FindInList, lastFoundIndex

namespace corvane {

// Number of entries in the table; message n is messages[n].
inline constexpr int kMessageCount = 100;

// The table: always kMessageCount texts, all empty at the start.
extern std::vector<std::string> messages;
// The language names offered in the Language menu: the upper-case names of
// the ".lang" files in "lang", without extension, sorted.
extern std::vector<std::string> languageList;

// The English catalogue carried inside the program.
inline constexpr const char* kEnglishCatalogue = "incbin::resource/english.lang";

// Loads "lang/" + LANGUAGE + ".lang" into messages.  A missing file leaves
// the table as it was; a line whose number lies outside 0..99 is skipped.
// Logs "Load Locale..." and "Locale - OK" in every case.
void LoadLocale();

// The sorted upper-case names in folder (created, one level, when missing)
// that contain extension anywhere, each cut before the first occurrence of
// the extension ("english.lang" with ".lang" gives "ENGLISH").  Empty when
// the folder cannot be listed.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension);

// Empties every message and the language list.
void ResetMessages();

}  // namespace corvane
