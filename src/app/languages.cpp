#include "app/languages.h"

#include <string>

#include "app/main_menus.h"
#include "app/relabel.h"
#include "catalogue/catalogue_names.h"
#include "catalogue/program_list_reader.h"
#include "catalogue/retrieval.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "widgets/tapplication.h"

namespace corvane {

namespace {

void RedrawMenuBar() {
  if (mainApp && mainApp->window) mainApp->window->UpdateMenuBar();
}

// Position of LANGUAGE in languageList, case ignored, or -1; unlike
// FindInList it leaves lastFoundIndex alone.
int PositionOfCurrentLanguage() {
  for (std::size_t i = 0; i < languageList.size(); ++i) {
    if (runtime::EqualsIgnoreCase(languageList[i], LANGUAGE)) return int(i);
  }
  return -1;
}

// A line of the language list names a file to fetch into "lang": it must
// stay inside that folder and be a language file.  (A server that answers a
// missing list with an HTML error page would otherwise have every line of
// that page fetched and kept as a file.)
bool IsLanguageFileName(const std::string& name) {
  const std::string extension = ".lang";
  return IsPlainFileName(name) && name.size() > extension.size() &&
         runtime::EqualsIgnoreCase(name.substr(name.size() - extension.size()), extension);
}

}  // namespace

void RefreshLanguages(int fromMenu) {
  DownloadFile(CatalogueBase() + "languages.txt", kLanguageListFile, nullptr, 128);
  const std::string remembered = LANGUAGE;
  std::optional<std::string> list = runtime::Fs().ReadFile(kLanguageListFile);
  if (list) {
    for (const std::string& line : runtime::ReadLines(*list)) {
      if (runtime::Trim(line).empty()) continue;
      if (!IsLanguageFileName(line)) {
        LogLine("Language <" + line + "> refused: not a language file name");
        continue;
      }
      int result = DownloadFile(CatalogueBase() + line, "lang/" + line, nullptr, 128);
      LogLine("Language <" + line + "> " + std::to_string(result));
      LANGUAGE = runtime::ReplaceAll(runtime::ToLower(line), ".lang", "");
      FetchProgramList();
      LoadProgramList();
      if (AUTOUPDATE == "TRUE") FetchProgramInfo();
      if (fromMenu == 1) FetchProgramInfo();
    }
    LANGUAGE = remembered;
    LoadProgramList();
  }
  BuildLanguageMenu();
}

void BuildLanguageMenu() {
  languageList = ListFiles("lang", ".lang");
  LogLine("Lingue # " + std::to_string(languageList.size()));
  if (!languageMenu || !mainApp) return;
  for (tk::Gadget* item : languageItems) mainApp->FreeMenuItem(item);
  AddLanguageItems();
  int checked = lastFoundIndex;
  if (checked < 0 || checked >= int(languageItems.size())) checked = PositionOfCurrentLanguage();
  if (checked >= 0 && checked < int(languageItems.size())) languageItems[checked]->SetChecked(true);
  RedrawMenuBar();
}

void SelectLanguage(int tag) {
  if (tag < 0) return;
  const int position = tag - kTagFirstLanguage;
  if (position < 0 || position >= int(languageList.size())) return;
  for (tk::Gadget* item : languageItems) item->SetChecked(false);
  if (position < int(languageItems.size())) languageItems[position]->SetChecked(true);
  // The chosen entry is the one found last, so a rebuilt menu keeps it checked.
  lastFoundIndex = position;
  LANGUAGE = languageList[position];
  LoadLocale();
  RelabelWindow();
  RedrawMenuBar();
}

}  // namespace corvane
