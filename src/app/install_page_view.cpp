#include "app/install_page_view.h"

#include "app/pictures.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

InstallPageViewGadgets installPageView;

void BuildInstallPage() {
  mainApp->UseTabber(2);
  tk::Gadget* page = mainApp->CheckTarget();
  installPicturePanel = AddPicturePanel(page, 10, 70, 128, 128, packagePicture);
  installHeading = mainApp->AddLabel(messages[70], 180, 10, 470, 20, kCentredSunkenLabel, "70");
  packageChooser = CreateMultiButton(180, 40, 470, 200, page, "", "", "", "", 0);
  installButton = mainApp->AddButton(messages[71], 250, 370, 100, 35, kPushButton, "71");
  installStopButton = mainApp->AddButton("STOP!", 350, 370, 100, 35, kPushButton, "71");
  installBackButton = mainApp->AddButton(messages[72], 5, 370, 100, 35, kPushButton, "72");
  installFinishButton = mainApp->AddButton(messages[73], 550, 370, 100, 35, kPushButton, "73");
  installSelectAllButton = mainApp->AddButton(messages[74], 180, 250, 100, 30, kPushButton, "74");
  installDeselectAllButton = mainApp->AddButton(messages[75], 280, 250, 100, 30, kPushButton, "75");
  installProgress = tk::CreateProgressBar(180, 340, 470, 20, page, 0);
  installOutput = tk::CreateTextArea(180, 285, 470, 50, page, kReadOnlyText);
  if (installStopButton) installStopButton->Disable();
}

void ClearInstallOutput() {
  if (!installOutput) return;
  installOutput->SelectAll();
  installOutput->SetText("");
}

void ResetInstallPageView() {
  installPicturePanel = installHeading = nullptr;
  packageChooser = nullptr;
  installOutput = installProgress = installStopButton = installButton = nullptr;
  installBackButton = installFinishButton = installSelectAllButton = installDeselectAllButton = nullptr;
}

}  // namespace corvane
