#include "install/install_undo.h"

#include <algorithm>
#include <map>
#include <optional>

#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "trust/sha256.h"

namespace corvane {
namespace {

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "" : path.substr(0, slash);
}

bool EmptyFolder(runtime::FileSystem& fs, const std::string& path) {
  auto names = fs.ListFolder(path);
  return names && names->empty();
}

// The journal's lines; a last line without its line end was cut by a kill
// while it was appended, before the change it announces, and is dropped.
std::vector<std::string> JournalLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Splits "a|b|rest" into at most n fields, the last taking the rest.
std::vector<std::string> Fields(const std::string& line, std::size_t n) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (out.size() + 1 < n) {
    const std::size_t bar = line.find('|', start);
    if (bar == std::string::npos) break;
    out.push_back(line.substr(start, bar - start));
    start = bar + 1;
  }
  out.push_back(line.substr(start));
  return out;
}

}  // namespace

bool InstallUndo::Begin(const std::string& target) {
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.Kind(kUndoJournal) != runtime::kNone) RecoverInterruptedInstall();
  changes_.clear();
  touched_.clear();
  copies_ = 0;
  open_ = false;
  target_ = RecordTarget(target);
  const std::string root = InstalledKeepRoot(target);
  // A keep folder a record names is never taken again, even when it went
  // missing: the record's keep folder is how a cut-off run is told from one
  // that ended well.
  std::set<std::string> named;
  for (const InstalledPackage& p : LoadInstalledRecord(target).packages) named.insert(p.keep);
  keep_.clear();
  for (int n = 1; n < 100000 && keep_.empty(); ++n) {
    const std::string candidate = root + "/" + std::to_string(n);
    if (!named.count(candidate) && fs.Kind(candidate) == runtime::kNone && !fs.IsLink(candidate)) keep_ = candidate;
  }
  if (keep_.empty() || !fs.CreateFolderWithParents(keep_) ||
      !fs.WriteFile(kUndoJournal, runtime::WriteLine("begin|" + keep_ + "|" + target_))) {
    LogLine("Undo area <" + keep_ + "> cannot be made - package not installed");
    if (!keep_.empty()) fs.DeleteFolder(keep_);
    fs.DeleteFile(kUndoJournal);
    keep_.clear();
    return false;
  }
  open_ = true;
  return true;
}

bool InstallUndo::Note(Change change) {
  static const char* const kNames[] = {"folder", "new", "saved", "had", "moved"};
  std::string line = std::string(kNames[change.kind]) + "|";
  if (change.kind == Change::kSaved || change.kind == Change::kMoved) line += change.kept + "|";
  line += change.path;
  if (!open_ || !runtime::Fs().AppendFile(kUndoJournal, runtime::WriteLine(line))) {
    LogLine("Undo journal cannot be written - change refused <" + change.path + ">");
    return false;
  }
  touched_.insert(change.path);
  changes_.push_back(std::move(change));
  return true;
}

bool InstallUndo::Inside(const std::string& path, std::string& absolute) const {
  runtime::FileSystem& fs = runtime::Fs();
  absolute = fs.Absolute(fs.Resolve(path));
  return absolute.size() > target_.size() + 1 && absolute.compare(0, target_.size(), target_) == 0 &&
         absolute[target_.size()] == '/';
}

std::string InstallUndo::Relative(const std::string& absolute) const { return absolute.substr(target_.size() + 1); }

bool InstallUndo::SaveFile(const std::string& absolute) {
  const std::string kept = keep_ + "/" + std::to_string(++copies_);
  if (runtime::Fs().CopyFile(absolute, kept) != 1) {
    LogLine("Old copy of <" + absolute + "> cannot be kept - change refused");
    return false;
  }
  return Note({Change::kSaved, absolute, kept});
}

