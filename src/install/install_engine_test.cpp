#include "install/install_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "install/install_page.h"
#include "install/install_test_fixture.h"
#include "install/package_scan.h"
#include "runtime/clock.h"
#include "runtime/environment.h"
#include "runtime/power.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "support/zip_builder.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {
namespace {

using testing::WriteZip;

class InstallEngineTest : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    clock_.now = {2026, 12, 8, 14, 5, 9};
    runtime::SetClock(&clock_);
    runtime::SetPower(&power_);
    saved_registry_ = runtime::GetEnv("CORVANE_REGISTRY");
    runtime::SetEnv("CORVANE_REGISTRY", dir / "registry.txt");

    const std::pair<int, const char*> texts[] = {
        {45, "Install target"}, {68, "No path selected!"}, {69, "Delete skipped by protection enabled"},
        {81, "Installing..."},  {85, "You need to restart the PC. Please close all the applications."},
        {96, "Start install"},  {97, "Applications total"}, {98, "Install - finished"}};
    messages.assign(kMessageCount, "");
    for (auto [n, text] : texts) messages[n] = text;

    tk::Gadget* w = tk::CreateWindow("Corvane", 0, 0, 670, 510, nullptr, tk::kWindowTitleBar);
    packageChooser = CreateMultiButton(180, 40, 470, 200, w, "", "", "", "", 0);
    for (tk::Gadget** b : {&installButton, &installStopButton, &installBackButton, &installFinishButton,
                           &installSelectAllButton, &installDeselectAllButton})
      *b = tk::CreateButton("button", 0, 0, 100, 30, w, tk::kButtonPushLike);
    installProgress = tk::CreateProgressBar(180, 340, 470, 20, w);
    installOutput = tk::CreateTextArea(180, 285, 470, 50, w, tk::kTextWordWrap | tk::kTextReadOnly);
    installStopButton->Disable();

    target = dir / "T";
    std::filesystem::create_directories(target);
    TARNPATH = target;
    WINRAR = "";
    DISABLE_DELETE = 0;
  }

  void TearDown() override {
    programList.clear();
    packageList.clear();
    packageChooser = nullptr;
    installOutput = installProgress = installStopButton = installButton = nullptr;
    installBackButton = installFinishButton = installSelectAllButton = installDeselectAllButton = nullptr;
    packagesToInstall = 0;
    ResetConfig();
    messages.assign(kMessageCount, "");
    ResetWidgets();
    runtime::SetPower(nullptr);
    runtime::SetClock(nullptr);
    if (saved_registry_.empty()) runtime::UnsetEnv("CORVANE_REGISTRY");
    else runtime::SetEnv("CORVANE_REGISTRY", saved_registry_);
    InScratchFolder::TearDown();
  }

  // A catalogue record whose package file is download/<file>.
  ProgramPtr Add(const std::string& fullname, const std::string& file) {
    auto r = std::make_shared<tprogram>();
    r->fullname = fullname;
    r->url = "http://server/files/" + file;
    r->urls = {r->url};
    programList.push_back(r);
    return r;
  }
  // Lists the packages as the Install page does, every row ticked.
  void Scan() {
    ScanPackages();
    packagesToInstall = packageChooser->CountSelected();
  }
  std::vector<std::string> Output() const { return runtime::Split(installOutput->Text(), "\n"); }
  bool OutputHas(const std::string& line) const {
    for (const auto& l : Output())
      if (l == line) return true;
    return false;
  }
  int BoxesWith(const std::string& text) {
    int n = 0;
    for (const auto& b : ui().Boxes()) n += b.text == text;
    return n;
  }
  // An executable shell script standing in for an installer or a tool.
  void Script(const std::string& relative, const std::string& body, bool executable = true) {
    dir.Write(relative, "#!/bin/sh\n" + body + "\n");
    ::chmod((dir / relative).c_str(), executable ? 0755 : 0644);
  }
  void ExpectIdleControls() {
    for (tk::Gadget* g : {installButton, installBackButton, installFinishButton, installSelectAllButton,
                          installDeselectAllButton, installOutput})
      EXPECT_TRUE(g->Enabled());
    EXPECT_FALSE(installStopButton->Enabled());
    EXPECT_TRUE(packageChooser->array[0]->button->Enabled());
  }

  std::string target;
  runtime::FakeClock clock_;
  runtime::RecordingPower power_;
  std::string saved_registry_;
};

