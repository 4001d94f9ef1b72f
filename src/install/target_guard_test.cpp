#include "install/target_guard.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "install/entry_name.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;

TEST(TargetGuard, OnlyPathsStrictlyBelowTheTargetAreInside) {
  const std::string t = "/x/Tarnic";
  struct Case {
    std::string rule;
    bool inside;
  } cases[] = {
      {"/bin/tnc.exe", true}, {"\\bin\\tnc.exe", true}, {"/a/../b", true},  {"", false},
      {"/", false},           {".", false},             {"/.", false},      {"/..", false},
      {"/a/../..", false},    {"/../Tarnic2/x", false}, {"2/x", false},     {"/../../etc", false},
      {"/./a/./", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsStrictlyInside(t, t + c.rule), c.inside) << "rule " << c.rule;
  EXPECT_FALSE(IsStrictlyInside("", "/x"));
  EXPECT_FALSE(IsStrictlyInside(t, "/etc/passwd"));
  EXPECT_TRUE(IsStrictlyInside("/", "/etc"));
}

TEST(TargetGuard, FindsLinksBelowTheTargetOnly) {
  TempDir t;
  t.Write("T/real/f", "");
  t.Write("out/f", "");
  ASSERT_TRUE(corvane::testing::MakeSymlink(t / "out", t / "T/link"));
  ASSERT_TRUE(corvane::testing::MakeSymlink(t / "T", t / "alias"));
  EXPECT_EQ(LinkBelow(t / "T", t / "T/real/f", true), "");
  EXPECT_EQ(LinkBelow(t / "T", t / "T/link/f", true), t / "T/link");
  EXPECT_EQ(LinkBelow(t / "T", t / "T/link", true), t / "T/link");
  EXPECT_EQ(LinkBelow(t / "T", t / "T/link", false), "");
  // A link above the target is the user's business.
  EXPECT_EQ(LinkBelow(t / "alias", t / "alias/real/f", true), "");
}

TEST(EntryName, RefusesNamesThatLeaveTheirFolder) {
  EXPECT_EQ(EntryNameProblem("a/b.txt"), "");
  EXPECT_EQ(EntryNameProblem("./a/..b/c..d"), "");
  EXPECT_EQ(EntryNameProblem(""), "empty name");
  EXPECT_EQ(EntryNameProblem("/etc/x"), "absolute path");
  EXPECT_EQ(EntryNameProblem("//srv/share/x"), "absolute path");
  EXPECT_EQ(EntryNameProblem("C:/x"), "drive letter");
  EXPECT_EQ(EntryNameProblem("c:x"), "drive letter");
  EXPECT_EQ(EntryNameProblem("../x"), "parent folder");
  EXPECT_EQ(EntryNameProblem("a/../../x"), "parent folder");
  EXPECT_EQ(EntryNameProblem("a/.. /x"), "parent folder");
  EXPECT_EQ(EntryNameProblem("a/..."), "parent folder");
  EXPECT_EQ(EntryNameProblem(std::string("a\0b", 3)), "NUL byte in name");
  EXPECT_EQ(PrintableName(std::string("a\0b\n", 4)), "a?b?");
}

}  // namespace
}  // namespace corvane