bool InstallUndo::SaveTree(const std::string& absolute) {
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.IsLink(absolute)) {
    LogLine("Symbolic link <" + absolute + "> cannot be put back - not changed");
    return false;
  }
  if (touched_.count(absolute)) return true;
  if (fs.Kind(absolute) == runtime::kFile) return SaveFile(absolute);
  if (fs.Kind(absolute) != runtime::kFolder) return true;
  if (!Note({Change::kHad, absolute, ""})) return false;
  auto names = fs.ListFolder(absolute);
  if (!names) return false;
  for (const std::string& name : *names)
    if (!SaveTree(absolute + "/" + name)) return false;
  return true;
}

bool InstallUndo::BeforeCreateFolder(const std::string& path) {
  std::string absolute;
  if (!Inside(path, absolute)) return absolute == target_;
  runtime::FileSystem& fs = runtime::Fs();
  std::vector<std::string> missing;
  for (std::string p = absolute; p.size() > target_.size() && fs.Kind(p) == runtime::kNone && !fs.IsLink(p);
       p = ParentOf(p))
    missing.push_back(p);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!touched_.count(*it) && !Note({Change::kFolder, *it, ""})) return false;
  return true;
}

bool InstallUndo::BeforeWrite(const std::string& path) {
  std::string absolute;
  if (!Inside(path, absolute)) {
    LogLine("Write outside the install target refused <" + path + ">");
    return false;
  }
  runtime::FileSystem& fs = runtime::Fs();
  if (fs.IsLink(absolute)) {
    LogLine("Symbolic link <" + absolute + "> cannot be put back - not replaced");
    return false;
  }
  if (touched_.count(absolute)) return true;
  switch (fs.Kind(absolute)) {
    case runtime::kFile: return SaveFile(absolute);
    case runtime::kNone: return BeforeCreateFolder(ParentOf(absolute)) && Note({Change::kNew, absolute, ""});
    default: return false;
  }
}

bool InstallUndo::SetLinkAside(const std::string& absolute) {
  runtime::FileSystem& fs = runtime::Fs();
  std::string aside;
  for (int n = 1; n < 1000 && aside.empty(); ++n) {
    const std::string candidate = ParentOf(absolute) + "/.corvane-link-" + std::to_string(n);
    if (fs.Kind(candidate) == runtime::kNone && !fs.IsLink(candidate)) aside = candidate;
  }
  return !aside.empty() && Note({Change::kMoved, absolute, aside}) && fs.Rename(absolute, aside);
}

bool InstallUndo::BeforeDelete(const std::string& path) {
  std::string absolute;
  if (!Inside(path, absolute)) {
    LogLine("Delete outside the install target refused <" + path + ">");
    return false;
  }
  if (runtime::Fs().IsLink(absolute) && !touched_.count(absolute)) return SetLinkAside(absolute);
  return SaveTree(absolute);
}

bool InstallUndo::Drop() {
  const bool dropped = runtime::Fs().DeleteFile(kUndoJournal);
  if (!dropped) LogLine("Undo journal <" + std::string(kUndoJournal) + "> cannot be removed");
  open_ = false;
  changes_.clear();
  touched_.clear();
  return dropped;
}

std::vector<std::string> InstallUndo::Rollback() {
  runtime::FileSystem& fs = runtime::Fs();
  std::vector<std::string> problems;
  for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
    const Change& c = *it;
    bool ok = true;
    switch (c.kind) {
      case Change::kNew:
        if (fs.IsLink(c.path) || fs.Kind(c.path) == runtime::kFile) ok = fs.DeleteFile(c.path);
        break;
      case Change::kSaved:
        fs.CreateFolderWithParents(ParentOf(c.path));
        ok = fs.Kind(c.kept) == runtime::kFile && fs.CopyFile(c.kept, c.path) == 1;
        break;
      case Change::kFolder:
        // Anything someone else put there meanwhile keeps it.
        if (fs.Kind(c.path) == runtime::kFolder && !fs.IsLink(c.path) && EmptyFolder(fs, c.path))
          ok = fs.DeleteFolder(c.path);
        break;
      case Change::kHad:
        ok = fs.CreateFolderWithParents(c.path);
        break;
      case Change::kMoved:
        // Killed before the rename, the link never moved.
        if (fs.IsLink(c.kept) && !fs.IsLink(c.path) && fs.Kind(c.path) == runtime::kNone)
          ok = fs.Rename(c.kept, c.path);
        break;
    }
    if (!ok) {
      problems.push_back(c.path);
      LogLine("Cannot put back <" + c.path + ">");
    }
  }
  LogLine("Changes undone: " + std::to_string(changes_.size()) + ", not put back: " + std::to_string(problems.size()));
  // The old copies stay when something could not be put back (they are all
  // that is left of those files) and while the journal that names them does.
  if (Drop() && problems.empty() && !keep_.empty()) fs.DeleteFolder(keep_);
  return problems;
}

