#include "maintenance/mingw_setup.h"

#include "install/install_page.h"
#include "maintenance/setup_test_fixture.h"
#include "runtime/clock.h"
#include "maintenance/version_check.h"
#include "settings/messages.h"
#include "support/scripted_process.h"
#include "widgets/tapplication.h"

namespace corvane {
namespace {

using runtime::kHkeyCurrentUser;
using runtime::kHkeyLocalMachine;
using runtime::MakeTextValue;

const char* kEnvKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class AddToSystemPathTest : public SetupTest {};

TEST_F(AddToSystemPathTest, KeepsTypeAndEveryEntryOfAnExpandablePath) {
  PutValue(kHkeyLocalMachine, kEnvKey, "Path", MakeTextValue(runtime::kRegExpandSz, "%SystemRoot%\\system32;C:\\Tools"));
  AddToSystemPath("C:\\MinGW\\bin");
  EXPECT_EQ(GetValue(kHkeyLocalMachine, kEnvKey, "path"),
            MakeTextValue(runtime::kRegExpandSz, "%SystemRoot%\\system32;C:\\Tools;C:\\MinGW\\bin"));
  EXPECT_TRUE(Logged("Current Path: <%SystemRoot%\\system32;C:\\Tools>"));
  EXPECT_TRUE(Logged("Cmd: <reg.exe query \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\" "
                     "/v path>"));
}

TEST_F(AddToSystemPathTest, FolderAlreadyThereInAnotherCaseChangesNothing) {
  PutValue(kHkeyLocalMachine, kEnvKey, "Path", MakeTextValue(runtime::kRegSz, "C:\\Windows;C:\\MINGW\\BIN"));
  std::string before = dir.Read("registry.txt");
  AddToSystemPath("C:\\MinGW\\bin");
  EXPECT_TRUE(Logged("C:\\MinGW\\bin already presents."));
  EXPECT_FALSE(LogMentions("reg.exe add"));
  EXPECT_EQ(dir.Read("registry.txt"), before);
}

TEST_F(AddToSystemPathTest, NoPathValueYetGivesTheFolderAlone) {
  AddToSystemPath("/opt/MinGW\\bin");
  EXPECT_EQ(GetValue(kHkeyLocalMachine, kEnvKey, "PATH"), MakeTextValue(runtime::kRegSz, "/opt/MinGW\\bin"));
}

TEST_F(AddToSystemPathTest, StoppedQueryWritesNothing) {
  PutValue(kHkeyLocalMachine, kEnvKey, "Path", MakeTextValue(runtime::kRegSz, "C:\\Windows"));
  tk::Gadget* window = tk::CreateWindow("Install", 0, 0, 400, 300, nullptr, tk::kWindowTitleBar);
  installStopButton = tk::CreateButton("STOP!", 10, 10, 80, 24, window, tk::kButtonPush);
  ui().Click(installStopButton);
  tk::PollEvent();
  AddToSystemPath("C:\\MinGW\\bin");
  installStopButton = nullptr;
  EXPECT_EQ(GetValue(kHkeyLocalMachine, kEnvKey, "Path"), MakeTextValue(runtime::kRegSz, "C:\\Windows"));
  EXPECT_TRUE(Logged("PATH query stopped - PATH unchanged"));
}

// Lists the gcc version folders in the order a test wants.
class FixedListing : public runtime::FileSystemWrapper {
 public:
  FixedListing(runtime::FileSystem& real, std::string folder, std::vector<std::string> names)
      : FileSystemWrapper(real), folder_(std::move(folder)), names_(std::move(names)) {}
  std::optional<std::vector<std::string>> ListFolder(const std::string& p) override {
    if (t_.Resolve(p) == t_.Resolve(folder_)) return names_;
    return t_.ListFolder(p);
  }

