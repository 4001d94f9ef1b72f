#include "install/wildcard_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;

TEST(ResolveWildcardPath, PicksTheFirstFolderContainingThePattern) {
  TempDir t;
  t.Write("mod/alpha.mod/x/a.txt", "");
  t.Write("mod/beta2.mod/x/a.txt", "");
  EXPECT_EQ(ResolveWildcardPath(t / "mod/#beta#/x/a.txt"), t / "mod/beta2.mod/x/a.txt");
  // Backslashes anywhere come back as '/'.
  EXPECT_EQ(ResolveWildcardPath(t.path() + "\\mod\\#beta#\\x\\a.txt"), t / "mod/beta2.mod/x/a.txt");
}

TEST(ResolveWildcardPath, IgnoresCaseAndPassesOverFiles) {
  TempDir t;
  t.Write("mod/beta-notes.txt", "a file, not a folder");
  t.Write("mod/BETA.mod/keep", "");
  EXPECT_EQ(ResolveWildcardPath(t / "mod/#beta#/a.txt"), t / "mod/BETA.mod/a.txt");
}

TEST(ResolveWildcardPath, WithoutAMatchTheFolderIsDropped) {
  TempDir t;
  t.Write("mod/alpha.mod/keep", "");
  EXPECT_EQ(ResolveWildcardPath(t / "mod/#gamma#/x/a.txt"), t / "mod//a.txt");
  // A prefix that cannot be listed is no different.
  EXPECT_EQ(ResolveWildcardPath(t / "none/#a#/f"), t / "none//f");
}

TEST(ResolveWildcardPath, PathsWithoutAPatternComeBackAsTheyAre) {
  EXPECT_EQ(ResolveWildcardPath("C:\\T\\bin\\tnc.exe"), "C:/T/bin/tnc.exe");
  EXPECT_EQ(ResolveWildcardPath("C:/T/#single/a.txt"), "C:/T/#single/a.txt");
  EXPECT_EQ(ResolveWildcardPath("C:/T/bin/#name#.txt"), "C:/T/bin/#name#.txt");  // '#' in the name only
  EXPECT_EQ(ResolveWildcardPath("plain.txt"), "plain.txt");
  EXPECT_EQ(ResolveWildcardPath(""), "");
}

}  // namespace
}  // namespace corvane
