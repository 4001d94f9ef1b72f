#include "install/install_engine.h"

#include <string>
#include <vector>

#include "catalogue/package_check.h"
#include "catalogue/tprogram.h"
#include "install/command_runner.h"
#include "install/extract_zip.h"
#include "install/install_undo.h"
#include "install/installed_record.h"
#include "install/package_scan.h"
#include "install/target_guard.h"
#include "install/wildcard_path.h"
#include "log/activity_log.h"
#include "maintenance/mingw_setup.h"
#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "trust/sha256.h"

namespace corvane {
namespace {

std::string Message(int n) {
  return n >= 0 && n < static_cast<int>(messages.size()) ? messages[static_cast<std::size_t>(n)] : "";
}

std::string TimeNow() { return runtime::FormatTime(runtime::Clk().Now()); }

std::string Flag(bool ok) { return ok ? "1" : "0"; }

// True when path, built from a rule of record, may be used: strictly inside
// the target (or the target itself, when may_be_target) and reached without
// a symbolic link below it.  Otherwise the refusal is written to the log and
// the output area.
bool RuleAllowed(InstallObserver& out, const char* rule, const std::string& rule_text, const tprogram& record,
                 const std::string& target, const std::string& path, bool check_last_link,
                 bool may_be_target = false) {
  std::string why;
  const bool is_target = may_be_target && NormalisedPath(path) == NormalisedPath(target);
  if (!is_target && !IsStrictlyInside(target, path)) {
    why = "is outside the install target";
  } else {
    std::string link = LinkBelow(target, path, check_last_link);
    if (!link.empty()) why = "passes through the symbolic link <" + link + ">";
  }
  if (why.empty()) return true;
  std::string line = std::string("Rule refused: ") + rule + " <" + rule_text + "> of <" + record.fullname +
                     "> " + why;
  LogLine(line);
  out.InstallLine(line);
  return false;
}

// Splits a rule path at its last separator into folder part and file name.
void SplitRulePath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t cut = path.find_last_of("/\\");
  folder = cut == std::string::npos ? "" : path.substr(0, cut);
  name = cut == std::string::npos ? path : path.substr(cut + 1);
}

// The undo guard of one package, which also hears STOP between the files
// of an archive: the package is then undone like any failed one.
class PackageGuard : public InstallUndo {
 public:
  explicit PackageGuard(InstallObserver& out) : out_(out) {}
  bool BeforeWrite(const std::string& path) override {
    if (!stopped && out_.StopWanted()) {
      stopped = true;
      LogLine("Stopped by user");
      out_.InstallLine("Process blocked by user");
    }
    return !stopped && InstallUndo::BeforeWrite(path);
  }
  bool stopped = false;

