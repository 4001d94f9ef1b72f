#include "runtime/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "runtime/temporary_file.h"
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

// Files are read whole whatever their size against the read buffer; a
// folder is no file.
TEST(FileSystemTest, ReadsWholeFilesOfAnySize) {
  TempDir dir;
  for (std::size_t size : {0, 1, 65535, 65536, 65537, 300001}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    dir.Write("f.bin", bytes);
    EXPECT_EQ(Fs().ReadFile(dir / "f.bin"), bytes) << size;
  }
  EXPECT_FALSE(Fs().ReadFile(dir.path()).has_value());
#ifndef _WIN32
  // A system file whose size is given as 0 still has its text.
  EXPECT_NE(Fs().ReadFile("/proc/self/status").value_or("").find("Name:"), std::string::npos);
#endif
}

TEST(FileSystemTest, WritingThroughAnotherCaseReplacesTheExistingFile) {
  TempDir dir;
  dir.Write("data/conf.txt", "old");
  ASSERT_TRUE(Fs().WriteFile(dir / "DATA/CONF.TXT", "new"));
  EXPECT_EQ(dir.Read("data/conf.txt"), "new");
  EXPECT_EQ(Fs().ListFolder(dir.path()).value_or(std::vector<std::string>{}), std::vector<std::string>{"data"});
  // A stream opened on a longer file leaves none of its old bytes behind.
  dir.Write("data/long.txt", "0123456789");
  auto out = Fs().OpenWrite(dir / "Data/Long.txt");
  ASSERT_TRUE(out && out->Write("abc", 3) && out->Close());
  EXPECT_EQ(dir.Read("data/long.txt"), "abc");
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

// A copy that fails for any reason leaves the destination byte for byte as
// it was and no temporary beside it; a copy of a file onto itself (by the
// same path, by another letter case, through a hard link) is refused.
TEST(FileSystemTest, FailedCopiesKeepTheDestination) {
  TempDir dir;
  dir.Write("d/dst.txt", "destination");
  dir.Write("d/other.txt", "other");
  std::filesystem::create_directories(dir / "folder");
  std::error_code ec;
  std::filesystem::create_hard_link(dir / "d/other.txt", dir / "d/hard.txt", ec);
  ASSERT_FALSE(ec) << ec.message();
  struct Case {
    std::string src, dst, kept;
  };
  std::vector<Case> cases = {
      {"d/dst.txt", "d/dst.txt", "destination"}, {"d/dst.txt", "D/DST.TXT", "destination"},
      {"d/hard.txt", "d/other.txt", "other"},    {"folder", "d/dst.txt", "destination"},
      {"missing", "d/dst.txt", "destination"},
  };
#ifndef _WIN32
  cases.push_back({"/dev/zero", "d/dst.txt", "destination"});  // endless: only regular files are read
#endif
  for (const Case& c : cases) {
    const std::string src = c.src[0] == '/' ? c.src : dir / c.src;
    EXPECT_EQ(Fs().CopyFile(src, dir / c.dst), 0) << c.src << " > " << c.dst;
    EXPECT_EQ(Fs().ReadFile(dir / c.dst).value_or("?"), c.kept) << c.src << " > " << c.dst;
  }
  EXPECT_EQ(Fs().ListFolder(dir / "d")->size(), 3u);
}

class ReadFailsMidway : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  struct HalfStream : ReadStream {
    int calls = 0;
    long long Read(void* data, std::size_t size) override {
      if (calls++ > 0) return -1;
      std::memset(data, 'x', std::min<std::size_t>(size, 3));
      return 3;
    }
  };
  std::unique_ptr<ReadStream> OpenRead(const std::string&) override { return std::make_unique<HalfStream>(); }
};

TEST(FileSystemTest, ACopyWhoseReadFailsMidwayKeepsTheDestination) {
  TempDir dir;
  dir.Write("src.txt", "source bytes");
  dir.Write("dst.txt", "destination");
  ReadFailsMidway failing(Fs());
  EXPECT_EQ(failing.CopyFile(dir / "src.txt", dir / "dst.txt"), 0);
  EXPECT_EQ(dir.Read("dst.txt"), "destination");
  EXPECT_EQ(Fs().ListFolder(dir.path())->size(), 2u);
#ifndef _WIN32
  // A link at the destination is replaced, not written through.
  ASSERT_TRUE(corvane::testing::MakeSymlink(dir / "dst.txt", dir / "link.txt"));
  EXPECT_EQ(Fs().CopyFile(dir / "src.txt", dir / "link.txt"), 1);
  EXPECT_FALSE(Fs().IsLink(dir / "link.txt"));
  EXPECT_EQ(dir.Read("link.txt") + "|" + dir.Read("dst.txt"), "source bytes|destination");
#endif
}

