#include "runtime/registry.h"

#include "runtime/text.h"

namespace corvane::runtime {
namespace {

Registry* g_registry = nullptr;

struct TypeName {
  std::uint32_t type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {kRegNone, "REG_NONE"},         {kRegSz, "REG_SZ"},           {kRegExpandSz, "REG_EXPAND_SZ"},
    {kRegBinary, "REG_BINARY"},     {kRegDword, "REG_DWORD"},     {kRegMultiSz, "REG_MULTI_SZ"},
    {kRegQword, "REG_QWORD"},
};

struct RootEntry {
  RegHandle handle;
  const char* long_name;
  const char* short_name;
};
constexpr RootEntry kRoots[] = {
    {kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {kHkeyUsers, "HKEY_USERS", "HKU"},
};

std::string LittleEndian(std::uint64_t number, int bytes) {
  std::string data;
  for (int i = 0; i < bytes; ++i) data += static_cast<char>((number >> (8 * i)) & 0xFF);
  return data;
}

}  // namespace

std::string RegTypeName(std::uint32_t type) {
  for (const TypeName& t : kTypeNames) {
    if (t.type == type) return t.name;
  }
  return "";
}

bool ParseRegType(std::string_view name, std::uint32_t* type) {
  for (const TypeName& t : kTypeNames) {
    if (EqualsIgnoreCase(name, t.name)) {
      *type = t.type;
      return true;
    }
  }
  return false;
}

bool IsPredefinedKey(RegHandle key) {
  for (const RootEntry& r : kRoots) {
    if (r.handle == key) return true;
  }
  return false;
}

std::string RootName(RegHandle root) {
  for (const RootEntry& r : kRoots) {
    if (r.handle == root) return r.long_name;
  }
  return "";
}

RegHandle RootFromName(std::string_view name) {
  for (const RootEntry& r : kRoots) {
    if (EqualsIgnoreCase(name, r.long_name) || EqualsIgnoreCase(name, r.short_name)) return r.handle;
  }
  return 0;
}

RegValue MakeTextValue(std::uint32_t type, std::string_view text) {
  RegValue value{type, std::string(text)};
  value.data += '\0';
  return value;
}

RegValue MakeMultiTextValue(const std::vector<std::string>& texts) {
  RegValue value{kRegMultiSz, ""};
  for (const std::string& t : texts) {
    value.data += t;
    value.data += '\0';
  }
  value.data += '\0';
  return value;
}

RegValue MakeDwordValue(std::uint32_t number) { return {kRegDword, LittleEndian(number, 4)}; }
RegValue MakeQwordValue(std::uint64_t number) { return {kRegQword, LittleEndian(number, 8)}; }

std::string ValueText(const RegValue& value) {
  std::size_t nul = value.data.find('\0');
  return nul == std::string::npos ? value.data : value.data.substr(0, nul);
}

std::vector<std::string> ValueTexts(const RegValue& value) {
  std::vector<std::string> texts;
  std::size_t pos = 0;
  while (pos < value.data.size()) {
    std::size_t nul = value.data.find('\0', pos);
    std::string text = value.data.substr(pos, nul == std::string::npos ? std::string::npos : nul - pos);
    if (text.empty()) break;
    texts.push_back(text);
    if (nul == std::string::npos) break;
    pos = nul + 1;
  }
  return texts;
}

std::uint64_t ValueNumber(const RegValue& value) {
  std::size_t bytes = value.type == kRegQword ? 8 : 4;
  if (value.data.size() < bytes) return 0;
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    number |= static_cast<std::uint64_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
  }
  return number;
}

Registry& Reg() { return g_registry ? *g_registry : SystemRegistry(); }
void SetRegistry(Registry* registry) { g_registry = registry; }

}  // namespace corvane::runtime
