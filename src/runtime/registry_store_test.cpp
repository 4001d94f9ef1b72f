#include "runtime/registry_store.h"

#include <gtest/gtest.h>

#include "runtime/file_system.h"
#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

using corvane::testing::TempDir;

class RegistryStoreTest : public ::testing::Test {
 protected:
  RegistryStoreTest() : store_([this] { return file_; }) {
    store_.SetProblemSink([this](const std::string& m) { problems_.push_back(m); });
  }
  std::string Text(RegistryStore& s, RegHandle key, const std::string& name) {
    RegValue v;
    return s.QueryValue(key, name, &v) ? ValueText(v) : "<none>";
  }

  TempDir dir_;
  std::string file_ = dir_ / "cfg/corvane/registry.txt";
  RegistryStore store_;
  std::vector<std::string> problems_;
};

TEST_F(RegistryStoreTest, KeysAndTypedValuesSurviveInTheFile) {
  RegHandle env = 0;
  ASSERT_TRUE(store_.CreateKey(kHkeyLocalMachine, "SYSTEM\\Control\\Session Manager\\Environment", &env));
  EXPECT_TRUE(store_.SetValue(env, "Path", MakeTextValue(kRegExpandSz, "%SystemRoot%;C:\\x")));
  EXPECT_TRUE(store_.SetValue(env, "odd = [name] 100%", MakeTextValue(kRegSz, "line1\nline2\r=%")));
  EXPECT_TRUE(store_.SetValue(env, "n64", MakeQwordValue(0x123456789ABCDEF0ull)));
  EXPECT_TRUE(store_.CloseKey(env));
  EXPECT_EQ(store_.OpenHandles(), 0u);

  RegistryStore other([this] { return file_; });  // a second process on the same file
  RegHandle key = 0;
  ASSERT_TRUE(other.OpenKey(kHkeyLocalMachine, "system\\CONTROL\\session manager\\environment", &key));
  RegValue v;
  ASSERT_TRUE(other.QueryValue(key, "PATH", &v));
  EXPECT_EQ(v, MakeTextValue(kRegExpandSz, "%SystemRoot%;C:\\x"));
  EXPECT_EQ(Text(other, key, "ODD = [NAME] 100%"), "line1\nline2\r=%");
  ASSERT_TRUE(other.QueryValue(key, "n64", &v));
  EXPECT_EQ(ValueNumber(v), 0x123456789ABCDEF0ull);
  std::string name;
  ASSERT_TRUE(other.EnumValue(key, 0, &name, &v));
  EXPECT_EQ(name, "Path");  // the case first written is kept
  EXPECT_TRUE(problems_.empty());
}

TEST_F(RegistryStoreTest, EveryOperationSeesWhatAnotherProcessWrote) {
  RegHandle mine = 0, theirs = 0;
  ASSERT_TRUE(store_.CreateKey(kHkeyCurrentUser, "Environment", &mine));
  RegistryStore other([this] { return file_; });
  ASSERT_TRUE(other.OpenKey(kHkeyCurrentUser, "Environment", &theirs));
  ASSERT_TRUE(other.SetValue(theirs, "MINGW", MakeTextValue(kRegSz, "/opt/mingw")));
  EXPECT_EQ(Text(store_, mine, "mingw"), "/opt/mingw");
  // A change of ours keeps theirs.
  ASSERT_TRUE(store_.SetValue(mine, "Other", MakeTextValue(kRegSz, "x")));
  EXPECT_EQ(Text(other, theirs, "MINGW"), "/opt/mingw");
}

TEST_F(RegistryStoreTest, KeyDeletionNeedsAnEmptyKey) {
  RegHandle a = 0, b = 0;
  ASSERT_TRUE(store_.CreateKey(kHkeyUsers, "A\\B\\C", &b));
  ASSERT_TRUE(store_.OpenKey(kHkeyUsers, "A", &a));
  EXPECT_FALSE(store_.DeleteKey(kHkeyUsers, "A\\B"));  // has C
  EXPECT_FALSE(store_.DeleteKey(kHkeyUsers, ""));       // a root stays
  EXPECT_TRUE(store_.DeleteKey(a, "b\\c"));
  std::string name;
  EXPECT_TRUE(store_.EnumKey(a, 0, &name));
  EXPECT_EQ(name, "B");
  EXPECT_FALSE(store_.EnumKey(a, 1, &name));
  EXPECT_TRUE(store_.DeleteKey(kHkeyUsers, "A\\B"));
  EXPECT_FALSE(store_.SetValue(b, "x", MakeDwordValue(1)));  // its key is gone
  EXPECT_FALSE(store_.OpenKey(kHkeyUsers, "A\\\\B", &b));   // empty segment
  EXPECT_FALSE(store_.OpenKey(kHkeyUsers, std::string(256, 'k'), &b));
  EXPECT_TRUE(store_.CloseKey(kHkeyUsers));
  EXPECT_TRUE(store_.CloseKey(a));
  EXPECT_FALSE(store_.CloseKey(a));
}

