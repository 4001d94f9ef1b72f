// The File menu's commands and the buttons that end or fill a page, run in
// the whole program: "Update from server", "Reload", "Info", the WinRAR path,
// "Show program folder", "Show version info", the Install page's "Finish" and
// the Start page's "Select all".
#include "e2e/app_harness.h"

#include <algorithm>

#include "app/download_page.h"
#include "app/install_page_view.h"
#include "app/main_menus.h"
#include "app/shell_state.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "support/scripted_process.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

// The newest live window with this title, and its first child of a kind.
tk::Gadget* Window(const std::string& title) {
  const auto& all = tk::AllGadgets();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->kind() == tk::Kind::Window && !(*it)->freed() && (*it)->Text() == title) return *it;
  return nullptr;
}
tk::Gadget* Child(tk::Gadget* window, tk::Kind kind) {
  if (!window) return nullptr;
  for (tk::Gadget* g : window->children())
    if (g->kind() == kind && !g->freed()) return g;
  return nullptr;
}

class MenuCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.ServeStandardFiles({"english.lang", "italiano.lang"});
    app.server.Serve("/download/corvane/italiano.lang", "50::1.Inizio\r\n");
    app.ServeCatalogue("english", app.Catalogue(Programs(2)));
    app.ServeCatalogue("italiano", app.Catalogue(Programs(2)));
    for (const char* file : {"prog01.english.txt", "prog02.english.txt", "prog01.italiano.txt",
                             "prog02.italiano.txt"})
      app.server.Serve(std::string("/download/corvane/") + file, "About this program");
  }
  void Start() {
    app.PrepareHome();
    app.Start();
    ASSERT_EQ(programChooser->CountItems(), 2);
  }
  void Menu(int tag) {
    ASSERT_TRUE(app.ui->ChooseMenu(app.Window(), tag));
    app.Turn();
  }
  void Click(tk::Gadget* button) {
    ASSERT_TRUE(app.ui->Click(button));
    app.Turn();
  }
  int Requests(const std::string& line) const {
    auto lines = app.server.RequestLines();
    return int(std::count(lines.begin(), lines.end(), line));
  }
  // While the program waits in a dialog's loop, checks it and presses its OK.
  void AnswerDialog(const std::string& title, std::string* text, bool* paused) {
    app.ui->SetIdleCallback([this, title, text, paused] {
      tk::Gadget* box = Window(title);
      if (!box) return;
      if (tk::Gadget* area = Child(box, tk::Kind::TextArea)) *text = area->Text();
      *paused = mainApp->status == 2 && !app.Window()->Enabled();
      app.ui->Click(Child(box, tk::Kind::Button));
    });
  }
  AppHarness app;
};

TEST_F(MenuCommandsTest, UpdateFromServerRefreshesEverythingAndFetchesInfoTwiceWithUpdateAtStart) {
  Start();
  const std::string info = "GET /download/corvane/prog01.italiano.txt HTTP/1.0";
  const std::string version = "GET /download/corvane/version.txt HTTP/1.0";
  ASSERT_EQ(Requests(info), 0);  // AUTOUPDATE is FALSE: no info at start-up
  Click(programChooser->array[0]->button);
  const int versions = Requests(version);
  Menu(1001);
  EXPECT_GT(Requests(version), versions);
  const int once = Requests(info);  // what one info download asks
  EXPECT_GT(once, 0);
  ASSERT_EQ(languageItems.size(), 2u);
  EXPECT_TRUE(languageItems[0]->Checked());
  EXPECT_EQ(programChooser->CountSelected(), 2);  // refilled: every row ticked again
  EXPECT_TRUE(app.home.Exists("Lang/prog01.italiano.txt") || app.home.Exists("lang/prog01.italiano.txt"));
  // The info download disables the window while it runs; what was disabled
  // on purpose before stays so.
  EXPECT_FALSE(downloadStopButton->Enabled());
  EXPECT_FALSE(installStopButton->Enabled());
  EXPECT_TRUE(goToDownloadButton->Enabled());
  EXPECT_TRUE(mainApp->Running());

  Menu(1100);  // Update at start: on
  ASSERT_EQ(AUTOUPDATE, "TRUE");
  Menu(1001);
  EXPECT_EQ(Requests(info), once + 2 * once) << "with AUTOUPDATE TRUE the menu's refresh fetches the info twice";
}

