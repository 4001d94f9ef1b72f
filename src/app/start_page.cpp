#include "app/start_page.h"

#include "app/pictures.h"
#include "app/program_list_view.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

StartPageGadgets startPage;

std::string FirstStartHeading() {
  if (!programChooser) return messages[54];
  return messages[54] + std::to_string(programChooser->CountSelected()) + "/" +
         std::to_string(programChooser->CountItems());
}

std::string StartHeading(int ticked, int rows) {
  return messages[54] + " (" + std::to_string(ticked) + "/" + std::to_string(rows) + ")";
}

void BuildStartPage() {
  mainApp->UseTabber(0);
  tk::Gadget* page = mainApp->CheckTarget();
  logoPanel = AddPicturePanel(page, 10, 10, 150, 300, logoPicture);
  programChooser = CreateMultiButton(180, 40, 470, 160, page, "", "", "", "", 0);
  goToDownloadButton = mainApp->AddButton(messages[53], 550, 370, 100, 35, kPushButton, "53");
  startHeading = mainApp->AddLabel(messages[54], 180, 10, 470, 20, kCentredSunkenLabel, "54");
  descriptionArea = mainApp->AddTextArea(180, 240, 470, 100, kReadOnlyText, "TEXTAREA");
  webLink = tk::CreateHyperlink("", 180, 350, 470, 20, page, 0, "");
  authorLabel = mainApp->AddLabel(messages[42], 180, 370, 470, 20, kPlainLabel, "42");
  licenceLabel = mainApp->AddLabel(messages[43], 180, 390, 470, 20, kPlainLabel, "43");
  verifiedLabel = mainApp->AddLabel("", 180, 410, 360, 20, kPlainLabel, "");
  FillDownloadList();
  startDeselectAllButton = mainApp->AddButton(messages[56], 180, 210, 100, 30, kPushButton, "56");
  startSelectAllButton = mainApp->AddButton(messages[55], 280, 210, 100, 30, kPushButton, "55");
  updateListButton = mainApp->AddButton(messages[44], 550, 210, 100, 30, kPushButton, "44");
  if (startHeading) startHeading->SetText(FirstStartHeading());
}

void ResetStartPage() {
  programChooser = nullptr;
  logoPanel = goToDownloadButton = startHeading = descriptionArea = webLink = nullptr;
  authorLabel = licenceLabel = verifiedLabel = nullptr;
  startDeselectAllButton = startSelectAllButton = updateListButton = nullptr;
}

}  // namespace corvane
