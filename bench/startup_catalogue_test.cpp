#include "startup_catalogue.h"

#include <gtest/gtest.h>

#include "catalogue/program_list_reader.h"
#include "catalogue/tprogram.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "support/temp_dir.h"

namespace corvane::bench {
namespace {

TEST(ProgramListText, ReadsBackAsEveryRecordWithDownloadsOnTheServer) {
  programList.clear();
  LANGUAGE = "ENGLISH";
  ReadProgramList(ProgramListText("http://127.0.0.1:8123", "english", 200));
  ASSERT_EQ(programList.size(), 200u);
  int on_server = 0;
  for (const ProgramPtr& p : programList) {
    on_server += p->url.rfind("http://127.0.0.1:8123/files/", 0) == 0;
    EXPECT_EQ(p->urls.size(), 2u) << p->name;
  }
  EXPECT_EQ(on_server, 200);
  // The reader keeps the list sorted by display name, which differs from
  // the file's order, so the sort is exercised.
  EXPECT_NE(programList.front()->name, "PROG001");
  programList.clear();
}

TEST(TranslatedLanguageFile, KeepsEveryMessageNumberAndChangesEveryText) {
  const std::string english = "1::File\r\n2::Exit\r\n\r\n";
  const std::vector<std::string> lines = runtime::ReadLines(TranslatedLanguageFile(english));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1::[de] File");
  EXPECT_EQ(lines[1], "2::[de] Exit");
}

TEST(ServedCatalogue, HoldsWhatStartUpFetchesAndAProgramFolderThatAsksNothing) {
  testing::TempDir web, home;
  std::string error;
  ASSERT_TRUE(WriteServedCatalogue(web.path(), "http://127.0.0.1:9", 3, &error)) << error;
  EXPECT_EQ(web.Read("download/corvane/languages.txt"), "english.lang\r\ndeutsch.lang\r\n");
  EXPECT_EQ(web.Read("download/corvane/version.txt").substr(0, 6), "1.33\r\n");
  for (const char* name : {"english.lang", "deutsch.lang", "win32.app.english.txt", "win32.app.deutsch.txt"})
    EXPECT_TRUE(web.Exists(std::string("download/corvane/") + name)) << name;
  EXPECT_NE(web.Read("download/corvane/english.lang").find("::"), std::string::npos);

  ASSERT_TRUE(PrepareProgramFolder(home.path(), &error)) << error;
  const std::vector<std::string> config = runtime::ReadLines(home.Read("data/conf.txt"));
  ASSERT_EQ(config.size(), 10u);
  EXPECT_EQ(config[1], "AUTOUPDATE=FALSE");
  EXPECT_EQ(config[4], "WINRAR=" + home.path() + "/winrar");
  EXPECT_EQ(config[5], "TARNPATH=" + home.path() + "/tarnic");
  EXPECT_TRUE(home.Exists("tarnic/bin/tnc.exe"));
  EXPECT_TRUE(home.Exists("winrar/unrar.exe"));
  EXPECT_TRUE(home.Exists("lang/english.lang"));
  EXPECT_FALSE(home.Exists("data/win32.app.english.txt"));
}

}  // namespace
}  // namespace corvane::bench
