// The Options toggles, the path items, and the ways the program closes,
// including whole runs through the entry point.
#include "e2e/app_harness.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_menus.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace corvane::testing {
namespace {

TEST(Options, UpdateAtStartChangesOnlyItsTwoKnownValuesAndSavesWhenItDoes) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome("ENGLISH", "true");
  app.Start();
  const std::string before = app.home.Read("data/conf.txt");
  app.ui->ChooseMenu(app.Window(), 1100);
  app.Turn();
  EXPECT_EQ(AUTOUPDATE, "true");
  EXPECT_EQ(app.home.Read("data/conf.txt"), before);

  AUTOUPDATE = "TRUE";
  app.ui->ChooseMenu(app.Window(), 1100);
  app.Turn();
  EXPECT_EQ(AUTOUPDATE, "FALSE");
  EXPECT_FALSE(updateAtStartItem->Checked());
  EXPECT_EQ(app.ConfigLines().at(1), "AUTOUPDATE=FALSE");
  app.ui->ChooseMenu(app.Window(), 1100);
  app.Turn();
  EXPECT_TRUE(updateAtStartItem->Checked());
  EXPECT_EQ(app.ConfigLines().at(1), "AUTOUPDATE=TRUE");

  app.ui->ChooseMenu(app.Window(), 1101);
  app.Turn();
  EXPECT_EQ(DISABLE_DELETE, 0);
  EXPECT_FALSE(disableDeleteItem->Checked());
  EXPECT_EQ(app.ConfigLines().at(8), "DISABLE_DELETE=0");
}

TEST(Options, CancelledFolderRequesterEmptiesAndSavesTheSetting) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome();
  app.Start();
  app.ui->AnswerFolder("");
  app.ui->ChooseMenu(app.Window(), 1004);
  app.Turn();
  EXPECT_EQ(TARNPATH, "");
  EXPECT_EQ(app.ConfigLines().at(5), "TARNPATH=");
  EXPECT_EQ(tarnicPathItem->Text(), "   Tarnic: \t");
  EXPECT_EQ(winrarPathItem->Text(), "     WinRar: \t" + (app.home / "winrar"));
  EXPECT_EQ(svnPathItem->Text(), "SVN install: \t");
  EXPECT_TRUE(app.LogHas("Tarnic path: <>"));
  EXPECT_TRUE(app.LogHas("SVN inst path: <>"));

  // The SVN folder requester starts at the toolchain folder; with SVNPATH
  // empty the install target follows TARNPATH.
  TARNPATH = app.home / "tarnic";
  installTarget = "elsewhere";
  app.ui->AnswerFolder("");
  app.ui->ChooseMenu(app.Window(), 1006);
  app.Turn();
  EXPECT_EQ(app.ui->Boxes().back().start, app.home / "tarnic");
  EXPECT_EQ(installTarget, app.home / "tarnic");
}

TEST(Closing, ExitThenCancelKeepsRunningWithTheConfigurationSaved) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome("ITALIANO");  // but no Italian file: the English texts stand in
  app.Start();
  EXPECT_TRUE(app.LogHas("No language file for <ITALIANO> - English texts used"));
  app.ui->AnswerNext(false);
  ASSERT_TRUE(app.ui->ChooseMenu(app.Window(), 1999));
  app.Turn();
  EXPECT_TRUE(mainApp->Running());
  EXPECT_EQ(app.ui->Boxes().back().text, "Close application?");
  EXPECT_EQ(app.ConfigLines().at(0), "LANGUAGE=ENGLISH");
}

// Whole runs through the entry point, with a headless backend handed out by
// the factory.
std::unique_ptr<tk::HeadlessBackend> next_backend;
std::unique_ptr<tk::Backend> HandOutBackend(std::string* error) {
  if (!next_backend) {
    *error = "cannot open display :99: set DISPLAY or run under Xvfb";
    return nullptr;
  }
  return std::move(next_backend);
}

int RunMain(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"corvane"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  return app::Main(int(argv.size()), argv.data(), &HandOutBackend);
}

TEST(Closing, CloseBoxWithOkSavesNothingAndLogsTheEnd) {
  AppHarness app;  // serves the catalogue; Main brings its own backend
  app.ServeStandardFiles();
  app.PrepareHome("ITALIANO");
  const std::string before = app.home.Read("data/conf.txt");
  next_backend = std::make_unique<tk::HeadlessBackend>();
  tk::HeadlessBackend* ui = next_backend.get();
  int idle = 0;
  ui->SetIdleCallback([&] {
    if (++idle == 3) ui->CloseWindow(mainApp->window);  // answered with the default: OK
  });
  runtime::SetEnv("CORVANE_SERVER", app.server.Root());
  const int code = RunMain({"--home", app.home.path()});
  runtime::UnsetEnv("CORVANE_SERVER");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(mainApp, nullptr);  // nothing left behind
  EXPECT_EQ(app.home.Read("data/conf.txt"), before);

  std::string log_bytes;
  for (const auto& entry : std::filesystem::directory_iterator(app.home / "dati")) {
    std::ifstream in(entry.path(), std::ios::binary);
    log_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> lines = runtime::ReadLines(log_bytes);
  ASSERT_GE(lines.size(), 5u);
  const std::string dashes(31, '-');
  EXPECT_EQ(lines[lines.size() - 1].substr(8), " : " + dashes);
  EXPECT_NE(lines[lines.size() - 2].find(" End of Program"), std::string::npos);
  EXPECT_EQ(lines[lines.size() - 3].substr(8), " : " + dashes);
  // The server given by the environment was the one asked.
  EXPECT_FALSE(app.server.RequestLines().empty());
}

TEST(Closing, ServerOptionWinsOverTheEnvironment) {
  AppHarness app;
  app.ServeStandardFiles();
  app.PrepareHome();
  next_backend = std::make_unique<tk::HeadlessBackend>();
  tk::HeadlessBackend* ui = next_backend.get();
  ui->SetIdleCallback([&] { ui->CloseWindow(mainApp->window); });
  runtime::SetEnv("CORVANE_SERVER", "http://127.0.0.1:1");
  EXPECT_EQ(RunMain({"--server", app.server.Root(), "--home=" + app.home.path()}), 0);
  runtime::UnsetEnv("CORVANE_SERVER");
  EXPECT_FALSE(app.server.RequestLines().empty());
}

TEST(Entry, WithoutADisplayNothingIsTouchedAndTheReasonIsGiven) {
  TempDir scratch;
  next_backend.reset();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunMain({"--home", scratch / "home"}), 1);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot open display :99: set DISPLAY or run under Xvfb"), std::string::npos);
  EXPECT_FALSE(scratch.Exists("home"));
}

TEST(Entry, HelpVersionAndABadOption) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunMain({"--version"}), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Corvane 1.33\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunMain({"--help"}), 0);
  const std::string help = ::testing::internal::GetCapturedStdout();
  for (const char* option : {"--server", "--home", "--help", "--version"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunMain({"--colour", "blue"}), 2);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("unknown option --colour"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
