#include "app/page_preparation.h"

#include <map>
#include <string>

#include "app/download_page.h"
#include "app/download_run.h"
#include "app/install_page_view.h"
#include "app/program_list_view.h"
#include "app/start_page.h"
#include "install/command_runner.h"
#include "install/install_page.h"
#include "install/package_scan.h"
#include "settings/messages.h"
#include "widgets/tmultibutton.h"

namespace corvane {

std::vector<ProgramPtr> downloadQueue;

namespace {

void ShowRed(tk::Gadget* label, const std::string& text) {
  if (!label) return;
  label->SetText(text);
  label->SetTextColor(255, 0, 0);
}

void ShowBlue(tk::Gadget* label, const std::string& text) {
  if (!label) return;
  label->SetText(text);
  label->SetTextColor(0, 0, 255);
}

void SetEnabled(tk::Gadget* gadget, bool enabled) {
  if (!gadget) return;
  if (enabled) {
    gadget->Enable();
  } else {
    gadget->Disable();
  }
}

int RowOfRecord(TMultiButton* list, const tprogram* record) {
  if (!list || !record) return -1;
  for (int row = 0; row < list->CountItems(); ++row) {
    const ProgramPtr* p = std::any_cast<ProgramPtr>(&list->array[row]->content);
    if (p && p->get() == record) return row;
  }
  return -1;
}

}  // namespace

void PrepareDownloadPage() {
  // A run in hand owns the page: its labels, its buttons and its queue.
  if (downloading == 1) return;
  const int ticked = programChooser ? programChooser->CountSelected() : 0;
  if (ticked == 0) {
    ShowRed(downloadStatusLabel, messages[94]);
    SetEnabled(downloadButton, false);
  } else {
    ShowBlue(downloadStatusLabel, messages[65] + " " + std::to_string(ticked));
    SetEnabled(downloadButton, true);
  }
  // Each row carries its record, so a record takes the tick of its own row
  // (a record that got no row counts as unticked).
  std::map<const tprogram*, int> tick_of;
  const int rows = programChooser ? programChooser->CountItems() : 0;
  for (int row = 0; row < rows; ++row) {
    if (ProgramPtr p = ProgramOfRow(row)) tick_of[p.get()] = programChooser->GetItemStatus(row) == 1 ? 1 : 0;
  }
  std::vector<ProgramPtr> queue;
  for (const ProgramPtr& p : programList) {
    if (!p) continue;
    auto found = tick_of.find(p.get());
    p->status = found == tick_of.end() ? 0 : found->second;
    if (p->status == 1) queue.push_back(p);
  }
  if (!queue.empty()) downloadQueue = std::move(queue);
}

void PrepareInstallPage() {
  ScanPackages();
  int count = 0;
  for (const ProgramPtr& p : packageList) {
    // A package without a name got no row and cannot be installed; the others
    // are matched to their rows by the record each row carries.
    const int row = RowOfRecord(packageChooser, p.get());
    if (row < 0) continue;
    if (FoundInPath(p->fullname)) {
      packageChooser->SetItemStatus(row, 0);
      AddOutputLine(p->fullname + " " + messages[91]);
    } else {
      ++count;
    }
  }
  packagesToInstall = count;
  if (count == 0) {
    ShowRed(installHeading, messages[92]);
    SetEnabled(installButton, false);
  } else {
    ShowBlue(installHeading, messages[93] + " " + std::to_string(count));
    SetEnabled(installButton, true);
  }
}

void ResetPagePreparation() { downloadQueue.clear(); }

}  // namespace corvane
