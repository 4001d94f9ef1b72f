#include "settings/config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/settings_test_fixture.h"

namespace corvane {
namespace {

using ::testing::HasSubstr;

const std::string kStandardFile =
    "LANGUAGE=DEUTSCH\r\nAUTOUPDATE=FALSE\r\nURLUPDATE=http://mirror.test/download\r\n"
    "AUTOEXECUTE=TRUE\r\nWINRAR=C:\\Program Files\\WinRAR\r\nTARNPATH=C:\\Tarnic\r\n"
    "SVNPATH=D:\\svn work\r\nDEFAULT_INSTALL=3\r\nDISABLE_DELETE=0\r\nAPPVERSION=1.32\r\n";

// Loads data/conf.txt and returns what went to the standard output.
std::string Load() {
  ::testing::internal::CaptureStdout();
  LoadConfig();
  return ::testing::internal::GetCapturedStdout();
}

using ConfigTest = SettingsTest;

TEST_F(ConfigTest, MissingFileIsCreatedWithDefaults) {
  runtime::Fs().CreateFolder("data");
  languageList = {"ENGLISH", "ITALIANO"};
  std::string out = Load();
  EXPECT_EQ(dir_.Read("data/conf.txt"),
            "LANGUAGE=ITALIANO\r\nAUTOUPDATE=TRUE\r\nURLUPDATE=http://catalogue.test:8080\r\n"
            "AUTOEXECUTE=TRUE\r\nWINRAR=\r\nTARNPATH=\r\nSVNPATH=\r\nDEFAULT_INSTALL=0\r\n"
            "DISABLE_DELETE=1\r\nAPPVERSION=0.99\r\n");
  EXPECT_EQ(LANGUAGE + AUTOUPDATE + AUTOEXECUTE + APPVERSION, "ENGLISHTRUETRUE.99");
  EXPECT_EQ(URLUPDATE, "http://catalogue.test:8080/download");
  EXPECT_EQ(DEFAULT_INSTALL * 10 + DISABLE_DELETE, 1);
  EXPECT_EQ(languageIndex, 0);
  EXPECT_THAT(out, HasSubstr("Index Language: 0 = ENGLISH Cu ENGLISH\n"));
  EXPECT_THAT(Logged(), HasSubstr(" : Loading configuration - creating new file\r\n"));
}

TEST_F(ConfigTest, ValuesAreTakenByLinePositionNotByKey) {
  dir_.Write("data/conf.txt",
             "TARNPATH=italiano\r\nLANGUAGE=FALSE\r\nURL=http://a/b?x=1&y=2\r\n"
             "no equals sign here\r\n=\r\nAPPVERSION=C:\\T\r\n\r\nX=   -42\r\nY=7 apples\r\n"
             "Z=2.5\r\nELEVENTH=ignored\r\n");
  languageList = {"DEUTSCH", "ITALIANO"};
  std::string out = Load();
  EXPECT_EQ(LANGUAGE, "italiano");
  EXPECT_EQ(AUTOUPDATE, "FALSE");
  EXPECT_EQ(URLUPDATE, "http://a/b?x=1&y=2");
  EXPECT_EQ(AUTOEXECUTE, "no equals sign here");
  EXPECT_EQ(WINRAR + "|" + TARNPATH + "|" + installTarget + "|" + SVNPATH, "|C:\\T|C:\\T|");
  EXPECT_EQ(DEFAULT_INSTALL, -42);
  EXPECT_EQ(DISABLE_DELETE, 7);
  EXPECT_EQ(APPVERSION, "2.5");
  EXPECT_EQ(lastFoundIndex, 1);
  EXPECT_THAT(out, HasSubstr("Index Language: 1 = ITALIANO Cu italiano\n"));
  EXPECT_THAT(Logged(), HasSubstr(" : Default Path <C:\\T>\r\n"));
}

TEST_F(ConfigTest, ThreeLineFileAndLanguageOutsideTheList) {
  dir_.Write("data/conf.txt", "LANGUAGE=KLINGON\nAUTOUPDATE=TRUE\nURLUPDATE=x");
  languageList = {"ENGLISH"};
  std::string out = Load();
  EXPECT_EQ(URLUPDATE, "x");
  EXPECT_EQ(WINRAR + TARNPATH + SVNPATH, "");
  EXPECT_EQ(DEFAULT_INSTALL + DISABLE_DELETE, 0);
  EXPECT_EQ(APPVERSION, ".99");
  EXPECT_EQ(languageIndex, -1);
  EXPECT_THAT(out, HasSubstr("Index Language: -1"));
  EXPECT_THAT(out, ::testing::Not(HasSubstr("ENGLISH")));
}

TEST_F(ConfigTest, SaveAfterLoadReproducesAStandardFile) {
  dir_.Write("data/conf.txt", kStandardFile);
  Load();
  dir_.Write("data/conf.txt", "");
  SaveConfig();
  EXPECT_EQ(dir_.Read("data/conf.txt"), kStandardFile);
}

// A full disk: opening a new file fails; rewriting a file in place empties it first.
class FullDiskFs : public runtime::FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string&) override { return nullptr; }
  bool WriteFile(const std::string& path, const std::string&) override {
    t_.WriteFile(path, "");
    return false;
  }
};

TEST_F(ConfigTest, FailedSaveKeepsThePreviousFileAndGoesOn) {
  dir_.Write("data/conf.txt", kStandardFile);
  LANGUAGE = "ENGLISH";
  FullDiskFs full(runtime::Fs());
  runtime::SetFs(&full);
  SaveConfig();
  runtime::SetFs(nullptr);
  EXPECT_EQ(dir_.Read("data/conf.txt"), kStandardFile);
  EXPECT_THAT(Logged(), HasSubstr(" : Saving configuration - failed\r\n"));
  SaveConfig();
  EXPECT_THAT(dir_.Read("data/conf.txt"), HasSubstr("LANGUAGE=ENGLISH\r\n"));
  EXPECT_EQ(runtime::Fs().ListFolder("data")->size(), 1u) << "no temporary file left behind";
}

TEST_F(ConfigTest, FindInListIgnoresCaseAndRemembersOnlyHits) {
  EXPECT_EQ(FindInList("English", {"DEUTSCH", "ENGLISH", "english"}), 1);
  EXPECT_EQ(FindInList("FRANCAIS", {"DEUTSCH"}), -1);
  EXPECT_EQ(FindInList("", {""}), -1);
  EXPECT_EQ(lastFoundIndex, 1);
}

}  // namespace
}  // namespace corvane
