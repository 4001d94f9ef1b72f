// The reader of catalogue list files.  A list file is 8-bit text: each record
// starts with a header line "[identifier]", carries key lines (NAME=, URL=
// with addresses separated by "|", DESC=, WEB=, AUTHOR=, LICENSE=, MESSAGE=,
// PATH=, COPY=, BACKUP=, DELETE=; keys found case-insensitively anywhere in
// a line) and ends with the line "[/]".  Any line holding "[" is a header.
// A header without a preceding "[/]" carries the values read so far over to
// the new identifier; a record is added only when its "[/]" is read.  Each
// record takes its long description from "lang/<identifier>.<LANGUAGE>.txt"
// and its MESSAGE= value names a file in "lang" whose text replaces it.
#pragma once

#include <string>

namespace corvane {

// Empties programList and fills it from "data/" + ListFileName(), fetching
// the list files from the server first when the local one is missing or
// does not look like a catalogue (see LooksLikeCatalogue).  When it still
// cannot be opened, tells the user "Unable to connect to the site!",
// logs it and leaves programList empty.
void LoadProgramList();

// Whether list-file bytes can be a catalogue: they hold a record header (a
// line with "[") and no HTML page.  An empty file or a web server's error
// page is not one.
bool LooksLikeCatalogue(const std::string& bytes);

// Reads the records of list-file bytes into programList (which it does not
// empty first), logging as it goes.  Never fails: lines it cannot use are
// ignored.
void ReadProgramList(const std::string& bytes);

}  // namespace corvane
