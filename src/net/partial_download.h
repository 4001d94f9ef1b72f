// Partial downloads kept for a later resume.  A transfer that fails leaves
// "<file>.part" (the bytes received so far, always a prefix of the file) and
// "<file>.part.note" beside it: the URL, the size the size query gave when the
// part began, and the server's ETag and Last-Modified when it sent them.  The
// next download of the same file asks only for the rest and appends it when
// the server proves it is the rest of the same file (net/http_client.h).
//
// A part is never taken for a finished file: it carries its own suffix, no
// record names it, and only a whole (and, with a hash, verified) file is
// renamed to the file's name.  A part without its note, or not written for a
// week, is swept at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace corvane {

inline constexpr const char* kPartSuffix = ".part";
inline constexpr const char* kNoteSuffix = ".part.note";
// A part not written for this long is given up.
inline constexpr std::int64_t kPartialMaxAgeSeconds = 7 * 24 * 3600;

struct PartialNote {
  std::string url;
  long long size = -1;  // what the size query answered when the part began
  std::string etag;
  std::string last_modified;
};

inline std::string PartPath(const std::string& target) { return target + kPartSuffix; }
inline std::string NotePath(const std::string& target) { return target + kNoteSuffix; }

// True for a file name (without folder) of a part or a note: a download with
// such a name is never kept partially, so it cannot be met by another's part.
bool IsPartialName(const std::string& name);

// The note of target's part; nullopt when missing or damaged (no size).
std::optional<PartialNote> ReadPartialNote(const std::string& target);
// Written whole or not at all; false on failure.
bool WritePartialNote(const std::string& target, const PartialNote& note);
// Deletes target's part and note.
void DiscardPartial(const std::string& target);

// A Content-Range value "bytes FIRST-LAST/TOTAL"; nullopt for any other
// form (an unknown total "*", a list, blanks inside, numbers out of range).
struct ContentRange {
  long long first = 0, last = 0, total = 0;
};
std::optional<ContentRange> ParseContentRange(const std::string& value);

// Removes from folder the parts that cannot be resumed (no note beside them,
// or last written more than max_age_seconds before now) and the notes whose
// part is gone.  Returns the paths removed.
std::vector<std::string> SweepPartialDownloads(runtime::FileSystem& fs, const std::string& folder,
                                               std::int64_t now, std::int64_t max_age_seconds);

}  // namespace corvane
