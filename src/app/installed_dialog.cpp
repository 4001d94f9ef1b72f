#include "app/installed_dialog.h"

#include <string>
#include <vector>

#include "app/program_list_view.h"
#include "app/start_page.h"
#include "install/installed_marks.h"
#include "install/installed_state.h"
#include "log/activity_log.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

InstalledDialogGadgets installedDialog;

namespace {

constexpr int kDialogWidth = 500;
constexpr int kDialogHeight = 420;

InstalledDialogGadgets& G() { return installedDialog; }

// The rows: one per recorded program, unticked, its id and date on the second
// line; each row carries its package.
void FillList() {
  G().list->ClearItems();
  const std::vector<InstalledPackage> items = TarnicRecord().packages;
  for (const InstalledPackage& item : items)
    G().list->AddItem(item.name.empty() ? item.id : item.name, item.id + " - " + InstalledMark(item), "", "", 0,
                      item);
  if (G().heading)
    G().heading->SetText(messages[kMsgInstalledPrograms] + " (" + std::to_string(items.size()) + ")");
  if (G().removeButton) {
    if (items.empty()) G().removeButton->Disable();
    else G().removeButton->Enable();
  }
}

void Say(const std::string& line) {
  LogLine(line);
  if (G().output) G().output->AppendText(line + "\n");
}

// Uninstalls the ticked rows' programs, in list order.
void RemoveTicked() {
  std::vector<InstalledPackage> ticked;
  for (int i = 0; i < G().list->CountItems(); ++i) {
    if (G().list->GetItemStatus(i) != 1) continue;
    if (const auto* p = std::any_cast<InstalledPackage>(&G().list->array[std::size_t(i)]->content))
      ticked.push_back(*p);
  }
  if (ticked.empty()) return;
  // Files go: the user says so first.
  std::string question = messages[kMsgRemoveQuestion] + "\n";
  for (const InstalledPackage& p : ticked) question += "\n" + (p.name.empty() ? p.id : p.name);
  if (!tk::Confirm(question, true)) return;
  if (G().output) G().output->SetText("");
  for (const InstalledPackage& p : ticked)
    for (const std::string& line : UninstallReport(Uninstall(TARNPATH, p.id), p.name.empty() ? p.id : p.name))
      Say(line);
  FillList();
}

}  // namespace

int ShowInstalledDialog() {
  if (!mainApp || !mainApp->window) return 0;
  mainApp->Pause();
  int x = 0, y = 0;
  mainApp->CheckWindowLimit(mainApp, x, y, kDialogWidth, kDialogHeight);
  G().window = tk::CreateWindow(messages[kMsgInstalledPrograms], x, y, kDialogWidth, kDialogHeight, nullptr,
                                tk::kWindowTitleBar);
  tk::Gadget* w = G().window;
  if (w) {
    const int inner = kDialogWidth - 20;
    G().heading = tk::CreateLabel("", 10, 10, inner, 20, w, kCentredSunkenLabel);
    G().list = CreateMultiButton(10, 40, inner, 200, w, "", "", "", "", 0);
    G().output = tk::CreateTextArea(10, 250, inner, 110, w, kReadOnlyText);
    G().removeButton = tk::CreateButton(messages[kMsgRemove], 10, 370, 100, 35, w, kPushButton);
    G().closeButton = tk::CreateButton(messages[kMsgClose], kDialogWidth - 110, 370, 100, 35, w, kPushButton);
    FillList();
    for (;;) {
      tk::EventPtr e = tk::WaitEvent();
      // Nothing can arrive any more (a headless run with nothing to do): as closed.
      if (!e) break;
      if (e->id == tk::kWindowClose && e->source == w) break;
      if (e->id != tk::kGadgetAction) continue;
      if (e->source == G().closeButton) break;
      if (e->source == G().removeButton) RemoveTicked();
    }
    G().list->Free();
    for (tk::Gadget* g : {G().heading, G().output, G().removeButton, G().closeButton, w})
      if (g && !g->freed()) g->Free();
  }
  G() = InstalledDialogGadgets{};
  mainApp->Resume();
  ShowInstalledMarks();
  return 0;
}

}  // namespace corvane
