// Unpacks a ZIP archive (a package from the download folder) into a folder,
// by default into a subfolder named after the archive.
#pragma once

#include <string>

namespace corvane {

class ChangeGuard;

// archive: the archive's path; destination: the folder to unpack into; both
// may use `\` or `/`.  only_name: "" to unpack every entry, otherwise only
// the first entry whose file name (without its folder) equals it, case
// ignored.  own_folder: 1 to unpack into destination + "/" + the archive's
// name without folder and extension (that folder is created and logged
// whatever the flag).  password: "" for none.
//
// Returns 1 when the archive was opened and processed (also one without
// entries), -1 when the archive path or the destination is empty, the
// archive cannot be opened, or own_folder is 1 and the own folder would not
// lie strictly inside destination (an archive named "...zip"; nothing is
// touched then, and the refusal is logged).  Every output path must lie
// strictly inside destination.  Entries of size 0 (empty files, folders) are not
// written.  Entries that would land outside the folder, symbolic-link
// entries, entries whose way passes through an existing symbolic link, and
// entries that fail to extract (CRC error, size cap, write failure) are
// logged with their names and leave no file; the others are extracted and
// the result stays 1.
int ExtractZip(const std::string& archive, const std::string& destination,
               const std::string& only_name, int own_folder, const std::string& password);

}  // namespace corvane

namespace corvane {

// As above, with every folder creation and file write announced to guard
// first (a write it refuses is skipped and counted).  Answers the number of
// entries that were refused, failed or skipped, or -1 as above: 0 means
// every entry is in place.
int ExtractZipGuarded(const std::string& archive, const std::string& destination, int own_folder,
                      ChangeGuard& guard);

}  // namespace corvane
