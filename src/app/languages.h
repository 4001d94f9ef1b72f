// The language list and the language switch.  The catalogue server publishes
// "languages.txt" (one language file name per line); a refresh downloads it
// and every file it names into "lang", prefetches the catalogue of every
// language, and rebuilds the Language menu from the ".lang" files found in
// "lang".  Choosing a Language-menu item loads that language's texts,
// relabels the window and reloads the catalogue in that language.
#pragma once

namespace corvane {

inline constexpr const char* kLanguageListFile = "lang/languages.txt";

// fromMenu: 1 when the user asked for it ("Update from server"), 0 at
// start-up (then the info files are fetched only when AUTOUPDATE is "TRUE").
// Blank lines of the list are skipped, and a line that is not the plain name
// of a ".lang" file (one with a folder part, or a line of an HTML error page)
// is refused and logged.
void RefreshLanguages(int fromMenu);

// Rebuilds languageList from "lang" and, once the Language menu exists, its
// items; the item at lastFoundIndex gets the check mark, or, when that
// position is outside the new list, the item of the current LANGUAGE (none
// when it is not listed).
void BuildLanguageMenu();

// Switches to the language of the Language-menu item with this tag (2001 +
// position).  Tags outside the list (2000, 2001 + count, negatives) are
// ignored.  The configuration is not saved here.
void SelectLanguage(int tag);

}  // namespace corvane