// Temporaries are short names of our own, made exclusively: a target of the
// longest legal name still gets one, and no two are alike.
TEST(FileSystemTest, TemporaryNamesAreOursAndUnique) {
  TempDir dir;
#ifndef _WIN32  // a Windows path of this length needs the long-path prefix
  const std::string longest(255, 'n');
  ASSERT_TRUE(WriteFileAtomic(dir / longest, "long"));
  EXPECT_EQ(dir.Read(longest), "long");
#endif
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    std::string t = CreateTemporaryBeside(Fs(), dir / "target.txt");
    ASSERT_FALSE(t.empty());
    const std::string name = t.substr(t.rfind('/') + 1);
    EXPECT_TRUE(IsTemporaryName(name)) << name;
    EXPECT_LT(name.size(), 32u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(CreateTemporaryBeside(Fs(), dir / "no/such/folder/x"), "");
  for (const char* name : {"x.corvane-part", ".corvane-ABCDEFGH.tmp", ".corvane-abcdefg.tmp", "conf.txt.tmp1_2",
                           ".corvane-abcdefgh.tmp.txt"})
    EXPECT_FALSE(IsTemporaryName(name)) << name;
}

// The leftovers of a killed run are swept from the folders the journal
// names, and nothing else is.
TEST(FileSystemTest, SweepRemovesOnlyOurTemporariesInJournalledFolders) {
  TempDir dir;
  SetTemporaryJournal(dir / "journal.txt");
  const std::string left_a = CreateTemporaryBeside(Fs(), dir / "a/x.txt");
  EXPECT_EQ(left_a, "");  // no folder a yet
  dir.Write("a/keep.txt.corvane-part", "user's");
  dir.Write("b/.corvane-abcdefgh.tmp", "not journalled");
  const std::string ours = CreateTemporaryBeside(Fs(), dir / "a/x.txt");
  ASSERT_FALSE(ours.empty());
  SetTemporaryJournal(dir / "journal.txt");  // as at the next start
  EXPECT_EQ(SweepJournalledTemporaries(Fs()), std::vector<std::string>{ours});
  SetTemporaryJournal("");
  EXPECT_FALSE(Fs().Kind(ours) != kNone || dir.Exists("journal.txt"));
  EXPECT_TRUE(dir.Exists("a/keep.txt.corvane-part") && dir.Exists("b/.corvane-abcdefgh.tmp"));
}

// While listings are kept, names still resolve with case ignored and the
// file system's own creates, renames and deletes are seen at once; a folder
// that takes many new files is listed once, not once per new name.
TEST(FileSystemTest, KeptListingsFollowOwnChanges) {
  TempDir dir;
  dir.Write("d/Old.txt", "old");
  FileSystem& fs = Fs();
  KeptListings kept(fs);
  EXPECT_EQ(fs.ReadFile(dir / "d/OLD.TXT").value_or("?"), "old");
  ASSERT_TRUE(fs.WriteFile(dir / "d/New.txt", "new"));
  EXPECT_EQ(fs.ReadFile(dir / "D/NEW.TXT").value_or("?"), "new");
  ASSERT_TRUE(fs.Rename(dir / "d/new.txt", dir / "d/Moved.txt"));
  EXPECT_EQ(fs.Kind(dir / "d/NEW.txt"), kNone);
  ASSERT_TRUE(fs.DeleteFile(dir / "d/old.TXT"));
  EXPECT_EQ(fs.Kind(dir / "d/Old.txt"), kNone);
  ASSERT_TRUE(fs.CreateFolderWithParents(dir / "d/Sub/Deeper"));
  ASSERT_TRUE(WriteFileAtomic(dir / "d/SUB/deeper/f.txt", "f"));
  ASSERT_TRUE(fs.Rename(dir / "d/sub", dir / "d/Other"));
  EXPECT_EQ(fs.Kind(dir / "d/sub/Deeper/f.txt"), kNone);
  EXPECT_EQ(fs.ReadFile(dir / "d/other/DEEPER/F.txt").value_or("?"), "f");
  std::vector<std::string> names = fs.ListFolder(dir / "d").value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Moved.txt", "Other"}));
#ifndef _WIN32
  ASSERT_TRUE(fs.CreateFolder(dir / "many"));
  const std::uint64_t before = SystemCallCount();
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(WriteFileAtomic(dir / ("many/File" + std::to_string(i)), "x"));
  const std::uint64_t spent = SystemCallCount() - before;
  EXPECT_LT(spent, 200u * 6) << spent << " calls for 200 new files";
  EXPECT_EQ(fs.ReadFile(dir / "MANY/file199").value_or("?"), "x");
#endif
}

// Reads at an offset, short only at the end; creating a file for writing
// refuses any name that is taken.
TEST(FileSystemTest, ReadsAtOffsetsAndCreatesNewFilesOnly) {
  TempDir dir;
  dir.Write("f.bin", "0123456789");
  std::unique_ptr<ReadAtFile> file = Fs().OpenReadAt(dir / "F.BIN");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 10u);
  const std::pair<std::uint64_t, std::string> reads[] = {{3, "3456"}, {8, "89"}, {10, ""}, {99, ""}};
  for (const auto& [offset, expected] : reads) {
    char buffer[4];
    const long long n = file->ReadAt(offset, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max(n, 0LL))), expected) << offset;
  }
  EXPECT_FALSE(Fs().OpenReadAt(dir / "missing"));
  EXPECT_FALSE(Fs().OpenReadAt(dir.path()));

  EXPECT_FALSE(Fs().OpenWriteNew(dir / "f.bin"));
  auto fresh = Fs().OpenWriteNew(dir / "g.bin");
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(fresh->Write("g", 1) && fresh->Close());
  EXPECT_EQ(dir.Read("g.bin") + dir.Read("f.bin"), "g0123456789");
#ifndef _WIN32
  ASSERT_TRUE(corvane::testing::MakeSymlink(dir / "gone", dir / "dangling"));
  EXPECT_FALSE(Fs().OpenWriteNew(dir / "dangling"));
  EXPECT_FALSE(dir.Exists("gone"));
#endif
}

TEST(FileSystemTest, AbsoluteFoldsDotsAndSeparators) {
  const std::string root = Fs().Absolute("/");  // "/", or the current drive's "C:/" on Windows
  EXPECT_EQ(Fs().Absolute("/a/b\\..\\c/./d/"), root + "a/c/d");
  EXPECT_EQ(Fs().Absolute("/../.."), root);
}

}  // namespace
}  // namespace corvane::runtime
