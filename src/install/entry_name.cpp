#include "install/entry_name.h"

#include "runtime/text.h"

namespace corvane {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsDotsAndBlanks(const std::string& part) {
  if (part == ".") return false;
  for (char c : part)
    if (c != '.' && c != ' ') return false;
  return part.find('.') != std::string::npos;
}

}  // namespace

std::string EntryNameProblem(const std::string& name) {
  if (name.empty()) return "empty name";
  if (name.find('\0') != std::string::npos) return "NUL byte in name";
  if (name[0] == '/') return "absolute path";
  if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') return "drive letter";
  for (const std::string& part : runtime::Split(name, "/"))
    if (IsDotsAndBlanks(part)) return "parent folder";
  return "";
}

std::string PrintableName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

}  // namespace corvane
