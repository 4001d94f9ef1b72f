#include "app/download_page.h"

#include "app/pictures.h"
#include "app/start_page.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"

namespace corvane {

DownloadPageGadgets downloadPage;

void BuildDownloadPage() {
  mainApp->UseTabber(1);
  tk::Gadget* page = mainApp->CheckTarget();
  downloadPicturePanel = AddPicturePanel(page, 10, 70, 128, 128, downloadPicture);
  downloadStatusLabel = mainApp->AddLabel("Downloading....", 180, 10, 470, 20, kCentredSunkenLabel, "LABEL");
  downloadFileLabel = mainApp->AddLabel("File:", 180, 40, 470, 20, kCentredSunkenLabel, "LABEL");
  downloadTotalLabel = mainApp->AddLabel(messages[57], 180, 80, 470, 20, kPlainLabel, "57");
  overallProgress = tk::CreateProgressBar(180, 100, 470, 20, page, 0);
  downloadSizeLabel = mainApp->AddLabel(messages[58], 180, 140, 470, 20, kPlainLabel, "58");
  fileProgress = tk::CreateProgressBar(180, 160, 470, 20, page, 0);
  urlCaption = tk::CreateLabel("URL", 180, 200, 470, 20, page, kPlainLabel);
  urlLabel = tk::CreateLabel("", 180, 220, 470, 20, page, kSunkenLabel);
  downloadButton = mainApp->AddButton(messages[62], 250, 370, 100, 35, kPushButton, "62");
  downloadStopButton = mainApp->AddButton("STOP!", 350, 370, 100, 35, kPushButton, "62");
  if (downloadStopButton) downloadStopButton->Disable();
  downloadBackButton = mainApp->AddButton(messages[63], 5, 370, 100, 35, kPushButton, "63");
  goToInstallButton = mainApp->AddButton(messages[64], 550, 370, 100, 35, kPushButton, "64");
}

void ResetDownloadPage() {
  downloadPicturePanel = downloadStatusLabel = downloadFileLabel = downloadTotalLabel = nullptr;
  overallProgress = downloadSizeLabel = fileProgress = urlCaption = urlLabel = nullptr;
  downloadButton = downloadStopButton = downloadBackButton = goToInstallButton = nullptr;
}

}  // namespace corvane
