// The wizard pages as a user meets them: the window's layout, the details of
// the highlighted program, the Download page's readiness and the page
// buttons, the green rows of programs already downloaded.
#include "e2e/app_harness.h"

#include "app/after_event.h"
#include "app/download_page.h"
#include "app/install_page_view.h"
#include "app/main_menus.h"
#include "app/page_preparation.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "settings/messages.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

class PagesTest : public ::testing::Test {
 protected:
  void StartWith(const std::vector<TestProgram>& programs) {
    app.ServeStandardFiles();
    app.ServeCatalogue("english", app.Catalogue(programs));
    app.PrepareHome();
    app.Start();
  }
  AppHarness app;
};

bool Placed(tk::Gadget* g, int x, int y, int w, int h) {
  return g && g->X() == x && g->Y() == y && g->Width() == w && g->Height() == h;
}

TEST_F(PagesTest, WindowMenusAndPagesAreBuiltWhereTheyBelong) {
  StartWith(Programs(3));
  EXPECT_EQ(app.Window()->Text(), "Corvane 1.33");
  EXPECT_EQ(tk::AppTitle(), "Corvane 1.33");
  const std::string status = app.Window()->StatusText();
  EXPECT_EQ(status.rfind("Corvane v. 1.33 - ", 0), 0u) << status;
  EXPECT_NE(status.find("(" + runtime::SystemName() + ")"), std::string::npos) << status;
  EXPECT_NE(status.find("win32"), std::string::npos) << status;
  EXPECT_EQ(closeMessage, "Close application?");

  // File menu items in order, separators included.
  std::vector<std::string> texts;
  for (tk::Gadget* item : fileMenu->children()) texts.push_back(item->Text());
  std::vector<std::string> expected = {"Update from server", "", "Reload", "Installed programs", "Info",
                                       "Show version info", "", "Change paths",
                                       "Show program folder", "Options", "", "Exit"};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(changePathsMenu->children().size(), 3u);
  EXPECT_EQ(tarnicPathItem->Text(), "Tarnic: \t" + (app.home / "tarnic"));
  EXPECT_FALSE(updateAtStartItem->Checked());  // AUTOUPDATE FALSE
  EXPECT_TRUE(disableDeleteItem->Checked());   // DISABLE_DELETE 1
  ASSERT_EQ(languageItems.size(), 1u);
  EXPECT_EQ(languageItems[0]->Text(), "ENGLISH");
  EXPECT_EQ(languageItems[0]->Tag(), 2001);
  EXPECT_TRUE(languageItems[0]->Checked());

  ASSERT_EQ(mainApp->tabber->Items().size(), 3u);
  EXPECT_EQ(mainApp->tabber->Items()[1].text, "2.Download");

  EXPECT_TRUE(Placed(logoPanel, 10, 10, 150, 300));
  EXPECT_NE(logoPanel->GetPicture(), nullptr);
  EXPECT_TRUE(Placed(goToDownloadButton, 550, 370, 100, 35));
  EXPECT_TRUE(Placed(startHeading, 180, 10, 470, 20));
  EXPECT_EQ(startHeading->style(), 18);
  EXPECT_TRUE(Placed(webLink, 180, 350, 470, 20));
  EXPECT_TRUE(Placed(downloadStopButton, 350, 370, 100, 35));
  EXPECT_FALSE(downloadStopButton->Enabled());
  EXPECT_TRUE(Placed(urlLabel, 180, 220, 470, 20));
  EXPECT_EQ(urlLabel->style(), 2);
  EXPECT_NE(downloadPicturePanel->GetPicture(), nullptr);
  EXPECT_TRUE(Placed(installOutput, 180, 285, 470, 50));
  EXPECT_FALSE(installStopButton->Enabled());
  EXPECT_NE(installPicturePanel->GetPicture(), nullptr);
  // Each page's gadgets sit on their own page panel.
  EXPECT_EQ(goToDownloadButton->parent(), mainApp->_tab[0]);
  EXPECT_EQ(downloadButton->parent(), mainApp->_tab[1]);
  EXPECT_EQ(installButton->parent(), mainApp->_tab[2]);
}

TEST_F(PagesTest, HighlightedRowShowsItsProgramsDetails) {
  std::vector<TestProgram> programs = Programs(3);
  programs[2].author = "Carla";
  programs[2].license = "BSD";
  programs[2].web = "http://example.org/three";
  app.home.Write("lang/PROG03.ENGLISH.txt", "Long text of three");
  StartWith(programs);
  ASSERT_TRUE(app.ui->Leave(programChooser->array[2]->panel));
  app.Turn();
  EXPECT_EQ(authorLabel->Text(), "Author: Carla");
  EXPECT_EQ(licenceLabel->Text(), "License: BSD");
  EXPECT_EQ(webLink->Text(), "http://example.org/three");
  EXPECT_EQ(webLink->Url(), "http://example.org/three");
  EXPECT_EQ(descriptionArea->Text(), "Long text of three");

  // A row beyond the list (after a refill with fewer rows) shows nothing new
  // but is remembered.
  programChooser->current_selected = 7;
  authorLabel->SetText("unchanged");
  app.Turn();
  EXPECT_EQ(authorLabel->Text(), "unchanged");
  EXPECT_EQ(loopState.lastCurrentRow, 7);
}

