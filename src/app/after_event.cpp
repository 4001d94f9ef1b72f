#include "app/after_event.h"

#include <string>

#include "app/install_page_view.h"
#include "app/page_preparation.h"
#include "app/program_list_view.h"
#include "app/start_page.h"
#include "catalogue/package_check.h"
#include "catalogue/program_list_reader.h"
#include "install/install_page.h"
#include "install/package_scan.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

LoopBookkeeping loopState;

void StartLoopBookkeeping() {
  loopState = LoopBookkeeping{};
  if (programChooser) {
    loopState.lastDownloadSelection = programChooser->CountSelected();
    loopState.lastCurrentRow = programChooser->current_selected;
  }
}

namespace {

void WriteStartHeading(int ticked) {
  if (startHeading) startHeading->SetText(StartHeading(ticked, programChooser->CountItems()));
  loopState.lastDownloadSelection = ticked;
}

void WriteInstallHeading(int ticked) {
  if (installHeading) {
    installHeading->SetText(messages[70] + " (" + std::to_string(ticked) + "/" +
                            std::to_string(packageChooser->CountItems()) + ")");
  }
  packagesToInstall = ticked;
  loopState.lastInstallSelection = ticked;
}

}  // namespace

void UpdateSelectionLabels() {
  if (programChooser) {
    const int ticked = programChooser->CountSelected();
    if (ticked != loopState.lastDownloadSelection) WriteStartHeading(ticked);
  }
  if (packageChooser) {
    const int ticked = packageChooser->CountSelected();
    if (ticked != loopState.lastInstallSelection) WriteInstallHeading(ticked);
  }
}

void WriteSelectionLabels() {
  if (programChooser) WriteStartHeading(programChooser->CountSelected());
  if (packageChooser) WriteInstallHeading(packageChooser->CountSelected());
}

void ShowProgramDetails() {
  if (!programChooser) return;
  const int row = programChooser->current_selected;
  if (row == loopState.lastCurrentRow) return;
  if (ProgramPtr p = ProgramOfRow(row)) {
    if (authorLabel) authorLabel->SetText(messages[42] + " " + p->author);
    if (licenceLabel) licenceLabel->SetText(messages[43] + " " + p->license);
    if (verifiedLabel) verifiedLabel->SetText(VerificationText(*p));
    if (webLink) {
      webLink->SetUrl(p->web);
      webLink->SetText(p->web);
    }
    if (descriptionArea) descriptionArea->SetText(LongDescription(*p));
  }
  loopState.lastCurrentRow = row;
}

void EnterPage() {
  if (!mainApp) return;
  const int page = mainApp->_show_tabber;
  if (page == 0) loopState.lastPage = 0;
  if (page == 2 && loopState.lastPage != 2) {
    ScanPackages();
    ClearInstallOutput();
    PrepareInstallPage();
    loopState.lastPage = 2;
  }
  if (page == 1 && loopState.lastPage != 1) {
    PrepareDownloadPage();
    loopState.lastPage = 1;
  }
}

}  // namespace corvane
