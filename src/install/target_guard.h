// Keeps the paths that catalogue rules name (PATH, BACKUP, COPY, DELETE)
// inside the install target.  A rule is appended to the target as text, so a
// rule of "/../.." or "/" would otherwise reach the target's parents or the
// target itself.
//
// Paths are compared in their normalised form: `\` turned into `/`, made
// absolute against the current folder, "." and ".." folded, and then
// component by component (so "Tarnic2" is not inside "Tarnic").  Operations
// on a rule path should use the normalised form, so that the folding checked
// here is the folding the file system sees.
#pragma once

#include <string>

namespace corvane {

// The normalised absolute form of path ('/' separators, no trailing '/').
std::string NormalisedPath(const std::string& path);

// True when path lies strictly below target (the target itself is not inside).
bool IsStrictlyInside(const std::string& target, const std::string& path);

// The first symbolic link among the components of path below target, or ""
// when there is none.  With include_last false the final component is not
// examined (a deletion removes a final link itself, without following it).
// Both paths are normalised first; path must lie inside target.
std::string LinkBelow(const std::string& target, const std::string& path, bool include_last);

}  // namespace corvane