 private:
  std::string folder_;
  std::vector<std::string> names_;
};

class RegisterMinGWTest : public SetupTest {
 protected:
  void TearDown() override {
    runtime::SetFs(nullptr);
    installOutput = nullptr;
    SetupTest::TearDown();
  }
};

TEST_F(RegisterMinGWTest, RegistersAFakeMinGWEndToEnd) {
  std::string mingw = dir / "MinGW";
  dir.Write("MinGW/bin/gcc", "tool");
  dir.Write("MinGW/libexec/gcc/mingw32/3.4.5/cc1.exe", "cc1 of 3.4.5");
  dir.Write("MinGW/libexec/gcc/mingw32/3.4.2/cc1.exe", "cc1 of 3.4.2");
  dir.Write("MinGW/libexec/gcc/mingw32/3.4.2/sub/collect2", "collect2 of 3.4.2");
  PutValue(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MinGW", "InstallLocation",
           MakeTextValue(runtime::kRegSz, mingw));
  PutValue(kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\svn.exe", "path",
           MakeTextValue(runtime::kRegSz, "C:\\svn"));
  PutValue(kHkeyLocalMachine, kEnvKey, "Path", MakeTextValue(runtime::kRegSz, "C:\\Windows"));
  tk::Gadget* window = tk::CreateWindow("Install", 0, 0, 400, 300, nullptr, tk::kWindowTitleBar);
  installOutput = tk::CreateTextArea(0, 0, 300, 200, window, tk::kTextReadOnly);
  auto real = runtime::MakeRealFileSystem();
  FixedListing listing(*real, mingw + "/libexec/gcc/mingw32", {"3.4.5", "3.4.2"});
  runtime::SetFs(&listing);

  RegisterMinGW();
  runtime::SetFs(nullptr);

  EXPECT_EQ(svnBinFolder, "C:\\svn\\bin");
  EXPECT_EQ(mingwFolder, mingw);
  EXPECT_EQ(GetValue(kHkeyLocalMachine, kEnvKey, "Path"),
            MakeTextValue(runtime::kRegSz, "C:\\Windows;" + mingw + "\\bin"));
  EXPECT_EQ(GetValue(kHkeyCurrentUser, "Environment", "MINGW"), MakeTextValue(runtime::kRegSz, mingw));
  EXPECT_EQ(dir.Read("MinGW/bin/cc1.exe"), "cc1 of 3.4.2");
  EXPECT_EQ(dir.Read("MinGW/bin/sub/collect2"), "collect2 of 3.4.2");
  EXPECT_EQ(installOutput->Text(), "Add MinGW to path...\nCopying Mingw folder...\nCopy folder <3.4.2>1\n");
  EXPECT_TRUE(Logged("Subverion installed : C:\\svn\\bin"));
  EXPECT_TRUE(Logged("Registrazione variabile MINGW - <" + mingw + ">"));
  EXPECT_TRUE(Logged("reg.exe add HKCU\\Environment /v MINGW /t reg_sz /d " + mingw +
                     " /f  ===The operation completed successfully."));
}

TEST_F(RegisterMinGWTest, WithoutTheMinGWEntryOnlyLogsNotFound) {
  PutValue(kHkeyLocalMachine, kEnvKey, "Path", MakeTextValue(runtime::kRegSz, "C:\\Windows"));
  std::string before = dir.Read("registry.txt");
  RegisterMinGW();
  EXPECT_TRUE(Logged("Subverion NOT installed - Failed"));
  EXPECT_TRUE(Logged("Mingw installation path - not found!"));
  EXPECT_FALSE(LogMentions("Cmd:"));
  EXPECT_EQ(dir.Read("registry.txt"), before);

  // An entry without a location is no better: "\bin" must not reach the PATH.
  PutValue(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MinGW", "Other",
           runtime::MakeDwordValue(1));
  RegisterMinGW();
  EXPECT_FALSE(LogMentions("Cmd:"));
  EXPECT_EQ(mingwFolder, "");
}

class VersionReportTest : public SetupTest {};

TEST_F(VersionReportTest, HeaderVersionReadsTheIncludeFolderBesideBin) {
  dir.Write("MinGW/include/_mingw.h", "/* x */\r\n#define __MINGW32_VERSION 3.14\r\n#define __MINGW32_VERSION 9\r\n");
  dir.Write("MinGW/include/w32api.h", "  #define __W32API_VERSION 3.11\n");
  EXPECT_EQ(HeaderVersion(dir / "MinGW\\bin\\", "#define __MINGW32_VERSION ", "_mingw.h"), "3.14");
  EXPECT_EQ(HeaderVersion(dir / "MinGW\\bin\\", "#define __W32API_VERSION ", "w32api.h"), "3.11");
  EXPECT_EQ(HeaderVersion(dir / "MinGW\\bin\\", "#define NOTHING ", "w32api.h"), "");
  EXPECT_EQ(HeaderVersion(dir / "Nowhere\\bin\\", "#define X ", "_mingw.h"), "_mingw.h Not found.");
}

TEST_F(VersionReportTest, ToolOutputFirstLineOrEverything) {
  std::string tool = Tool("ver", "printf '  GNU ld 2.17\\r\\nsecond\\r\\n'");
  EXPECT_EQ(ToolOutput(tool, -1), "GNU ld 2.17");
  EXPECT_EQ(ToolOutput(tool, 0), "  GNU ld 2.17\r\nsecond\r\n");
  EXPECT_EQ(ToolOutput(Tool("bare", "printf 'no line end'"), -1), "no line end");
  EXPECT_EQ(ToolOutput("no-such-tool-at-all -v", -1), "");
}

TEST_F(VersionReportTest, ToolThatNeverEndsIsStoppedAtTheLimit) {
  // The limit runs on the program's clock; each look at the tool moves it on 10 ms.
  runtime::FakeClock clock;
  runtime::SetClock(&clock);
  auto script = std::make_shared<testing::ToolScript>();
  script->pipe = "partial\n";
  script->on_running = [&clock](testing::ToolScript&) { clock.ms += 10; };
  testing::ScriptedTools tools(script);
  SetToolOutputLimit(20);
  std::string output = ToolOutput("svn info http://unreachable", 0);
  runtime::SetClock(nullptr);
  EXPECT_EQ(output, "partial\n");
  EXPECT_TRUE(script->terminated);
  EXPECT_TRUE(LogMentions("Tool still running after"));
}

TEST_F(VersionReportTest, WithoutSvnPathOnlyTheLocalLinesAreFilled) {
  dir.Write("MinGW/include/_mingw.h", "#define __MINGW32_VERSION 3.14\n");
  Tool("MinGW/bin/ld", "echo \"GNU ld version 2.17\"");
  Tool("MinGW/bin/gcc", "echo 'gcc.exe (GCC) 3.4.5'; echo 'Copyright'");
  Tool("Tarnic/bin/fasm.exe", "echo 'flat assembler  version 1.67'");
  Tool("Tarnic/bin/tnc.exe", "echo 'Tarnic compiler 2.1'; echo 'usage: tnc file'");
  Tool("svnbin/svn", "touch \"" + (dir / "svn-ran") + "\"");
  runtime::SetEnv("PATH", (dir / "svnbin") + ":" + runtime::GetEnv("PATH"));
  runtime::SetEnv("MINGW", dir / "MinGW");
  TARNPATH = dir / "Tarnic";

  std::vector<std::string> lines = VersionReportLines();
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], "MinGW    = \t3.14");
  EXPECT_EQ(lines[1], "Win32Api = \tw32api.h Not found.");
  EXPECT_EQ(lines[2], "GNU ld version 2.17");
  EXPECT_EQ(lines[3], "gcc.exe (GCC) 3.4.5");
  EXPECT_EQ(lines[4], "");  // no windres
  EXPECT_EQ(lines[6], "flat assembler  version 1.67");
  EXPECT_EQ(lines[7], " ");
  EXPECT_EQ(lines[8], "Tarnic compiler 2.1usage: tnc file");
  for (int i = 9; i < 30; ++i) EXPECT_EQ(lines[i], "") << "line " << i;
  EXPECT_FALSE(dir.Exists("svn-ran"));
}

