#include "catalogue/catalogue_names.h"

#include "runtime/text.h"
#include "settings/config.h"

namespace corvane {

int platformWin32 = 0;
int platformMacosX86 = 0;
int platformMacosPpc = 0;
int platformLinuxX86 = 0;

std::string PlatformName() {
  std::string name;
  if (platformWin32) name = "win32";
  if (platformMacosX86) name = "macos_x86";
  if (platformMacosPpc) name = "macos_ppc";
  if (platformLinuxX86) name = "linux_x86";
  return name;
}

std::string ListFileName() {
  return runtime::ToLower(PlatformName() + ".app." + LANGUAGE + ".txt");
}

std::string EnglishListFileName() { return PlatformName() + ".app.english.txt"; }

std::string DescriptionFileName(const std::string& identifier) {
  return runtime::ToLower(identifier + "." + LANGUAGE + ".txt");
}

std::string EnglishDescriptionFileName(const std::string& identifier) {
  return runtime::ToLower(identifier + ".english.txt");
}

std::string InfoFileName(const std::string& identifier) {
  return runtime::ToLower(identifier + ".info." + LANGUAGE + ".txt");
}

std::string EnglishInfoFileName(const std::string& identifier) {
  return runtime::ToLower(identifier + ".info.english.txt");
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

}  // namespace corvane
