#include "maintenance/version_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "catalogue/catalogue_test_fixture.h"
#include "settings/messages.h"
#include "support/headless_fixture.h"
#include "support/loopback_server.h"

namespace corvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char kVersionPath[] = "/download/corvane/version.txt";
const char kArchivePath[] = "/download/Corvane.zip";
const std::string kOffer = "A new version is available.\nDownload it?";

TEST(VersionNumber, DropsDotsAndReadsTheLeadingNumber) {
  const std::pair<const char*, long long> cases[] = {
      {"1.33", 133}, {"1.4", 14},     {".99", 99},       {"", 0},        {"beta", 0},
      {" 1.2", 12},  {"1.40\r", 140}, {"2.0 beta", 20},  {"1.2.3", 123}, {"99999999999999999999", LLONG_MAX}};
  for (const auto& [text, number] : cases) EXPECT_EQ(VersionNumber(text), number) << text;
}

class VersionCheckTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    ResetVersionCheck();
    messages.assign(kMessageCount, "");
    messages[49] = kOffer;
    SetServerRoot(server_.Root());
  }
  void TearDown() override {
    ResetMessages();
    ResetVersionCheck();
    CatalogueTest::TearDown();
  }
  const std::vector<tk::ShownBox>& Boxes() { return toolkit_.backend().Boxes(); }

  testing::LoopbackServer server_;
  testing::HeadlessToolkit toolkit_;
};

TEST_F(VersionCheckTest, ShorterNumberIsNotNewerAndEverythingIsLogged) {
  server_.Serve(kVersionPath, "1.4\n2.10\n");
  CheckVersion();
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(programVersion, "1.33");
  auto log = LoggedTexts();
  auto start = std::find(log.begin(), log.end(), "Check version");
  EXPECT_THAT(std::vector<std::string>(start, log.end()),
              ElementsAre("Check version", "Remote Text    : 1.4", "2.10", "",
                          "Remote Version : 1.4", "App    Version : 2.10", "Local  Version : 1.33",
                          "Application...", "Local  version : 1.00 100", "Remote version : 2.10 210",
                          std::string(43, '-')));
}

TEST_F(VersionCheckTest, NewerVersionIsOfferedOnceEvenWhenDeclined) {
  server_.Serve(kVersionPath, "1.40\r\n1.05\r\n");  // CR LF line ends
  toolkit_.backend().AnswerNext(false);
  CheckVersion();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].kind, tk::BoxKind::Proceed);
  EXPECT_EQ(Boxes()[0].text, kOffer + " (1.40) ?");
  EXPECT_THAT(LoggedTexts(), Contains("Remote version : 1.05 105"));
  EXPECT_EQ(programVersion, "1.40");
  CheckVersion();  // the server still says 1.40
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(server_.Connections(), 4) << "no archive request";
}

TEST_F(VersionCheckTest, AcceptedUpdateSavesTheArchiveAndSaysWhere) {
  const std::string archive = std::string("PK\x03\x04", 4) + std::string(3000, 'z');
  server_.Serve(kVersionPath, "1.34\n");
  server_.Serve(kArchivePath, archive);
  CheckVersion();  // Yes by default
  EXPECT_EQ(dir_.Read("Corvane.zip"), archive);
  EXPECT_THAT(LoggedTexts(), Contains("Downloading new version (1.34)"));
  EXPECT_THAT(LoggedTexts(), Contains("Copied: 1"));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].kind, tk::BoxKind::Notify);
  EXPECT_THAT(Boxes()[1].text, HasSubstr(runtime::Fs().CurrentFolder() + "/Corvane.zip"));
}

TEST_F(VersionCheckTest, FailedArchiveDownloadIsOnlyLogged) {
  server_.Serve(kVersionPath, "1.34\n");
  CheckVersion();  // Yes by default; the archive is missing
  EXPECT_THAT(LoggedTexts(), Contains("Copied: -1"));
  EXPECT_EQ(Boxes().size(), 1u) << "no notice after a failed download";
  EXPECT_EQ(programVersion, "1.34");
}

TEST_F(VersionCheckTest, AnErrorPageOffersNoVersion) {
  const std::string page = "500 Internal Server Error\n";
  server_.Otherwise(testing::Reply().Send("HTTP/1.0 500 Internal Server Error\r\nContent-Length: " +
                                          std::to_string(page.size()) + "\r\n\r\n" + page));
  CheckVersion();
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_EQ(programVersion, "1.33");
}

TEST_F(VersionCheckTest, UnreachableServerIsReportedAndChangesNothing) {
  server_.Stop();
  CheckVersion();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].kind, tk::BoxKind::Notify);
  EXPECT_EQ(Boxes()[0].text, "Unable to connect to site");
  EXPECT_FALSE(Boxes()[0].serious);
  EXPECT_THAT(LoggedTexts(), Contains("Unable to connect to site"));
  EXPECT_EQ(programVersion, "1.33");
}

}  // namespace
}  // namespace corvane
