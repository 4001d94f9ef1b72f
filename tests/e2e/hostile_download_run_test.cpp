// The whole download run of the window against a bad day: a server that
// stalls in the middle of a body, one that redirects in a circle, and a disk
// that is full.  The run must keep the window served, never put a partial
// file where an older copy stood, give up or retry by its rules, and carry on
// once the trouble is over.
#include "e2e/app_harness.h"

#include "app/download_page.h"
#include "app/download_run.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "runtime/file_system.h"
#include "support/web_server.h"

namespace corvane::testing {
namespace {

std::string Bytes(int n, char c) { return std::string(std::size_t(n), c); }

class HostileDownloadRunTest : public ::testing::Test {
 protected:
  void StartAndOpenDownloadPage(const std::vector<TestProgram>& programs) {
    app.ServeStandardFiles();
    app.ServeCatalogue("english", app.Catalogue(programs));
    app.PrepareHome();
    app.Start();
    app.ui->Click(goToDownloadButton);
    app.Turn();
    ASSERT_TRUE(downloadButton->Enabled());
    // After the start-up: its catalogue must not race this bound on a slow machine.
    HttpLimits limits = GetHttpLimits();
    limits.read_idle_ms = 60;  // a stalled body costs milliseconds here
    limits.message_interval_ms = 0;
    SetHttpLimits(limits);
  }
  // Turns of the main loop until the run ends (or max_turns).
  int RunToEnd(int max_turns) {
    int turns = 0;
    while (downloading && turns < max_turns) {
      app.Turn();
      ++turns;
    }
    return turns;
  }
  AppHarness app;
};

TEST_F(HostileDownloadRunTest, StalledBodiesAndRedirectLoopsNeitherHangTheRunNorReplaceOlderCopies) {
  const std::string fresh = Bytes(2000, 'n');
  app.server.On("HEAD", "/files/alpha.zip", HeadReply(2000));
  // The first two answers stall halfway through the body; the third is whole.
  for (int i = 0; i < 2; ++i)
    app.server.On("GET", "/files/alpha.zip",
                  Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 2000\r\n\r\n" + Bytes(1000, 'n')).Hang());
  app.server.On("GET", "/files/alpha.zip", OkReply(fresh));
  app.server.On("HEAD", "/files/beta.zip", RedirectReply(app.server.Url("/loop/beta.zip")));
  app.server.On("HEAD", "/loop/beta.zip", RedirectReply(app.server.Url("/files/beta.zip")));
  app.server.Serve("/files/gamma.zip", Bytes(700, 'g'));
  StartAndOpenDownloadPage({{"A", "Alpha", {"/files/alpha.zip"}},
                            {"B", "Beta", {"/files/beta.zip"}},
                            {"G", "Gamma", {"/files/gamma.zip"}}});
  app.home.Write("download/alpha.zip", "the older, complete alpha");

  app.ui->ResetPumpStats();
  app.ui->Click(downloadButton);
  app.Turn(2);  // two stalled transfers: silently tried again
  EXPECT_TRUE(downloading);
  EXPECT_EQ(downloadIndex, 1);
  EXPECT_EQ(app.home.Read("download/alpha.zip"), "the older, complete alpha");
  EXPECT_FALSE(app.home.HasTemporaries("download"));

  EXPECT_LE(RunToEnd(20), 20);
  EXPECT_FALSE(downloading);
  EXPECT_EQ(downloadStatusLabel->Text(), "All files downloaded!");
  EXPECT_EQ(app.home.Read("download/alpha.zip"), fresh);
  EXPECT_FALSE(app.home.Exists("download/beta.zip"));
  EXPECT_EQ(app.home.Read("download/gamma.zip"), Bytes(700, 'g'));
  EXPECT_TRUE(app.LogHas("Tried 3 times! No way...."));  // the redirect loop, given up
  EXPECT_LT(app.ui->LongestPumpGapRealMs(), 200) << "the window went unserved during the run";
}

// Refuses every write below a "download" folder while full: a disk that has
// run out of space, for the downloads only (the log still gets written).
class FullDownloadDisk : public runtime::FileSystemWrapper {
 public:
  explicit FullDownloadDisk(runtime::FileSystem& real) : FileSystemWrapper(real) {}
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string& path) override {
    auto inner = t_.OpenWrite(path);
    if (!inner || !full || path.find("download/") == std::string::npos) return inner;
    return std::make_unique<Refusing>(std::move(inner));
  }
  bool full = true;

 private:
  class Refusing : public runtime::WriteStream {
   public:
    explicit Refusing(std::unique_ptr<runtime::WriteStream> inner) : inner_(std::move(inner)) {}
    bool Write(const void*, std::size_t) override { return false; }
    bool Close() override {
      inner_->Close();
      return false;
    }

   private:
    std::unique_ptr<runtime::WriteStream> inner_;
  };
};

TEST_F(HostileDownloadRunTest, AFullDiskFailsEachTransferCleanlyAndTheRunGoesOnOnceThereIsRoom) {
  app.server.Serve("/files/alpha.zip", Bytes(5000, 'a'));
  StartAndOpenDownloadPage({{"A", "Alpha", {"/files/alpha.zip"}}});
  app.home.Write("download/alpha.zip", "the older, complete alpha");

  FullDownloadDisk disk(runtime::Fs());
  runtime::SetFs(&disk);
  app.ui->Click(downloadButton);
  app.Turn(3);
  EXPECT_TRUE(downloading);  // still trying, window alive
  EXPECT_EQ(app.home.Read("download/alpha.zip"), "the older, complete alpha");
  EXPECT_FALSE(app.home.HasTemporaries("download"));
  EXPECT_TRUE(app.LogHas("Download failed - cannot write <"));

  disk.full = false;  // room again
  RunToEnd(5);
  runtime::SetFs(nullptr);
  EXPECT_FALSE(downloading);
  EXPECT_EQ(downloadStatusLabel->Text(), "All files downloaded!");
  EXPECT_EQ(app.home.Read("download/alpha.zip"), Bytes(5000, 'a'));
}

TEST_F(HostileDownloadRunTest, APackageARealWebServerLacksIsGivenUpAndNeverStored) {
  app.home.Write("site/files/beta.zip", Bytes(900, 'b'));
  WebServer web(app.home / "site");
  if (!web.Available()) GTEST_SKIP() << "python3 is not installed";
  ASSERT_GT(web.Port(), 0) << "the web server did not start";
  StartAndOpenDownloadPage({{"A", "Alpha", {web.Url("/files/alpha.zip")}},
                            {"B", "Beta", {web.Url("/files/beta.zip")}}});
  app.home.Write("download/alpha.zip", "the older, complete alpha");
  app.ui->Click(downloadButton);
  app.Turn();
  EXPECT_LE(RunToEnd(10), 10);
  EXPECT_FALSE(downloading);
  EXPECT_TRUE(app.LogHas("Download failed - the server answered 404 for <" + web.Url("/files/alpha.zip") + ">"));
  EXPECT_TRUE(app.LogHas("Tried 3 times! No way...."));
  EXPECT_EQ(app.home.Read("download/alpha.zip"), "the older, complete alpha");
  EXPECT_EQ(app.home.Read("download/beta.zip"), Bytes(900, 'b'));
}

}  // namespace
}  // namespace corvane::testing
