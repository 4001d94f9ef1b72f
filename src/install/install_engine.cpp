#include "install/install_engine.h"

#include <any>
#include <string>
#include <vector>

#include "catalogue/tprogram.h"
#include "install/command_runner.h"
#include "install/extract_zip.h"
#include "install/install_page.h"
#include "install/package_scan.h"
#include "install/target_guard.h"
#include "install/wildcard_path.h"
#include "log/activity_log.h"
#include "maintenance/mingw_setup.h"
#include "maintenance/restart_request.h"
#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "toolkit/toolkit.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {
namespace {

std::string Message(int n) {
  return n >= 0 && n < static_cast<int>(messages.size()) ? messages[static_cast<std::size_t>(n)] : "";
}

std::string TimeNow() { return runtime::FormatTime(runtime::Clk().Now()); }

std::string Flag(bool ok) { return ok ? "1" : "0"; }

void SetEnabled(tk::Gadget* g, bool enabled) {
  if (!g) return;
  if (enabled) g->Enable();
  else g->Disable();
}

// The page's controls while a run is going (running) or after it (idle).
void LockPage(bool running) {
  for (tk::Gadget* g : {installButton, installBackButton, installFinishButton, installSelectAllButton,
                        installDeselectAllButton, installOutput})
    SetEnabled(g, !running);
  SetEnabled(installStopButton, running);
  if (packageChooser) {
    if (running) packageChooser->Disable();
    else packageChooser->Enable();
  }
}

std::vector<ProgramPtr> TickedRecords() {
  std::vector<ProgramPtr> records;
  if (!packageChooser) return records;
  for (int i = 0; i < packageChooser->CountItems(); ++i) {
    if (packageChooser->GetItemStatus(i) != 1) continue;
    const TMultiButton* row = packageChooser->array[static_cast<std::size_t>(i)];
    if (!row) continue;
    if (const ProgramPtr* p = std::any_cast<ProgramPtr>(&row->content); p && *p) records.push_back(*p);
  }
  return records;
}

bool StopPressed() {
  tk::EventPtr current = tk::CurrentEvent();
  return current && installStopButton && current->id == tk::kGadgetAction &&
         current->source == installStopButton;
}

// True when path, built from a rule of record, may be used: strictly inside
// the target (or the target itself, when may_be_target) and reached without
// a symbolic link below it.  Otherwise the refusal is written to the log and
// the output area.
bool RuleAllowed(const char* rule, const std::string& rule_text, const tprogram& record,
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
  AddOutputLine(line);
  return false;
}

// Splits a rule path at its last separator into folder part and file name.
void SplitRulePath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t cut = path.find_last_of("/\\");
  folder = cut == std::string::npos ? "" : path.substr(0, cut);
  name = cut == std::string::npos ? path : path.substr(cut + 1);
}

void Backup(const tprogram& r, const std::string& target, const std::string& destination,
            bool destination_ok) {
  if (destination_ok) runtime::Fs().CreateFolder(destination + "\\backup");
  std::string folder, name;
  SplitRulePath(r.backup, folder, name);
  const std::string source = target + r.backup;
  const std::string copy = target + folder + "/backup/" + name;
  LogLine("BackUp ");
  LogLine(" Source : " + source);
  LogLine("   Dest : " + copy);
  LogLine(" ");
  if (!RuleAllowed("BACKUP", r.backup, r, target, source, true) ||
      !RuleAllowed("BACKUP", r.backup, r, target, copy, true))
    return;
  int result = runtime::Fs().CopyFile(NormalisedPath(source), NormalisedPath(copy));
  LogLine("Backup= " + std::to_string(result));
  AddOutputLine("Backup of <" + r.fullname + ">");
}

// Runs a tool; false when the user stopped it.
bool RunTool(const std::string& command, bool rar) {
  std::string output = RunCommand(command);
  if (output == kCommandStopped) {
    AddOutputLine("Process blocked by user");
    return false;
  }
  if (output.empty()) return true;
  if (rar) {
    AddOutputLine("   \n" + output);
    LogLine("RAR : " + output);
  } else {
    LogLine(output);
    AddOutputLine("   " + output);
  }
  AddOutputLine("");
  return true;
}

void CopyRule(const tprogram& r, const std::string& target) {
  std::vector<std::string> parts = runtime::Split(r.copy, ",");
  const std::string first = parts[0];
  const std::string second = parts.size() > 1 ? parts[1] : "";
  const std::string src = ResolveWildcardPath(target + first);
  const std::string dst = ResolveWildcardPath(target + second);
  if (!RuleAllowed("COPY", r.copy, r, target, src, true) || !RuleAllowed("COPY", r.copy, r, target, dst, true))
    return;
  int result = runtime::Fs().CopyFile(NormalisedPath(src), NormalisedPath(dst));
  LogLine("Copy " + src + " > " + dst + " is " + std::to_string(result));
}

