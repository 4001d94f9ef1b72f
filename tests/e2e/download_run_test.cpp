// The download run driven through the window: size queries that fail, URL
// changes, giving up, size texts, STOP and the end of a run, against scripted
// servers on loopback.
#include "e2e/app_harness.h"

#include "app/after_event.h"
#include "app/download_page.h"
#include "app/download_run.h"
#include "app/page_preparation.h"
#include "app/start_page.h"
#include "install/install_page.h"
#include "settings/messages.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

std::string Bytes(int n, char c) { return std::string(std::size_t(n), c); }

class DownloadRunTest : public ::testing::Test {
 protected:
  void StartAndOpenDownloadPage(const std::vector<TestProgram>& programs) {
    app.ServeStandardFiles();
    app.ServeCatalogue("english", app.Catalogue(programs));
    app.PrepareHome();
    app.Start();
    app.ui->Click(goToDownloadButton);
    app.Turn();
    ASSERT_TRUE(downloadButton->Enabled());
  }
  // Presses "Download now!" and records the size label after every turn
  // until the run ends.
  std::vector<std::string> RunToEnd(int max_turns = 40) {
    std::vector<std::string> sizes;
    app.ui->Click(downloadButton);
    for (int i = 0; i < max_turns; ++i) {
      app.Turn();
      sizes.push_back(downloadSizeLabel->Text());
      if (!downloading) break;
    }
    return sizes;
  }
  AppHarness app;
};

TEST_F(DownloadRunTest, SizelessFileIsGivenUpAfterFourTriesAndAlternativeUrlsAreTaken) {
  app.server.On("HEAD", "/files/alpha.zip", Reply().Send("HTTP/1.0 200 OK\r\n\r\n"));
  app.server.Serve("/files/beta.zip", Bytes(1023, 'b'));
  app.server.On("HEAD", "/hang1/gamma.zip", Reply().Hang());
  app.server.On("HEAD", "/hang2/gamma.zip", Reply().Hang());
  app.server.Serve("/files/gamma.zip", Bytes(2048, 'g'));
  StartAndOpenDownloadPage({{"A", "Alpha", {"/files/alpha.zip"}},
                            {"B", "Beta", {"/files/beta.zip"}},
                            {"G", "Gamma", {"/hang1/gamma.zip", "/hang2/gamma.zip", "/files/gamma.zip"}}});
  // Only now: the start-up's catalogue must not race this bound on a slow machine.
  HttpLimits limits = GetHttpLimits();
  limits.read_idle_ms = 40;  // "never answers" costs milliseconds here
  SetHttpLimits(limits);

  std::vector<std::string> sizes = RunToEnd();
  const std::string unknown = "File unknow - try: ";
  std::vector<std::string> expected = {
      unknown + "1", unknown + "2", unknown + "3", unknown + "4",  // Alpha given up
      "File size 0 Kb",                                            // Beta, 1023 bytes
      unknown + "1", unknown + "2", unknown + "3", unknown + "4",  // Gamma, first URL
      unknown + "1", unknown + "2", unknown + "3", unknown + "4",  // second URL
      "File size 2 Kb"};                                           // third URL, 2048 bytes
  EXPECT_EQ(sizes, expected);

  EXPECT_TRUE(app.LogHas("Tried 3 times! No way...."));
  EXPECT_NE(installOutput->Text().find("Tried 3 times! No way...."), std::string::npos);
  EXPECT_TRUE(app.LogHas("Change URL...<" + app.server.Url("/hang2/gamma.zip") + ">"));
  EXPECT_TRUE(app.LogHas("Change URL...<" + app.server.Url("/files/gamma.zip") + ">"));
  EXPECT_EQ(urlLabel->Text(), app.server.Url("/files/gamma.zip"));

  EXPECT_EQ(downloadStatusLabel->Text(), "All files downloaded!");
  EXPECT_EQ(downloadFileLabel->Text(), "");
  EXPECT_TRUE(downloadButton->Enabled());
  EXPECT_TRUE(downloadBackButton->Enabled());
  EXPECT_TRUE(goToInstallButton->Enabled());
  EXPECT_FALSE(downloadStopButton->Enabled());
  EXPECT_DOUBLE_EQ(overallProgress->Progress(), 1.0);
  EXPECT_EQ(app.home.Read("download/beta.zip"), Bytes(1023, 'b'));
  EXPECT_EQ(app.home.Read("download/gamma.zip"), Bytes(2048, 'g'));
  EXPECT_FALSE(app.home.Exists("download/alpha.zip"));
}

