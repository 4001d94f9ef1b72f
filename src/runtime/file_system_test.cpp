#include "runtime/file_system.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

using corvane::testing::TempDir;

TEST(FileSystemTest, FindsFilesWithOtherCaseAndBackslashes) {
  TempDir dir;
  dir.Write("lang/abc.italiano.txt", "ciao");
  FileSystem& fs = Fs();
  EXPECT_EQ(fs.ReadFile(dir / "lang/ABC.ITALIANO.txt").value_or("?"), "ciao");
  EXPECT_EQ(fs.ReadFile(dir.path() + "\\lang\\abc.italiano.txt").value_or("?"), "ciao");
  EXPECT_EQ(fs.ReadFile(dir / "LANG\\Abc.Italiano.TXT").value_or("?"), "ciao");
  EXPECT_EQ(fs.FileSize(dir / "Lang/ABC.italiano.txt"), 4);
  EXPECT_EQ(fs.Kind(dir / "LANG"), kFolder);
  EXPECT_EQ(fs.Kind(dir / "lang/missing.txt"), kNone);
}

TEST(FileSystemTest, WritingThroughAnotherCaseReplacesTheExistingFile) {
  TempDir dir;
  dir.Write("data/conf.txt", "old");
  ASSERT_TRUE(Fs().WriteFile(dir / "DATA/CONF.TXT", "new"));
  EXPECT_EQ(dir.Read("data/conf.txt"), "new");
  EXPECT_EQ(Fs().ListFolder(dir.path()).value_or(std::vector<std::string>{}), std::vector<std::string>{"data"});
}

TEST(FileSystemTest, FoldersCopyDeleteAndListing) {
  TempDir dir;
  FileSystem& fs = Fs();
  EXPECT_TRUE(fs.CreateFolderWithParents(dir / "a\\b\\c"));
  EXPECT_EQ(fs.Kind(dir / "a/b/c"), kFolder);
  dir.Write("a/b/c/f.txt", "x");
  EXPECT_EQ(fs.CopyFile(dir / "a/b/c/f.txt", dir / "g.txt"), 1);
  EXPECT_EQ(fs.CopyFile(dir / "missing", dir / "h.txt"), 0);
  EXPECT_EQ(dir.Read("g.txt"), "x");
  auto names = fs.ListFolder(dir.path());
  ASSERT_TRUE(names);
  EXPECT_EQ(names->size(), 2u);
  EXPECT_FALSE(fs.ListFolder(dir / "nope"));
  EXPECT_TRUE(fs.DeleteFolder(dir / "A"));
  EXPECT_FALSE(dir.Exists("a"));
  EXPECT_TRUE(fs.DeleteFile(dir / "g.txt"));
  EXPECT_FALSE(fs.DeleteFile(dir / "g.txt"));
}

class FailingWrites : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::unique_ptr<WriteStream> OpenWrite(const std::string&) override { return nullptr; }
};

TEST(FileSystemTest, AtomicWriteKeepsThePreviousFileOnFailure) {
  TempDir dir;
  dir.Write("conf.txt", "previous");
  FailingWrites failing(Fs());
  SetFs(&failing);
  bool ok = WriteFileAtomic(dir / "conf.txt", "next");
  SetFs(nullptr);
  EXPECT_FALSE(ok);
  EXPECT_EQ(dir.Read("conf.txt"), "previous");
  EXPECT_TRUE(WriteFileAtomic(dir / "conf.txt", "next"));
  EXPECT_EQ(dir.Read("conf.txt"), "next");
  EXPECT_EQ(Fs().ListFolder(dir.path())->size(), 1u);  // no temporary left behind
}

TEST(FileSystemTest, AbsoluteFoldsDotsAndSeparators) {
  const std::string root = Fs().Absolute("/");  // "/", or the current drive's "C:/" on Windows
  EXPECT_EQ(Fs().Absolute("/a/b\\..\\c/./d/"), root + "a/c/d");
  EXPECT_EQ(Fs().Absolute("/../.."), root);
}

}  // namespace
}  // namespace corvane::runtime
