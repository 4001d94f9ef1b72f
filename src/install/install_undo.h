// All-or-nothing installs.  A package's changes to the Tarnic folder go
// through an InstallUndo: before a file is replaced or deleted, its old copy
// goes to the package's keep folder (inside the program's folder), and every
// change is first noted in the undo journal data/install-undo.txt (appended
// line by line, so a killed run leaves a journal that names everything it
// may have touched).  A failed package is rolled back from it; a package
// that ends well is written to the installed record and its journal
// dropped.  At start-up a journal left by a killed run is rolled back,
// unless its package already reached the record.
//
// Journal lines ('|' cannot start a path, paths come last):
//   begin|<keep folder>|<Tarnic folder>
//   folder|<path>            a folder about to be created
//   new|<path>               a file about to be created where none was
//   saved|<kept copy>|<path> a file that stood there, copied aside
//   had|<path>               a folder that stood there, about to be deleted
//   moved|<aside>|<path>     a symbolic link a DELETE removes, renamed aside in
//                            its folder until the package ends
//
// A symbolic link is never replaced by a package, nor deleted inside a
// folder tree (it could not be put back): such a step fails, and the
// package with it.  A link a DELETE names itself is set aside, so a failed
// package puts it back; the record lists it as deleted without an old copy.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "install/change_guard.h"
#include "install/installed_record.h"

namespace corvane {

inline constexpr const char* kUndoJournal = "data/install-undo.txt";

class InstallUndo : public ChangeGuard {
 public:
  // Starts a package's changes in target (the Tarnic folder).  False (logged)
  // when the undo area cannot be made: the package must not be installed.
  bool Begin(const std::string& target);

  bool BeforeCreateFolder(const std::string& path) override;
  bool BeforeWrite(const std::string& path) override;
  bool BeforeDelete(const std::string& path) override;

  // Puts back everything noted since Begin and drops the undo area.  Returns
  // the paths that could not be put back (logged).
  std::vector<std::string> Rollback();
  // The package ended well.  package carries what the engine knows (id,
  // name, package file, date, installer, backups); Commit adds its keep
  // folder and its folders, written, replaced and deleted lists from what
  // was changed (hashing what it wrote), merged with an earlier install of
  // the same id (whose old copies stay the ones uninstall puts back), writes
  // the record and drops the journal.  False (logged) when the record cannot
  // be written: the changes are rolled back then.
  bool Commit(InstalledPackage package);

 private:
  friend std::vector<std::string> RecoverInterruptedInstall();
  struct Change {
    enum Kind { kFolder, kNew, kSaved, kHad, kMoved } kind;
    std::string path;  // absolute
    std::string kept;  // kSaved: the old copy, relative to the program's folder; kMoved: the link aside
  };
  bool Note(Change change);
  // The absolute form of path when it lies strictly inside the target.
  bool Inside(const std::string& path, std::string& absolute) const;
  bool SaveFile(const std::string& absolute);
  bool SaveTree(const std::string& absolute);
  bool SetLinkAside(const std::string& absolute);
  std::string Relative(const std::string& absolute) const;
  bool Drop();

  std::string target_;  // absolute
  std::string keep_;    // relative to the program's folder
  std::vector<Change> changes_;
  std::set<std::string> touched_;
  int copies_ = 0;
  bool open_ = false;
};

// Start-up: rolls back the package a killed run left half installed (or
// drops the journal of one that reached its record).  Returns the lines it
// logged, empty when there was nothing to do.
std::vector<std::string> RecoverInterruptedInstall();

}  // namespace corvane
