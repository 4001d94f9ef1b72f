// Damaged data, size caps and links are exercised through ExtractZip
// (install/extract_zip_test.cpp); these cover the reader's own contract.
#include "zip/zip_reader.h"

#include <gtest/gtest.h>

#include "runtime/file_system.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

namespace corvane {
namespace {

using testing::TempDir;
using testing::WriteZip;

TEST(ZipReader, ListsEntriesAndKeepsDuplicatesApart) {
  TempDir t;
  ASSERT_TRUE(WriteZip(t / "a.zip", {{"top.txt", "top"}, {"dir/", ""}, {"dir/sub/x.bin", std::string(5000, 'x')},
                                     {"top.txt", "again"}}));
  ZipReader zip;
  ASSERT_TRUE(zip.Open(t / "a.zip"));
  ASSERT_EQ(zip.Count(), 4);
  EXPECT_EQ(zip.Folder(0), "");
  EXPECT_EQ(zip.Folder(1), "dir");
  EXPECT_EQ(zip.Name(2), "dir/sub/x.bin");
  EXPECT_EQ(zip.Folder(2), "dir/sub");
  EXPECT_EQ(zip.Size(2), 5000);
  EXPECT_EQ(zip.Size(4), -1);
  EXPECT_EQ(zip.Extract("dir/sub/x.bin", t / "x", ""), ZipStatus::kOk);
  EXPECT_EQ(t.Read("x"), std::string(5000, 'x'));
  // By name the first of two equal names; by position either.
  EXPECT_EQ(zip.Extract("top.txt", t / "first", ""), ZipStatus::kOk);
  EXPECT_EQ(zip.ExtractEntry(3, t / "second", ""), ZipStatus::kOk);
  EXPECT_EQ(t.Read("first") + t.Read("second"), "topagain");
  EXPECT_EQ(zip.Extract("missing", t / "m", ""), ZipStatus::kNoSuchEntry);
  zip.Close();
  EXPECT_EQ(zip.Extract("top.txt", t / "late", ""), ZipStatus::kNotOpen);
  EXPECT_FALSE(t.Exists("m") || t.Exists("late"));
}

class FailingWrites : public runtime::FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  struct Broken : runtime::WriteStream {
    bool Write(const void*, std::size_t) override { return false; }
    bool Close() override { return false; }
  };
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string& p) override {
    t_.WriteFile(p, "partial");  // the file exists, as after the disk filled up
    return std::make_unique<Broken>();
  }
};

TEST(ZipReader, AFailedWriteLeavesNoPartialFile) {
  TempDir t;
  ASSERT_TRUE(WriteZip(t / "w.zip", {{"f.txt", "content"}}));
  auto real = runtime::MakeRealFileSystem();
  FailingWrites failing(*real);
  ZipReader zip;
  ASSERT_TRUE(zip.Open(t / "w.zip"));
  runtime::SetFs(&failing);
  ZipStatus status = zip.ExtractEntry(0, t / "f.txt", "");
  runtime::SetFs(nullptr);
  EXPECT_EQ(status, ZipStatus::kWriteFailed);
  EXPECT_FALSE(t.Exists("f.txt"));
  EXPECT_EQ(runtime::Fs().ListFolder(t.path())->size(), 1u);  // only the archive: no temporary left
}

TEST(ZipReader, ADamagedEntryKeepsTheFileItWouldHaveReplaced) {
  TempDir t;
  ASSERT_TRUE(WriteZip(t / "d.zip", {{"f.txt", "new content, stored without compression", false, true}}));
  // Damage the stored bytes: the entry ends with a CRC error.
  ASSERT_EQ(testing::PatchBytes(t / "d.zip", "without", "WITHOUT"), 1);
  t.Write("out/f.txt", "the installed file");
  ZipReader zip;
  ASSERT_TRUE(zip.Open(t / "d.zip"));
  EXPECT_EQ(zip.ExtractEntry(0, t / "out/f.txt", ""), ZipStatus::kCrcError);
  EXPECT_EQ(t.Read("out/f.txt"), "the installed file");
  EXPECT_EQ(runtime::Fs().ListFolder(t / "out")->size(), 1u);
}

TEST(ZipReader, EncryptedEntriesAndNameEncodings) {
  TempDir t;
  ASSERT_TRUE(WriteZip(t / "p.zip", {{"plain.txt", "open"}, {"locked.txt", "locked"},
                                     {"caf\xe9.txt", "latin"}, {"\xc3\xa9t\xc3\xa9.txt", "utf8"}}));
  // Mark the second entry encrypted (flag bit 0) in both of its headers.
  std::string b = testing::ReadBytes(t / "p.zip");
  std::size_t c = testing::CentralHeader(b, 1);
  b[c + 8] |= 1;
  b[testing::Get32(b, c + 42) + 6] |= 1;
  testing::WriteBytes(t / "p.zip", b);

  ZipReader zip;
  ASSERT_TRUE(zip.Open(t / "p.zip"));
  EXPECT_EQ(zip.ExtractEntry(0, t / "plain", "unused password"), ZipStatus::kOk);
  EXPECT_TRUE(zip.Entry(1)->encrypted);
  EXPECT_EQ(zip.ExtractEntry(1, t / "locked", ""), ZipStatus::kCannotOpen);
  EXPECT_FALSE(t.Exists("locked"));
  EXPECT_EQ(zip.Name(2), "caf\xc3\xa9.txt");  // not UTF-8: one byte per character
  EXPECT_EQ(zip.Name(3), "\xc3\xa9t\xc3\xa9.txt");
}

}  // namespace
}  // namespace corvane
