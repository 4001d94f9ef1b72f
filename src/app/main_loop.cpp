#include "app/main_loop.h"

#include "app/after_event.h"
#include "app/commands.h"
#include "app/download_run.h"
#include "app/install_page_view.h"
#include "app/languages.h"
#include "app/main_menus.h"
#include "app/page_preparation.h"
#include "install/package_scan.h"
#include "log/activity_log.h"
#include "toolkit/toolkit.h"
#include "widgets/tapplication.h"

namespace corvane {

namespace {

// A Language-menu choice; on the Install page the package list follows.
void LanguageChosen(int tag) {
  SelectLanguage(tag);
  if (mainApp->_show_tabber == 2) {
    ScanPackages();
    ClearInstallOutput();
    PrepareInstallPage();
  }
}

}  // namespace

bool RunLoopOnce() {
  tk::EventPtr event = tk::WaitEvent();
  if (!event) {
    LogLine("No more events - leaving the main loop");
    return false;
  }
  mainApp->Control();
  if (event->id == tk::kMenuAction) {
    const int tag = int(event->data);
    // A changed option ends the turn at once.
    if (RunMenuCommand(tag)) return true;
    if (tag > kTagLanguageMenu) LanguageChosen(tag);
  } else if (event->id == tk::kGadgetAction) {
    HandleGadgetAction(event->source);
  }
  UpdateSelectionLabels();
  ShowProgramDetails();
  EnterPage();
  if (downloading == 1 && DownloadStep()) tk::ProcessMessages();
  tk::Delay(kLoopPauseMs);
  return true;
}

void RunMainLoop() {
  while (mainApp && mainApp->Running()) {
    if (!RunLoopOnce()) break;
  }
}

}  // namespace corvane