 private:
  InstallObserver& out_;
};

// The result of a copy: false only when a file that was there could not be
// copied (a missing source is logged and is no failure, as it always was).
bool CopyMade(int result, const std::string& source) {
  return result == 1 || runtime::Fs().Kind(NormalisedPath(source)) != runtime::kFile;
}

// False when the step failed and the package must be undone.
bool Backup(InstallObserver& out, const tprogram& r, const std::string& target, const std::string& destination,
            bool destination_ok, ChangeGuard& guard, std::vector<std::string>& backups) {
  if (destination_ok && runtime::Fs().Kind(destination + "\\backup") == runtime::kNone) {
    if (!guard.BeforeCreateFolder(destination + "\\backup")) return false;
    runtime::Fs().CreateFolder(destination + "\\backup");
  }
  std::string folder, name;
  SplitRulePath(r.backup, folder, name);
  const std::string source = target + r.backup;
  const std::string copy = target + folder + "/backup/" + name;
  LogLine("BackUp ");
  LogLine(" Source : " + source);
  LogLine("   Dest : " + copy);
  LogLine(" ");
  if (!RuleAllowed(out, "BACKUP", r.backup, r, target, source, true) ||
      !RuleAllowed(out, "BACKUP", r.backup, r, target, copy, true))
    return true;
  const bool there = runtime::Fs().Kind(NormalisedPath(source)) == runtime::kFile;
  // The copy's own backup folder is made when missing: without it a file
  // below the target's top would never be backed up at all.
  const std::string copy_folder = NormalisedPath(target + folder + "/backup");
  if (there && runtime::Fs().Kind(copy_folder) == runtime::kNone &&
      (!guard.BeforeCreateFolder(copy_folder) || !runtime::Fs().CreateFolderWithParents(copy_folder)))
    return false;
  if (there && !guard.BeforeWrite(NormalisedPath(copy))) return false;
  int result = runtime::Fs().CopyFile(NormalisedPath(source), NormalisedPath(copy));
  LogLine("Backup= " + std::to_string(result));
  out.InstallLine("Backup of <" + r.fullname + ">");
  if (result == 1) backups.push_back(runtime::ReplaceAll(folder + "/backup/" + name, "\\", "/").substr(1));
  return CopyMade(result, source);
}

// Runs a tool; false when the user stopped it.
bool RunTool(InstallObserver& out, const std::string& command, bool rar) {
  std::string output = RunCommand(command);
  if (output == kCommandStopped) {
    out.InstallLine("Process blocked by user");
    return false;
  }
  if (output.empty()) return true;
  if (rar) {
    out.InstallLine("   \n" + output);
    LogLine("RAR : " + output);
  } else {
    LogLine(output);
    out.InstallLine("   " + output);
  }
  out.InstallLine("");
  return true;
}

bool CopyRule(InstallObserver& out, const tprogram& r, const std::string& target, ChangeGuard& guard) {
  std::vector<std::string> parts = runtime::Split(r.copy, ",");
  const std::string first = parts[0];
  const std::string second = parts.size() > 1 ? parts[1] : "";
  const std::string src = ResolveWildcardPath(target + first);
  const std::string dst = ResolveWildcardPath(target + second);
  if (!RuleAllowed(out, "COPY", r.copy, r, target, src, true) || !RuleAllowed(out, "COPY", r.copy, r, target, dst, true))
    return true;
  if (runtime::Fs().Kind(NormalisedPath(src)) == runtime::kFile && !guard.BeforeWrite(NormalisedPath(dst))) return false;
  int result = runtime::Fs().CopyFile(NormalisedPath(src), NormalisedPath(dst));
  LogLine("Copy " + src + " > " + dst + " is " + std::to_string(result));
  return CopyMade(result, src);
}

bool DeleteRule(InstallObserver& out, const tprogram& r, const std::string& target, bool disable_delete,
                ChangeGuard& guard) {
  LogLine("DELETE <" + r.fullname + "> " + r.fDelete);
  LogLine("Dest : " + target + r.fDelete);
  const std::string p = target + r.fDelete;
  if (disable_delete) {
    LogLine(Message(69));
    out.InstallLine(Message(69));
    return true;
  }
  if (!RuleAllowed(out, "DELETE", r.fDelete, r, target, p, false)) return true;
  runtime::FileSystem& fs = runtime::Fs();
  const std::string real = NormalisedPath(p);
  const bool link = fs.IsLink(real);
  if ((link || fs.Kind(real) != runtime::kNone) && !guard.BeforeDelete(real)) return false;
  bool done = true;
  // A link is removed itself; what it points to is never touched.  The
  // guard has set it aside already, to be put back if the package fails.
  if (link || fs.Kind(real) == runtime::kFile) {
    const bool gone = link ? !fs.IsLink(real) : fs.DeleteFile(real);
    done = done && gone;
    std::string line = "Remove file <" + p + "> " + Flag(gone);
    LogLine(line);
    out.InstallLine(line);
  }
  if (!fs.IsLink(real) && fs.Kind(real) == runtime::kFolder) {
    const bool gone = fs.DeleteFolder(real);
    done = done && gone;
    std::string line = "Remove directory <" + p + "> " + Flag(gone);
    LogLine(line);
    out.InstallLine(line);
  }
  return done;
}

// What the record says of the package besides the files, which the undo
// guard knows.
InstalledPackage RecordOf(const tprogram& r, const std::string& file) {
  InstalledPackage p;
  p.id = r.name.empty() ? r.fullname : r.name;
  p.name = r.fullname;
  p.packageFile = file;
  p.packageSize = runtime::Fs().FileSize("download/" + file);
  p.packageSha256 = trust::Sha256OfFile("download/" + file);
  const runtime::LocalTime now = runtime::Clk().Now();
  p.date = runtime::FormatDate(now) + " " + runtime::FormatTime(now);
  return p;
}

// Reports an undone package.
void ReportUndone(InstallObserver& out, const tprogram& r, const std::vector<std::string>& not_restored) {
  const std::string line = Message(not_restored.empty() ? 4 : 5);
  LogLine("Install of <" + r.fullname + "> failed - " +
          (not_restored.empty() ? "every change undone" : std::to_string(not_restored.size()) + " changes not undone"));
  out.InstallLine(line);
  for (const std::string& path : not_restored) out.InstallLine("   " + path);
  out.PackageUndone(r, not_restored);
}

}  // namespace

