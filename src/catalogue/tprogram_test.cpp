#include "catalogue/tprogram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace corvane {
namespace {

using ::testing::ElementsAre;

class ProgramListTest : public ::testing::Test {
 protected:
  void SetUp() override { tprogram::ClearAll(); }
  void TearDown() override { tprogram::ClearAll(); }
};

TEST_F(ProgramListTest, CompareIsOneOnlyWhenThisNameSortsAfterTheOther) {
  tprogram a, b;
  a.fullname = "alpha";
  b.fullname = "Beta";  // upper case sorts before lower case
  EXPECT_EQ(a.Compare(b), 1);
  EXPECT_EQ(b.Compare(a), 0);
  EXPECT_EQ(a.Compare(a), 0);
  b.fullname = "\xC3\xA0";  // a Latin-1 letter sorts after every ASCII one
  EXPECT_EQ(b.Compare(a), 1);
}

// Many records with few distinct names: the insertion must give exactly the
// order a stable sort of the records in their order of addition gives.
TEST_F(ProgramListTest, InsertionKeepsTheOrderOfAStableSort) {
  std::mt19937 random(7);
  const std::vector<std::string> names = {"B", "a", "A", "b", "", "Ab", "aB", "\xC3\xA9"};
  std::vector<std::pair<std::string, int>> added;
  for (int i = 0; i < 500; ++i) {
    std::string name = names[random() % names.size()];
    tprogram::AddFromArray({"id", name, "", std::to_string(i)});
    added.emplace_back(name, i);
  }
  std::stable_sort(added.begin(), added.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  ASSERT_EQ(programList.size(), added.size());
  for (std::size_t i = 0; i < added.size(); ++i) {
    EXPECT_EQ(programList[i]->fullname, added[i].first) << "at " << i;
    EXPECT_EQ(programList[i]->desc, std::to_string(added[i].second)) << "at " << i;
  }
}

TEST_F(ProgramListTest, AddFromArrayMapsEverySlotToItsField) {
  auto p = tprogram::AddFromArray({"ide", "The IDE", "u1|u2|", "short", "long text", "web",
                                   "author", "licence", "message", "path", "copy", "backup",
                                   "delete"});
  EXPECT_EQ(p->name, "IDE");
  EXPECT_EQ(p->fullname, "The IDE");
  EXPECT_THAT(p->urls, ElementsAre("u1", "u2", ""));
  EXPECT_EQ(p->url, "u1");
  EXPECT_EQ(p->desc, "short");
  EXPECT_EQ(p->Longdesc, "long text");
  EXPECT_EQ(p->web, "web");
  EXPECT_EQ(p->author, "author");
  EXPECT_EQ(p->license, "licence");
  EXPECT_EQ(p->message, "message");
  EXPECT_EQ(p->path, "path");
  EXPECT_EQ(p->copy, "copy");
  EXPECT_EQ(p->backup, "backup");
  EXPECT_EQ(p->fDelete, "delete");
  EXPECT_EQ(p->status, 0);
  EXPECT_EQ(p->what_url, 0);
}

TEST_F(ProgramListTest, AddKeepsTheAddressInItsListAndClearAllEmpties) {
  tprogram::Add("zed", "Zed", "http://h/z.zip", "d", "L");
  tprogram::Add("abc", "Abc", "http://h/a.zip", "", "");
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(programList[0]->name, "ABC");
  EXPECT_THAT(programList[1]->urls, ElementsAre("http://h/z.zip"));
  tprogram::ClearAll();
  EXPECT_TRUE(programList.empty());
}

}  // namespace
}  // namespace corvane