TEST_F(RegistryStoreTest, DamagedFileIsReportedReadAsEmptyAndKeptAside) {
  const std::string damaged = "corvane-registry 1\n[HKEY_CURRENT_USER\\Env]\nbroken line\nend\n";
  dir_.Write("cfg/corvane/registry.txt", damaged);
  RegHandle key = 0;
  EXPECT_FALSE(store_.OpenKey(kHkeyCurrentUser, "Env", &key));
  EXPECT_FALSE(store_.OpenKey(kHkeyCurrentUser, "Env", &key));
  ASSERT_EQ(problems_.size(), 1u);  // reported once
  EXPECT_NE(problems_[0].find("damaged"), std::string::npos);
  EXPECT_EQ(dir_.Read("cfg/corvane/registry.txt"), damaged);  // reading changes nothing

  ASSERT_TRUE(store_.CreateKey(kHkeyCurrentUser, "Fresh", &key));
  EXPECT_EQ(dir_.Read("cfg/corvane/registry.txt.damaged"), damaged);
  EXPECT_NE(dir_.Read("cfg/corvane/registry.txt"), damaged);

  // A file cut short is damaged too, and a second one does not replace the first.
  std::string good = dir_.Read("cfg/corvane/registry.txt");
  dir_.Write("cfg/corvane/registry.txt", good.substr(0, good.size() - 4));
  ASSERT_TRUE(store_.CreateKey(kHkeyCurrentUser, "Again", &key));
  EXPECT_EQ(dir_.Read("cfg/corvane/registry.txt.damaged"), damaged);
  EXPECT_EQ(dir_.Read("cfg/corvane/registry.txt.damaged.2"), good.substr(0, good.size() - 4));
  EXPECT_FALSE(store_.OpenKey(kHkeyCurrentUser, "Fresh", &key));  // read as empty before the change
}

TEST_F(RegistryStoreTest, KeysNestAtMost512LevelsAndADeeperFileIsDamagedNotACrash) {
  std::string deep;
  for (int i = 0; i < 300000; ++i) deep += "\\a";
  dir_.Write("cfg/corvane/registry.txt", "corvane-registry 1\n[HKEY_USERS" + deep + "]\nend\n");
  RegHandle key = 0;
  EXPECT_FALSE(store_.OpenKey(kHkeyUsers, "a", &key));
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("too deep"), std::string::npos);

  std::string path = "k";
  for (int i = 1; i < 512; ++i) path += "\\k";
  EXPECT_TRUE(store_.CreateKey(kHkeyUsers, path, &key));
  EXPECT_FALSE(store_.CreateKey(kHkeyUsers, path + "\\k", &key));
  EXPECT_FALSE(store_.CreateKey(key, "k", &key));
}

// Renames fail as if the machine stopped between writing and renaming.
class CrashBeforeRename : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  bool Rename(const std::string&, const std::string&) override { return false; }
};

TEST_F(RegistryStoreTest, StoreSurvivesACrashBetweenWriteAndRename) {
  RegHandle key = 0;
  ASSERT_TRUE(store_.CreateKey(kHkeyCurrentUser, "Environment", &key));
  ASSERT_TRUE(store_.SetValue(key, "MINGW", MakeTextValue(kRegSz, "old")));
  std::string before = dir_.Read("cfg/corvane/registry.txt");

  auto real = MakeRealFileSystem();
  CrashBeforeRename crashing(*real);
  SetFs(&crashing);
  bool changed = store_.SetValue(key, "MINGW", MakeTextValue(kRegSz, "new"));
  SetFs(nullptr);

  EXPECT_FALSE(changed);
  EXPECT_EQ(dir_.Read("cfg/corvane/registry.txt"), before);
  RegistryStore reopened([this] { return file_; });
  RegHandle again = 0;
  ASSERT_TRUE(reopened.OpenKey(kHkeyCurrentUser, "Environment", &again));
  EXPECT_EQ(Text(reopened, again, "MINGW"), "old");
  EXPECT_TRUE(reopened.SetValue(again, "MINGW", MakeTextValue(kRegSz, "new")));
  EXPECT_EQ(Text(store_, key, "MINGW"), "new");
}

TEST_F(RegistryStoreTest, UnreadableFileRefusesEveryOperation) {
  Fs().CreateFolderWithParents(file_);  // a folder where the file should be
  RegHandle key = 0;
  EXPECT_FALSE(store_.CreateKey(kHkeyCurrentUser, "Environment", &key));
  EXPECT_EQ(Fs().Kind(file_), kFolder);
  EXPECT_EQ(problems_.size(), 1u);
}

}  // namespace
}  // namespace corvane::runtime
