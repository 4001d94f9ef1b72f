// Damaged data, size caps and links are exercised through ExtractZip
// (install/extract_zip_test.cpp); these cover the reader's own contract.
#include "zip/zip_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <utility>
#include <vector>

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

std::string Le(std::uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// Stored entries shaped as `zip -fz` writes them: the local header keeps
// both sizes in the zip64 extra field, the central one the uncompressed
// size only.  Built here so that the Windows build (another minizip) reads
// the very same bytes.
std::string Zip64Stored(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string locals, centrals;
  for (const auto& [name, data] : files) {
    const std::uint64_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    const std::string head = Le(45, 2) + Le(0, 2) + Le(0, 2) + Le(0, 2) + Le(0x21, 2) + Le(crc, 4);
    const std::string local_extra = Le(1, 2) + Le(16, 2) + Le(data.size(), 8) + Le(data.size(), 8);
    const std::string central_extra = Le(1, 2) + Le(8, 2) + Le(data.size(), 8);
    centrals += "PK\x01\x02" + Le(45, 2) + head + Le(data.size(), 4) + Le(0xFFFFFFFFu, 4) + Le(name.size(), 2) +
                Le(central_extra.size(), 2) + Le(0, 2) + Le(0, 2) + Le(0, 2) + Le(0, 4) + Le(locals.size(), 4) +
                name + central_extra;
    locals += "PK\x03\x04" + head + Le(0xFFFFFFFFu, 4) + Le(0xFFFFFFFFu, 4) + Le(name.size(), 2) +
              Le(local_extra.size(), 2) + name + local_extra + data;
  }
  return locals + centrals + "PK\x05\x06" + Le(0, 4) + Le(files.size(), 2) + Le(files.size(), 2) +
         Le(centrals.size(), 4) + Le(locals.size(), 4) + Le(0, 2);
}

TEST(ZipReader, Zip64SizesComeFromTheExtraFieldAndAnEmptyArchiveOpens) {
  TempDir t;
  testing::WriteBytes(t / "z.zip", Zip64Stored({{"a.txt", "first entry"}, {"b/c.txt", "second"}}));
  ZipReader zip;
  ASSERT_TRUE(zip.Open(t / "z.zip"));
  ASSERT_EQ(zip.Count(), 2);
  EXPECT_EQ(zip.Size(0), 11);
  EXPECT_EQ(zip.ExtractEntry(0, t / "a", ""), ZipStatus::kOk);
  EXPECT_EQ(zip.ExtractEntry(1, t / "c", ""), ZipStatus::kOk);
  EXPECT_EQ(t.Read("a") + "|" + t.Read("c"), "first entry|second");

  testing::WriteBytes(t / "e.zip", std::string("PK\x05\x06", 4) + std::string(16, '\0') + Le(3, 2) + "abc");
  ASSERT_TRUE(zip.Open(t / "e.zip"));
  EXPECT_EQ(zip.Count(), 0);
  EXPECT_EQ(zip.Extract("x", t / "x", ""), ZipStatus::kNoSuchEntry);
}

}  // namespace
}  // namespace corvane
