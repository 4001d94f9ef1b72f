// Turns a path whose folder part names a folder by a piece of its name,
// between two '#' characters, into a real path: "C:/t/mod/#beta#/x/a.txt"
// becomes "C:/t/mod/beta2.mod/x/a.txt" when C:/t/mod holds a folder
// "beta2.mod".  Used on both halves of a catalogue COPY rule.
#pragma once

#include <string>

namespace corvane {

// path = prefix + "#" + pattern + "#" + rest + "/" + name, the two '#' in the
// folder part (before the last '/' or '\').  The folder prefix is listed and
// the first entry, in listing order, whose name contains the pattern with
// case ignored and which is a folder, takes the place of "#pattern#".  When
// none qualifies (or the prefix cannot be listed) the result is prefix + "/" +
// name.  A folder part with no '#' or a single one has no pattern and comes
// back unchanged; a path without any separator comes back as it is.  The
// result always uses '/' separators.  Never fails.
std::string ResolveWildcardPath(const std::string& path);

}  // namespace corvane