TEST_F(DownloadRunTest, LabelsFollowTheRunAndTheLastUrlKeepsBeingTriedUntilStop) {
  app.server.On("HEAD", "/files/one.zip", Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"));
  StartAndOpenDownloadPage({{"ONE", "One", {"/files/one.zip", "/files/one.zip"}}});
  app.ui->Click(downloadButton);
  app.Turn();
  EXPECT_EQ(downloadStatusLabel->Text(), "File to download 1/1");
  EXPECT_EQ(downloadTotalLabel->Text(), "Total 1/1");
  EXPECT_EQ(downloadFileLabel->Text(), "File One");
  EXPECT_FALSE(downloadButton->Enabled());
  EXPECT_FALSE(downloadBackButton->Enabled());
  EXPECT_FALSE(goToInstallButton->Enabled());
  EXPECT_TRUE(downloadStopButton->Enabled());
  app.Turn(11);  // twelve failed queries: three series of four on the last URL
  EXPECT_TRUE(downloading);
  EXPECT_EQ(downloadSizeLabel->Text(), "File unknow - try: 4");
  EXPECT_EQ(currentProgram->what_url, 1);

  ::testing::internal::CaptureStdout();
  app.ui->Click(downloadStopButton);
  app.Turn();
  EXPECT_NE(::testing::internal::GetCapturedStdout().find(" S T O P ! ! ! !"), std::string::npos);
  EXPECT_FALSE(downloading);
  EXPECT_TRUE(downloadButton->Enabled());
  EXPECT_FALSE(downloadStopButton->Enabled());
  EXPECT_EQ(downloadFileLabel->Text(), "File One");  // labels keep their texts
}

TEST_F(DownloadRunTest, StopAfterTheFirstFileAndStartAgainBeginsWithTheFirst) {
  for (const char* name : {"prog01", "prog02", "prog03"}) {
    app.server.Serve(std::string("/files/") + name + ".zip", Bytes(300, name[5]));
  }
  StartAndOpenDownloadPage(Programs(3));
  app.ui->Click(downloadButton);
  app.Turn();  // starts the run; the first file arrives in the same turn
  EXPECT_EQ(downloadIndex, 2);
  EXPECT_EQ(downloadFileLabel->Text(), "File Program 02");
  app.ui->Click(downloadStopButton);
  app.Turn();
  EXPECT_FALSE(downloading);

  app.ui->Click(downloadButton);
  app.Turn();
  EXPECT_TRUE(downloading);
  EXPECT_EQ(downloadIndex, 2);  // the first file again, then on
  int gets_of_first = 0;
  for (const std::string& line : app.server.RequestLines()) gets_of_first += line == "GET /files/prog01.zip HTTP/1.0";
  EXPECT_EQ(gets_of_first, 2);
  app.Turn(2);
  EXPECT_FALSE(downloading);
  EXPECT_EQ(downloadStatusLabel->Text(), "All files downloaded!");
  EXPECT_EQ(app.home.Read("download/prog03.zip"), Bytes(300, '3'));
}

TEST_F(DownloadRunTest, AMirrorThatTellsTheSizeButNeverDeliversIsLeftAfterFourTries) {
  app.server.On("HEAD", "/broken/delta.zip", HeadReply(1000));
  app.server.On("GET", "/broken/delta.zip",
                Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + Bytes(500, 'd')));
  app.server.Serve("/files/delta.zip", Bytes(1000, 'd'));
  StartAndOpenDownloadPage({{"D", "Delta", {"/broken/delta.zip", "/files/delta.zip"}}});
  RunToEnd(10);
  EXPECT_FALSE(downloading);
  EXPECT_TRUE(app.LogHas("Change URL...<" + app.server.Url("/files/delta.zip") + ">"));
  EXPECT_EQ(app.home.Read("download/delta.zip"), Bytes(1000, 'd'));
  int broken_gets = 0;
  for (const std::string& line : app.server.RequestLines()) broken_gets += line == "GET /broken/delta.zip HTTP/1.0";
  EXPECT_EQ(broken_gets, 4);
}

