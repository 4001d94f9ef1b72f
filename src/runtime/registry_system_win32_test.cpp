// The system registry of a Windows build: these run against the real
// registry (wine's under wine), below a key of their own that they remove.
#include <windows.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/registry.h"

namespace corvane::runtime {
namespace {

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\CorvaneTests\\run" + std::to_string(::GetCurrentProcessId());
    Remove(base_);
  }
  void TearDown() override {
    Remove(base_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTests");
  }
  // Deletes a test key and everything below it, straight through advapi32.
  static void Remove(const std::string& path) {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      char name[256];
      DWORD length = sizeof name;
      std::vector<std::string> children;
      for (DWORD i = 0; ::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
           ++i, length = sizeof name) {
        children.emplace_back(name, length);
      }
      ::RegCloseKey(key);
      for (const std::string& child : children) Remove(path + "\\" + child);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
  }
  std::string base_;
  Registry& reg_ = SystemRegistry();
};

TEST_F(Win32RegistryTest, TypedValuesRoundTripThroughTheSystem) {
  RegHandle key = 0;
  ASSERT_TRUE(reg_.CreateKey(kHkeyCurrentUser, base_ + "\\Environment\\Deep", &key));
  EXPECT_TRUE(reg_.SetValue(key, "Path", MakeTextValue(kRegSz, "C:\\MinGW\\bin;C:\\Tarnic")));
  EXPECT_TRUE(reg_.SetValue(key, "Expand", MakeTextValue(kRegExpandSz, "%SystemRoot%\\x")));
  EXPECT_TRUE(reg_.SetValue(key, "List", MakeMultiTextValue({"a", "b c"})));
  EXPECT_TRUE(reg_.SetValue(key, "n32", MakeDwordValue(0xDEADBEEF)));
  EXPECT_TRUE(reg_.SetValue(key, "n64", MakeQwordValue(0x123456789ABCDEF0ull)));
  EXPECT_TRUE(reg_.CloseKey(key));

  ASSERT_TRUE(reg_.OpenKey(kHkeyCurrentUser, base_ + "\\ENVIRONMENT\\deep", &key));  // case ignored
  RegValue v;
  ASSERT_TRUE(reg_.QueryValue(key, "PATH", &v));
  EXPECT_EQ(v, MakeTextValue(kRegSz, "C:\\MinGW\\bin;C:\\Tarnic"));
  ASSERT_TRUE(reg_.QueryValue(key, "Expand", &v));
  EXPECT_EQ(v.type, kRegExpandSz);
  ASSERT_TRUE(reg_.QueryValue(key, "List", &v));
  EXPECT_EQ(ValueTexts(v), (std::vector<std::string>{"a", "b c"}));
  ASSERT_TRUE(reg_.QueryValue(key, "n32", &v));
  EXPECT_EQ(v, MakeDwordValue(0xDEADBEEF));
  ASSERT_TRUE(reg_.QueryValue(key, "n64", &v));
  EXPECT_EQ(ValueNumber(v), 0x123456789ABCDEF0ull);
  EXPECT_FALSE(reg_.QueryValue(key, "missing", &v));

  EXPECT_TRUE(reg_.DeleteValue(key, "n32"));
  EXPECT_FALSE(reg_.QueryValue(key, "n32", &v));
  EXPECT_FALSE(reg_.DeleteValue(key, "n32"));
  EXPECT_TRUE(reg_.CloseKey(key));
}

TEST_F(Win32RegistryTest, TextsCrossAsEightBitCharacters) {
  RegHandle key = 0;
  ASSERT_TRUE(reg_.CreateKey(kHkeyCurrentUser, base_, &key));
  // "perché" holds a character beyond ASCII; it goes in as one byte.
  ASSERT_TRUE(reg_.SetValue(key, "Word", MakeTextValue(kRegSz, "perch\xC3\xA9")));
  RegValue v;
  ASSERT_TRUE(reg_.QueryValue(key, "Word", &v));
  EXPECT_EQ(ValueText(v), "perch\xC3\xA9");
  char raw[16] = {};
  DWORD size = sizeof raw;
  HKEY native;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, KEY_READ, &native), ERROR_SUCCESS);
  EXPECT_EQ(::RegQueryValueExA(native, "Word", nullptr, nullptr, reinterpret_cast<BYTE*>(raw), &size), ERROR_SUCCESS);
  ::RegCloseKey(native);
  EXPECT_EQ(std::string(raw), "perch\xE9");
  EXPECT_EQ(size, 7u);  // the NUL is counted
  reg_.CloseKey(key);
}

TEST_F(Win32RegistryTest, SubKeysAreListedAndMustGoBeforeTheirKey) {
  RegHandle key = 0, child = 0;
  ASSERT_TRUE(reg_.CreateKey(kHkeyCurrentUser, base_ + "\\Parent\\One", &child));
  reg_.CloseKey(child);
  ASSERT_TRUE(reg_.CreateKey(kHkeyCurrentUser, base_ + "\\Parent\\Two", &child));
  reg_.CloseKey(child);
  ASSERT_TRUE(reg_.OpenKey(kHkeyCurrentUser, base_ + "\\Parent", &key));
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; reg_.EnumKey(key, i, &name); ++i) names.push_back(name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"One", "Two"}));

  EXPECT_FALSE(reg_.DeleteKey(kHkeyCurrentUser, base_ + "\\Parent"));  // has sub-keys
  EXPECT_TRUE(reg_.DeleteKey(key, "One"));
  EXPECT_TRUE(reg_.DeleteKey(key, "Two"));
  EXPECT_FALSE(reg_.EnumKey(key, 0, &name));
  EXPECT_TRUE(reg_.CloseKey(key));
  EXPECT_TRUE(reg_.DeleteKey(kHkeyCurrentUser, base_ + "\\Parent"));
  EXPECT_FALSE(reg_.OpenKey(kHkeyCurrentUser, base_ + "\\Parent", &key));
  EXPECT_FALSE(reg_.DeleteKey(kHkeyCurrentUser, ""));  // never the root itself
}

TEST_F(Win32RegistryTest, HandlesCloseOnceAndRootsStayOpen) {
  RegHandle key = 0;
  ASSERT_TRUE(reg_.CreateKey(kHkeyCurrentUser, base_, &key));
  EXPECT_FALSE(IsPredefinedKey(key));
  EXPECT_TRUE(reg_.CloseKey(key));
  EXPECT_FALSE(reg_.CloseKey(key));
  RegValue v;
  EXPECT_FALSE(reg_.QueryValue(key, "x", &v));
  EXPECT_FALSE(reg_.SetValue(key, "x", MakeDwordValue(1)));
  EXPECT_TRUE(reg_.CloseKey(kHkeyCurrentUser));
  EXPECT_TRUE(reg_.OpenKey(kHkeyCurrentUser, base_, &key));  // the root still works
  reg_.CloseKey(key);
  EXPECT_FALSE(reg_.OpenKey(0x12345u, "Software", &key));
}

}  // namespace
}  // namespace corvane::runtime
