#include "maintenance/tregkey.h"

#include <gtest/gtest.h>

#include "log/activity_log.h"
#include "runtime/registry_store.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using runtime::RegHandle;
using runtime::RegValue;

// Forwards to a store and counts the handles given back.
class CountingRegistry : public runtime::RegistryStore {
 public:
  using RegistryStore::RegistryStore;
  bool CloseKey(RegHandle key) override {
    ++closes;
    return RegistryStore::CloseKey(key);
  }
  int closes = 0;
};

class TregkeyTest : public ::testing::Test {
 protected:
  TregkeyTest() : store_([this] { return dir_ / "registry.txt"; }) { runtime::SetRegistry(&store_); }
  ~TregkeyTest() override { runtime::SetRegistry(nullptr); }

  void Put(const std::string& key, const std::string& name, const RegValue& value) {
    RegHandle h = 0;
    ASSERT_TRUE(store_.CreateKey(runtime::kHkeyCurrentUser, key, &h));
    ASSERT_TRUE(store_.SetValue(h, name, value));
    store_.CloseKey(h);
  }

  corvane::testing::TempDir dir_;
  CountingRegistry store_;
};

TEST_F(TregkeyTest, PathsWithOtherSeparatorsOpenTheSameKey) {
  Put("Software\\Tarnic", "name", runtime::MakeTextValue(runtime::kRegSz, "tnc"));
  for (const char* path : {"HKEY_CURRENT_USER\\Software\\Tarnic", "HKEY_CURRENT_USER/Software/Tarnic",
                           "HKEY_CURRENT_USER\\\\Software\\\\Tarnic\\", "\\HKEY_CURRENT_USER/Software\\Tarnic//"}) {
    auto key = OpenRegKey(path);
    ASSERT_TRUE(key) << path;
    EXPECT_EQ(key->root, runtime::kHkeyCurrentUser);
    EXPECT_EQ(key->path, "Software\\Tarnic");
    EXPECT_EQ(key->getstring("name"), "tnc");
  }
  EXPECT_EQ(OpenRegKey("hkey_current_user\\Software\\Tarnic"), nullptr);
  EXPECT_EQ(OpenRegKey("HKCU\\Software\\Tarnic"), nullptr);
  EXPECT_EQ(OpenRegKey("HKEY_USERS"), nullptr);
  EXPECT_EQ(CreateRegKey("HKEY_USERS"), nullptr);
  EXPECT_EQ(OpenRegKey("HKEY_CURRENT_USER\\Software\\Missing"), nullptr);
}

TEST_F(TregkeyTest, ValuesReadOnlyAsTheirOwnType) {
  Put("Environment", "expand", runtime::MakeTextValue(runtime::kRegExpandSz, "%PATH%"));
  Put("Environment", "multi", runtime::MakeMultiTextValue({"a", "b"}));
  auto key = CreateRegKey("HKEY_CURRENT_USER\\Environment");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->getstring("expand"), "");
  EXPECT_EQ(key->getstring("multi"), "");
  EXPECT_EQ(key->getMultistring("multi"), "");

  EXPECT_EQ(key->setstring("text", "C:\\MinGW"), 1);
  EXPECT_EQ(key->setint("count", -2), 1);
  EXPECT_EQ(key->setlong("big", 0x1122334455667788LL), 1);
  EXPECT_EQ(key->getstring("TEXT"), "C:\\MinGW");
  EXPECT_EQ(key->getint("text"), 0);
  EXPECT_EQ(key->getint("count"), -2);
  EXPECT_EQ(key->getint("big"), 0);
  EXPECT_EQ(key->getlong("big"), 0x1122334455667788LL);
  EXPECT_EQ(key->getlong("count"), 0);

  EXPECT_EQ(key->removevalue("text"), 1);
  EXPECT_EQ(key->removevalue("text"), 0);
  EXPECT_EQ(key->getstring("text"), "");
}

TEST_F(TregkeyTest, CloseGivesTheHandleBackOnce) {
  auto key = CreateRegKey("HKEY_CURRENT_USER\\Environment");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->close(), 0);
  EXPECT_EQ(key->close(), 0);
  EXPECT_EQ(store_.closes, 1);
  EXPECT_EQ(key->handle, 0u);
  EXPECT_EQ(key->setstring("x", "y"), 0);
  EXPECT_EQ(key->getstring("x"), "");
  EXPECT_EQ(key->remove(1), 0);

  tregkey root;
  root.handle = runtime::kHkeyUsers;
  root.close();
  EXPECT_EQ(store_.closes, 1);  // a predefined key is never closed
  { auto scoped = OpenRegKey("HKEY_CURRENT_USER\\Environment"); }
  EXPECT_EQ(store_.closes, 2);  // destroying the object closes it
  EXPECT_EQ(store_.OpenHandles(), 0u);
}

TEST_F(TregkeyTest, RecursiveRemoveDeletesEveryLevel) {
  Put("Tree\\A", "v", runtime::MakeDwordValue(1));
  Put("Tree\\B\\Deep", "v", runtime::MakeDwordValue(2));
  Put("Tree\\C", "v", runtime::MakeDwordValue(3));
  Put("Keep", "v", runtime::MakeDwordValue(4));
  auto tree = OpenRegKey("HKEY_CURRENT_USER\\Tree");
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->remove(0), 0);  // has sub-keys
  EXPECT_NE(tree->handle, 0u);
  EXPECT_EQ(tree->remove(1), 1);
  EXPECT_EQ(tree->handle, 0u);
  EXPECT_EQ(OpenRegKey("HKEY_CURRENT_USER\\Tree"), nullptr);
  EXPECT_EQ(OpenRegKey("HKEY_CURRENT_USER\\Tree\\B\\Deep"), nullptr);
  EXPECT_NE(OpenRegKey("HKEY_CURRENT_USER\\Keep"), nullptr);
  EXPECT_EQ(tregkey::Remove_Recurse(runtime::kHkeyCurrentUser, ""), 0);  // never a whole root
  EXPECT_NE(OpenRegKey("HKEY_CURRENT_USER\\Keep"), nullptr);
}

TEST_F(TregkeyTest, DamagedStoreIsReportedInTheLog) {
  dir_.Write("registry.txt", "not a registry\n");
  OpenLog(dir_ / "log.txt");
  EXPECT_EQ(OpenRegKey("HKEY_CURRENT_USER\\Environment"), nullptr);
  ResetLog();
  EXPECT_NE(dir_.Read("log.txt").find("registry.txt> is damaged"), std::string::npos);
}

}  // namespace
}  // namespace corvane
