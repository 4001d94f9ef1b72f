#include "install/install_page.h"

#include <any>
#include <vector>

#include "install/command_runner.h"
#include "install/install_engine.h"
#include "maintenance/restart_request.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "toolkit/toolkit.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

TMultiButton* packageChooser = nullptr;
tk::Gadget* installOutput = nullptr;
tk::Gadget* installProgress = nullptr;
tk::Gadget* installStopButton = nullptr;
tk::Gadget* installButton = nullptr;
tk::Gadget* installBackButton = nullptr;
tk::Gadget* installFinishButton = nullptr;
tk::Gadget* installSelectAllButton = nullptr;
tk::Gadget* installDeselectAllButton = nullptr;
int packagesToInstall = 0;

namespace {

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

// The Install page as the observer of an installation.
class InstallPageObserver : public InstallObserver {
 public:
  void NoTarget() override { tk::Notify(messages.size() > 68 ? messages[68] : ""); }
  void InstallStarted() override {
    if (installOutput) installOutput->SetText("");
    LockPage(true);
  }
  void InstallFinished() override { LockPage(false); }
  void InstallLine(const std::string& text) override { AddOutputLine(text); }
  bool StopWanted() override {
    tk::PollEvent();
    if (mainApp) mainApp->Control();
    tk::EventPtr current = tk::CurrentEvent();
    if (!(current && installStopButton && current->id == tk::kGadgetAction && current->source == installStopButton))
      return false;
    tk::Notify("Stop!!");
    return true;
  }
  bool AcceptMessage(const tprogram& r) override { return tk::Confirm(r.fullname + "\n\n" + r.message, true); }
  void PackageDone(int, double fraction, const tprogram&) override {
    if (installProgress) installProgress->SetProgress(fraction);
  }
  void RestartWanted() override {
    if (!tk::Confirm(messages.size() > 85 ? messages[85] : "", true)) return;
    SaveConfig();
    tk::Delay(10);
    RestartSystem(1);
  }
};

}  // namespace

int InstallPackages() {
  InstallRequest request;
  request.records = TickedRecords();
  request.count = packagesToInstall;
  request.target = TARNPATH;
  request.winrar = WINRAR;
  request.disableDelete = DISABLE_DELETE != 0;
  InstallPageObserver page;
  return RunInstall(request, page);
}

}  // namespace corvane
