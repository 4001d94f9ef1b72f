// The install engine: what "Install now!" runs.  Installs every ticked
// package of the Install page's check list into the install target (the
// Tarnic folder): shows the package's MESSAGE, runs installers, unpacks ZIP
// archives with the built-in reader and RAR archives with WinRAR's unrar.exe,
// applies the PATH, BACKUP, COPY and DELETE rules of its catalogue record,
// and ends every run with the MinGW and environment registration and, after
// a MinGW package, the restart question.  Every step goes to the activity
// log, the main ones also to the page's output area.
//
// Rule paths are kept strictly inside the install target: a rule whose path
// (after joining and normalising) lies elsewhere, or passes through a
// symbolic link below the target, is refused with a log line and an output
// line naming the rule and the package; the rest of the package goes on.
#pragma once

namespace corvane {

// Runs one installation on the GUI thread; returns 0 on every path.
int InstallPackages();

}  // namespace corvane
