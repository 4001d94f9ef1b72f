#include "runtime/folder_listings.h"

#include <gtest/gtest.h>

namespace corvane::runtime {
namespace {

TEST(FolderListingsTest, KeysOnlyPlainPathsBelowAFolder) {
  struct Case {
    const char* path;
    const char* folder;  // "" when the path is not kept
    const char* name;
  };
  const Case cases[] = {
      {"/a/b/c", "/a/b", "c"}, {"rel/x", "/cwd/rel", "x"}, {"x", "/cwd", "x"},
      {"/a/./b", "", ""},      {"/a/../b", "", ""},        {"/a//b", "", ""},
      {"/a/b/", "", ""},       {"/top", "", ""},           {"", "", ""},
  };
  FolderListings listings;
  listings.Keep(true, "/cwd");
  for (const Case& c : cases) {
    std::string folder, name;
    const bool kept = listings.Split(c.path, &folder, &name);
    EXPECT_EQ(kept ? folder + "|" + name : "", *c.folder ? std::string(c.folder) + "|" + c.name : "") << c.path;
  }
  listings.Keep(false, "");
  std::string folder, name;
  EXPECT_FALSE(listings.Split("/a/b/c", &folder, &name));
}

// Names resolve as the system's listing would resolve them (the first name
// equal with case ignored wins), and the file system's own changes are seen.
TEST(FolderListingsTest, FindsNamesAndFollowsOwnChanges) {
  FolderListings listings;
  listings.Keep(true, "/w");
  listings.Keep(true, "/ignored");  // nested: the outer period's folder stays
  EXPECT_FALSE(listings.Find("/w/d", "x"));
  listings.Fill("/w/d", {"Read.me", "READ.ME", "a", "sub"});
  listings.Fill("/w/d/sub", {"f"});
  auto find = [&](const char* folder, const char* name) { return listings.Find(folder, name).value_or("<unknown>"); };
  const std::pair<const char*, const char*> found[] = {
      {"read.me", "Read.me"}, {"READ.ME", "READ.ME"}, {"A", "a"}, {"new", "new"}};
  for (const auto& [name, expected] : found) EXPECT_EQ(find("/w/d", name), expected) << name;

  // A path is known missing only when a kept listing lacks one of its folders.
  const std::pair<const char*, bool> missing[] = {
      {"/w/d/nothere/deeper/x", true}, {"/w/d/sub/x", false}, {"/w/d/SUB/x/y", false}, {"/elsewhere/a/b", false}};
  for (const auto& [path, expected] : missing) EXPECT_EQ(listings.FolderMissing(path), expected) << path;

  listings.Added("d/New");  // relative to the noted folder
  EXPECT_EQ(find("/w/d", "NEW"), "New");
  listings.Removed("/w/d/Read.me");
  EXPECT_EQ(find("/w/d", "read.me"), "READ.ME");
  listings.Added("/w/d/made", true);
  EXPECT_EQ(find("/w/d/made", "X"), "X");
  listings.Removed("/w/d/sub");  // renamed or deleted: nothing below it is known any more
  EXPECT_EQ(find("/w/d/sub", "F"), "<unknown>");
  EXPECT_EQ(find("/w/d", "SUB"), "SUB");
  listings.Added("/w/d/../e/x");  // a spelling that cannot be keyed: nothing kept can be trusted
  EXPECT_EQ(find("/w/d", "new"), "<unknown>");

  listings.Fill("/w/d", {"a"});
  listings.Keep(false, "");
  EXPECT_EQ(find("/w/d", "A"), "a");  // the outer period goes on
  listings.Keep(false, "");
  EXPECT_EQ(find("/w/d", "A"), "<unknown>");
  EXPECT_EQ(listings.CurrentFolder(), "");
}

}  // namespace
}  // namespace corvane::runtime