TEST_F(InstallEngineTest, ZipPackageWithEveryRule) {
  auto r = Add("Module X", "modx.zip");
  r->path = "/mod/x.mod";
  r->backup = "/bin/tnc.exe";
  r->copy = "/lib/#beta#/a.txt,/lib/#alpha#/a.txt";
  r->fDelete = "/old";
  ASSERT_TRUE(WriteZip(dir / "download/modx.zip", {{"x.mod", "module"}, {"doc/readme.txt", "doc"}}));
  Add("Plain", "plain.zip");  // no PATH: starts again from the target
  ASSERT_TRUE(WriteZip(dir / "download/plain.zip", {{"p.txt", "p"}}));
  dir.Write("T/bin/tnc.exe", "compiler");
  std::filesystem::create_directories(target + "/bin/backup");
  dir.Write("T/lib/beta2.mod/a.txt", "new a");
  dir.Write("T/lib/alpha.mod/a.txt", "old a");
  dir.Write("T/old/stale.txt", "stale");
  std::filesystem::create_directories(target + "/mod/x.mod");  // an earlier version
  Scan();
  packagesToInstall = 4;

  EXPECT_EQ(InstallPackages(), 0);

  const std::string dest = runtime::ReplaceAll(target + "/mod/x.mod", "/", "\\");
  EXPECT_EQ(dir.Read("T/mod/x.mod/modx/x.mod"), "module");
  EXPECT_EQ(dir.Read("T/mod/x.mod/modx/doc/readme.txt"), "doc");
  EXPECT_EQ(dir.Read("T/plain/p.txt"), "p");
  EXPECT_TRUE(std::filesystem::is_directory(target + "/mod/x.mod/backup"));
  EXPECT_EQ(dir.Read("T/bin/backup/tnc.exe"), "compiler");
  EXPECT_EQ(dir.Read("T/lib/alpha.mod/a.txt"), "new a");
  EXPECT_FALSE(dir.Exists("T/old"));

  std::vector<std::string> log = LogLines();
  auto at = std::find(log.begin(), log.end(), std::string(54, '-'));
  ASSERT_NE(at, log.end());
  EXPECT_EQ(std::vector<std::string>(at, at + 6),
            (std::vector<std::string>{std::string(54, '-'), "Default path: " + target, "TARNIC: " + target,
                                      std::string(54, '-'), "Start installing...",
                                      "Target : <" + target + ">"}));
  EXPECT_TRUE(Logged("Installing Module X"));
  EXPECT_TRUE(Logged(" Source : " + target + "/bin/tnc.exe"));
  EXPECT_TRUE(Logged("   Dest : " + target + "/bin/backup/tnc.exe"));
  EXPECT_TRUE(Logged("Backup= 1"));
  EXPECT_TRUE(Logged("Running ZIP file > " + dest));
  EXPECT_TRUE(Logged("Copy " + target + "/lib/beta2.mod/a.txt > " + target + "/lib/alpha.mod/a.txt is 1"));
  EXPECT_TRUE(Logged("DELETE <Module X> /old"));
  EXPECT_TRUE(Logged("Dest : " + target + "/old"));
  EXPECT_TRUE(Logged("Remove directory <" + target + "/old> 1"));
  EXPECT_TRUE(Logged("Installation completed."));

  std::vector<std::string> out = Output();
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + 3),
            (std::vector<std::string>{"Start install 14:05:09", "Applications total 4",
                                      "Install target = <" + target + ">"}));
  auto mod = std::find(out.begin(), out.end(), "Module X Installing...");
  ASSERT_LE(mod + 3, out.end());
  EXPECT_EQ(std::vector<std::string>(mod + 1, mod + 3), (std::vector<std::string>{"Backup of <Module X>", ""}));
  EXPECT_TRUE(OutputHas("Remove directory <" + target + "/old> 1"));
  EXPECT_TRUE(OutputHas("Install - finished 14:05:09"));
  EXPECT_DOUBLE_EQ(installProgress->Progress(), 0.75);  // (2 + 1) / 4
  ExpectIdleControls();
  EXPECT_TRUE(ui().Boxes().empty());
}

