// tregkey over the real registry of a Windows build (wine's under wine),
// below a key of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include "maintenance/tregkey.h"
#include "runtime/registry.h"

namespace corvane {
namespace {

class Win32TregkeyTest : public ::testing::Test {
 protected:
  Win32TregkeyTest()
      : below_("Software\\CorvaneTests\\Tregkey" + std::to_string(::GetCurrentProcessId())),
        full_("HKEY_CURRENT_USER\\" + below_) {}
  ~Win32TregkeyTest() override {
    tregkey::Remove_Recurse(runtime::kHkeyCurrentUser, "Software\\CorvaneTests");
  }
  std::string below_, full_;
};

TEST_F(Win32TregkeyTest, CreatedKeyHoldsEachTypeAndReadsOnlyItsOwn) {
  auto key = CreateRegKey(full_ + "/Environment/");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->root, runtime::kHkeyCurrentUser);
  EXPECT_EQ(key->path, below_ + "\\Environment");
  EXPECT_EQ(key->setstring("MINGW", "C:\\MinGW"), 1);
  EXPECT_EQ(key->setint("count", -5), 1);
  EXPECT_EQ(key->setlong("big", 0x1122334455667788ll), 1);
  EXPECT_EQ(key->getstring("MINGW"), "C:\\MinGW");
  EXPECT_EQ(key->getint("count"), -5);
  EXPECT_EQ(key->getlong("big"), 0x1122334455667788ll);
  EXPECT_EQ(key->getint("MINGW"), 0);
  EXPECT_EQ(key->getstring("count"), "");

  // Values of other text types, written past tregkey, read as nothing.
  runtime::RegHandle h = 0;
  ASSERT_TRUE(runtime::Reg().OpenKey(runtime::kHkeyCurrentUser, below_ + "\\Environment", &h));
  runtime::Reg().SetValue(h, "Path", runtime::MakeTextValue(runtime::kRegExpandSz, "%SystemRoot%"));
  runtime::Reg().SetValue(h, "List", runtime::MakeMultiTextValue({"a"}));
  runtime::Reg().CloseKey(h);
  EXPECT_EQ(key->getstring("Path"), "");
  EXPECT_EQ(key->getMultistring("List"), "");

  EXPECT_EQ(key->removevalue("MINGW"), 1);
  EXPECT_EQ(key->getstring("MINGW"), "");
  EXPECT_EQ(key->removevalue("MINGW"), 0);
  key->close();
  EXPECT_EQ(key->handle, 0u);
  EXPECT_EQ(key->close(), 0);  // a second close does nothing
  EXPECT_EQ(key->setstring("late", "x"), 0);

  auto again = OpenRegKey(full_ + "\\\\Environment");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->getint("count"), -5);
}

TEST_F(Win32TregkeyTest, RootNamesAreExactAndOnePieceIsNoKey) {
  ASSERT_TRUE(CreateRegKey(full_));
  EXPECT_TRUE(OpenRegKey(full_));
  EXPECT_FALSE(OpenRegKey("hkey_current_user\\" + below_));
  EXPECT_FALSE(OpenRegKey("HKEY_USERS"));
  EXPECT_FALSE(CreateRegKey("HKCU\\" + below_));
  EXPECT_FALSE(OpenRegKey(full_ + "\\Missing"));
}

TEST_F(Win32TregkeyTest, RecursiveRemoveDeletesEveryLevel) {
  for (const char* sub : {"\\Tree\\A", "\\Tree\\B\\Deep", "\\Tree\\C", "\\Keep"}) {
    auto k = CreateRegKey(full_ + sub);
    ASSERT_TRUE(k) << sub;
    k->setint("v", 1);
  }
  auto tree = OpenRegKey(full_ + "\\Tree");
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->remove(0), 0);  // it has sub-keys
  EXPECT_NE(tree->handle, 0u);
  EXPECT_EQ(tree->remove(1), 1);
  EXPECT_EQ(tree->handle, 0u);
  EXPECT_FALSE(OpenRegKey(full_ + "\\Tree"));
  EXPECT_FALSE(OpenRegKey(full_ + "\\Tree\\B\\Deep"));
  EXPECT_TRUE(OpenRegKey(full_ + "\\Keep"));
  EXPECT_EQ(tregkey::Remove_Recurse(runtime::kHkeyCurrentUser, ""), 0);  // never a whole root
}

}  // namespace
}  // namespace corvane
