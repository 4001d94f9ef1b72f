#include "install/package_scan.h"

#include "catalogue/catalogue_names.h"
#include "catalogue/package_check.h"
#include "install/install_page.h"
#include "install/installed_marks.h"
#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "toolkit/toolkit.h"
#include "widgets/tmultibutton.h"

namespace corvane {

std::vector<int> packageRowIcons;

namespace {

// The strip is decoded once; a strip that cannot be loaded leaves the rows
// without pictures (the icon positions are still recorded).
const tk::IconStripPtr& Icons() {
  static tk::IconStripPtr strip = tk::LoadIconStrip("incbin::gfx/icons.png");
  return strip;
}

}  // namespace

std::string PackageFileName(const tprogram& record) {
  std::size_t slash = record.url.rfind('/');
  return slash == std::string::npos ? record.url.str() : record.url.substr(slash + 1);
}

std::string PackageKind(const std::string& file_name) {
  std::size_t dot = file_name.rfind('.');
  return dot == std::string::npos ? "" : runtime::ToUpper(file_name.substr(dot + 1));
}

int IconForKind(const std::string& kind) {
  if (kind == "BAT") return 7;
  if (kind == "ZIP") return 3;
  if (kind == "RAR") return 2;
  if (kind == "EXE") {
    int icon = platformWin32 ? 1 : 0;
    if (platformLinuxX86) icon = 5;
    if (platformMacosX86) icon = 4;
    if (platformMacosPpc) icon = 4;
    return icon;
  }
  return 0;
}

std::string PackageRowText(const tprogram& record, const InstalledRecord& installed) {
  const InstalledPackage* earlier = FindInstalled(installed, record.name);
  return earlier ? record.fullname + " - " + ReplacesMark(*earlier) : record.fullname;
}

void ScanPackages() {
  LogLine("Create list of applications for installation");
  packageList.clear();
  packageRowIcons.clear();
  if (packageChooser) packageChooser->ClearItems();

  runtime::FileSystem& fs = runtime::Fs();
  auto names = fs.ListFolder(fs.CurrentFolder() + "/download");
  if (!names) {
    LogLine("failed to read current directory");
    return;
  }
  for (const std::string& name : *names)
    for (const ProgramPtr& record : programList)
      if (record && PackageFileName(*record) == name) packageList.push_back(record);

  if (!packageChooser) return;
  const InstalledRecord installed = TarnicRecord();
  for (const ProgramPtr& record : packageList) {
    // A package without a name gets no row.
    if (record->fullname.empty()) continue;
    const std::string kind = PackageKind(PackageFileName(*record));
    const std::string trust = VerificationText(*record);
    if (!packageChooser->AddItem(PackageRowText(*record, installed), trust.empty() ? kind : kind + " - " + trust,
                                 "", "", 1, record))
      continue;
    int icon = IconForKind(kind);
    packageChooser->setItemIcon(packageChooser->CountItems() - 1, Icons(), icon);
    packageRowIcons.push_back(icon);
  }
}

}  // namespace corvane
