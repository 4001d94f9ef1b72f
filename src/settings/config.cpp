#include "settings/config.h"

#include <climits>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/messages.h"
#include "settings/server_address.h"

namespace corvane {

std::string LANGUAGE;
std::string AUTOUPDATE;
std::string URLUPDATE;
std::string AUTOEXECUTE;
std::string WINRAR;
std::string TARNPATH;
std::string SVNPATH;
int DEFAULT_INSTALL = 0;
int DISABLE_DELETE = 1;
std::string APPVERSION = "1.00";
std::string installTarget;
int languageIndex = -1;
int lastFoundIndex = -1;

namespace {

constexpr int kConfigLines = 10;

// atoi-like: leading blanks, an optional sign and digits; anything else
// gives what was read so far, no digits give 0.  Clamped to int.
int SettingNumber(const std::string& value) {
  long long n = runtime::ToInt(runtime::Trim(value));
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

// The ten file lines.  The values a fresh file writes differently from memory
// are passed in; the folders always come from memory.
std::vector<std::string> ConfigLines(const std::string& language, const std::string& autoupdate,
                                     const std::string& urlupdate, const std::string& autoexecute,
                                     int default_install, int disable_delete,
                                     const std::string& appversion) {
  return {
      "LANGUAGE=" + language,
      "AUTOUPDATE=" + autoupdate,
      "URLUPDATE=" + urlupdate,
      "AUTOEXECUTE=" + autoexecute,
      "WINRAR=" + WINRAR,
      "TARNPATH=" + TARNPATH,
      "SVNPATH=" + SVNPATH,
      "DEFAULT_INSTALL=" + std::to_string(default_install),
      "DISABLE_DELETE=" + std::to_string(disable_delete),
      "APPVERSION=" + appversion,
  };
}

void ApplyLines(const std::vector<std::string>& lines) {
  auto value = [&lines](int index) {
    return index < static_cast<int>(lines.size()) ? LineValue(lines[index]) : std::string();
  };
  LANGUAGE = value(0);
  AUTOUPDATE = value(1);
  URLUPDATE = value(2);
  AUTOEXECUTE = value(3);
  WINRAR = value(4);
  TARNPATH = value(5);
  SVNPATH = value(6);
  DEFAULT_INSTALL = SettingNumber(value(7));
  DISABLE_DELETE = SettingNumber(value(8));
  APPVERSION = value(9);
}

// A fresh file says ITALIANO and 0.99 while memory holds ENGLISH and .99;
// both versions compare as 99.
void CreateDefaultConfig() {
  LogLine("Loading configuration - creating new file");
  installTarget = TARNPATH;
  DEFAULT_INSTALL = 0;
  DISABLE_DELETE = 1;
  const std::string bytes = runtime::WriteLines(ConfigLines(
      "ITALIANO", "TRUE", ServerRoot(), "TRUE", DEFAULT_INSTALL, DISABLE_DELETE, "0.99"));
  if (!runtime::WriteFileAtomic(kConfigFile, bytes)) {
    LogLine("Creating configuration - failed");
  }
  LANGUAGE = "ENGLISH";
  AUTOUPDATE = "TRUE";
  URLUPDATE = ServerRoot() + "/download";
  AUTOEXECUTE = "TRUE";
  APPVERSION = ".99";
}

}  // namespace

void LoadConfig() {
  std::optional<std::string> bytes = runtime::Fs().ReadFile(kConfigFile);
  if (bytes) {
    LogLine("Loading configuration - ok");
    std::vector<std::string> lines = runtime::ReadLines(*bytes);
    if (lines.size() > kConfigLines) lines.resize(kConfigLines);
    ApplyLines(lines);
    if (APPVERSION.empty()) APPVERSION = ".99";
  } else {
    CreateDefaultConfig();
  }

  languageIndex = FindInList(LANGUAGE, languageList);
  installTarget = TARNPATH;
  if (languageIndex >= 0) {
    std::cout << "Index Language: " << languageIndex << " = " << languageList[languageIndex]
              << " Cu " << LANGUAGE << std::endl;
  } else {
    std::cout << "Index Language: -1 = (not in the list) Cu " << LANGUAGE << std::endl;
  }
  LogLine("Default Path <" + installTarget + ">");
}

void SaveConfig() {
  LogLine("Saving configuration");
  const std::string bytes = runtime::WriteLines(ConfigLines(
      LANGUAGE, AUTOUPDATE, URLUPDATE, AUTOEXECUTE, DEFAULT_INSTALL, DISABLE_DELETE, APPVERSION));
  if (!runtime::WriteFileAtomic(kConfigFile, bytes)) {
    LogLine("Saving configuration - failed");
  }
}

std::string LineValue(const std::string& line) {
  std::size_t equals = line.find('=');
  return equals == std::string::npos ? line : line.substr(equals + 1);
}

int FindInList(const std::string& text, const std::vector<std::string>& list) {
  if (text.empty() || list.empty()) return -1;
  const std::string wanted = runtime::ToUpper(text);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (runtime::ToUpper(list[i]) == wanted) {
      lastFoundIndex = static_cast<int>(i);
      return lastFoundIndex;
    }
  }
  return -1;
}

void ResetConfig() {
  LANGUAGE.clear();
  AUTOUPDATE.clear();
  URLUPDATE.clear();
  AUTOEXECUTE.clear();
  WINRAR.clear();
  TARNPATH.clear();
  SVNPATH.clear();
  DEFAULT_INSTALL = 0;
  DISABLE_DELETE = 1;
  APPVERSION = "1.00";
  installTarget.clear();
  languageIndex = -1;
  lastFoundIndex = -1;
}

}  // namespace corvane
