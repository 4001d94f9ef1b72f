#include "app/startup.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/after_event.h"
#include "app/dialogs.h"
#include "app/languages.h"
#include "app/main_window.h"
#include "app/shell_state.h"
#include "catalogue/catalogue_names.h"
#include "catalogue/program_list_reader.h"
#include "catalogue/tprogram.h"
#include "install/install_undo.h"
#include "log/activity_log.h"
#include "maintenance/version_check.h"
#include "net/partial_download.h"
#include "runtime/clock.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/temporary_file.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "trust/trusted_keys.h"
#include "widgets/tapplication.h"

namespace corvane {

std::vector<std::string> trustKeyFiles;

namespace {

constexpr double kLoopTimerHz = 2.0;
// The folders this run makes temporaries in, for the next start's sweep.
constexpr const char* kTemporaryJournal = "data/temporaries.txt";

// Removes what a killed run left: our temporaries in the folders the journal
// names and in our own folders, the temporaries of older versions
// ("conf.txt.tmp..."), and the partial downloads that cannot be resumed (no
// note beside them, as older versions left them, or a week old).  A part
// that can be resumed stays for the next download of its file.  A user's
// file is never touched: only names of our making match.
void SweepLeftovers() {
  runtime::FileSystem& fs = runtime::Fs();
  runtime::SetTemporaryJournal(fs.Absolute(kTemporaryJournal));
  std::vector<std::string> removed = runtime::SweepJournalledTemporaries(fs);
  for (const char* folder : {"data", "download"})
    for (std::string& path : runtime::SweepTemporaries(fs, folder)) removed.push_back(std::move(path));
  for (const std::string& name : fs.ListFolder("data").value_or(std::vector<std::string>{})) {
    const std::string path = "data/" + name;
    if (name.rfind("conf.txt.tmp", 0) == 0 && fs.Kind(path) == runtime::kFile && fs.DeleteFile(path))
      removed.push_back(path);
  }
  for (std::string& path :
       SweepPartialDownloads(fs, "download", runtime::Clk().UnixSeconds(), kPartialMaxAgeSeconds))
    removed.push_back(std::move(path));
  for (const std::string& path : removed) LogLine("Leftover removed <" + path + ">");
}

// Copies the embedded catalogue line by line, each line ended with CR LF.
void WriteEnglishCatalogue() {
  std::optional<std::string> source = runtime::Fs().ReadFile(kEnglishCatalogue);
  std::string bytes;
  if (source) bytes = runtime::WriteLines(runtime::ReadLines(*source));
  runtime::Fs().WriteFile(kEnglishLangFile, bytes);
}

bool ToolchainFound() {
  return runtime::Fs().Kind(TARNPATH + "\\bin\\tnc.exe") == runtime::kFile;
}

}  // namespace

// Without its file the table would stay
// empty, leaving every caption blank and every menu item a separator, so the
// English texts are taken instead.
bool LoadTexts() {
  LoadLocale();
  if (runtime::Fs().Kind("lang/" + LANGUAGE + ".lang") == runtime::kFile) return true;
  const int english = FindInList("english", languageList);
  if (english < 0) return false;
  LogLine("No language file for <" + LANGUAGE + "> - English texts used");
  const std::string configured = LANGUAGE;
  LANGUAGE = languageList[english];
  LoadLocale();
  LANGUAGE = configured;
  return false;
}

void SetUpFolders() {
  runtime::FileSystem& fs = runtime::Fs();
  fs.CreateFolder("lang");
  fs.CreateFolder("data");
  fs.CreateFolder("download");
  if (languageList.empty()) {
    WriteEnglishCatalogue();
    fs.DeleteFile(kConfigFile);
    languageList = ListFiles("lang", ".lang");
  }
}

void CheckToolchainFolder() {
  if (!TARNPATH.empty()) return;
  AskPath(kAskTarnicPath);
  // Anything at the place (file or folder) is accepted on the first look;
  // after that only a file.
  if (runtime::Fs().Kind(TARNPATH + "\\bin\\tnc.exe") == runtime::kNone) {
    while (true) {
      if (tk::Confirm(messages[86], true)) {
        AskPath(kAskSvnPath);
        AskPath(kAskTarnicPath);
        break;
      }
      AskPath(kAskTarnicPath);
      if (ToolchainFound()) break;
    }
  }
  LogLine("Tarnic Path: <" + TARNPATH + ">");
}

void CheckWinrarFolder() {
  if (!WINRAR.empty()) return;
  if (runtime::Fs().Kind(WINRAR + "\\unrar.exe") == runtime::kNone) {
    tk::Notify("Please check your path for WinRAR!", true);
    AskPath(kAskWinrarPath);
  }
  LogLine("WinRar Path : " + WINRAR);
}

void StartUp() {
  // 1. The resources are linked into the program and need no registration.
  // 2, 3. The message table, and the language files there are.
  ResetMessages();
  languageList = ListFiles("lang", ".lang");
  // 4.
  programFilesFolder = runtime::GetEnv("PROGRAMFILES");
  programList.clear();
  packageList.clear();
  // 5-8.
  SetUpFolders();
  OpenLog("");
  SweepLeftovers();
  // A package a killed run left half installed is put back as it was.
  RecoverInterruptedInstall();
  LoadConfig();
  const bool textsLoaded = LoadTexts();
  // Before anything is fetched: the keys decide what may be stored.
  trust::LoadTrustedKeys(trustKeyFiles);
  // 9. The catalogue server publishes Windows packages whatever runs them.
  platformWin32 = 1;
  osName = runtime::SystemName();
  // 10, 11.
  CheckVersion();
  RefreshLanguages(0);
  // 12. The configured language stays when its file is there: the refresh
  // above loaded its catalogue, and it is saved as it was.  Without its file
  // the texts are English (LoadTexts), and so become the catalogue and the
  // saved choice.
  if (FindInList(LANGUAGE, languageList) < 0) {
    const int english = FindInList("english", languageList);
    if (english >= 0) {
      LANGUAGE = languageList[english];
      LoadProgramList();
    } else {
      LogLine("No English language file in lang - LANGUAGE stays <" + LANGUAGE + ">");
    }
  } else if (!textsLoaded) {
    // The refresh has just fetched the configured language's file.
    LoadLocale();
  }
  // The menu marks the language in use, wherever the refresh put it in the list.
  languageIndex = FindInList(LANGUAGE, languageList);
  // 13, 14.
  tk::SetAppTitle(ApplicationTitle());
  BuildMainWindow();
  // 15, 16.
  CheckToolchainFolder();
  CheckWinrarFolder();
  // 17-19.
  mainApp->ShowTabber(0);
  StartLoopBookkeeping();
  tk::CreateTimer(kLoopTimerHz);
}

}  // namespace corvane
