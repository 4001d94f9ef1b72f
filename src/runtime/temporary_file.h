// Temporary files beside the files the program writes.  A file is written
// whole to a temporary in the same folder and renamed over its target, so
// the target never holds a cut-short file.  A temporary's name comes from
// us alone: ".corvane-" + eight random letters or digits + ".tmp", created
// exclusively, so no archive entry, no download and no user file can claim
// or lose it, and the name stays short whatever the target's length.
//
// Every folder a temporary was made in is noted in a journal (when one is
// set), so that the leftovers of a killed run can be swept at the next
// start without searching folders we never wrote.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace corvane::runtime {

// Creates an empty temporary file in the folder of path (path itself need
// not exist; its folder must).  Returns the temporary's path, "" on failure.
std::string CreateTemporaryBeside(FileSystem& fs, const std::string& path);

// The same, opened for writing: the stream, with the temporary's path in
// *temporary; null on failure (*temporary is then "").
std::unique_ptr<WriteStream> OpenTemporaryBeside(FileSystem& fs, const std::string& path, std::string* temporary);

// True for a file name (without folder) that CreateTemporaryBeside makes.
bool IsTemporaryName(const std::string& name);

// Sets the journal file (absolute path, "" for none) and forgets which
// folders were noted.
void SetTemporaryJournal(const std::string& journal);

// Deletes our temporaries (files and links with such names) directly in
// folder; returns the paths removed.
std::vector<std::string> SweepTemporaries(FileSystem& fs, const std::string& folder);

// Sweeps every folder the journal names, then empties the journal.  Returns
// the paths removed.
std::vector<std::string> SweepJournalledTemporaries(FileSystem& fs);

}  // namespace corvane::runtime
