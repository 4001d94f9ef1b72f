#include "catalogue/tprogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace corvane {
namespace {

// Records with few distinct names (upper case before lower, Latin-1 last;
// then names that share a long beginning, differ only far into it or only
// by a NUL), added one by one and then as a batch: the list must be in
// exactly the order a stable sort of the records in their order of addition
// gives.
TEST(ProgramList, AddingKeepsTheOrderOfAStableSort) {
  const std::vector<std::vector<std::string>> name_sets = {
      {"B", "a", "A", "b", "", "Ab", "aB", "\xC3\xA9"},
      {"Tarnic tool", "Tarnic tool A", "Tarnic toolbox 0123456789b", "Tarnic toolbox 0123456789a",
       std::string("Tarnic tool\0", 12), "Tarnic tool\xC3\xA9", "Tarnic toolbox 0123456789"},
      {"x1234567a", "x1234568", "x123456", "x1234567b", "x0234567", "y", "x1234567"},  // differ at each of 8 bytes
  };
  for (const auto& names : name_sets) {
    tprogram::ClearAll();
    std::mt19937 random(7);
    std::vector<std::pair<std::string, int>> added;
    std::vector<ProgramPtr> batch;
    for (int i = 0; i < 600; ++i) {
      std::string name = names[random() % names.size()];
      std::vector<std::string> slots = {"id", name, "", std::to_string(i)};
      if (i < 300) {
        tprogram::AddFromArray(slots);
      } else {
        batch.push_back(tprogram::FromArray(slots));
      }
      added.emplace_back(name, i);
    }
    tprogram::AddAll(batch);
    std::stable_sort(added.begin(), added.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    ASSERT_EQ(programList.size(), added.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
      EXPECT_EQ(programList[i]->desc, std::to_string(added[i].second)) << "at " << i << " of " << names[1];
    }
    // A batch alone (an empty list before it) keeps the same order.
    tprogram::ClearAll();
    tprogram::AddAll(batch);
    for (std::size_t i = 1; i < programList.size(); ++i) {
      EXPECT_LE(programList[i - 1]->fullname, programList[i]->fullname);
      if (programList[i - 1]->fullname == programList[i]->fullname)
        EXPECT_LT(std::stoi(programList[i - 1]->desc), std::stoi(programList[i]->desc));
    }
  }
  tprogram::ClearAll();
}

// Records made together share their storage: one kept after the list is
// emptied, the records made after it, and copies of a record or of one of its
// texts taken before its block goes, stay whole.  Texts kept in a block are
// ended by a NUL like any other.
TEST(ProgramList, MadeRecordsOutliveTheList) {
  std::optional<RecordMaker> maker(std::in_place);
  std::vector<ProgramPtr> made;
  std::vector<std::string> slots(tprogram::kSlotCount);
  slots[2] = "http://a.example/x.zip||b";
  for (int i = 0; i < 150; ++i) {
    slots[1] = "record " + std::to_string(i);
    slots[3] = "description " + std::to_string(i) + std::string(i, '.');
    made.push_back(maker->Make());
    maker->Fill(*made.back(), slots.data());
  }
  ProgramPtr kept = made[100];
  const tprogram copy = *made[20];
  RecordText desc = made[30]->desc;
  made.clear();
  ProgramPtr later = maker->Make();
  EXPECT_EQ(kept->fullname, "record 100");
  EXPECT_EQ(kept->url, "http://a.example/x.zip");
  EXPECT_EQ(std::vector<std::string>(kept->urls.begin(), kept->urls.end()),
            (std::vector<std::string>{"http://a.example/x.zip", "", "b"}));
  EXPECT_EQ(std::strlen(kept->desc.c_str()), kept->desc.size());
  EXPECT_EQ(later->fullname, "");
  kept.reset();
  later.reset();
  maker.reset();
  EXPECT_EQ(copy.desc, "description 20" + std::string(20, '.'));
  EXPECT_EQ(copy.urls.back(), "b");
  EXPECT_EQ(desc, "description 30" + std::string(30, '.'));
  desc = desc.view().substr(12);  // a part of itself
  EXPECT_EQ(desc, "30" + std::string(30, '.'));
  EXPECT_EQ(desc.c_str()[desc.size()], '\0');
}

}  // namespace
}  // namespace corvane
