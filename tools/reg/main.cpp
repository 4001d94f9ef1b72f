// reg: the registry command line tool, in the forms the program uses.
//
//   reg query KEY [/v NAME | /ve]
//   reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//
// KEY starts with a root: HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS or HKCR, HKCU, HKLM, HKU.  Answers as
// Windows' reg.exe does: a blank line, the key, then "    NAME    TYPE    DATA"
// lines and a blank line; exit status 0 on success and 1 on failure, with an
// "ERROR: ..." line on standard error.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace {

using namespace corvane::runtime;

constexpr const char* kNotFound = "ERROR: The system was unable to find the specified registry key or value.";

int Fail(const std::string& message) {
  std::cerr << message << "\n";
  return 1;
}

int Syntax(const std::string& operation) {
  return Fail("ERROR: Invalid syntax.\nType \"REG " + ToUpper(operation) + " /?\" for usage.");
}

struct KeyName {
  RegHandle root = 0;
  std::string sub_path;  // segments joined by "\"
  std::string Display() const { return RootName(root) + (sub_path.empty() ? "" : "\\" + sub_path); }
};

bool ParseKey(const std::string& text, KeyName* key) {
  std::string path = text;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  std::size_t slash = path.find('\\');
  key->root = RootFromName(path.substr(0, slash));
  key->sub_path = slash == std::string::npos ? "" : path.substr(slash + 1);
  if (key->root == 0) return false;
  if (key->sub_path.empty()) return true;
  for (const std::string& s : Split(key->sub_path, "\\")) {
    if (s.empty()) return false;
  }
  return true;
}

struct Options {
  KeyName key;
  bool has_name = false;
  std::string name;
  std::string type = "REG_SZ";
  bool has_separator = false;
  std::string separator = "\\0";
  std::string data;
  bool force = false;
};

bool IsOption(const std::string& arg, const char* name) {
  return (arg.size() > 1 && (arg[0] == '/' || arg[0] == '-')) && EqualsIgnoreCase(arg.substr(1), name);
}

// Parses the arguments after the operation; false on a syntax error.
bool ParseOptions(const std::vector<std::string>& args, bool for_add, Options* o) {
  if (args.empty() || !ParseKey(args[0], &o->key)) return false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool has_next = i + 1 < args.size();
    if (IsOption(a, "v") && has_next && !o->has_name) {
      o->has_name = true;
      o->name = args[++i];
    } else if (IsOption(a, "ve") && !o->has_name) {
      o->has_name = true;
      o->name.clear();
    } else if (for_add && IsOption(a, "t") && has_next) {
      o->type = args[++i];
    } else if (for_add && IsOption(a, "s") && has_next && args[i + 1].size() == 1) {
      o->has_separator = true;
      o->separator = args[++i];
    } else if (for_add && IsOption(a, "d") && has_next) {
      o->data = args[++i];
    } else if (for_add && IsOption(a, "f")) {
      o->force = true;
    } else {
      return false;
    }
  }
  return true;
}

std::string Hex(std::uint64_t number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(number));
  return buf;
}

std::string DisplayData(const RegValue& v) {
  switch (v.type) {
    case kRegSz:
    case kRegExpandSz:
      return ValueText(v);
    case kRegMultiSz: {
      std::string out;
      for (const std::string& t : ValueTexts(v)) out += (out.empty() ? "" : "\\0") + t;
      return out;
    }
    case kRegDword:
    case kRegQword:
      return Hex(ValueNumber(v));
    default: {
      static const char* digits = "0123456789ABCDEF";
      std::string out;
      for (unsigned char c : v.data) out += std::string{digits[c >> 4], digits[c & 15]};
      return out;
    }
  }
}

std::string ValueLine(const std::string& name, const RegValue& v) {
  return "    " + (name.empty() ? std::string("(Default)") : name) + "    " + RegTypeName(v.type) + "    " +
         DisplayData(v);
}

