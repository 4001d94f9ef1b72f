#include "install/installed_state.h"

#include <algorithm>
#include <set>

#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "trust/sha256.h"

namespace corvane {
namespace {

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// True when the file at path is still what the record says.
bool Unchanged(const std::string& path, const InstalledFile& f) {
  runtime::FileSystem& fs = runtime::Fs();
  return !fs.IsLink(path) && fs.Kind(path) == runtime::kFile && fs.FileSize(path) == f.size &&
         trust::Sha256OfFile(path) == f.sha256;
}

bool Missing(const std::string& path) {
  runtime::FileSystem& fs = runtime::Fs();
  return !fs.IsLink(path) && fs.Kind(path) == runtime::kNone;
}

}  // namespace

std::vector<InstalledPackage> ListInstalled(const std::string& target) { return LoadInstalledRecord(target).packages; }

UninstallResult Uninstall(const std::string& target, const std::string& id) {
  UninstallResult result;
  result.id = id;
  InstalledRecord record = LoadInstalledRecord(target);
  const InstalledPackage* found = FindInstalled(record, id);
  if (!found) {
    LogLine("Uninstall: <" + id + "> is not recorded in <" + record.target + ">");
    return result;
  }
  const InstalledPackage p = *found;
  result.found = true;
  result.id = p.id;
  result.installerRun = p.installerRun;
  runtime::FileSystem& fs = runtime::Fs();
  const std::string root = record.target + "/";
  LogLine("Uninstall <" + p.id + "> from <" + record.target + ">");
  auto problem = [&result](const std::string& rel, const std::string& why) {
    result.problems.push_back(rel);
    LogLine("Uninstall: <" + rel + "> " + why);
  };

  // Files the user changed since stay, and so does what stood there before.
  std::set<std::string> changed;
  for (const InstalledFile& f : p.written) {
    const std::string path = root + f.path;
    if (Missing(path)) continue;
    if (!Unchanged(path, f)) {
      changed.insert(f.path);
      result.changed.push_back(f.path);
      LogLine("Uninstall: changed since install, kept <" + f.path + ">");
    } else if (fs.DeleteFile(path)) {
      result.removed.push_back(f.path);
    } else {
      problem(f.path, "cannot be removed");
    }
  }
  // The folders it removed come back first, empty ones too.
  for (const std::string& folder : p.removedFolders)
    if (Missing(root + folder) && !fs.CreateFolderWithParents(root + folder)) problem(folder, "cannot be made again");
  bool copies_needed = false;
  std::vector<KeptFile> originals = p.replaced;
  originals.insert(originals.end(), p.deleted.begin(), p.deleted.end());
  for (const KeptFile& k : originals) {
    const std::string path = root + k.path;
    if (k.kept.empty()) {
      problem(k.path, "was a symbolic link the package deleted; it cannot be put back");
      continue;
    }
    if (changed.count(k.path) || !Missing(path)) {
      // Something else stands there now: it is not overwritten.
      copies_needed = true;
      if (!changed.count(k.path)) {
        changed.insert(k.path);
        result.changed.push_back(k.path);
      }
      LogLine("Uninstall: old copy of <" + k.path + "> not put back; it stays as <" + k.kept + ">");
      continue;
    }
    fs.CreateFolderWithParents(ParentOf(path));
    if (fs.Kind(k.kept) == runtime::kFile && fs.CopyFile(k.kept, path) == 1) {
      result.restored.push_back(k.path);
    } else {
      copies_needed = true;
      problem(k.path, "cannot be put back from <" + k.kept + ">");
    }
  }
  for (auto it = p.folders.rbegin(); it != p.folders.rend(); ++it) {
    const std::string path = root + *it;
    auto names = fs.ListFolder(path);
    if (!fs.IsLink(path) && fs.Kind(path) == runtime::kFolder && names && names->empty() && fs.DeleteFolder(path))
      result.folders.push_back(*it);
  }

  record.packages.erase(std::remove_if(record.packages.begin(), record.packages.end(),
                                       [&p](const InstalledPackage& q) { return q.id == p.id; }),
                        record.packages.end());
  if (!SaveInstalledRecord(record)) problem(InstalledRecordPath(target), "cannot be written");
  if (!copies_needed) {
    std::set<std::string> keeps;
    if (!p.keep.empty()) keeps.insert(p.keep);
    for (const KeptFile& k : originals)
      if (!k.kept.empty()) keeps.insert(ParentOf(k.kept));
    for (const std::string& keep : keeps) fs.DeleteFolder(keep);
  }
  std::sort(result.changed.begin(), result.changed.end());
  LogLine("Uninstall <" + p.id + ">: " + std::to_string(result.removed.size()) + " removed, " +
          std::to_string(result.restored.size()) + " put back, " + std::to_string(result.changed.size()) +
          " changed and kept, " + std::to_string(result.problems.size()) + " problems" +
          (p.installerRun ? "; its installer's own changes stay" : ""));
  return result;
}

VerifyResult Verify(const std::string& target, const std::vector<std::string>& ids) {
  VerifyResult result;
  const InstalledRecord record = LoadInstalledRecord(target);
  std::vector<const InstalledPackage*> packages;
  if (ids.empty())
    for (const InstalledPackage& p : record.packages) packages.push_back(&p);
  for (const std::string& id : ids) {
    if (const InstalledPackage* p = FindInstalled(record, id)) packages.push_back(p);
    else result.unknown.push_back(id);
  }
  for (const InstalledPackage* p : packages)
    for (const InstalledFile& f : p->written) {
      const std::string path = record.target + "/" + f.path;
      ++result.checked;
      if (Missing(path)) result.findings.push_back({p->id, f.path, VerifyFinding::kMissing});
      else if (!Unchanged(path, f)) result.findings.push_back({p->id, f.path, VerifyFinding::kChanged});
    }
  return result;
}

}  // namespace corvane
