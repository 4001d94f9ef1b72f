// The system registry: keys under four predefined roots, sub-keys, and typed
// values.  Registry is the one interface the program reads and writes it
// through; on systems without a registry of their own a RegistryStore (one
// file, registry_store.h) stands behind it, and a Windows build can put the
// advapi32 calls behind it.
//
// Key and value names are matched with letter case ignored and kept as first
// written.  Paths below a key are segments separated by `\`.  Names and texts
// are UTF-8; a value's data are the bytes Windows would hold (see the makers
// below).  No operation throws; each answers false on any failure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::runtime {

enum RegType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
  kRegQword = 11,
};
// "REG_SZ", "REG_EXPAND_SZ", ...; empty text for a type without a name.
std::string RegTypeName(std::uint32_t type);
// The type of a name such as "REG_SZ" or "reg_sz"; false for an unknown name.
bool ParseRegType(std::string_view name, std::uint32_t* type);

using RegHandle = std::uint32_t;
inline constexpr RegHandle kHkeyClassesRoot = 0x80000000u;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002u;
inline constexpr RegHandle kHkeyUsers = 0x80000003u;
bool IsPredefinedKey(RegHandle key);
// "HKEY_LOCAL_MACHINE" and the like; empty text for other handles.
std::string RootName(RegHandle root);
// A root from its long or short name (HKCR, HKCU, HKLM, HKU), case ignored;
// 0 for any other name.
RegHandle RootFromName(std::string_view name);

struct RegValue {
  std::uint32_t type = kRegNone;
  std::string data;  // raw bytes
  bool operator==(const RegValue&) const = default;
};

// Values as Windows stores them: texts end with a NUL; a multi-text is each
// text with its NUL and one more NUL; numbers are little-endian.
RegValue MakeTextValue(std::uint32_t type, std::string_view text);
RegValue MakeMultiTextValue(const std::vector<std::string>& texts);
RegValue MakeDwordValue(std::uint32_t number);
RegValue MakeQwordValue(std::uint64_t number);
// The data up to the first NUL.
std::string ValueText(const RegValue& value);
// The texts of a multi-text value (the empty text ends the list).
std::vector<std::string> ValueTexts(const RegValue& value);
// The little-endian number in the first 4 (DWORD) or 8 (QWORD) bytes; 0 when
// the data are shorter.
std::uint64_t ValueNumber(const RegValue& value);

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens parent\sub_path (an empty sub_path opens parent again); on success
  // *key is a new handle to close with CloseKey.
  virtual bool OpenKey(RegHandle parent, const std::string& sub_path, RegHandle* key) = 0;
  // As OpenKey, creating the key and any missing parents first.
  virtual bool CreateKey(RegHandle parent, const std::string& sub_path, RegHandle* key) = 0;
  // The named value of an open key ("" is the key's default value).
  virtual bool QueryValue(RegHandle key, const std::string& name, RegValue* value) = 0;
  virtual bool SetValue(RegHandle key, const std::string& name, const RegValue& value) = 0;
  virtual bool DeleteValue(RegHandle key, const std::string& name) = 0;
  // Deletes parent\sub_path; false when it has sub-keys (they go first) or is a root.
  virtual bool DeleteKey(RegHandle parent, const std::string& sub_path) = 0;
  // The name of the index-th sub-key (0-based); false past the last one.
  virtual bool EnumKey(RegHandle key, std::uint32_t index, std::string* name) = 0;
  // The index-th value; false past the last one.
  virtual bool EnumValue(RegHandle key, std::uint32_t index, std::string* name, RegValue* value) = 0;
  // Releases a handle; the predefined roots stay open.  False for a handle
  // that is not open.
  virtual bool CloseKey(RegHandle key) = 0;
  // Where to report trouble that no single call can answer (a damaged store
  // file); the caller logs it.  The default registry reports nothing.
  virtual void SetProblemSink(std::function<void(const std::string&)> sink) {}
};

// This system's registry (the file store on systems without one).
Registry& SystemRegistry();
// The registry the program uses; SetRegistry(nullptr) restores the system's.
// The caller keeps ownership.
Registry& Reg();
void SetRegistry(Registry* registry);

}  // namespace corvane::runtime