TEST_F(InstallEngineTest, ProtectedDeleteAndMissingPaths) {
  auto r = Add("P", "p.bat");
  r->fDelete = "/keep";
  auto q = Add("Q", "q.bat");
  q->fDelete = "/nothing/here";
  q->copy = "/no-comma.txt";
  dir.Write("download/p.bat", "");
  dir.Write("download/q.bat", "");
  dir.Write("T/keep/file.txt", "kept");
  dir.Write("T/no-comma.txt", "x");
  Scan();
  DISABLE_DELETE = 1;
  InstallPackages();
  EXPECT_EQ(dir.Read("T/keep/file.txt"), "kept");
  EXPECT_TRUE(Logged("DELETE <P> /keep"));
  EXPECT_TRUE(Logged("Delete skipped by protection enabled"));
  EXPECT_TRUE(OutputHas("Delete skipped by protection enabled"));

  ui().ClearBoxes();
  DISABLE_DELETE = 0;
  installOutput->SetText("");
  programList.erase(programList.begin());
  Scan();
  InstallPackages();
  EXPECT_TRUE(Logged("Dest : " + target + "/nothing/here"));
  EXPECT_FALSE(LogMentions("Remove file <" + target + "/nothing"));
  EXPECT_FALSE(LogMentions("Remove directory <" + target + "/nothing"));
  // Without a comma the copy would land on the target itself: refused.
  EXPECT_TRUE(LogMentions("Rule refused: COPY </no-comma.txt> of <Q>"));
  EXPECT_TRUE(std::filesystem::is_directory(target));
}

TEST_F(InstallEngineTest, ACancelledMessageBlocksOnlyThatPackage) {
  auto m = Add("MinGW Compiler", "mingw.zip");
  m->message = "Large download";
  m->path = "/mingw";
  Add("Other", "other.zip");
  ASSERT_TRUE(WriteZip(dir / "download/mingw.zip", {{"gcc", "gcc"}}));
  ASSERT_TRUE(WriteZip(dir / "download/other.zip", {{"o", "o"}}));
  std::filesystem::create_directories(dir / "data");
  Scan();
  ui().AnswerNext(false);  // the MESSAGE box
  ui().AnswerNext(true);   // the restart question
  InstallPackages();

  ASSERT_GE(ui().Boxes().size(), 2u);
  EXPECT_EQ(ui().Boxes()[0].text, "MinGW Compiler\n\nLarge download");
  EXPECT_TRUE(ui().Boxes()[0].serious);
  EXPECT_TRUE(Logged("Blocked!"));
  EXPECT_TRUE(OutputHas("Blocked by user!"));
  EXPECT_FALSE(dir.Exists("T/mingw"));
  EXPECT_EQ(dir.Read("T/other/o"), "o");
  EXPECT_DOUBLE_EQ(installProgress->Progress(), 1.0);

  // The MinGW package was reached, so the restart question follows; OK saves
  // the settings and asks for a forced restart.
  EXPECT_EQ(ui().Boxes().back().text, "You need to restart the PC. Please close all the applications.");
  EXPECT_TRUE(dir.Exists("data/conf.txt"));
  ASSERT_FALSE(power_.requests.empty());
  EXPECT_EQ(power_.requests.back().what, "exit");
  EXPECT_EQ(power_.requests.back().flags, 6u);

  // Declined, the question changes nothing.
  power_.requests.clear();
  std::filesystem::remove(dir / "data/conf.txt");
  ui().AnswerNext(false);
  ui().AnswerNext(false);
  InstallPackages();
  EXPECT_EQ(BoxesWith("You need to restart the PC. Please close all the applications."), 2);
  EXPECT_TRUE(power_.requests.empty());
  EXPECT_FALSE(dir.Exists("data/conf.txt"));
}

TEST_F(InstallEngineTest, AnInstallerRunsAndItsLinesAreJoined) {
  Add("Setup", "setup.exe");
  Script("download/setup.exe", "echo one\necho two\necho three", false);
  Scan();
  InstallPackages();
  EXPECT_TRUE(Logged("Cmd: <download/setup.exe>"));
  EXPECT_TRUE(Logged("onetwothree"));
  EXPECT_TRUE(OutputHas("   onetwothree"));
}

TEST_F(InstallEngineTest, StopWhileAnInstallerRunsEndsTheRun) {
  // Two installers that never end; whichever comes first is stopped and the
  // other never starts.
  for (const std::string n : {"a", "b"}) {
    Add("Forever " + n, n + ".exe");
    Script("download/" + n + ".exe", "touch started-" + n + "\nwhile :; do :; done");
  }
  Scan();
  bool clicked = false;
  ui().SetPumpCallback([&] {
    if (!clicked && (dir.Exists("started-a") || dir.Exists("started-b")))
      clicked = ui().Click(installStopButton);
  });
  InstallPackages();
  ui().SetPumpCallback(nullptr);

  EXPECT_TRUE(clicked);
  EXPECT_NE(dir.Exists("started-a"), dir.Exists("started-b"));
  EXPECT_NE(OutputHas("Forever a Installing..."), OutputHas("Forever b Installing..."));
  EXPECT_TRUE(OutputHas("Process blocked by user"));
  EXPECT_TRUE(Logged("Process blocked by user..."));
  EXPECT_DOUBLE_EQ(installProgress->Progress(), 0.0);
  EXPECT_TRUE(OutputHas("Install - finished 14:05:09"));
  EXPECT_TRUE(Logged("Installation completed."));
  EXPECT_EQ(BoxesWith("Stop!!"), 0);
  ExpectIdleControls();
}