bool InstallUndo::Commit(InstalledPackage package) {
  runtime::FileSystem& fs = runtime::Fs();
  InstalledRecord record = LoadInstalledRecord(target_);
  const InstalledPackage* found = FindInstalled(record, package.id);
  const std::optional<InstalledPackage> previous = found ? std::optional<InstalledPackage>(*found) : std::nullopt;

  // Where each path came from: the old copy to put back, or "" for a file
  // that was not there.  An earlier install of the same package knows the
  // state before it, which is what uninstall must return to.
  std::map<std::string, std::string> origin;
  std::vector<std::string> order;
  std::map<std::string, InstalledFile> recorded;
  std::vector<KeptFile> links;  // links a DELETE removed: no old copy
  std::vector<std::string> asides;
  auto note = [&](const std::string& path, const std::string& kept) {
    if (origin.emplace(path, kept).second) order.push_back(path);
  };
  if (previous) {
    package.folders = previous->folders;
    package.removedFolders = previous->removedFolders;
    package.installerRun = package.installerRun || previous->installerRun;
    for (const KeptFile& k : previous->replaced) note(k.path, k.kept);
    for (const KeptFile& k : previous->deleted)
      if (!k.kept.empty()) note(k.path, k.kept);
    for (const InstalledFile& f : previous->written) {
      note(f.path, "");
      recorded[f.path] = f;
    }
    for (const std::string& b : previous->backups)
      if (std::find(package.backups.begin(), package.backups.end(), b) == package.backups.end())
        package.backups.push_back(b);
  }
  for (const Change& c : changes_) {
    const std::string rel = Relative(c.path);
    if (c.kind == Change::kFolder || c.kind == Change::kHad) {
      // Folders it made that stand, and folders it removed that are gone.
      std::vector<std::string>& list = c.kind == Change::kFolder ? package.folders : package.removedFolders;
      if ((fs.Kind(c.path) == runtime::kFolder) == (c.kind == Change::kFolder) &&
          std::find(list.begin(), list.end(), rel) == list.end())
        list.push_back(rel);
    } else if (c.kind == Change::kMoved) {
      // The link set aside goes for good once the record stands.
      asides.push_back(c.kept);
      if (!fs.IsLink(c.path) && fs.Kind(c.path) == runtime::kNone) links.push_back({rel, ""});
    } else {
      note(rel, c.kind == Change::kSaved ? c.kept : "");
      recorded.erase(rel);  // written again now: hashed again below
    }
  }
  if (previous)
    for (const KeptFile& k : previous->deleted)
      if (k.kept.empty()) links.push_back(k);
  package.written.clear();
  package.replaced.clear();
  package.deleted = links;
  for (const std::string& rel : order) {
    const std::string absolute = target_ + "/" + rel;
    const bool present = fs.Kind(absolute) == runtime::kFile && !fs.IsLink(absolute);
    if (present) {
      auto kept = recorded.find(rel);
      if (kept != recorded.end()) {
        package.written.push_back(kept->second);
      } else {
        const std::string sha = trust::Sha256OfFile(absolute);
        if (sha.empty()) {
          LogLine("Installed file <" + absolute + "> cannot be read back - package undone");
          Rollback();
          return false;
        }
        package.written.push_back({rel, fs.FileSize(absolute), sha});
      }
    }
    const std::string& kept = origin[rel];
    if (!kept.empty()) (present ? package.replaced : package.deleted).push_back({rel, kept});
  }
  package.keep = keep_;
  PutInstalled(record, package);
  if (!SaveInstalledRecord(record)) {
    Rollback();
    return false;
  }
  Drop();
  for (const std::string& aside : asides) fs.DeleteFile(aside);
  // Copies no block refers to: this run's copies of files an earlier install
  // of the package had written, and that install's keep folder when nothing
  // in it is needed any more.
  std::set<std::string> needed;
  for (const auto& [rel, kept] : origin)
    if (!kept.empty()) needed.insert(kept);
  for (int n = 1; n <= copies_; ++n)
    if (const std::string copy = keep_ + "/" + std::to_string(n); !needed.count(copy)) fs.DeleteFile(copy);
  if (previous && !previous->keep.empty() && previous->keep != keep_) {
    bool used = false;
    for (const std::string& kept : needed) used = used || kept.rfind(previous->keep + "/", 0) == 0;
    if (!used) fs.DeleteFolder(previous->keep);
  }
  return true;
}

