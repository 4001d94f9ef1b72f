#include "install/extract_zip.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "install/install_test_fixture.h"
#include "support/zip_builder.h"
#include "zip/zip_reader.h"

namespace corvane {
namespace {

using testing::WriteZip;
using testing::ZipItem;
using ExtractZipTest = InScratchFolder;

TEST_F(ExtractZipTest, UnpacksIntoAFolderNamedAfterTheArchive) {
  ASSERT_TRUE(WriteZip(dir / "download/pkg.zip",
                       {{"readme.txt", "hello"}, {"bin/", ""}, {"bin/tool.dat", "tool"}, {"empty.txt", ""}}));
  EXPECT_EQ(ExtractZip("download\\pkg.zip", dir.path() + "\\T", "", 1, ""), 1);
  EXPECT_EQ(dir.Read("T/pkg/readme.txt") + dir.Read("T/pkg/bin/tool.dat"), "hellotool");
  EXPECT_FALSE(dir.Exists("T/pkg/empty.txt"));
  EXPECT_TRUE(Logged("Source: download/pkg.zip"));
  EXPECT_TRUE(Logged("Dest  : " + dir.path() + "/T"));
  EXPECT_TRUE(Logged("Create dir <" + dir.path() + "/T/pkg> =1"));

  // Flag 0: the entries go into the destination, the own folder is made all the same.
  EXPECT_EQ(ExtractZip("download/pkg.zip", dir / "U", "", 0, ""), 1);
  EXPECT_EQ(dir.Read("U/readme.txt"), "hello");
  EXPECT_TRUE(Logged("Create dir <" + dir.path() + "/U/pkg> =1"));
}

TEST_F(ExtractZipTest, OnlyNameTakesTheFirstMatchWhateverItsFolderAndCase) {
  ASSERT_TRUE(WriteZip(dir / "p.zip", {{"other.txt", "x"}, {"docs/ReadMe.txt", "first"}, {"more/readme.txt", "2"}}));
  EXPECT_EQ(ExtractZip(dir / "p.zip", dir / "T", "README.TXT", 1, ""), 1);
  EXPECT_EQ(dir.Read("T/p/docs/ReadMe.txt"), "first");
  EXPECT_FALSE(dir.Exists("T/p/more/readme.txt") || dir.Exists("T/p/other.txt"));
}

TEST_F(ExtractZipTest, BadArgumentsAndUnreadableArchivesTouchNothing) {
  ASSERT_TRUE(WriteZip(dir / "p.zip", {{"a", "a"}}));
  EXPECT_EQ(ExtractZip("", dir / "T", "", 1, ""), -1);
  EXPECT_EQ(ExtractZip(dir / "p.zip", "", "", 1, ""), -1);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(ExtractZip(dir / "missing.zip", dir / "T", "", 1, ""), -1);
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("File non esiste <" + dir.path() + "/missing.zip>"),
            std::string::npos);
  dir.Write("text.zip", "not an archive");
  EXPECT_EQ(ExtractZip(dir / "text.zip", dir / "T", "", 1, ""), -1);
  EXPECT_TRUE(LogMentions("Not a readable ZIP archive <" + dir.path() + "/text.zip>"));
  ASSERT_TRUE(WriteZip(dir / "cut.zip", {{"a", "aaaa"}, {"b", "bbbb"}}));
  std::string bytes = testing::ReadBytes(dir / "cut.zip");
  testing::WriteBytes(dir / "cut.zip", bytes.substr(0, bytes.size() - 30));  // directory cut short
  EXPECT_EQ(ExtractZip(dir / "cut.zip", dir / "T", "", 1, ""), -1);
  EXPECT_FALSE(dir.Exists("T"));
}

TEST_F(ExtractZipTest, HostileNamesAreRefusedAndTheRestExtracted) {
  const std::vector<std::string> hostile = {
      "../../../../tmp/evil.txt", "..\\..\\evil.txt", "safe/..\\..\\outside.txt", "/etc/x", "\\x",
      "C:\\x", "C:x", "//srv/share/x", "a/.. /b", "ok/../../up.txt"};
  std::vector<ZipItem> items;
  for (const auto& n : hostile) items.push_back({n, "evil"});
  items.push_back({"good/file.txt", "good"});
  ASSERT_TRUE(WriteZip(dir / "download/bad.zip", items));
  EXPECT_EQ(ExtractZip("download/bad.zip", dir / "d1/d2/d3/T", "", 1, ""), 1);
  for (const auto& n : hostile)
    EXPECT_TRUE(LogMentions("Entry refused <" + runtime::ReplaceAll(n, "\\", "/") + ">")) << n;
  // Nothing anywhere but the good file and its folders.
  std::vector<std::string> tree;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
    if (!e.is_directory()) tree.push_back(std::filesystem::relative(e.path(), dir.path()).generic_string());
  std::sort(tree.begin(), tree.end());
  EXPECT_EQ(tree, (std::vector<std::string>{"d1/d2/d3/T/bad/good/file.txt", "download/bad.zip", "test.log"}));
}

TEST_F(ExtractZipTest, LinksAreNeverCreatedNorWrittenThrough) {
  // plain.txt comes first, so that its folder is known free of links when
  // dangling.txt's last name is checked; a folder found to be a link is
  // refused for every entry in it.
  ASSERT_TRUE(WriteZip(dir / "l.zip", {{"ln", dir / "outside", true}, {"plain.txt", "plain"},
                                       {"dangling.txt", "x"}, {"sub/inner.txt", "x"}, {"sub/again.txt", "x"}}));
  std::filesystem::create_directories(dir / "T/l");
  std::filesystem::create_directories(dir / "elsewhere");
  ASSERT_TRUE(corvane::testing::MakeSymlink(dir / "gone.txt", dir / "T/l/dangling.txt"));
  ASSERT_TRUE(corvane::testing::MakeSymlink(dir / "elsewhere", dir / "T/l/sub"));
  EXPECT_EQ(ExtractZip(dir / "l.zip", dir / "T", "", 1, ""), 1);
  EXPECT_FALSE(dir.Exists("T/l/ln") || dir.Exists("gone.txt") || dir.Exists("elsewhere/inner.txt") ||
               dir.Exists("elsewhere/again.txt"));
  EXPECT_EQ(dir.Read("T/l/plain.txt"), "plain");
  EXPECT_TRUE(Logged("Entry refused <ln> symbolic link"));
  EXPECT_TRUE(LogMentions("Entry refused <dangling.txt> passes through the symbolic link"));
  EXPECT_TRUE(LogMentions("Entry refused <sub/inner.txt> passes through the symbolic link"));
  EXPECT_TRUE(LogMentions("Entry refused <sub/again.txt> passes through the symbolic link"));
}

TEST_F(ExtractZipTest, DamagedAndOversizedEntriesFailAloneAndAreLogged) {
  ASSERT_TRUE(WriteZip(dir / "w.zip", {{"a", "file a"},
                                       {"a/b", "under a file"},
                                       {"dup", "one"},
                                       {"dup", "two"},
                                       {std::string(300, 'L'), "long"},
                                       {"nulXname.txt", "nul"},
                                       {"crc.txt", "checked bytes", false, true},
                                       {"huge.bin", "small"},
                                       {"bomb", std::string(3 << 20, '\0')},
                                       {"last.txt", "last"}}));
  ASSERT_GT(testing::PatchBytes(dir / "w.zip", "nulXname", std::string("nul\0name", 8)), 0);
  ASSERT_EQ(testing::PatchBytes(dir / "w.zip", "checked bytes", "checked byteZ"), 1);
  ASSERT_TRUE(testing::PatchCentral32(dir / "w.zip", 7, 24, 0xFFFFFFFFu));
  dir.Write("T/w/crc.txt", "older file");

  SetZipEntryCap(1 << 20);
  EXPECT_EQ(ExtractZip(dir / "w.zip", dir / "T", "", 1, ""), 1);
  SetZipEntryCap(0);
  EXPECT_EQ(dir.Read("T/w/a") + dir.Read("T/w/dup") + dir.Read("T/w/last.txt"), "file atwolast");
  // A damaged entry leaves the file it would have replaced as it was.
  EXPECT_EQ(dir.Read("T/w/crc.txt"), "older file");
  EXPECT_FALSE(dir.Exists("T/w/huge.bin") || dir.Exists("T/w/bomb"));
  EXPECT_TRUE(Logged("Extract failed <a/b> write failed"));
  EXPECT_TRUE(Logged("Extract failed <" + std::string(300, 'L') + "> write failed"));
  EXPECT_TRUE(Logged("Entry refused <nul?name.txt> NUL byte in name"));
  EXPECT_TRUE(Logged("Extract failed <crc.txt> CRC error"));
  EXPECT_TRUE(Logged("Extract failed <huge.bin> larger than the size cap"));
  EXPECT_TRUE(Logged("Extract failed <bomb> larger than the size cap"));
}

TEST_F(ExtractZipTest, AnOwnFolderOutsideTheDestinationIsRefused) {
  // "..zip" would unpack into the destination itself, "...zip" beside it.
  for (const std::string name : {"..zip", "...zip", ".. .zip"}) {
    ASSERT_TRUE(WriteZip(dir / ("download/" + name), {{"f.txt", "x"}}));
    EXPECT_EQ(ExtractZip("download/" + name, dir / "A/T", "", 1, ""), -1) << name;
    EXPECT_TRUE(LogMentions("Own folder refused <" + dir.path() + "/A/T/" + name.substr(0, name.size() - 4) + ">"));
    EXPECT_FALSE(dir.Exists("A/T/f.txt") || dir.Exists("A/f.txt") || dir.Exists("A/T/.. /f.txt")) << name;
  }
  // Unpacking into the destination itself (flag 0) still works; no own folder is made.
  EXPECT_EQ(ExtractZip("download/...zip", dir / "A/T", "", 0, ""), 1);
  EXPECT_EQ(dir.Read("A/T/f.txt"), "x");
}

TEST_F(ExtractZipTest, AnArchiveWithoutEntriesIsReadable) {
  // The end record alone, as Python's zipfile writes an empty archive.
  dir.Write("download/empty.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  EXPECT_EQ(ExtractZip("download/empty.zip", dir / "T", "", 1, ""), 1);
  EXPECT_EQ(std::filesystem::is_directory(dir / "T/empty"), true);
  dir.Write("download/short.zip", std::string("PK\x05\x06", 4) + std::string(17, '\0'));
  EXPECT_EQ(ExtractZip("download/short.zip", dir / "T", "", 1, ""), -1);
}

// Entries are written through temporaries whose names no entry and no user
// file can have: a long legal name fits, a name ending like an old
// temporary is just a name, and a user's file of such a name survives.
TEST_F(ExtractZipTest, TemporaryNamesMeetNoEntryAndNoUserFile) {
#ifdef _WIN32
  const std::string longest(120, 'n');  // a Windows path must stay below 260 characters
#else
  const std::string longest(255, 'n');
#endif
  ASSERT_TRUE(WriteZip(dir / "t.zip", {{"note.txt.corvane-part", "first"}, {"note.txt", "second"},
                                       {longest, "long"}, {"keep.txt", "new"}}));
  dir.Write("T/t/keep.txt.corvane-part", "user's own");
  EXPECT_EQ(ExtractZip(dir / "t.zip", dir / "T", "", 1, ""), 1);
  EXPECT_EQ(dir.Read("T/t/note.txt.corvane-part") + dir.Read("T/t/note.txt"), "firstsecond");
  EXPECT_EQ(dir.Read("T/t/" + longest) + dir.Read("T/t/keep.txt"), "longnew");
  EXPECT_EQ(dir.Read("T/t/keep.txt.corvane-part"), "user's own");
  EXPECT_EQ(runtime::Fs().ListFolder(dir / "T/t")->size(), 5u);  // no temporary left
}

}  // namespace
}  // namespace corvane