void DeleteRule(const tprogram& r, const std::string& target) {
  LogLine("DELETE <" + r.fullname + "> " + r.fDelete);
  LogLine("Dest : " + target + r.fDelete);
  const std::string p = target + r.fDelete;
  if (DISABLE_DELETE != 0) {
    LogLine(Message(69));
    AddOutputLine(Message(69));
    return;
  }
  if (!RuleAllowed("DELETE", r.fDelete, r, target, p, false)) return;
  runtime::FileSystem& fs = runtime::Fs();
  const std::string real = NormalisedPath(p);
  // A link is removed itself; what it points to is never touched.
  if (fs.IsLink(real) || fs.Kind(real) == runtime::kFile) {
    std::string line = "Remove file <" + p + "> " + Flag(fs.DeleteFile(real));
    LogLine(line);
    AddOutputLine(line);
  }
  if (!fs.IsLink(real) && fs.Kind(real) == runtime::kFolder) {
    std::string line = "Remove directory <" + p + "> " + Flag(fs.DeleteFolder(real));
    LogLine(line);
    AddOutputLine(line);
  }
}

}  // namespace

int InstallPackages() {
  installTarget = TARNPATH;
  const std::string target = installTarget;
  const std::string rule(54, '-');
  LogLine(rule);
  LogLine("Default path: " + target);
  LogLine("TARNIC: " + TARNPATH);
  LogLine(rule);
  if (target.empty()) {
    tk::Notify(Message(68));
    LogLine("No path <" + target + "> exit");
    return 0;
  }
  LogLine("Start installing...");
  if (installOutput) installOutput->SetText("");
  LockPage(true);
  AddOutputLine(Message(96) + " " + TimeNow());
  AddOutputLine(Message(97) + " " + std::to_string(packagesToInstall));
  const std::vector<ProgramPtr> records = TickedRecords();
  int k = 1;
  bool mingw_seen = false;
  LogLine("Target : <" + target + ">");
  AddOutputLine(Message(45) + " = <" + target + ">");

  for (const ProgramPtr& record : records) {
    const tprogram& r = *record;
    tk::PollEvent();
    if (mainApp) mainApp->Control();
    if (StopPressed()) {
      tk::Notify("Stop!!");
      continue;
    }
    AddOutputLine(r.fullname + " " + Message(81));
    LogLine("Installing " + r.fullname);
    if (runtime::ToLower(r.fullname).find("mingw") != std::string::npos) mingw_seen = true;
    const std::string file = PackageFileName(r);
    const std::string kind = PackageKind(file);

    bool blocked = false;
    if (!r.message.empty() && !tk::Confirm(r.fullname + "\n\n" + r.message, true)) {
      LogLine("Blocked!");
      AddOutputLine("Blocked by user!");
      blocked = true;
    }
    if (!blocked) {
      std::string destination = target;
      bool destination_ok = true;
      if (!r.path.empty()) {
        destination = runtime::ReplaceAll(target + r.path, "/", "\\");
        // Unpacking into the target itself is what a package without PATH does.
        destination_ok = RuleAllowed("PATH", r.path, r, target, destination, true, true);
      }
      if (!r.backup.empty()) Backup(r, target, destination, destination_ok);

      bool stopped = false;
      if (kind == "EXE") {
        // A download keeps no execute bit; the installer needs it to start.
        runtime::Fs().SetExecutable("download/" + file);
        stopped = !RunTool("download/" + file, false);
      } else if (kind == "ZIP") {
        if (destination_ok) {
          LogLine("Running ZIP file > " + destination);
          ExtractZip("download/" + file, destination, "", 1, "");
          AddOutputLine("");
        }
      } else if (kind == "RAR" && !WINRAR.empty()) {
        if (destination_ok)
          stopped = !RunTool(WINRAR + "\\unrar.exe x download\\" + file + " " + destination + "\\ -o+ -r -y",
                             true);
      }
      if (stopped) break;

      if (!r.copy.empty()) CopyRule(r, target);
      if (!r.fDelete.empty()) DeleteRule(r, target);
    }
    if (installProgress)
      installProgress->SetProgress(packagesToInstall > 0 ? static_cast<double>(k + 1) / packagesToInstall : 1.0);
    ++k;
  }

  RegisterMinGW();
  AddOutputLine(Message(98) + " " + TimeNow());
  LockPage(false);
  LogLine("Installation completed.");
  if (mingw_seen && tk::Confirm(Message(85), true)) {
    SaveConfig();
    tk::Delay(10);
    RestartSystem(1);
  }
  return 0;
}

}  // namespace corvane
