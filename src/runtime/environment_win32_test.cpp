// The Windows side of the environment and the file system: drive paths,
// either separator, letter case, names beyond ASCII, and variables that
// the processes we start inherit.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/process.h"
#include "runtime/text.h"
#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

using corvane::testing::TempDir;

TEST(Win32EnvironmentTest, VariablesReachStartedProgramsAndPathUsesSemicolons) {
  EXPECT_EQ(PathListSeparator(), ';');
  EXPECT_EQ(SystemName(), "Windows");
  SetEnv("CORVANE_TEST_VALUE", "Gr\xC3\xBC\xC3\x9F" "e");  // "Grüße"
  EXPECT_EQ(GetEnv("corvane_test_value"), "Gr\xC3\xBC\xC3\x9F" "e");  // names ignore case
  SetEnv("CORVANE_TEST_VALUE", "seen-by-child");
  auto p = StartProcess("cmd.exe /c echo %CORVANE_TEST_VALUE%");
  ASSERT_TRUE(p);
  std::string out;
  char buf[64];
  while (true) {
    long long n = p->ReadOutput(buf, sizeof buf);
    if (n > 0) out.append(buf, static_cast<std::size_t>(n));
    else if (n < 0) break;
    else p->WaitForOutput(20);
  }
  EXPECT_EQ(out, "seen-by-child\r\n");
  UnsetEnv("CORVANE_TEST_VALUE");
  EXPECT_EQ(GetEnv("CORVANE_TEST_VALUE"), "");
}

TEST(Win32EnvironmentTest, ProgramFolderIsTheExecutablesFolder) {
  std::string exe = ExecutableFolder();
  ASSERT_GE(exe.size(), 3u);
  EXPECT_EQ(exe[1], ':');
  EXPECT_EQ(exe.find('\\'), std::string::npos);
  EXPECT_EQ(Fs().Kind(exe + "/runtime_tests.exe"), kFile);
  EXPECT_EQ(ChooseProgramFolder(""), exe);  // a build folder is writable
  TempDir dir;
  EXPECT_EQ(ChooseProgramFolder(dir.path() + "\\home\\.."), dir.path());
}

TEST(Win32FileSystemTest, DrivePathsSeparatorsCaseAndWideNames) {
  TempDir dir;
  FileSystem& fs = Fs();
  std::string back = dir.path();
  for (char& c : back)
    if (c == '/') c = '\\';
  EXPECT_EQ(fs.Absolute(back + "\\a\\..\\b\\"), dir.path() + "/b");
  EXPECT_TRUE(fs.CreateFolderWithParents(back + "\\lang\\sub"));
  // "Perché.txt" is written and listed under its own name.
  ASSERT_TRUE(fs.WriteFile(dir / "lang/Perch\xC3\xA9.txt", "x"));
  auto names = fs.ListFolder(dir / "LANG");
  ASSERT_TRUE(names);
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{"Perch\xC3\xA9.txt", "sub"}));
  EXPECT_EQ(fs.FileSize(back + "\\LANG\\PERCH\xC3\x89.TXT"), 1);
  EXPECT_TRUE(fs.AppendFile(dir / "Lang/perch\xC3\xA9.txt", "yz"));
  EXPECT_EQ(fs.ReadFile(dir / "lang/Perch\xC3\xA9.txt").value_or("?"), "xyz");

  std::string here = fs.CurrentFolder();
  ASSERT_TRUE(fs.ChangeFolder(back + "\\LANG"));
  EXPECT_TRUE(EqualsIgnoreCase(fs.CurrentFolder(), dir / "lang"));
  EXPECT_EQ(fs.Kind("sub"), kFolder);
  ASSERT_TRUE(fs.ChangeFolder(here));

  EXPECT_TRUE(fs.Rename(dir / "lang/perch\xC3\xA9.txt", dir / "lang/sub/moved.txt"));
  EXPECT_EQ(fs.Kind(dir / "lang/sub/moved.txt"), kFile);
  EXPECT_TRUE(fs.DeleteFolder(dir / "LANG"));
  EXPECT_EQ(fs.Kind(dir / "lang"), kNone);
}

TEST(Win32FileSystemTest, ReadOnlyTargetsAreReplacedByACopyAndFoldersByNothing) {
  TempDir dir;
  dir.Write("new.txt", "new");
  dir.Write("old.txt", "old");
  ASSERT_TRUE(::SetFileAttributesA((dir / "old.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Fs().CopyFile(dir / "new.txt", dir / "old.txt"), 1);
  EXPECT_EQ(dir.Read("old.txt"), "new");
  EXPECT_FALSE(Fs().DeleteFile(dir.path()));  // a folder is not a file
  EXPECT_EQ(Fs().FileSize(dir.path()), -1);
  EXPECT_EQ(Fs().OpenWrite(dir / "no/such/folder/f.txt"), nullptr);
}

}  // namespace
}  // namespace corvane::runtime