TEST_F(PagesTest, DownloadPageWithNothingTickedRefusesToStart) {
  StartWith(Programs(3));
  app.ui->Click(startDeselectAllButton);
  app.Turn();
  app.ui->Click(goToDownloadButton);
  app.Turn();
  EXPECT_EQ(mainApp->_show_tabber, 1);
  EXPECT_EQ(downloadStatusLabel->Text(), "No file to download.");
  EXPECT_EQ(downloadStatusLabel->TextColor(), (tk::Rgb{255, 0, 0}));
  EXPECT_FALSE(downloadButton->Enabled());

  app.ui->Click(downloadBackButton);
  app.Turn();
  app.ui->Click(programChooser->array[1]->button);
  app.Turn();
  app.ui->Click(goToDownloadButton);
  app.Turn();
  EXPECT_EQ(downloadStatusLabel->Text(), "File to download 1");
  EXPECT_EQ(downloadStatusLabel->TextColor(), (tk::Rgb{0, 0, 255}));
  EXPECT_TRUE(downloadButton->Enabled());
  ASSERT_EQ(downloadQueue.size(), 1u);
  EXPECT_EQ(downloadQueue[0]->fullname, "Program 02");
}

TEST_F(PagesTest, DownloadedProgramsAreGreenAndUntickedAndNamelessRecordsShiftNothing) {
  std::vector<TestProgram> programs = Programs(3);
  programs.insert(programs.begin(), TestProgram{"ANON", "", {"/files/anon.zip"}});
  app.home.Write("download/prog02.zip", "already here");
  StartWith(programs);
  // The nameless record sorts first and gets no row.
  ASSERT_EQ(programChooser->CountItems(), 3);
  EXPECT_EQ(programChooser->GetItemStatus(0), 1);
  EXPECT_EQ(programChooser->GetItemStatus(1), 0);
  EXPECT_EQ(programChooser->GetItemStatus(2), 1);
  EXPECT_EQ(programChooser->array[1]->button->Text(), "Program 02");
  EXPECT_EQ(programChooser->array[1]->panel->BackColor(), (tk::Rgb{90, 210, 90}));
  EXPECT_EQ(programChooser->array[1]->bcolor, (std::array<int, 3>{50, 200, 50}));
  EXPECT_EQ(programChooser->array[0]->panel->BackColor(), (tk::Rgb{188, 188, 188}));

  // The queue holds exactly the ticked rows' programs.
  app.ui->Click(goToDownloadButton);
  app.Turn();
  ASSERT_EQ(downloadQueue.size(), 2u);
  EXPECT_EQ(downloadQueue[0]->fullname, "Program 01");
  EXPECT_EQ(downloadQueue[1]->fullname, "Program 03");
}

TEST_F(PagesTest, PageButtonsMoveBetweenPagesAndTheInstallPageIsPrepared) {
  StartWith(Programs(2));
  app.home.Write("download/prog01.zip", "zip");
  installOutput->SetText("left over");
  app.ui->Click(goToDownloadButton);
  app.Turn();
  app.ui->Click(goToInstallButton);
  app.Turn();
  EXPECT_EQ(mainApp->_show_tabber, 2);
  EXPECT_EQ(installOutput->Text(), "");
  ASSERT_EQ(packageChooser->CountItems(), 1);
  EXPECT_EQ(installHeading->Text(), "Files to install 1");
  EXPECT_TRUE(installButton->Enabled());
  EXPECT_EQ(packagesToInstall, 1);
  app.Turn();  // the selection counter takes over the heading
  EXPECT_EQ(installHeading->Text(), "Choose programs to install (1/1)");

  app.ui->Click(installDeselectAllButton);
  app.Turn();
  EXPECT_EQ(installHeading->Text(), "Choose programs to install (0/1)");
  EXPECT_EQ(packagesToInstall, 0);

  app.ui->Click(installBackButton);
  app.Turn();
  EXPECT_EQ(mainApp->_show_tabber, 1);
  // A tab click shows the page; it is prepared at the next event.
  app.ui->SelectTab(mainApp->tabber, 2);
  app.Turn();
  EXPECT_EQ(mainApp->_show_tabber, 2);
  EXPECT_EQ(packageChooser->CountSelected(), 1);  // a fresh scan ticks every row
}

TEST_F(PagesTest, PackageAlreadyInPathIsUntickedAndReported) {
  std::vector<TestProgram> programs = {{"TOOLX", "ToolX", {"/files/toolx.zip"}}};
  StartWith(programs);
  app.home.Write("download/toolx.zip", "zip");
  const std::string saved_path = runtime::GetEnv("PATH");
  runtime::SetEnv("PATH", saved_path + runtime::PathListSeparator() + "/opt/toolx/bin");
  app.ui->SelectTab(mainApp->tabber, 2);
  app.Turn();
  runtime::SetEnv("PATH", saved_path);
  EXPECT_EQ(packageChooser->GetItemStatus(0), 0);
  EXPECT_NE(installOutput->Text().find("ToolX Already installed - skipped"), std::string::npos);
  EXPECT_EQ(installHeading->Text(), "No file to install.");
  EXPECT_EQ(installHeading->TextColor(), (tk::Rgb{255, 0, 0}));
  EXPECT_FALSE(installButton->Enabled());
}

}  // namespace
}  // namespace corvane::testing