TEST_F(DownloadRunTest, TicksChangedDuringARunWaitForTheNextRun) {
  // The first program's first three transfers break off, so the run is still
  // on it while the user goes back and ticks the second program.
  for (int i = 0; i < 3; ++i)
    app.server.On("GET", "/files/prog01.zip",
                  Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 300\r\n\r\n" + Bytes(100, '1')));
  app.server.On("GET", "/files/prog01.zip", OkReply(Bytes(300, '1')));
  app.server.On("HEAD", "/files/prog01.zip", HeadReply(300));
  app.server.Serve("/files/prog02.zip", Bytes(300, '2'));
  app.server.Serve("/files/prog03.zip", Bytes(300, '3'));
  app.ServeStandardFiles();
  app.ServeCatalogue("english", app.Catalogue(Programs(3)));
  app.PrepareHome();
  app.Start();
  app.ui->Click(programChooser->array[1]->button);  // Program 02 unticked
  app.Turn();
  app.ui->Click(goToDownloadButton);
  app.Turn();
  app.ui->Click(downloadButton);
  app.Turn();
  app.ui->SelectTab(mainApp->tabber, 0);
  app.Turn();
  app.ui->Click(programChooser->array[1]->button);  // Program 02 ticked during the run
  app.Turn();
  ASSERT_EQ(downloadIndex, 1);
  app.ui->SelectTab(mainApp->tabber, 1);
  app.Turn();
  EXPECT_FALSE(downloadButton->Enabled());
  EXPECT_TRUE(downloadStopButton->Enabled());

  for (int i = 0; i < 10 && downloading; ++i) app.Turn();
  EXPECT_EQ(downloadStatusLabel->Text(), "All files downloaded!");
  EXPECT_EQ(app.home.Read("download/prog01.zip"), Bytes(300, '1'));
  EXPECT_EQ(app.home.Read("download/prog03.zip"), Bytes(300, '3'));
  EXPECT_FALSE(app.home.Exists("download/prog02.zip"));
  // Leaving the page and coming back prepares the next run with the new ticks.
  app.ui->SelectTab(mainApp->tabber, 0);
  app.Turn();
  app.ui->SelectTab(mainApp->tabber, 1);
  app.Turn();
  EXPECT_EQ(downloadQueue.size(), 3u);
}

// The toolkit's clock moves 10 ms with every 128-byte chunk (at the pass
// through the window's messages after the file bar moved): 12.5 KB/s.  The size label adds speed and
// time left once a second has been measured, counts down, and drops them
// when the file is in.
TEST_F(DownloadRunTest, SizeLabelShowsSpeedAndTimeLeftWhileAFileComesIn) {
  HttpLimits limits = GetHttpLimits();
  limits.message_interval_ms = 0;
  SetHttpLimits(limits);
  app.server.Serve("/files/big.zip", Bytes(128 * 400, 'x'));
  StartAndOpenDownloadPage({{"BIG", "Big", {"/files/big.zip"}}});
  std::vector<std::string> shown;
  double bar = 0;
  app.ui->SetPumpCallback([&] {
    if (fileProgress->Progress() != bar) app.ui->AdvanceClock(10);
    bar = fileProgress->Progress();
    if (shown.empty() || shown.back() != downloadSizeLabel->Text()) shown.push_back(downloadSizeLabel->Text());
  });
  app.ui->Click(downloadButton);
  app.Turn();
  app.ui->SetPumpCallback({});
  ASSERT_FALSE(downloading);
  EXPECT_EQ(downloadSizeLabel->Text(), "File size 50 Kb");
  std::vector<std::string> with_speed;
  for (const std::string& text : shown)
    if (text.find(" - ") != std::string::npos) with_speed.push_back(text);
  EXPECT_EQ(with_speed, (std::vector<std::string>{"File size 50 Kb - 12.5 KB/s - 0:03 left",
                                                  "File size 50 Kb - 12.5 KB/s - 0:02 left",
                                                  "File size 50 Kb - 12.5 KB/s - 0:01 left"}))
      << ::testing::PrintToString(shown);
}

}  // namespace
}  // namespace corvane::testing
