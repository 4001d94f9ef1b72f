// Installed state as the window shows it: after "Install now!" the Start
// page marks the program installed and the Install page says its package
// would replace that version; the "Installed programs" dialog lists it and
// "Remove" takes the Tarnic folder back to what it was, keeping (and naming)
// a file the user changed since.
#include "e2e/app_harness.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/installed_dialog.h"
#include "app/main_menus.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "install/installed_marks.h"
#include "install/installed_state.h"
#include "settings/config.h"
#include "support/zip_builder.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

// Every file below folder with its bytes, by relative path.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    std::ostringstream bytes;
    if (entry.is_regular_file()) bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    files[std::filesystem::relative(entry.path(), folder).generic_string()] =
        entry.is_directory() ? "<folder>" : bytes.str();
  }
  return files;
}

class InstalledTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_registry_ = runtime::GetEnv("CORVANE_REGISTRY");
    runtime::SetEnv("CORVANE_REGISTRY", app.home / "registry.txt");
    app.ServeStandardFiles();
    app.ServeCatalogue("english", "[ALPHA]\r\nNAME=Alpha tools\r\nURL=" + app.server.Url("/p/alpha.zip") +
                                      "\r\nDESC=Sprites\r\n[/]\r\n[BETA]\r\nNAME=Beta library\r\nURL=" +
                                      app.server.Url("/p/beta.zip") + "\r\nDESC=Lists\r\nBACKUP=/tarnic.ini\r\n[/]\r\n");
    app.PrepareHome();
    app.home.Write("tarnic/tarnic.ini", "[tarnic]\r\n");
    ASSERT_TRUE(WriteZip(app.home / "download/alpha.zip", {{"alpha.tn", "a"}, {"gfx/sprite.tn", "s"}}));
    ASSERT_TRUE(WriteZip(app.home / "download/beta.zip", {{"lib/beta.tn", "b"}, {"README.txt", "r"}}));
    before_ = Tree(app.home / "tarnic");
    app.Start();
  }
  void TearDown() override {
    if (saved_registry_.empty()) runtime::UnsetEnv("CORVANE_REGISTRY");
    else runtime::SetEnv("CORVANE_REGISTRY", saved_registry_);
  }
  std::string StartLabel(int row) const { return programChooser->array[std::size_t(row)]->label->Text(); }
  std::string InstallText(int row) const { return packageChooser->array[std::size_t(row)]->button->Text(); }

  AppHarness app;
  std::map<std::string, std::string> before_;
  std::string saved_registry_;
};

TEST_F(InstalledTest, InstallMarksTheRowsAndRemoveTakesTheFolderBack) {
  ASSERT_EQ(programChooser->CountItems(), 2);
  EXPECT_EQ(StartLabel(0), "Sprites");
  app.ui->SelectTab(mainApp->tabber, 2);
  app.Turn();
  ASSERT_EQ(packageChooser->CountItems(), 2);
  EXPECT_EQ(InstallText(1), "Beta library");
  app.ui->Click(installButton);
  app.Turn();

  const std::vector<InstalledPackage> installed = ListInstalled(TARNPATH);
  ASSERT_EQ(installed.size(), 2u);
  const std::string day = InstalledDay(installed[0].date);
  EXPECT_EQ(StartLabel(0), "installed " + day + " - Sprites");
  EXPECT_EQ(InstallText(1), "Beta library - replaces the version of " + day);

  // The user edits one of Beta's files, then removes both programs.
  app.home.Write("tarnic/beta/lib/beta.tn", "edited");
  std::vector<std::string> rows;
  std::string output;
  int step = 0;
  app.ui->SetIdleCallback([&] {
    InstalledDialogGadgets& d = installedDialog;
    if (!d.window || step == 3) return;
    if (step == 0) {
      for (int i = 0; i < d.list->CountItems(); ++i) {
        rows.push_back(d.list->array[std::size_t(i)]->button->Text() + " | " +
                       d.list->array[std::size_t(i)]->label->Text());
        app.ui->Click(d.list->array[std::size_t(i)]->button);
      }
      app.ui->AnswerNext(false);  // the first question is answered no: nothing goes
    }
    if (step++ < 2) {
      app.ui->Click(d.removeButton);
      return;
    }
    output = d.output->Text();
    rows.push_back(d.heading->Text());
    app.ui->Click(d.closeButton);
  });
  ASSERT_TRUE(app.ui->ChooseMenu(app.Window(), kTagInstalled));
  app.Turn();
  app.ui->SetIdleCallback(nullptr);

  EXPECT_EQ(rows, (std::vector<std::string>{"Alpha tools | ALPHA - installed " + day,
                                            "Beta library | BETA - installed " + day, "Installed programs (0)"}));
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Confirm,
                            "Remove these programs from the Tarnic folder?\n\nAlpha tools\nBeta library"),
            2);
  EXPECT_NE(output.find("\n  Kept, changed since its install: beta/lib/beta.tn\n"), std::string::npos) << output;
  EXPECT_EQ(installedDialog.window, nullptr);
  EXPECT_EQ(mainApp->status, 1);  // the main window is back
  EXPECT_EQ(StartLabel(0), "Sprites");
  EXPECT_EQ(InstallText(1), "Beta library");

  // Everything but the edited file (and the folders holding it) is as before.
  std::map<std::string, std::string> expected = before_;
  expected["beta"] = expected["beta/lib"] = "<folder>";
  expected["beta/lib/beta.tn"] = "edited";
  EXPECT_EQ(Tree(app.home / "tarnic"), expected);
}

}  // namespace
}  // namespace corvane::testing
