#include "app/relabel.h"

#include <string>

#include "app/after_event.h"
#include "app/program_list_view.h"
#include "app/start_page.h"
#include "catalogue/program_list_reader.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

int RelabelWindow() {
  if (!mainApp) return 0;
  mainApp->SetCloseMessage(messages[99]);
  for (int i = 1; i <= 99; ++i) {
    const std::string tag = std::to_string(i);
    mainApp->ChangeText(tag, messages[i]);
    mainApp->ChangeMenuText(tag, messages[i]);
  }
  LoadProgramList();
  if (mainApp->tabber) {
    // Like the gadgets, a tab whose message is empty in the new language keeps its caption.
    for (int page = 0; page < 3; ++page) {
      if (!messages[50 + page].empty()) mainApp->tabber->SetItemText(page, messages[50 + page]);
    }
  }
  if (programChooser) programChooser->ClearItems();
  FillDownloadList();
  // The headings just took their bare messages: give them their counts back.
  WriteSelectionLabels();
  return 0;
}

}  // namespace corvane
