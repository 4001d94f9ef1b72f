#include "app/main_window.h"

#include "app/download_page.h"
#include "app/install_page_view.h"
#include "app/main_menus.h"
#include "app/pictures.h"
#include "app/shell_state.h"
#include "app/start_page.h"
#include "catalogue/catalogue_names.h"
#include "maintenance/version_check.h"
#include "settings/messages.h"
#include "trust/trusted_keys.h"
#include "widgets/tapplication.h"

namespace corvane {

std::string StatusLineText() {
  return "Corvane v. " + programVersion + " - " + kAuthorCredit + " - (" + osName +
         ") - catalogue: " + PlatformName() + " packages - " + messages[trust::StrictMode() ? 25 : 24];
}

void BuildMainWindow() {
  mainApp = tapplication::Create(ApplicationTitle(), kMainWindowX, kMainWindowY, kMainWindowW,
                                 kMainWindowH, kMainWindowStyle);
  mainApp->SetMessage(StatusLineText());
  mainApp->SetInfo(kProgramName, kAuthorCredit);
  mainApp->CheckClose(1);
  mainApp->SetCloseMessage(messages[99]);

  BuildMenus();

  mainApp->AddTabber(messages[50], "", -1, "", "50");
  mainApp->AddTabber(messages[51], "", -1, "", "51");
  mainApp->AddTabber(messages[52], "", -1, "", "52");
  mainApp->ShowTabber(0);

  LoadPictures();
  BuildStartPage();
  BuildDownloadPage();
  BuildInstallPage();
}

}  // namespace corvane