int Query(const std::vector<std::string>& args) {
  Options o;
  if (!ParseOptions(args, false, &o)) return Syntax("query");
  Registry& reg = Reg();
  RegHandle key = 0;
  if (!reg.OpenKey(o.key.root, o.key.sub_path, &key)) return Fail(kNotFound);
  std::vector<std::string> lines;
  std::vector<std::string> sub_keys;
  std::string name;
  RegValue value;
  for (std::uint32_t i = 0; reg.EnumValue(key, i, &name, &value); ++i) {
    if (!o.has_name || EqualsIgnoreCase(name, o.name)) lines.push_back(ValueLine(name, value));
  }
  if (!o.has_name) {
    for (std::uint32_t i = 0; reg.EnumKey(key, i, &name); ++i) sub_keys.push_back(o.key.Display() + "\\" + name);
  }
  reg.CloseKey(key);
  if (o.has_name && lines.empty()) return Fail(kNotFound);
  std::cout << "\n" << o.key.Display() << "\n";
  for (const std::string& l : lines) std::cout << l << "\n";
  std::cout << "\n";
  for (const std::string& k : sub_keys) std::cout << k << "\n";
  return 0;
}

// Parses a DWORD or QWORD: decimal, or hexadecimal after "0x".
bool ParseNumber(const std::string& text, int bits, std::uint64_t* number) {
  std::string digits = text;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
    base = 16;
  }
  if (digits.empty() || digits.size() > 20) return false;
  unsigned __int128 n = 0;
  for (char c : digits) {
    int d = (c >= '0' && c <= '9') ? c - '0'
            : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
    if (d < 0) return false;
    n = n * base + static_cast<unsigned>(d);
  }
  if (n > (bits == 32 ? 0xFFFFFFFFull : 0xFFFFFFFFFFFFFFFFull)) return false;
  *number = static_cast<std::uint64_t>(n);
  return true;
}

bool MakeValue(const Options& o, RegValue* value) {
  std::uint32_t type = 0;
  if (!ParseRegType(o.type, &type)) return false;
  std::uint64_t number = 0;
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      *value = MakeTextValue(type, o.data);
      return true;
    case kRegMultiSz: {
      std::vector<std::string> texts;
      for (std::string& t : Split(o.data, o.has_separator ? o.separator : "\\0")) {
        if (!t.empty()) texts.push_back(std::move(t));
      }
      *value = MakeMultiTextValue(texts);
      return true;
    }
    case kRegDword:
      if (!ParseNumber(o.data, 32, &number)) return false;
      *value = MakeDwordValue(static_cast<std::uint32_t>(number));
      return true;
    case kRegQword:
      if (!ParseNumber(o.data, 64, &number)) return false;
      *value = MakeQwordValue(number);
      return true;
    default: {
      if (o.data.size() % 2 != 0) return false;
      value->type = type;
      value->data.clear();
      for (std::size_t i = 0; i < o.data.size(); i += 2) {
        std::uint64_t byte = 0;
        if (!ParseNumber("0x" + o.data.substr(i, 2), 32, &byte)) return false;
        value->data += static_cast<char>(byte);
      }
      return true;
    }
  }
}

// Without /v or /ve the value written is the key's (Default) one, with the
// data of /d or empty: "reg add KEY /f" leaves an empty (Default) REG_SZ.
int Add(const std::vector<std::string>& args) {
  Options o;
  if (!ParseOptions(args, true, &o)) return Syntax("add");
  RegValue value;
  if (!MakeValue(o, &value)) return Syntax("add");
  Registry& reg = Reg();
  RegHandle key = 0;
  if (!reg.CreateKey(o.key.root, o.key.sub_path, &key)) return Fail("ERROR: The key could not be created.");
  RegValue existing;
  if (!o.force && reg.QueryValue(key, o.name, &existing)) {
    std::cout << "Value " << (o.name.empty() ? "(Default)" : o.name) << " exists, overwrite(Yes/No)? " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    answer = Trim(answer);
    if (!EqualsIgnoreCase(answer, "yes") && !EqualsIgnoreCase(answer, "y")) {
      reg.CloseKey(key);
      std::cout << "The operation was cancelled.\n";
      return 1;
    }
  }
  if (!reg.SetValue(key, o.name, value)) {
    reg.CloseKey(key);
    return Fail("ERROR: The value could not be written.");
  }
  reg.CloseKey(key);
  std::cout << "The operation completed successfully.\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  Reg().SetProblemSink([](const std::string& m) { std::cerr << "WARNING: " << m << "\n"; });
  if (args.empty()) return Fail("ERROR: Invalid syntax.\nType \"REG /?\" for usage.");
  std::string operation = args[0];
  args.erase(args.begin());
  if (EqualsIgnoreCase(operation, "query")) return Query(args);
  if (EqualsIgnoreCase(operation, "add")) return Add(args);
  return Fail("ERROR: Invalid syntax.\nType \"REG /?\" for usage.");
}
