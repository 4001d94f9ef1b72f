// The install engine: what "Install now!" runs.  Installs every ticked
// package of the Install page's check list into the install target (the
// Tarnic folder): shows the package's MESSAGE, runs installers, unpacks ZIP
// archives with the built-in reader and RAR archives with WinRAR's unrar.exe,
// applies the PATH, BACKUP, COPY and DELETE rules of its catalogue record,
// and ends every run with the MinGW and environment registration and, after
// a MinGW package, the restart question.  Every step goes to the activity
// log, the main ones also to the page's output area.
//
// Each package is installed all or nothing (install/install_undo.h): when a
// step fails (an entry refused or not extracted, a write or copy error, an
// archive that cannot be read, STOP), everything the package changed in the
// Tarnic folder is put back and the output says so; when it ends well it is
// added to the Tarnic folder's installed record (install/installed_record.h).
// An installer program's own changes are not ours to undo.
//
// Rule paths are kept strictly inside the install target: a rule whose path
// (after joining and normalising) lies elsewhere, or passes through a
// symbolic link below the target, is refused with a log line and an output
// line naming the rule and the package; the rest of the package goes on.
#pragma once

#include <string>
#include <vector>

#include "catalogue/tprogram.h"

namespace corvane {

// What one installation works on, taken as values so that it needs no page.
struct InstallRequest {
  std::vector<ProgramPtr> records;  // packages to install, in order
  int count = 0;                    // the number the progress is measured against
  std::string target;               // the Tarnic folder
  std::string winrar;               // WinRAR's folder (RAR packages need its unrar.exe)
  bool disableDelete = false;       // DELETE rules are only reported
};

// What an installation reports; a front-end shows it its own way.
class InstallObserver {
 public:
  virtual ~InstallObserver() = default;
  // The run cannot start: there is no install target.
  virtual void NoTarget() {}
  // The run starts (after its opening log lines) and has ended.
  virtual void InstallStarted() {}
  virtual void InstallFinished() {}
  // A line for the user (the Install page's output area).
  virtual void InstallLine(const std::string& text) = 0;
  // Asked between packages: true skips the rest.
  virtual bool StopWanted() { return false; }
  // The record's MESSAGE is shown; false blocks the package.
  virtual bool AcceptMessage(const tprogram& record) = 0;
  // An installer (EXE package) is about to run; false skips it.
  virtual bool AllowInstaller(const tprogram&) { return true; }
  // Package number k of the run is done; fraction is the progress to show.
  virtual void PackageDone(int /*k*/, double /*fraction*/, const tprogram&) {}
  // A MinGW package was installed: the system wants a restart.
  virtual void RestartWanted() {}
  // The package in download/ no longer matches its checksum and was left.
  virtual void PackageRefused(const tprogram&) {}
  // A step of the package failed and its changes were put back;
  // not_restored lists what could not be (empty when all was).
  virtual void PackageUndone(const tprogram&, const std::vector<std::string>& /*not_restored*/) {}
  // The package ended well and is in the installed record.
  virtual void PackageRecorded(const tprogram&) {}
};

// Runs one installation; every step goes to the activity log, the main ones
// also to observer.InstallLine.  Returns 0 on every path.
int RunInstall(const InstallRequest& request, InstallObserver& observer);

// The Install page's run: the ticked rows of packageChooser, the settings as
// they are, the output area and progress bar; returns 0 on every path.
int InstallPackages();

}  // namespace corvane
