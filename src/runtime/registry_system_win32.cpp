// The registry of Windows through the 8-bit advapi32 functions.  Names and
// texts cross as 8-bit strings: each character's low 8 bits going in, each
// byte one character coming out.  Keys are opened and created with the
// access 0xF (query and set values, create and enumerate sub-keys).
//
// The interface's handles are small numbers of our own, mapped to the open
// HKEYs, so that no 64-bit handle has to fit into 32 bits; the predefined
// roots keep their well-known numbers.
#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace corvane::runtime {
namespace {

constexpr REGSAM kAccess = 0xF;  // KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

class Win32Registry : public Registry {
 public:
  bool OpenKey(RegHandle parent, const std::string& sub_path, RegHandle* key) override {
    HKEY from = Native(parent);
    if (!from) return false;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(from, EncodeLatin1(sub_path).c_str(), 0, kAccess, &opened) != ERROR_SUCCESS) return false;
    *key = Adopt(opened);
    return true;
  }

  bool CreateKey(RegHandle parent, const std::string& sub_path, RegHandle* key) override {
    HKEY from = Native(parent);
    if (!from) return false;
    HKEY created = nullptr;
    char no_class[] = "";
    if (::RegCreateKeyExA(from, EncodeLatin1(sub_path).c_str(), 0, no_class, 0, kAccess, nullptr, &created,
                          nullptr) != ERROR_SUCCESS) {
      return false;
    }
    *key = Adopt(created);
    return true;
  }

  bool QueryValue(RegHandle key, const std::string& name, RegValue* value) override {
    HKEY h = Native(key);
    if (!h) return false;
    std::string wanted = EncodeLatin1(name);
    DWORD type = 0, size = 0;
    // The value may grow between asking its size and reading it.
    for (int attempt = 0; attempt < 4; ++attempt) {
      if (::RegQueryValueExA(h, wanted.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
      std::string data(size, '\0');
      DWORD got = size;
      LONG r = ::RegQueryValueExA(h, wanted.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
      if (r == ERROR_MORE_DATA) continue;
      if (r != ERROR_SUCCESS) return false;
      data.resize(got);
      value->type = type;
      value->data = IsText(type) ? DecodeLatin1(data) : data;
      return true;
    }
    return false;
  }

  bool SetValue(RegHandle key, const std::string& name, const RegValue& value) override {
    HKEY h = Native(key);
    if (!h) return false;
    std::string data = IsText(value.type) ? EncodeLatin1(value.data) : value.data;
    return ::RegSetValueExA(h, EncodeLatin1(name).c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
  }

  bool DeleteValue(RegHandle key, const std::string& name) override {
    HKEY h = Native(key);
    return h && ::RegDeleteValueA(h, EncodeLatin1(name).c_str()) == ERROR_SUCCESS;
  }

  bool DeleteKey(RegHandle parent, const std::string& sub_path) override {
    HKEY h = Native(parent);
    // An empty sub-path would name the parent itself.
    if (!h || sub_path.find_first_not_of('\\') == std::string::npos) return false;
    return ::RegDeleteKeyA(h, EncodeLatin1(sub_path).c_str()) == ERROR_SUCCESS;
  }

  bool EnumKey(RegHandle key, std::uint32_t index, std::string* name) override {
    HKEY h = Native(key);
    if (!h) return false;
    char buffer[256];  // a key name has at most 255 characters
    DWORD length = sizeof buffer;
    if (::RegEnumKeyExA(h, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    *name = DecodeLatin1(std::string(buffer, length));
    return true;
  }

  bool EnumValue(RegHandle key, std::uint32_t index, std::string* name, RegValue* value) override {
    HKEY h = Native(key);
    if (!h) return false;
    DWORD name_max = 0, data_max = 0;
    if (::RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &name_max, &data_max,
                           nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    std::vector<char> name_buffer(name_max + 1);
    std::string data(data_max, '\0');
    DWORD name_length = static_cast<DWORD>(name_buffer.size()), data_length = data_max, type = 0;
    if (::RegEnumValueA(h, index, name_buffer.data(), &name_length, nullptr, &type,
                        reinterpret_cast<BYTE*>(data.data()), &data_length) != ERROR_SUCCESS) {
      return false;
    }
    data.resize(data_length);
    *name = DecodeLatin1(std::string(name_buffer.data(), name_length));
    value->type = type;
    value->data = IsText(type) ? DecodeLatin1(data) : data;
    return true;
  }

  bool CloseKey(RegHandle key) override {
    if (IsPredefinedKey(key)) return true;
    HKEY h = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = open_.find(key);
      if (it == open_.end()) return false;
      h = it->second;
      open_.erase(it);
    }
    return ::RegCloseKey(h) == ERROR_SUCCESS;
  }

 private:
  HKEY Native(RegHandle key) {
    switch (key) {
      case kHkeyClassesRoot: return HKEY_CLASSES_ROOT;
      case kHkeyCurrentUser: return HKEY_CURRENT_USER;
      case kHkeyLocalMachine: return HKEY_LOCAL_MACHINE;
      case kHkeyUsers: return HKEY_USERS;
      default: break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : it->second;
  }

  RegHandle Adopt(HKEY h) {
    std::lock_guard<std::mutex> lock(mutex_);
    RegHandle key = next_++;
    if (next_ >= kHkeyClassesRoot) next_ = 1;  // never reaches the roots' numbers
    open_[key] = h;
    return key;
  }

  std::mutex mutex_;
  std::map<RegHandle, HKEY> open_;
  RegHandle next_ = 1;
};

}  // namespace

Registry& SystemRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace corvane::runtime