TEST_F(InstallEngineTest, AStopTakenAtAPackageStartSkipsIt) {
  Add("First", "first.zip");
  ASSERT_TRUE(WriteZip(dir / "download/first.zip", {{"f", "f"}}));
  Scan();
  ui().SetPumpCallback([&] {
    if (installStopButton->Enabled() && tk::QueueLength() == 0 && BoxesWith("Stop!!") == 0)
      ui().Click(installStopButton);
  });
  InstallPackages();
  ui().SetPumpCallback(nullptr);
  EXPECT_EQ(BoxesWith("Stop!!"), 1);
  EXPECT_FALSE(OutputHas("First Installing..."));
  EXPECT_FALSE(dir.Exists("T/first"));
  EXPECT_DOUBLE_EQ(installProgress->Progress(), 0.0);
  EXPECT_TRUE(Logged("Installation completed."));
  ExpectIdleControls();
}

TEST_F(InstallEngineTest, RarGoesToUnrarWithTheFixedCommandLine) {
  auto r = Add("Rar pack", "pack.rar");
  r->path = "/rp";
  dir.Write("download/pack.rar", "rar bytes");
  Script("WinRAR/unrar.exe", "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + dir.path() +
                                 "/unrar-args\"; done\necho extracted\necho ok");
  WINRAR = dir / "WinRAR";
  Scan();
  InstallPackages();
  const std::string dest = runtime::ReplaceAll(target + "/rp", "/", "\\");
  EXPECT_TRUE(Logged("Cmd: <" + WINRAR + "\\unrar.exe x download\\pack.rar " + dest + "\\ -o+ -r -y>"));
  EXPECT_EQ(dir.Read("unrar-args"), "x\ndownload\\pack.rar\n" + dest + "\\\n-o+\n-r\n-y\n");
  EXPECT_TRUE(Logged("RAR : extractedok"));
  EXPECT_NE(installOutput->Text().find("   \nextractedok\n\n"), std::string::npos);

  // Without a WinRAR folder the package is passed over without a word.
  WINRAR = "";
  std::filesystem::remove(dir / "unrar-args");
  InstallPackages();
  EXPECT_FALSE(dir.Exists("unrar-args"));
  auto lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "RAR : extractedok"), 1);
}

TEST_F(InstallEngineTest, NoTickedRowOrNoTarget) {
  Add("A", "a.zip");
  ASSERT_TRUE(WriteZip(dir / "download/a.zip", {{"f", "f"}}));
  Scan();
  packageChooser->ChangeState(0);
  packagesToInstall = 0;
  InstallPackages();
  EXPECT_FALSE(dir.Exists("T/a"));
  EXPECT_TRUE(Logged("Start installing..."));
  EXPECT_TRUE(OutputHas("Applications total 0"));
  EXPECT_TRUE(OutputHas("Install - finished 14:05:09"));
  EXPECT_TRUE(Logged("Installation completed."));
  ExpectIdleControls();

  // An empty target stops before anything is touched.
  installOutput->SetText("earlier text");
  TARNPATH = "";
  InstallPackages();
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].text, "No path selected!");
  EXPECT_TRUE(Logged("No path <> exit"));
  EXPECT_EQ(installOutput->Text(), "earlier text");
  EXPECT_FALSE(installStopButton->Enabled());
}