TEST_F(MenuCommandsTest, ReloadRereadsTheLocalListWithoutAskingTheServer) {
  Start();
  const std::string list = "GET /download/corvane/win32.app.english.txt HTTP/1.0";
  const int fetched = Requests(list);
  app.home.Write("data/win32.app.english.txt", app.Catalogue(Programs(3)));
  Click(programChooser->array[1]->button);
  Menu(1002);
  ASSERT_EQ(programChooser->CountItems(), 3);
  EXPECT_EQ(programChooser->CountSelected(), 3);
  EXPECT_EQ(programChooser->array[2]->button->Text(), "Program 03");
  EXPECT_EQ(Requests(list), fetched);
  EXPECT_EQ(startHeading->Text(), messages[54] + " (3/3)");
}

TEST_F(MenuCommandsTest, InfoAndVersionInfoShowTheirReportsOverThePausedWindow) {
  Start();
  std::string text;
  bool paused = false;
  AnswerDialog("Info", &text, &paused);
  Menu(1003);
  EXPECT_TRUE(paused);
  EXPECT_EQ(text.rfind("Corvane - version 1.33\n", 0), 0u) << text;
  EXPECT_EQ(Window("Info"), nullptr);
  EXPECT_TRUE(mainApp->Running());
  EXPECT_TRUE(app.Window()->Enabled());
  EXPECT_FALSE(downloadStopButton->Enabled());

  // Every tool of the report answers at once without output.
  auto script = std::make_shared<ToolScript>();
  script->ended = true;
  ScriptedTools tools(script);
  text.clear();
  paused = false;
  AnswerDialog(messages[35], &text, &paused);
  Menu(1015);
  EXPECT_TRUE(paused);
  EXPECT_NE(text.find("MinGW    = \t_mingw.h Not found.\n"), std::string::npos) << text;
  EXPECT_GT(script->starts, 0);
  EXPECT_EQ(Window(messages[35]), nullptr);
  EXPECT_TRUE(mainApp->Running());
  EXPECT_TRUE(app.Window()->Enabled());
  EXPECT_EQ(app.Window()->StatusText().rfind("Corvane v. 1.33", 0), 0u);
}

TEST_F(MenuCommandsTest, WinrarPathAndProgramFolderItems) {
  Start();
  const std::string rar = app.home / "other-rar";
  app.ui->AnswerFolder(rar);
  Menu(1005);
  const tk::ShownBox& box = app.ui->Boxes().back();
  EXPECT_EQ(box.kind, tk::BoxKind::Folder);
  EXPECT_EQ(box.text, messages[61]);
  EXPECT_EQ(box.start, programFilesFolder + "/Winrar");
  EXPECT_EQ(WINRAR, rar);
  EXPECT_EQ(app.ConfigLines().at(4), "WINRAR=" + rar);
  EXPECT_EQ(winrarPathItem->Text(), "     WinRar: \t" + rar);
  EXPECT_EQ(tarnicPathItem->Text(), "   Tarnic: \t" + (app.home / "tarnic"));
  EXPECT_TRUE(app.LogHas("  WinRar path: <" + rar + ">"));

  Menu(1010);
  ASSERT_FALSE(app.ui->Opened().empty());
  EXPECT_EQ(app.ui->Opened().back(), runtime::Fs().CurrentFolder() + "/download");
}

TEST_F(MenuCommandsTest, StartSelectAllTicksEveryRowAndFinishSavesThenAsksToClose) {
  app.home.Write("download/prog02.zip", "fetched before");  // its row comes unticked
  Start();
  ASSERT_EQ(programChooser->CountSelected(), 1);
  Click(startSelectAllButton);
  EXPECT_EQ(programChooser->CountSelected(), 2);
  EXPECT_EQ(startHeading->Text(), messages[54] + " (2/2)");
  Click(startDeselectAllButton);
  EXPECT_EQ(startHeading->Text(), messages[54] + " (0/2)");

  Click(goToDownloadButton);
  Click(goToInstallButton);
  AUTOUPDATE = "TRUE";  // changed in memory only
  app.ui->AnswerNext(false);
  Click(installFinishButton);
  EXPECT_EQ(app.ConfigLines().at(1), "AUTOUPDATE=TRUE");
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Proceed, "Close application?"), 1);
  EXPECT_TRUE(mainApp->Running()) << "No keeps the program open";
  Click(installFinishButton);  // the default answer: yes
  EXPECT_FALSE(mainApp->Running());
  EXPECT_EQ(mainApp->status, -1);
}

}  // namespace
}  // namespace corvane::testing
