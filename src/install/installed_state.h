// What the front-ends ask about installed packages: the list, uninstall and
// verify, all from a Tarnic folder's installed record.  Portable and without
// gadgets: the Installed dialog and the command line report the results
// their own way.
#pragma once

#include <string>
#include <vector>

#include "install/installed_record.h"

namespace corvane {

// The packages recorded for the Tarnic folder, in the order they were
// installed (a reinstalled package keeps its place).
std::vector<InstalledPackage> ListInstalled(const std::string& target);

struct UninstallResult {
  std::string id;
  bool found = false;                   // the id was recorded
  std::vector<std::string> removed;     // files it wrote, unchanged, now removed
  std::vector<std::string> changed;     // files it wrote, changed since: kept in place
  std::vector<std::string> restored;    // files it replaced or deleted, put back
  std::vector<std::string> folders;     // folders it created, removed (they were empty)
  std::vector<std::string> problems;    // what could not be done (also logged)
  bool installerRun = false;            // its installer's own changes are not undone
  bool Clean() const { return found && changed.empty() && problems.empty(); }
};

// Removes the package with the id (case ignored) from the Tarnic folder:
// its unchanged files go, changed ones stay (listed), the old copies of what
// it replaced or deleted are put back (over a file it wrote only when that
// is unchanged), empty folders it created go, and its record block is
// dropped.  Every step is logged.  Paths are relative to the Tarnic folder.
UninstallResult Uninstall(const std::string& target, const std::string& id);

struct VerifyFinding {
  enum Kind { kChanged, kMissing };
  std::string id;
  std::string path;  // relative to the Tarnic folder
  Kind kind = kChanged;
};

struct VerifyResult {
  std::vector<std::string> unknown;      // ids asked for that are not recorded
  std::vector<VerifyFinding> findings;   // files changed or missing since install
  int checked = 0;                       // files compared
};

// Compares the files the packages wrote with what the record says (size
// and SHA-256).  ids empty: every recorded package.
VerifyResult Verify(const std::string& target, const std::vector<std::string>& ids);

}  // namespace corvane