TEST_F(InstallEngineTest, RulesLeavingTheTargetAreRefused) {
  dir.Write("outside/victim.txt", "precious");
  dir.Write("T2/sibling.txt", "precious");
  dir.Write("T/inside.txt", "in");
  ASSERT_TRUE(corvane::testing::MakeSymlink(dir / "outside", target + "/link"));

  const std::vector<std::pair<std::string, std::string>> deletes = {
      {"D1", "/.."}, {"D2", "/"}, {"D3", "/a/../.."}, {"D4", "/../T2"}, {"D5", "."}, {"D6", "/link/victim.txt"},
      {"D7", "2/sibling.txt"}, {"D8", ".."}, {"D9", "~"}};
  for (const auto& [name, rule] : deletes) {
    auto r = Add(name, name + ".bat");
    r->fDelete = rule;
    dir.Write("download/" + name + ".bat", "");
  }
  auto p = Add("P1", "p1.zip");
  p->path = "/../outside";
  ASSERT_TRUE(WriteZip(dir / "download/p1.zip", {{"planted.txt", "x"}}));
  auto c = Add("C1", "c1.bat");
  c->copy = "/inside.txt,/../outside/victim.txt";
  dir.Write("download/c1.bat", "");
  auto c2 = Add("C2", "c2.bat");
  c2->copy = "/../outside/victim.txt,/stolen.txt";
  dir.Write("download/c2.bat", "");
  auto c3 = Add("C3", "c3.bat");
  c3->copy = "/inside.txt,/#lin#/victim.txt";
  dir.Write("download/c3.bat", "");
  auto b = Add("B1", "b1.bat");
  b->backup = "/../outside/victim.txt";
  dir.Write("download/b1.bat", "");
  Scan();
  InstallPackages();

  EXPECT_EQ(dir.Read("outside/victim.txt"), "precious");
  EXPECT_EQ(dir.Read("T2/sibling.txt"), "precious");
  EXPECT_FALSE(dir.Exists("outside/p1"));
  EXPECT_FALSE(dir.Exists("backup"));
  EXPECT_FALSE(dir.Exists("outside/backup"));
  EXPECT_FALSE(dir.Exists("T/stolen.txt"));
  EXPECT_EQ(dir.Read("T/inside.txt"), "in");
  for (const auto& [name, rule] : deletes) {
    EXPECT_TRUE(LogMentions("Rule refused: DELETE <" + rule + "> of <" + name + ">")) << name;
    EXPECT_TRUE(OutputHas("Rule refused: DELETE <" + rule + "> of <" + name + "> " +
                          (name == "D6" ? "passes through the symbolic link <" + target + "/link>"
                                        : std::string("is outside the install target"))))
        << name;
  }
  EXPECT_TRUE(LogMentions("Rule refused: PATH </../outside> of <P1>"));
  EXPECT_TRUE(LogMentions("Rule refused: COPY </inside.txt,/../outside/victim.txt> of <C1>"));
  EXPECT_TRUE(LogMentions("Rule refused: COPY </../outside/victim.txt,/stolen.txt> of <C2>"));
  EXPECT_TRUE(LogMentions("Rule refused: COPY </inside.txt,/#lin#/victim.txt> of <C3>"));
  EXPECT_TRUE(LogMentions("Rule refused: BACKUP </../outside/victim.txt> of <B1>"));
  EXPECT_TRUE(Logged("Installation completed."));

  // A DELETE of the link removes the link, never what it points to.
  programList.clear();
  auto l = Add("L1", "l1.bat");
  l->fDelete = "/link";
  dir.Write("download/l1.bat", "");
  Scan();
  InstallPackages();
  EXPECT_EQ(dir.Read("outside/victim.txt"), "precious");
  EXPECT_FALSE(dir.Exists("T/link"));
  EXPECT_TRUE(Logged("Remove file <" + target + "/link> 1"));
  EXPECT_TRUE(Logged("Installation completed."));
}

// A PATH naming the target itself unpacks there, as a package without PATH
// does; a COPY whose two sides name one file leaves it whole.
TEST_F(InstallEngineTest, PathOfTheTargetItselfAndCopiesOntoThemselves) {
  const std::vector<std::pair<std::string, std::string>> paths = {{"R1", "/"}, {"R2", "/mod/.."}, {"R3", "\\"}};
  for (const auto& [name, rule] : paths) {
    Add(name, runtime::ToLower(name) + ".zip")->path = rule;
    ASSERT_TRUE(WriteZip(dir / ("download/" + runtime::ToLower(name) + ".zip"), {{"f.txt", name}}));
  }
  dir.Write("T/m/same.txt", "keep");
  const std::vector<std::string> copies = {"/m/same.txt,/m/same.txt", "/m/same.txt,/M/SAME.TXT",
                                           "/m/#none#/same.txt,/m/#other#/same.txt"};
  for (std::size_t i = 0; i < copies.size(); ++i) {
    Add("C" + std::to_string(i), "c.bat")->copy = copies[i];
    dir.Write("download/c.bat", "");
  }
  Scan();
  InstallPackages();
  for (const auto& [name, rule] : paths) {
    EXPECT_EQ(dir.Read("T/" + runtime::ToLower(name) + "/f.txt"), name) << rule;
    EXPECT_FALSE(LogMentions("Rule refused: PATH <" + rule + ">")) << rule;
  }
  EXPECT_EQ(dir.Read("T/m/same.txt"), "keep");
  EXPECT_FALSE(LogMentions(" is 1"));
}

}  // namespace
}  // namespace corvane