std::vector<std::string> RecoverInterruptedInstall() {
  runtime::FileSystem& fs = runtime::Fs();
  std::optional<std::string> bytes = fs.ReadFile(kUndoJournal);
  if (!bytes) return {};
  std::vector<std::string> log;
  auto say = [&log](const std::string& line) {
    LogLine(line);
    log.push_back(line);
  };
  const std::vector<std::string> lines = JournalLines(*bytes);
  const std::vector<std::string> begin = lines.empty() ? std::vector<std::string>{} : Fields(lines[0], 3);
  if (begin.size() != 3 || begin[0] != "begin" || begin[1].empty() || begin[2].empty()) {
    // The journal is written whole before the first change: without its
    // first line, nothing was changed.
    say("Undo journal without a beginning dropped");
    fs.DeleteFile(kUndoJournal);
    return log;
  }
  InstallUndo undo;
  undo.keep_ = begin[1];
  undo.target_ = begin[2];
  for (const InstalledPackage& p : LoadInstalledRecord(undo.target_).packages)
    if (p.keep == undo.keep_) {
      say("Install of <" + p.id + "> had ended well before the run was cut off; undo journal dropped");
      fs.DeleteFile(kUndoJournal);
      return log;
    }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const bool two = lines[i].rfind("saved|", 0) == 0 || lines[i].rfind("moved|", 0) == 0;
    std::vector<std::string> f = Fields(lines[i], two ? 3 : 2);
    std::string absolute;
    const bool inside = undo.Inside(f.back(), absolute) && absolute == f.back();
    InstallUndo::Change c{InstallUndo::Change::kFolder, f.back(), ""};
    if (f[0] == "new") c.kind = InstallUndo::Change::kNew;
    else if (f[0] == "had") c.kind = InstallUndo::Change::kHad;
    else if (f[0] == "saved" && f.size() == 3 && f[1].rfind(undo.keep_ + "/", 0) == 0) {
      c.kind = InstallUndo::Change::kSaved;
      c.kept = f[1];
    } else if (f[0] == "moved" && f.size() == 3 && ParentOf(f[1]) == ParentOf(f[2]) &&
               f[1].rfind(ParentOf(f[2]) + "/.corvane-link-", 0) == 0) {
      c.kind = InstallUndo::Change::kMoved;
      c.kept = f[1];
    } else if (f[0] != "folder") {
      say("Undo journal line skipped <" + lines[i] + ">");
      continue;
    }
    if (!inside) {
      say("Undo journal names a path outside <" + undo.target_ + ">: skipped <" + lines[i] + ">");
      continue;
    }
    undo.changes_.push_back(c);
  }
  say("Install cut off in <" + undo.target_ + ">: putting back " + std::to_string(undo.changes_.size()) + " changes");
  undo.open_ = true;
  std::vector<std::string> problems = undo.Rollback();
  for (const std::string& p : problems) log.push_back("Cannot put back <" + p + ">");
  say(problems.empty() ? "Interrupted install rolled back" : "Interrupted install rolled back in part");
  return log;
}

}  // namespace corvane
