#include "install/installed_record.h"

#include <optional>

#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "trust/sha256.h"

namespace corvane {
namespace {

constexpr const char* kRecordFolder = "data/installed";

bool IsHex64(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// Uninstall deletes and restores at these paths, so a damaged record must
// never name anything outside the Tarnic folder: relative, '/' separated,
// no empty, "." or ".." component.
bool IsSafeRelative(const std::string& path) {
  if (path.empty() || path.find('\\') != std::string::npos || path.find(':') != std::string::npos) return false;
  for (const std::string& part : runtime::Split(path, "/"))
    if (part.empty() || part == "." || part == "..") return false;
  return true;
}

// The old copies live in the keep folders below data/installed.
bool IsSafeKept(const std::string& path) {
  const std::string prefix = std::string(kRecordFolder) + "/";
  return path.rfind(prefix, 0) == 0 && IsSafeRelative(path.substr(prefix.size()));
}

std::optional<long long> Size(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return runtime::ToInt(text);
}

// "<size>|<sha256>|<path>", the path taking the rest of the line.
bool ParseFileLine(const std::string& value, long long& size, std::string& sha, std::string& path) {
  const std::size_t a = value.find('|');
  const std::size_t b = a == std::string::npos ? a : value.find('|', a + 1);
  if (b == std::string::npos) return false;
  auto n = Size(value.substr(0, a));
  sha = value.substr(a + 1, b - a - 1);
  path = value.substr(b + 1);
  if (!n || !IsHex64(sha)) return false;
  size = *n;
  return true;
}

// A deleted symbolic link has no old copy: its kept part may be empty.
bool ParseKeptLine(const std::string& value, KeptFile& kept, bool may_lack_copy) {
  const std::size_t a = value.find('|');
  if (a == std::string::npos) return false;
  kept.kept = value.substr(0, a);
  kept.path = value.substr(a + 1);
  return (IsSafeKept(kept.kept) || (may_lack_copy && kept.kept.empty())) && IsSafeRelative(kept.path);
}

std::string ParsePackageLine(const std::string& key, const std::string& value, InstalledPackage& p) {
  if (key == "id") p.id = value;
  else if (key == "name") p.name = value;
  else if (key == "date") p.date = value;
  else if (key == "installer") {
    if (value != "0" && value != "1") return "installer is not 0 or 1";
    p.installerRun = value == "1";
  } else if (key == "keep") {
    if (!value.empty() && !IsSafeKept(value)) return "keep folder <" + value + "> is not ours";
    p.keep = value;
  } else if (key == "package") {
    if (!ParseFileLine(value, p.packageSize, p.packageSha256, p.packageFile)) return "bad package line";
  } else if (key == "folder" || key == "backup" || key == "removed") {
    if (!IsSafeRelative(value)) return key + " path <" + value + "> is not inside the folder";
    (key == "folder" ? p.folders : key == "backup" ? p.backups : p.removedFolders).push_back(value);
  } else if (key == "wrote") {
    InstalledFile f;
    if (!ParseFileLine(value, f.size, f.sha256, f.path) || !IsSafeRelative(f.path)) return "bad wrote line";
    p.written.push_back(f);
  } else if (key == "replaced" || key == "deleted") {
    KeptFile k;
    if (!ParseKeptLine(value, k, key == "deleted")) return "bad " + key + " line";
    (key == "replaced" ? p.replaced : p.deleted).push_back(k);
  } else {
    return "unknown line <" + key + ">";
  }
  return "";
}

std::string RecordKey(const std::string& target) {
  return trust::Sha256Hex(RecordTarget(target)).substr(0, 16);
}

}  // namespace

std::string FormatInstalledRecord(const InstalledRecord& record) {
  std::vector<std::string> lines = {"[TARGET]", "path=" + record.target};
  for (const InstalledPackage& p : record.packages) {
    lines.push_back("[PACKAGE]");
    lines.push_back("id=" + p.id);
    lines.push_back("name=" + p.name);
    lines.push_back("package=" + std::to_string(p.packageSize) + "|" + p.packageSha256 + "|" + p.packageFile);
    lines.push_back("date=" + p.date);
    lines.push_back(std::string("installer=") + (p.installerRun ? "1" : "0"));
    lines.push_back("keep=" + p.keep);
    for (const std::string& f : p.folders) lines.push_back("folder=" + f);
    for (const InstalledFile& f : p.written)
      lines.push_back("wrote=" + std::to_string(f.size) + "|" + f.sha256 + "|" + f.path);
    for (const KeptFile& k : p.replaced) lines.push_back("replaced=" + k.kept + "|" + k.path);
    for (const KeptFile& k : p.deleted) lines.push_back("deleted=" + k.kept + "|" + k.path);
    for (const std::string& b : p.backups) lines.push_back("backup=" + b);
    for (const std::string& f : p.removedFolders) lines.push_back("removed=" + f);
    lines.push_back("[END]");
  }
  return runtime::WriteLines(lines);
}

bool ParseInstalledRecord(const std::string& bytes, InstalledRecord& record, std::string& error) {
  record = InstalledRecord();
  InstalledRecord read;
  enum { kStart, kTarget, kBetween, kPackage } state = kStart;
  int number = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  for (const std::string& line : runtime::ReadLines(bytes)) {
    ++number;
    if (line == "[TARGET]") {
      if (state != kStart) return fail("[TARGET] out of place");
      state = kTarget;
      continue;
    }
    if (line == "[PACKAGE]") {
      if (state != kBetween) return fail("[PACKAGE] out of place");
      read.packages.emplace_back();
      state = kPackage;
      continue;
    }
    if (line == "[END]") {
      if (state != kPackage) return fail("[END] out of place");
      const InstalledPackage& p = read.packages.back();
      if (p.id.empty() || !IsHex64(p.packageSha256)) return fail("package without id or hash");
      if (FindInstalled(InstalledRecord{"", {read.packages.begin(), read.packages.end() - 1}}, p.id))
        return fail("package <" + p.id + "> twice");
      state = kBetween;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("not a key=value line");
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (state == kTarget && key == "path" && !value.empty()) {
      read.target = value;
      state = kBetween;
      continue;
    }
    if (state != kPackage) return fail("line outside a package");
    if (std::string why = ParsePackageLine(key, value, read.packages.back()); !why.empty()) return fail(why);
  }
  if (state != kBetween) return fail(state == kPackage ? "last package has no [END]" : "no [TARGET] path");
  record = std::move(read);
  return true;
}

std::string RecordTarget(const std::string& target) {
  runtime::FileSystem& fs = runtime::Fs();
  return fs.Absolute(fs.Resolve(target));
}

std::string InstalledRecordPath(const std::string& target) {
  return std::string(kRecordFolder) + "/" + RecordKey(target) + ".txt";
}

std::string InstalledKeepRoot(const std::string& target) { return std::string(kRecordFolder) + "/" + RecordKey(target); }

InstalledRecord LoadInstalledRecord(const std::string& target) {
  InstalledRecord record;
  record.target = RecordTarget(target);
  runtime::FileSystem& fs = runtime::Fs();
  const std::string path = InstalledRecordPath(target);
  std::optional<std::string> bytes = fs.ReadFile(path);
  if (!bytes) return record;
  InstalledRecord read;
  std::string error;
  if (ParseInstalledRecord(*bytes, read, error) && read.target != record.target)
    error = "it names the folder <" + read.target + ">";
  else if (error.empty())
    return read;
  std::string aside = path + ".damaged";
  for (int n = 2; fs.Kind(aside) != runtime::kNone && n < 1000; ++n) aside = path + ".damaged." + std::to_string(n);
  const bool kept = fs.Kind(aside) == runtime::kNone && runtime::WriteFileAtomic(aside, *bytes) && fs.DeleteFile(path);
  LogLine("Installed record <" + path + "> is damaged (" + error + ") - read as empty" +
          (kept ? "; kept as <" + aside + ">" : "; it could not be kept aside"));
  return record;
}

bool SaveInstalledRecord(const InstalledRecord& record) {
  runtime::FileSystem& fs = runtime::Fs();
  const std::string path = InstalledRecordPath(record.target);
  fs.CreateFolderWithParents(kRecordFolder);
  if (runtime::WriteFileAtomic(path, FormatInstalledRecord(record))) return true;
  LogLine("Installed record <" + path + "> cannot be written");
  return false;
}

const InstalledPackage* FindInstalled(const InstalledRecord& record, const std::string& id) {
  for (const InstalledPackage& p : record.packages)
    if (runtime::EqualsIgnoreCase(p.id, id)) return &p;
  return nullptr;
}

void PutInstalled(InstalledRecord& record, InstalledPackage package) {
  for (InstalledPackage& p : record.packages)
    if (runtime::EqualsIgnoreCase(p.id, package.id)) {
      p = std::move(package);
      return;
    }
  record.packages.push_back(std::move(package));
}

}  // namespace corvane
