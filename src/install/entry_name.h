// Checks the name of an archive entry before it becomes a path below a
// destination folder.  A name that could reach outside the folder (the
// "zip slip": "../x", "/etc/x", "C:\x", "\\server\share\x") must never be
// joined to the destination.
#pragma once

#include <string>

namespace corvane {

// name: the stored name with every `\` already turned into `/`.  Returns ""
// when the name stays inside any folder it is joined to, otherwise a short
// English reason for the log: "empty name", "NUL byte in name", "absolute
// path", "drive letter", "parent folder".  A component made only of dots and
// blanks other than "." counts as a parent folder, since Windows drops
// trailing dots and blanks and would read ".. " as "..".
std::string EntryNameProblem(const std::string& name);

// The name as it can stand in a log line: control bytes shown as '?'.
std::string PrintableName(const std::string& name);

}  // namespace corvane
