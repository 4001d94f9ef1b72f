#include "settings/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/settings_test_fixture.h"

namespace corvane {
namespace {

using ::testing::HasSubstr;

class MessagesTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    for (int i = 0; i < kMessageCount; ++i) messages[i] = "old " + std::to_string(i);
    before_ = messages;
  }
  // Writes lang/<name>.lang and loads it as the current language.
  void Load(const std::string& name, const std::string& bytes) {
    dir_.Write("lang/" + name + ".lang", bytes);
    LANGUAGE = name;
    LoadLocale();
  }
  std::vector<std::string> before_;
};

TEST_F(MessagesTest, LoadsOnlyTheNumbersInTheFile) {
  Load("A", "49::A<br>B\r\n");
  before_[49] = "A\nB";
  EXPECT_EQ(messages, before_);
  Load("B", "7::x::y\r\n  12::blanks\n13::<BR><br>\r\n15::caff\xE8\r\n\r\n99::last");
  Load("C", "007::z\r\n100::a\r\n-1::b\r\n18446744073709551623::c\r\n");
  before_[7] = "z";  // a later language overwrites, and keeps what it lacks
  before_[12] = "blanks";
  before_[13] = "<BR>\n";
  before_[15] = "caff\xC3\xA8";
  before_[99] = "last";
  before_[0] = "";  // the blank line: number 0 is unused
  EXPECT_EQ(messages, before_);
  Load("D", "8::x::y");
  EXPECT_EQ(messages[8], "x::y");
  EXPECT_THAT(Logged(), HasSubstr(" : Load Locale...\r\n"));
}

TEST_F(MessagesTest, MissingFileLeavesTheTable) {
  LANGUAGE = "NOWHERE";
  LoadLocale();
  EXPECT_EQ(messages, before_);
  EXPECT_THAT(Logged(), HasSubstr(" : Locale - OK\r\n"));
}

TEST_F(MessagesTest, ListFilesUpperCasesCutsAndSorts) {
  EXPECT_TRUE(ListFiles("lang", ".lang").empty());
  EXPECT_EQ(runtime::Fs().Kind("lang"), runtime::kFolder);
  // Created in sorted order: many file systems list in reverse or hashed order.
  for (const char* name : {"Deutsch.LANG", "english.lang", "Italiano.lang", "languages.txt",
                           "zulu.lang", "english.lang.bak"}) {
    dir_.Write(std::string("lang/") + name, "");
  }
  EXPECT_THAT(ListFiles("lang", ".lang"),
              ::testing::ElementsAre("DEUTSCH", "ENGLISH", "ENGLISH", "ITALIANO", "ZULU"));
}

TEST_F(MessagesTest, EmbeddedEnglishCatalogue) {
  std::optional<std::string> bytes = runtime::Fs().ReadFile(kEnglishCatalogue);
  ASSERT_TRUE(bytes.has_value());
  std::vector<std::string> lines = runtime::ReadLines(*bytes);
  EXPECT_EQ(lines.size(), 91u);
  EXPECT_EQ(runtime::WriteLines(lines), *bytes) << "every line ends in CR LF";
  ResetMessages();
  Load("english", *bytes);
  auto set = [](const std::string& text) { return !text.empty(); };
  EXPECT_EQ(std::count_if(messages.begin(), messages.end(), set), 78);  // 22..29: trust; 89: time left
  EXPECT_EQ(messages[2].rfind("Author: ", 0), 0u);
  EXPECT_EQ(messages[49], "A new version is available.\nDownload it?");
  EXPECT_EQ(messages[54], "Select programs to download ");
  EXPECT_EQ(messages[99], "Close application?");
}

}  // namespace
}  // namespace corvane
