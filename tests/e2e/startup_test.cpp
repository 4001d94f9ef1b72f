// Start-up of the whole application: the first run in an empty folder, the
// configured language, and the toolchain folder question.
#include "e2e/app_harness.h"

#include <cstdio>

#include "app/main_menus.h"
#include "app/start_page.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

TEST(StartUp, FirstRunWritesEnglishAndFreshConfigurationAndAsksBothFolders) {
  AppHarness app;
  app.ServeStandardFiles({});  // the server names no language file: the embedded one must do
  app.ServeCatalogue("english", app.Catalogue(Programs(12)));
  app.home.Write("data/conf.txt", "LANGUAGE=DEUTSCH\r\nAUTOUPDATE=FALSE\r\n");  // stale, deleted
  app.home.Write("tools/tarnic/bin/tnc.exe", "x");
  app.ui->AnswerFolder(app.home / "tools/tarnic");
  app.ui->AnswerFolder(app.home / "tools/winrar");
  app.Start();

  EXPECT_EQ(app.home.Read("lang/english.lang"),
            runtime::WriteLines(runtime::ReadLines(EmbeddedEnglish())));
  EXPECT_TRUE(app.LogHas("Loading configuration - creating new file"));
  std::vector<std::string> expected = {
      "LANGUAGE=ENGLISH", "AUTOUPDATE=TRUE", "URLUPDATE=" + app.server.Root() + "/download",
      "AUTOEXECUTE=TRUE", "WINRAR=" + (app.home / "tools/winrar"),
      "TARNPATH=" + (app.home / "tools/tarnic"), "SVNPATH=", "DEFAULT_INSTALL=0",
      "DISABLE_DELETE=1", "APPVERSION=.99"};
  EXPECT_EQ(app.ConfigLines(), expected);

  // Both folder checks ran, with their log lines.
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Folder, messages[60]), 1);
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Notify, "Please check your path for WinRAR!"), 1);
  EXPECT_TRUE(app.LogHas("Tarnic Path: <" + (app.home / "tools/tarnic") + ">"));
  EXPECT_TRUE(app.LogHas("WinRar Path : " + (app.home / "tools/winrar")));

  // The Start page shows the catalogue with every row ticked.
  EXPECT_EQ(mainApp->_show_tabber, 0);
  ASSERT_EQ(programChooser->CountItems(), 12);
  EXPECT_EQ(startHeading->Text(), messages[54] + "12/12");
  EXPECT_EQ(messages[54], "Select programs to download ");

  ASSERT_TRUE(app.ui->Click(programChooser->array[3]->button));
  app.Turn();
  EXPECT_EQ(startHeading->Text(), messages[54] + " (11/12)");
}

// The language's file already at home, or fetched by the first start.
class ConfiguredLanguage : public ::testing::TestWithParam<bool> {};

TEST_P(ConfiguredLanguage, IsKeptForTextsCatalogueAndSaving) {
  AppHarness app;
  const std::string italian = "20::Archivio\r\n39::Esci\r\n53::Vai al download>\r\n";
  app.ServeStandardFiles({"english.lang", "italiano.lang"});
  app.server.Serve("/download/corvane/italiano.lang", italian);
  app.ServeCatalogue("english", app.Catalogue(Programs(2)));
  app.ServeCatalogue("italiano", app.Catalogue({{"UNO", "Programma Uno", {"/files/uno.zip"}}}));
  app.PrepareHome("ITALIANO");
  if (GetParam()) app.home.Write("lang/italiano.lang", italian);
  app.Start();

  EXPECT_EQ(goToDownloadButton->Text(), "Vai al download>");
  EXPECT_EQ(LANGUAGE, "ITALIANO");
  ASSERT_EQ(languageItems.size(), 2u);
  EXPECT_TRUE(languageItems[1]->Checked());
  EXPECT_FALSE(languageItems[0]->Checked());
  // The catalogue is Italian, and stays so when it is reloaded.
  app.ui->Click(updateListButton);
  app.Turn();
  ASSERT_EQ(programChooser->CountItems(), 1);
  EXPECT_EQ(programChooser->array[0]->button->Text(), "Programma Uno");

  ASSERT_TRUE(app.ui->ChooseMenu(app.Window(), 1999));  // Exit, then OK
  app.Turn();
  EXPECT_FALSE(mainApp->Running());
  EXPECT_EQ(app.ConfigLines().at(0), "LANGUAGE=ITALIANO");
}

INSTANTIATE_TEST_SUITE_P(StartUp, ConfiguredLanguage, ::testing::Bool());

