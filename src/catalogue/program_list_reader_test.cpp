#include "catalogue/program_list_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "catalogue/catalogue_test_fixture.h"

namespace corvane {
namespace {

using ::testing::Contains;
using ::testing::Not;

using ReaderTest = CatalogueTest;

// Each record as "[name:fullname:urls joined by '|' ('-' for none):desc]", in list order.
std::string Records() {
  std::string out;
  for (const auto& p : programList) {
    std::string urls;
    for (const auto& u : p->urls) urls += (urls.empty() ? "" : "|") + u;
    if (p->urls.empty()) urls = "-";
    out += "[" + p->name + ":" + p->fullname + ":" + urls + ":" + p->desc + "]";
  }
  return out;
}

TEST_F(ReaderTest, ListFileRules) {
  struct Case {
    const char* file;
    const char* records;
  } cases[] = {
      {"[b]\r\nNAME=Zeta\r\n[/]\r\n[a]\r\nNAME=Alpha\r\n[/]\r\n", "[A:Alpha::][B:Zeta::]"},
      {"[x]\nname=x\nUrl=u1|u2\n[/]\n", "[X:x:u1|u2:]"},
      {"[d]\nDESC=see URL=x\n[/]\n", "[D::see URL=x:see URL=x]"},           // one line, two slots
      {"[a]\nNAME=A\n[b]\n[/]\n", "[B:A::]"},                                 // values carried over
      {"NAME=out\n[a]\nNAME=A\n[/]\nNAME=out\n[/]\n[]\nNAME=B\n[/]\n[c]\nNAME=C\n", "[A:A::]"},
      {"[p]\nNAME=S\nDESC=1\n[/]\n[q]\nNAME=R\n[/]\n[r]\nNAME=S\nDESC=2\n[/]\n[s]\nNAME=s\n[/]\n",
       "[Q:R::][P:S::1][R:S::2][S:s::]"},                                     // equal names: file order
      {"[a]\nNAME=Old\nNAME= New = x \r\n[/]\n", "[A: New = x ::]"},
  };
  for (const Case& c : cases) {
    tprogram::ClearAll();
    ReadProgramList(c.file);
    EXPECT_EQ(Records(), c.records) << c.file;
  }
}

// Every key in any letter case, alone or inside a longer word, and lines of
// 8-bit text (a Latin-1 header and value, a CR inside a line).
TEST_F(ReaderTest, EveryKeyFillsItsField) {
  ReadProgramList(
      "[caf\xE9]\nnAmE=N\nurl=U\ndesc=D\nWeb=W\nauthor=A\nLicense=L\nmessage=M\npath=P\n"
      "copy=C\nbackup=B\nDeLeTe=X\nsha256=S\nxdesc=D2\n=\nNAMEx=no\nWEB=caf\xE9\r!\r\n[/]\n");
  ASSERT_EQ(programList.size(), 1u);
  const tprogram& p = *programList[0];
  const std::string fields[][2] = {
      {p.name, "CAF\xC3\x89"}, {p.fullname, "N"},       {p.url, "U"},   {p.desc, "D2"},
      {p.web, "caf\xC3\xA9!"}, {p.author, "A"},        {p.license, "L"}, {p.message, "M"},
      {p.path, "P"},           {p.copy, "C"},          {p.backup, "B"}, {p.fDelete, "X"},
      {p.sha256, "S"},
  };
  for (const auto& field : fields) EXPECT_EQ(field[0], field[1]);
}

TEST_F(ReaderTest, Sha256KeyIsReadAnywhereWithoutDisturbingTheOtherKeys) {
  ReadProgramList("[a]\nNAME=A\nsha256= AbC \nURL=http://h/a.zip\nPATH=/mod\n[/]\n[b]\nNAME=B\n[/]\n");
  EXPECT_EQ(Records(), "[A:A:http://h/a.zip:][B:B::]");
  EXPECT_EQ(programList[0]->sha256, " AbC ");
  EXPECT_EQ(programList[0]->path, "/mod");
  EXPECT_EQ(programList[1]->sha256, "");
}

TEST_F(ReaderTest, DescriptionAndMessageFilesComeFromLangWithCaseIgnored) {
  LANGUAGE = "ITALIANO";
  dir_.Write("lang/abc.italiano.txt", "\xEF\xBB\xBFPrima\r\nSeconda \xC3\xA8");
  dir_.Write("lang/latin.italiano.txt", "caf\xE9");
  dir_.Write("lang/setup_msg.txt", "Close the IDE first.");
  ReadProgramList(
      "[Abc]\nNAME=A\nMESSAGE=SETUP_MSG.TXT\nDESC=d\n[/]\n"
      "[latin]\nNAME=B\nMESSAGE=missing.txt\n[/]\n[none]\nNAME=C\n[/]\n");
  ASSERT_EQ(programList.size(), 3u);
  EXPECT_EQ(LongDescription(*programList[0]), "Prima\r\nSeconda \xC3\xA8");
  EXPECT_EQ(LongDescription(*programList[1]), "caf\xC3\xA9");
  EXPECT_EQ(LongDescription(*programList[2]), "");
  EXPECT_EQ(programList[0]->message, "Close the IDE first.");
  EXPECT_EQ(programList[1]->message, "missing.txt");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("File: Abc"));
  EXPECT_THAT(log, Contains(" Reading file <SETUP_MSG.TXT>"));
  EXPECT_THAT(log, Contains(" File: <Close the IDE first.> caricato..."));
  EXPECT_THAT(log, Contains(" Reading file <Close the IDE first.>"));  // tried again on the next line
  EXPECT_THAT(log, Not(Contains(" File: <missing.txt> caricato...")));
}

// Message files are read ahead on a helper thread with the real file system;
// a file system that only reads on the caller's thread gets none read ahead.
// Both give the same records and the same log, whatever the list does with
// its messages: named outside a record, twice, in small letters, missing,
// with other letter case, or naming a message file with its text.
TEST_F(ReaderTest, MessagesReadAheadGiveWhatReadingEachOnItsOwnGives) {
  dir_.Write("lang/m1.txt", "one");
  dir_.Write("lang/Case.TXT", "case");
  dir_.Write("lang/chain.txt", "m1.txt");
  dir_.Write("lang/low.txt", "low");
  const std::string list =
      "MESSAGE=m1.txt\n[a]\nNAME=A\nMESSAGE=m1.txt\n[/]\n[b]\nNAME=B\nMESSAGE=chain.txt\nPATH=p\n[/]\n"
      "[c]\nNAME=C\nmessage=low.txt\n[/]\n[d]\nNAME=D\nMESSAGE=gone.txt\n[/]\n[e]\nNAME=E\nMESSAGE=case.txt\n[/]\n"
      "[f]\nNAME=F\nMESSAGE=m1.txt\n[/]\n";
  auto load = [&] {
    tprogram::ClearAll();
    const std::size_t logged = LoggedTexts().size();
    ReadProgramList(list);
    std::vector<std::string> out;
    for (const auto& p : programList) out.push_back(p->name + ":" + p->message);
    const std::vector<std::string> log = LoggedTexts();
    out.insert(out.end(), log.begin() + static_cast<long>(logged), log.end());
    return out;
  };
  const std::vector<std::string> ahead = load();
  runtime::FileSystemWrapper one_thread(runtime::Fs());
  runtime::SetFs(&one_thread);
  const std::vector<std::string> alone = load();
  runtime::SetFs(nullptr);
  EXPECT_EQ(ahead, alone);
  EXPECT_THAT(alone, Contains("A:one"));
  EXPECT_THAT(alone, Contains("B:one"));  // the text named another message file
  EXPECT_THAT(alone, Contains("C:low"));
  EXPECT_THAT(alone, Contains("D:gone.txt"));
  EXPECT_THAT(alone, Contains("E:case"));
  EXPECT_THAT(alone, Contains("F:one"));
}

// The description file is chosen at load (the last header's, exact letter
// case before folded) and read when first asked for.
TEST_F(ReaderTest, DescriptionIsTheFileFoundAtLoadReadOnFirstUse) {
  LANGUAGE = "english";  // so that [Dup] and [dup] name their files exactly
  for (const char* file : {"Dup:upper", "dup:lower", "a:of a", "gone:removed before use"}) {
    const std::string text = file;
    dir_.Write("lang/" + text.substr(0, text.find(':')) + ".english.txt", text.substr(text.find(':') + 1));
  }
  ReadProgramList(
      "[Dup]\nNAME=1\n[/]\n[dup]\nNAME=2\n[/]\n[a]\nNAME=3\n[nofile]\n[/]\n"
      "[a]\nNAME=4\n[DUP]\n[/]\n[gone]\nNAME=5\n[/]\n");
  ASSERT_EQ(programList.size(), 5u);
  dir_.Write("lang/a.english.txt", "of a, changed");
  runtime::Fs().DeleteFile("lang/gone.english.txt");
  const std::string folded = LongDescription(*programList[3]);
#ifdef _WIN32
  // One file answers to both names there: the second write replaced its text.
  const char* expected[] = {"lower", "lower", "of a, changed", nullptr, ""};
#else
  const char* expected[] = {"upper", "lower", "of a, changed", nullptr, ""};
#endif
  for (int i : {0, 1, 2, 4}) EXPECT_EQ(LongDescription(*programList[i]), expected[i]) << "record " << i + 1;
  EXPECT_TRUE(folded == "upper" || folded == "lower") << folded;  // the first listed of the two
}

}  // namespace
}  // namespace corvane
