#include "catalogue/program_list_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_test_fixture.h"

namespace corvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

using ReaderTest = CatalogueTest;

TEST_F(ReaderTest, RecordsAreSortedByDisplayNameAndKeepTheirUpperCaseIdentifier) {
  ReadProgramList("[b]\r\nNAME=Zeta\r\n[/]\r\n[a]\r\nNAME=Alpha\r\n[/]\r\n");
  ASSERT_THAT(FullNames(), ElementsAre("Alpha", "Zeta"));
  EXPECT_EQ(programList[1]->name, "B");
  EXPECT_EQ(programList[0]->name, "A");
}

TEST_F(ReaderTest, KeysAreFoundInAnyCaseAndAddressesSplitAtBars) {
  ReadProgramList(
      "[x]\nname=x\nUrl=http://a/u1.zip|http://b/u2.zip\nauthor=Ann\nLicense=GPL\n"
      "web=http://w\npath=\\lib\ncopy=*.t\nbackup=\\b\ndelete=\\old\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  const tprogram& p = *programList[0];
  EXPECT_EQ(p.fullname, "x");
  EXPECT_THAT(p.urls, ElementsAre("http://a/u1.zip", "http://b/u2.zip"));
  EXPECT_EQ(p.url, "http://a/u1.zip");
  EXPECT_EQ(p.what_url, 0);
  EXPECT_EQ(p.author, "Ann");
  EXPECT_EQ(p.license, "GPL");
  EXPECT_EQ(p.web, "http://w");
  EXPECT_EQ(p.path, "\\lib");
  EXPECT_EQ(p.copy, "*.t");
  EXPECT_EQ(p.backup, "\\b");
  EXPECT_EQ(p.fDelete, "\\old");
}

TEST_F(ReaderTest, OneLineCanSetSeveralSlots) {
  // "URL=" inside the description counts too; both take the whole value.
  ReadProgramList("[d]\nNAME=D\nDESC=see URL=x\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  EXPECT_EQ(programList[0]->desc, "see URL=x");
  EXPECT_THAT(programList[0]->urls, ElementsAre("see URL=x"));
}

TEST_F(ReaderTest, HeaderWithoutClosingLineCarriesValuesOver) {
  ReadProgramList("[a]\nNAME=A\n[b]\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  EXPECT_EQ(programList[0]->name, "B");
  EXPECT_EQ(programList[0]->fullname, "A");
}

TEST_F(ReaderTest, LinesOutsideRecordsAndUnclosedRecordsHaveNoEffect) {
  ReadProgramList(
      "NAME=before\nURL=http://x/before.zip\n"
      "[a]\nNAME=A\n[/]\n"
      "NAME=between\n[/]\n"       // a stray closing line adds nothing
      "[]\nNAME=ignored\n[/]\n"   // an empty header opens no record
      "[c]\nNAME=C\n");          // never closed: dropped
  ASSERT_THAT(FullNames(), ElementsAre("A"));
  EXPECT_THAT(programList[0]->urls, ElementsAre(""));
  EXPECT_EQ(programList[0]->url, "");
}

TEST_F(ReaderTest, EqualNamesKeepFileOrderAmongOthers) {
  ReadProgramList(
      "[p1]\nNAME=Same\nDESC=first\n[/]\n[q]\nNAME=Other\n[/]\n"
      "[p2]\nNAME=Same\nDESC=second\n[/]\n[r]\nNAME=Alpha\n[/]\n"
      "[p3]\nNAME=Same\nDESC=third\n[/]\n[s]\nNAME=same\n[/]\n");
  ASSERT_THAT(FullNames(), ElementsAre("Alpha", "Other", "Same", "Same", "Same", "same"));
  EXPECT_EQ(programList[2]->desc, "first");
  EXPECT_EQ(programList[3]->desc, "second");
  EXPECT_EQ(programList[4]->desc, "third");
}

TEST_F(ReaderTest, LaterKeyLinesOverwriteAndValuesKeepTheirBlanks) {
  ReadProgramList("[a]\nNAME=Old\nNAME= New Name = two \r\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  EXPECT_EQ(programList[0]->fullname, " New Name = two ");
}

TEST_F(ReaderTest, DescriptionFileIsFoundWithCaseIgnoredAndHonoursItsByteOrderMark) {
  LANGUAGE = "ITALIANO";
  dir_.Write("lang/abc.italiano.txt", "\xEF\xBB\xBFPrima riga\r\nSeconda \xC3\xA8");
  ReadProgramList("[Abc]\nNAME=Abc\n[/]\n[nodesc]\nNAME=NoDesc\n[/]\n");
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(programList[0]->Longdesc, "Prima riga\r\nSeconda \xC3\xA8");
  EXPECT_EQ(programList[1]->Longdesc, "");
}

TEST_F(ReaderTest, DescriptionIsReadAsLatin1WithoutAMark) {
  dir_.Write("lang/abc.english.txt", "caf\xE9");
  ReadProgramList("[abc]\nNAME=Abc\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  EXPECT_EQ(programList[0]->Longdesc, "caf\xC3\xA9");
}

TEST_F(ReaderTest, MessageFileReplacesItsNameAndIsLogged) {
  dir_.Write("lang/setup_msg.txt", "Close the IDE first.");
  ReadProgramList(
      "[a]\nNAME=A\nMESSAGE=SETUP_MSG.TXT\nDESC=d\n[/]\n"
      "[b]\nNAME=B\nMESSAGE=missing.txt\n[/]\n");
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(programList[0]->message, "Close the IDE first.");
  EXPECT_EQ(programList[1]->message, "missing.txt");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("File: a"));
  EXPECT_THAT(log, Contains(" Reading file <SETUP_MSG.TXT>"));
  EXPECT_THAT(log, Contains(" File: <Close the IDE first.> caricato..."));
  // The text itself is tried as a file name on the following lines.
  EXPECT_THAT(log, Contains(" Reading file <Close the IDE first.>"));
  EXPECT_THAT(log, Contains(" Reading file <missing.txt>"));
  EXPECT_THAT(log, Not(Contains(" File: <missing.txt> caricato...")));
}

TEST_F(ReaderTest, LoadReadsTheLocalListFileOfTheLanguageWithoutTheServer) {
  LANGUAGE = "ITALIANO";
  SetServerRoot("http://127.0.0.1:1");  // never asked: the local copy is used
  dir_.Write("data/win32.app.italiano.txt", "[a]\r\nNAME=Uno\r\n[/]\r\n");
  tprogram::Add("old", "Old", "", "", "");
  LoadProgramList();
  EXPECT_THAT(FullNames(), ElementsAre("Uno"));
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("Loading info list of program....ITALIANO"));
  EXPECT_THAT(log, Not(Contains("Error - cannot connect to the site")));
}

}  // namespace
}  // namespace corvane
