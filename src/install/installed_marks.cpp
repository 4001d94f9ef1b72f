#include "install/installed_marks.h"

#include "settings/config.h"
#include "settings/messages.h"

namespace corvane {

InstalledRecord TarnicRecord() { return TARNPATH.empty() ? InstalledRecord{} : LoadInstalledRecord(TARNPATH); }

std::string InstalledDay(const std::string& date) {
  const std::size_t last = date.rfind(' ');
  if (last == std::string::npos || date.find(':', last) == std::string::npos) return date;
  return date.substr(0, last);
}

std::string InstalledMark(const InstalledPackage& package) {
  return messages[kMsgInstalled] + " " + InstalledDay(package.date);
}

std::string ReplacesMark(const InstalledPackage& package) {
  return messages[kMsgReplacesVersion] + " " + InstalledDay(package.date);
}

std::vector<std::string> UninstallReport(const UninstallResult& result, const std::string& name) {
  std::vector<std::string> lines;
  if (!result.found) return lines;
  std::string head = name + " - " + messages[kMsgRemovedFiles] + " " + std::to_string(result.removed.size());
  if (!result.restored.empty()) head += ", " + messages[kMsgPutBack] + " " + std::to_string(result.restored.size());
  lines.push_back(head);
  for (const std::string& path : result.changed) lines.push_back("  " + messages[kMsgKeptChanged] + " " + path);
  for (const std::string& problem : result.problems) lines.push_back("  " + messages[kMsgNotDone] + " " + problem);
  if (result.installerRun) lines.push_back("  " + messages[kMsgInstallerNotUndone]);
  return lines;
}

}  // namespace corvane