TEST(StartUp, ConfiguredLanguageWithoutItsFileGivesWayToEnglishEverywhere) {
  AppHarness app;
  app.ServeStandardFiles();
  app.ServeCatalogue("english", app.Catalogue(Programs(2)));
  app.ServeCatalogue("italiano", app.Catalogue({{"UNO", "Programma Uno", {"/files/uno.zip"}}}));
  app.PrepareHome("ITALIANO");
  app.Start();
  EXPECT_EQ(LANGUAGE, "ENGLISH");
  EXPECT_TRUE(languageItems.at(0)->Checked());
  ASSERT_EQ(programChooser->CountItems(), 2);
  EXPECT_EQ(programChooser->array[0]->button->Text(), "Program 01");
}

TEST(StartUp, WithoutEnglishFileTheConfiguredLanguageWithItsFileIsKept) {
  AppHarness app;
  app.ServeStandardFiles({});
  app.PrepareHome("DEUTSCH");
  std::remove((app.home / "lang/english.lang").c_str());  // only a German file is there
  app.home.Write("lang/deutsch.lang", "53::Weiter zum Download>\r\n");
  app.Start();
  EXPECT_EQ(LANGUAGE, "DEUTSCH");
  EXPECT_EQ(goToDownloadButton->Text(), "Weiter zum Download>");
}

TEST(StartUp, ToolchainQuestionRepeatsUntilAFolderWithTheCompilerIsChosen) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome();
  app.WriteConfig("ENGLISH", "FALSE", app.home / "winrar", "");
  app.home.Write("empty/readme.txt", "no compiler here");
  app.home.Write("good/BIN/TNC.EXE", "x");  // letter case does not matter
  app.ui->AnswerFolder(app.home / "empty");
  app.ui->AnswerNext(false);  // "Select Tarnic please": Cancel
  app.ui->AnswerFolder(app.home / "empty");
  app.ui->AnswerNext(false);
  app.ui->AnswerFolder(app.home / "good");
  app.Start();

  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Confirm, messages[86]), 2);
  for (const tk::ShownBox& box : app.ui->Boxes()) {
    if (box.kind == tk::BoxKind::Confirm) EXPECT_TRUE(box.serious);
  }
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Folder, messages[60]), 3);
  EXPECT_EQ(TARNPATH, app.home / "good");
  EXPECT_TRUE(app.LogHas("Tarnic Path: <" + (app.home / "good") + ">"));
  EXPECT_EQ(app.ui->PendingAnswers(), 0u);
}

TEST(StartUp, OkOnTheToolchainQuestionAsksForTheSvnFolderAndLeaves) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome();
  app.WriteConfig("ENGLISH", "FALSE", app.home / "winrar", "");
  app.ui->AnswerFolder(app.home / "none");
  app.ui->AnswerNext(true);
  app.ui->AnswerFolder(app.home / "svn");
  app.ui->AnswerFolder(app.home / "still-none");
  app.Start();
  EXPECT_EQ(SVNPATH, app.home / "svn");
  EXPECT_EQ(TARNPATH, app.home / "still-none");
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Folder, messages[87]), 1);
}

// The leftovers of a killed run go at the next start: our temporaries where
// the journal says we were writing and in our own folders, an older
// version's, a part without its note; a user's files, whatever their names,
// and a part that can be resumed stay.
TEST(StartUp, LeftoversOfAKilledRunAreSweptAndLogged) {
  AppHarness app;
  app.ServeStandardFiles();
  app.ServeCatalogue("english", app.Catalogue(Programs(1)));
  app.PrepareHome();
  const std::vector<std::string> ours = {"tarnic/mod/.corvane-a1b2c3d4.tmp", "download/.corvane-00000000.tmp",
                                         "download/pkg.zip.part", "data/conf.txt.tmp4711_0",
                                         "download/gone.zip.part.note"};
  // A part with its note is resumed by the next download of its file.
  const std::vector<std::string> users = {"tarnic/mod/keep.txt.corvane-part", "tarnic/.corvane-a1b2c3d4.tmp",
                                          "tarnic/mod/notes.part", "download/.corvane-a1b2c3d4.tmp.zip",
                                          "download/half.zip.part", "download/half.zip.part.note"};
  for (const auto& f : ours) app.home.Write(f, "left");
  for (const auto& f : users) app.home.Write(f, "user's");
  app.home.Write("data/temporaries.txt", app.home / "tarnic/mod\r\n" + app.home / "gone\r\n");
  app.Start();
  for (const auto& f : ours) {
    EXPECT_FALSE(app.home.Exists(f)) << f;
    EXPECT_TRUE(app.LogHas("Leftover removed <") && app.LogHas(f + ">")) << f;
  }
  for (const auto& f : users) EXPECT_EQ(app.home.Read(f), "user's") << f;
}

}  // namespace
}  // namespace corvane::testing
