// The reader of catalogue list files.  A list file is 8-bit text: each record
// starts with a header line "[identifier]", carries key lines (NAME=, URL=
// with addresses separated by "|", DESC=, WEB=, AUTHOR=, LICENSE=, MESSAGE=,
// PATH=, COPY=, BACKUP=, DELETE=; keys found case-insensitively anywhere in
// a line) and ends with the line "[/]".  Any line holding "[" is a header.
// A header without a preceding "[/]" carries the values read so far over to
// the new identifier; a record is added only when its "[/]" is read.  Each
// record takes its long description from "lang/<identifier>.<LANGUAGE>.txt"
// (found at load, read when first asked for) and its MESSAGE= value names a
// file in "lang" whose text replaces it.
#pragma once

#include <string>

#include "catalogue/tprogram.h"

namespace corvane {

// Empties programList and fills it from "data/" + ListFileName(), fetching
// the list files from the server first when the local one is missing or
// does not look like a catalogue (see LooksLikeCatalogue).  When it still
// cannot be opened, tells the user "Unable to connect to the site!",
// logs it and leaves programList empty.
void LoadProgramList();

// LoadProgramList without telling the user: false (logged, programList
// empty) when the list file cannot be had, so a caller reports it its way.
bool LoadProgramListQuietly();

// Whether list-file bytes can be a catalogue: they hold a record header (a
// line with "[") and no HTML page.  An empty file or a web server's error
// page is not one.
bool LooksLikeCatalogue(const std::string& bytes);

// Reads the records of list-file bytes into programList (which it does not
// empty first), logging as it goes.  Never fails: lines it cannot use are
// ignored.
void ReadProgramList(const std::string& bytes);

// The record's long description: Longdesc, first filled from the description
// file the reader found for it (the file as it is now; empty when it has gone
// since).  Reading the files of every record at load would cost more than the
// rest of a large catalogue's load, and only the records looked at need them.
const std::string& LongDescription(tprogram& record);

}  // namespace corvane