int RunInstall(const InstallRequest& request, InstallObserver& out) {
  installTarget = request.target;
  const std::string target = installTarget;
  const std::string rule(54, '-');
  LogLine(rule);
  LogLine("Default path: " + target);
  LogLine("TARNIC: " + request.target);
  LogLine(rule);
  if (target.empty()) {
    out.NoTarget();
    LogLine("No path <" + target + "> exit");
    return 0;
  }
  LogLine("Start installing...");
  out.InstallStarted();
  out.InstallLine(Message(96) + " " + TimeNow());
  out.InstallLine(Message(97) + " " + std::to_string(request.count));
  const std::vector<ProgramPtr>& records = request.records;
  int k = 1;
  bool mingw_seen = false;
  LogLine("Target : <" + target + ">");
  out.InstallLine(Message(45) + " = <" + target + ">");

  for (const ProgramPtr& record : records) {
    const tprogram& r = *record;
    if (out.StopWanted()) continue;
    out.InstallLine(r.fullname + " " + Message(81));
    LogLine("Installing " + r.fullname);
    if (runtime::ToLower(r.fullname).find("mingw") != std::string::npos) mingw_seen = true;
    const std::string file = PackageFileName(r);
    const std::string kind = PackageKind(file);

    bool blocked = false;
    // The file may have changed since it was downloaded and checked.
    if (std::string refusal = CheckStoredPackage(r, "download/" + file); !refusal.empty()) {
      out.InstallLine(refusal);
      out.PackageRefused(r);
      blocked = true;
    } else if (!r.message.empty() && !out.AcceptMessage(r)) {
      LogLine("Blocked!");
      out.InstallLine("Blocked by user!");
      blocked = true;
    }
    bool stop_run = false;
    PackageGuard guard(out);
    if (!blocked && !guard.Begin(target)) {
      out.InstallLine(Message(6));
      blocked = true;
    }
    if (!blocked) {
      std::string destination = target;
      bool destination_ok = true;
      if (!r.path.empty()) {
        destination = runtime::ReplaceAll(target + r.path, "/", "\\");
        // Unpacking into the target itself is what a package without PATH does.
        destination_ok = RuleAllowed(out, "PATH", r.path, r, target, destination, true, true);
      }
      InstalledPackage entry = RecordOf(r, file);
      bool ok = r.backup.empty() || Backup(out, r, target, destination, destination_ok, guard, entry.backups);

      if (ok && kind == "EXE" && !out.AllowInstaller(r)) {
        LogLine("Installer not run: " + file);
        out.InstallLine("Installer not run: <" + file + ">");
      } else if (ok && kind == "EXE") {
        // A download keeps no execute bit; the installer needs it to start.
        runtime::Fs().SetExecutable("download/" + file);
        entry.installerRun = true;
        stop_run = !RunTool(out, "download/" + file, false);
      } else if (ok && kind == "ZIP") {
        if (destination_ok) {
          LogLine("Running ZIP file > " + destination);
          const int failed = ExtractZipGuarded("download/" + file, destination, 1, guard);
          if (failed != 0) LogLine("Unpacking failed: " + (failed < 0 ? std::string("archive not read")
                                                                     : std::to_string(failed) + " entries"));
          ok = failed == 0;
          out.InstallLine("");
        }
      } else if (ok && kind == "RAR" && !request.winrar.empty()) {
        // unrar's files are its own, like an installer's: they are not recorded.
        if (destination_ok) {
          entry.installerRun = true;
          stop_run = !RunTool(out, request.winrar + "\\unrar.exe x download\\" + file + " " + destination +
                                       "\\ -o+ -r -y",
                              true);
        }
      }
      stop_run = stop_run || guard.stopped;
      ok = ok && !stop_run;
      if (ok && !r.copy.empty()) ok = CopyRule(out, r, target, guard);
      if (ok && !r.fDelete.empty()) ok = DeleteRule(out, r, target, request.disableDelete, guard);
      if (ok && guard.Commit(entry)) {
        LogLine("Recorded as installed: " + entry.id);
        out.PackageRecorded(r);
      } else if (ok) {
        ReportUndone(out, r, {});
      } else {
        ReportUndone(out, r, guard.Rollback());
      }
    }
    if (stop_run) break;
    out.PackageDone(k, request.count > 0 ? static_cast<double>(k + 1) / request.count : 1.0, r);
    ++k;
  }

  RegisterMinGW();
  out.InstallLine(Message(98) + " " + TimeNow());
  out.InstallFinished();
  LogLine("Installation completed.");
  if (mingw_seen) out.RestartWanted();
  return 0;
}

}  // namespace corvane
