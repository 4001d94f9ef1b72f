#include "maintenance/version_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "log/activity_log.h"
#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "support/headless_fixture.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::LoopbackServer;

const char kVersionPath[] = "/download/corvane/version.txt";
const char kArchivePath[] = "/download/Corvane.zip";
const char kQuestion[] = "A new version is available.\nDownload it?";

TEST(VersionNumber, DropsDotsAndReadsTheLeadingNumber) {
  struct Case {
    const char* text;
    long long number;
  } cases[] = {
      {"1.33", 133}, {"1.4", 14},   {"1.40", 140},  {"0.99", 99},       {".99", 99},
      {"", 0},       {"abc", 0},    {"  1.2", 12},  {"1.40\r", 140},     {"2.0 beta", 20},
      {"1.2.3", 123}, {"-1.5", -15}, {"99999999999999999999999", 9223372036854775807LL},
  };
  for (const Case& c : cases) EXPECT_EQ(VersionNumber(c.text), c.number) << "\"" << c.text << "\"";
}

class VersionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(dir_.path()));
    clock_.now = {2026, 12, 8, 11, 0, 0, 2};
    runtime::SetClock(&clock_);
    ResetConfig();
    ResetMessages();
    ResetVersionCheck();
    messages[49] = kQuestion;
    SetServerRoot(server_.Root());
    OpenLog("test_log.txt");
  }
  void TearDown() override {
    ResetLog();
    ResetConfig();
    ResetMessages();
    ResetVersionCheck();
    SetServerRoot("");
    runtime::SetClock(nullptr);
    runtime::Fs().ChangeFolder(previous_);
  }

  std::vector<std::string> LoggedTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : runtime::ReadLines(dir_.Read("test_log.txt"))) {
      texts.push_back(line.size() >= 11 ? line.substr(11) : line);
    }
    return texts;
  }
  std::vector<std::string> Questions() {
    std::vector<std::string> texts;
    for (const auto& box : ui().Boxes()) {
      if (box.kind == tk::BoxKind::Proceed) texts.push_back(box.text);
    }
    return texts;
  }
  int ArchiveRequests() const {
    int n = 0;
    for (const auto& r : server_.Requests()) n += r.path == kArchivePath;
    return n;
  }
  tk::HeadlessBackend& ui() { return toolkit_.backend(); }

  testing::TempDir dir_;
  runtime::FakeClock clock_;
  std::string previous_;
  LoopbackServer server_;
  testing::HeadlessToolkit toolkit_;
};

TEST_F(VersionCheckTest, ShorterNumberIsNotNewerAndEverythingIsLogged) {
  APPVERSION = "1.00";
  server_.Serve(kVersionPath, "1.4\n2.10\n");
  CheckVersion();
  EXPECT_THAT(ui().Boxes(), IsEmpty());
  EXPECT_EQ(programVersion, "1.33");
  auto log = LoggedTexts();
  const std::vector<std::string> expected = {
      "Check version",
      "Remote Text    : 1.4",
      "2.10",  // the rest of the whole text, on the log's next line
      "",
      "Remote Version : 1.4",
      "App    Version : 2.10",
      "Local  Version : 1.33",
      "Application...",
      "Local  version : 1.00 100",
      "Remote version : 2.10 210",
      std::string(43, '-')};
  auto start = std::find(log.begin(), log.end(), "Check version");
  ASSERT_NE(start, log.end());
  EXPECT_EQ(std::vector<std::string>(start, log.end()), expected);
}

TEST_F(VersionCheckTest, NewerVersionIsOfferedOnceEvenWhenDeclined) {
  server_.Serve(kVersionPath, "1.40\n");
  ui().AnswerNext(false);
  CheckVersion();
  EXPECT_THAT(Questions(), ElementsAre(std::string(kQuestion) + " (1.40) ?"));
  EXPECT_FALSE(ui().Boxes()[0].serious);
  EXPECT_EQ(ArchiveRequests(), 0);
  EXPECT_EQ(programVersion, "1.40");
  EXPECT_THAT(LoggedTexts(), Contains("App    Version : "));

  CheckVersion();  // the server still says 1.40
  EXPECT_EQ(Questions().size(), 1u);
}

TEST_F(VersionCheckTest, CrLfVersionFileGivesTheSameNumberAndACleanQuestion) {
  server_.Serve(kVersionPath, "1.40\r\n1.05\r\n");
  ui().AnswerNext(false);
  CheckVersion();
  EXPECT_THAT(Questions(), ElementsAre(std::string(kQuestion) + " (1.40) ?"));
  EXPECT_EQ(programVersion, "1.40");
  EXPECT_THAT(LoggedTexts(), Contains("Remote version : 1.05 105"));
}

TEST_F(VersionCheckTest, AcceptedUpdateSavesTheArchiveAndSaysWhere) {
  const std::string archive = std::string("PK\x03\x04", 4) + std::string(3000, 'z');
  server_.Serve(kVersionPath, "1.34\n");
  server_.Serve(kArchivePath, archive);
  ui().AnswerNext(true);
  CheckVersion();
  EXPECT_EQ(dir_.Read("Corvane.zip"), archive);
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("Downloading new version (1.34)"));
  EXPECT_THAT(log, Contains("Copied: 1"));
  ASSERT_EQ(ui().Boxes().size(), 2u);
  EXPECT_EQ(ui().Boxes()[1].kind, tk::BoxKind::Notify);
  EXPECT_THAT(ui().Boxes()[1].text, HasSubstr(runtime::Fs().CurrentFolder() + "/Corvane.zip"));
  EXPECT_EQ(programVersion, "1.34");
}

TEST_F(VersionCheckTest, FailedArchiveDownloadIsOnlyLoggedAndKeepsAnOldArchive) {
  dir_.Write("Corvane.zip", "previous archive");
  server_.Serve(kVersionPath, "1.34\n");
  server_.On("HEAD", kArchivePath, testing::HeadReply(5000));
  server_.On("GET", kArchivePath,
             testing::Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\nPK").Reset());
  ui().AnswerNext(true);
  CheckVersion();
  EXPECT_THAT(LoggedTexts(), Contains("Copied: 0"));
  EXPECT_EQ(dir_.Read("Corvane.zip"), "previous archive");
  EXPECT_EQ(ui().Boxes().size(), 1u) << "no notice after a failed download";
  EXPECT_EQ(programVersion, "1.34");
}

TEST_F(VersionCheckTest, UnreachableServerIsReportedAndChangesNothing) {
  server_.Stop();
  CheckVersion();
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].kind, tk::BoxKind::Notify);
  EXPECT_EQ(ui().Boxes()[0].text, "Unable to connect to site");
  EXPECT_FALSE(ui().Boxes()[0].serious);
  EXPECT_THAT(LoggedTexts(), Contains("Unable to connect to site"));
  EXPECT_THAT(LoggedTexts(), Not(Contains(HasSubstr("Remote Version"))));
  EXPECT_EQ(programVersion, "1.33");
}

}  // namespace
}  // namespace corvane
