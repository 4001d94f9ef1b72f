// Switching the language from the Language menu while the program runs.
#include "e2e/app_harness.h"

#include <cstdio>

#include "app/download_page.h"
#include "app/install_page_view.h"
#include "app/languages.h"
#include "app/main_menus.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

const char kItalian[] =
    "20::Archivio\r\n50::1.Inizio\r\n53::Vai al download>\r\n54::Seleziona i programmi da scaricare\r\n"
    "62::Scarica ora!\r\n70::Scegli i programmi da installare\r\n"
    "92::Nessun file da installare.\r\n99::Chiudere il programma?\r\n";

class LanguageSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.ServeStandardFiles({"english.lang", "italiano.lang"});
    app.server.Serve("/download/corvane/italiano.lang", kItalian);
    app.ServeCatalogue("english", app.Catalogue(Programs(2)));
    app.ServeCatalogue("italiano", app.Catalogue({{"UNO", "Programma Uno", {"/files/uno.zip"}}}));
    app.PrepareHome();
    app.Start();
    ASSERT_EQ(languageList, (std::vector<std::string>{"ENGLISH", "ITALIANO"}));
  }
  void Choose(int tag) {
    ASSERT_TRUE(app.ui->ChooseMenu(app.Window(), tag));
    app.Turn();
  }
  AppHarness app;
};

TEST_F(LanguageSwitchTest, TextsCatalogueAndCheckMarkFollowTheChosenLanguage) {
  Choose(2002);
  EXPECT_EQ(LANGUAGE, "ITALIANO");
  EXPECT_EQ(goToDownloadButton->Text(), "Vai al download>");
  EXPECT_EQ(downloadButton->Text(), "Scarica ora!");
  EXPECT_EQ(downloadStopButton->Text(), "STOP!");  // shares "62" but is registered second
  EXPECT_EQ(fileMenu->Text(), "Archivio");
  EXPECT_EQ(closeMessage, "Chiudere il programma?");
  EXPECT_EQ(mainApp->tabber->Items()[0].text, "1.Inizio");
  EXPECT_EQ(mainApp->tabber->Items()[1].text, "2.Download");  // not in the file: kept
  EXPECT_EQ(goToInstallButton->Text(), "Go to install");     // likewise
  ASSERT_EQ(programChooser->CountItems(), 1);
  EXPECT_EQ(programChooser->array[0]->button->Text(), "Programma Uno");
  EXPECT_FALSE(languageItems[0]->Checked());
  EXPECT_TRUE(languageItems[1]->Checked());
  // The switch is not saved by itself.
  EXPECT_EQ(app.ConfigLines().at(0), "LANGUAGE=ENGLISH");

  // A rebuilt menu keeps the mark on the chosen language.
  BuildLanguageMenu();
  ASSERT_EQ(languageItems.size(), 2u);
  EXPECT_TRUE(languageItems[1]->Checked());
  EXPECT_FALSE(languageItems[0]->Checked());
}

TEST_F(LanguageSwitchTest, BothHeadingsKeepTheirCountsInTheNewLanguage) {
  // One of two rows ticked; the Italian catalogue's one row comes ticked: the
  // count does not change, the heading's text does.
  ASSERT_TRUE(app.ui->Click(programChooser->array[0]->button));
  app.Turn();
  Choose(2002);
  EXPECT_EQ(startHeading->Text(), "Seleziona i programmi da scaricare (1/1)");
  EXPECT_EQ(installHeading->Text(), "Scegli i programmi da installare (0/0)");
}

TEST_F(LanguageSwitchTest, TagsOutsideTheListAreIgnored) {
  for (int tag : {2000, 2003, 2100}) {
    tk::EmitEvent(tk::MakeEvent(tk::kMenuAction, nullptr, tag));
    app.Turn();
  }
  SelectLanguage(-5);
  EXPECT_EQ(LANGUAGE, "ENGLISH");
  EXPECT_EQ(goToDownloadButton->Text(), "Go to download>");
  EXPECT_TRUE(languageItems[0]->Checked());
  EXPECT_FALSE(languageItems[1]->Checked());
}

TEST_F(LanguageSwitchTest, OnTheInstallPageTheOutputIsEmptiedAndThePagePreparedAgain) {
  app.ui->SelectTab(mainApp->tabber, 2);
  app.Turn();
  ASSERT_EQ(mainApp->_show_tabber, 2);
  installOutput->SetText("from an earlier installation\n");
  installHeading->SetText("stale");
  Choose(2002);
  EXPECT_EQ(installOutput->Text(), "");
  EXPECT_EQ(installHeading->Text(), "Nessun file da installare.");
  EXPECT_FALSE(installButton->Enabled());
}

TEST_F(LanguageSwitchTest, RememberedPositionOutsideTheRebuiltListChecksTheCurrentLanguage) {
  std::remove((app.home / "lang/italiano.lang").c_str());
  lastFoundIndex = 1;
  BuildLanguageMenu();
  ASSERT_EQ(languageItems.size(), 1u);
  EXPECT_TRUE(languageItems[0]->Checked());  // LANGUAGE is ENGLISH
  EXPECT_TRUE(app.LogHas("Lingue # 1"));

  LANGUAGE = "KLINGON";
  BuildLanguageMenu();
  EXPECT_FALSE(languageItems[0]->Checked());
}

TEST_F(LanguageSwitchTest, LanguageListLinesThatAreNotLanguageFileNamesAreRefused) {
  app.server.Serve("/download/corvane/languages.txt", "\r\n../data/conf.lang\r\n<!DOCTYPE HTML>\r\nenglish.lang\r\n");
  app.server.Serve("/download/data/conf.lang", "1::overwritten");
  const std::string before = app.home.Read("data/conf.txt");
  RefreshLanguages(0);
  EXPECT_TRUE(app.LogHas("Language <../data/conf.lang> refused: not a language file name"));
  EXPECT_TRUE(app.LogHas("Language <<!DOCTYPE HTML>> refused: not a language file name"));
  EXPECT_TRUE(app.LogHas("Language <english.lang> 1"));
  EXPECT_FALSE(app.home.Exists("data/conf.lang"));
  EXPECT_EQ(app.home.Read("data/conf.txt"), before);
  EXPECT_EQ(LANGUAGE, "ENGLISH");
}

}  // namespace
}  // namespace corvane::testing