TEST_F(VersionReportTest, WithSvnPathAsksLocalAndRemoteCheckouts) {
  Tool("svnbin/svn", "echo \"$*\" >> \"" + (dir / "svn-calls") + "\"; echo \"Revision: 42\"");
  runtime::SetEnv("PATH", (dir / "svnbin") + ":" + runtime::GetEnv("PATH"));
  SVNPATH = dir / "checkout";
  dir.Write("checkout/README", "x");

  std::vector<std::string> lines = VersionReportLines();
  EXPECT_EQ(lines[10], "Tarnic (SubVersion)");
  EXPECT_EQ(lines[12], "Revision: 42\n");
  for (int i : {13, 14, 15, 16, 20, 21}) EXPECT_EQ(lines[i], "") << "line " << i;  // no Orbel
  EXPECT_EQ(lines[17], "Tarnic (SVN remote server)");
  EXPECT_EQ(lines[19], "Revision: 42\n");
  EXPECT_EQ(dir.Read("svn-calls"), "info " + SVNPATH + "\ninfo " + SubversionServer() + "/svn/tarnic\n");
  EXPECT_EQ(SubversionServer(), std::string("http://") + CORVANE_SVN_HOST + ":81");
  EXPECT_TRUE(Logged("Controlla versione remota..."));

  dir.Write("checkout/mod/orbel.mod/x", "x");
  lines = VersionReportLines();
  EXPECT_EQ(lines[13], "Orbel");
  EXPECT_EQ(lines[20], "Orbel (SVN remote server)");
  EXPECT_EQ(lines[21], "Revision: 42\n");
}

TEST_F(VersionReportTest, ShowVersionInfoShowsTheReportOverTheMainWindow) {
  messages[35] = "Show version info";
  mainApp = tapplication::Create("Corvane", -1, -1, 670, 510, 525);
  std::string shown, title;
  ui().SetIdleCallback([&] {
    for (tk::Gadget* g : tk::AllGadgets()) {
      if (g->freed() || g->kind() != tk::Kind::TextArea) continue;
      shown = g->Text();
      title = g->parent()->Text();
      for (tk::Gadget* b : g->parent()->children())
        if (b->kind() == tk::Kind::Button) ui().Click(b);
    }
  });
  ShowVersionInfo();
  ui().SetIdleCallback(nullptr);
  EXPECT_EQ(title, "Show version info");
  EXPECT_EQ(shown, "MinGW    = \t_mingw.h Not found.\nWin32Api = \tw32api.h Not found.\n \n");
  EXPECT_EQ(mainApp->window->StatusText(),
            "Corvane v. " + programVersion + " - the Corvane developers - (" + runtime::SystemName() + ") ");
  EXPECT_EQ(mainApp->status, 1);  // resumed
  messages[35].clear();
  ResetWidgets();
}

}  // namespace
}  // namespace corvane
