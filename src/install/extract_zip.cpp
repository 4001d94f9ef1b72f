#include "install/extract_zip.h"

#include <unordered_set>

#include "install/change_guard.h"
#include "install/entry_name.h"
#include "install/target_guard.h"
#include "log/activity_log.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "toolkit/toolkit.h"
#include "zip/zip_reader.h"

namespace corvane {
namespace {

std::string FolderPart(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? "" : name.substr(0, slash);
}

std::string FilePart(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The deepest folder above path already found free of links, else root:
// a new folder's way needs looking at only below it.
std::string CheckedAncestor(const std::unordered_set<std::string>& checked, const std::string& path,
                            const std::string& root) {
  std::string folder = path;
  while (folder.size() > root.size()) {
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos || slash < root.size()) break;
    folder.resize(slash);
    if (checked.count(folder)) return folder;
  }
  return root;
}

void Refuse(const std::string& name, const std::string& why) {
  LogLine("Entry refused <" + PrintableName(name) + "> " + why);
}

// The unpacking itself; guard (may be null) hears of every change first,
// and *failed counts the entries that did not reach their place.
int Extract(const std::string& archive_in, const std::string& destination_in, const std::string& only_name,
            int own_folder, const std::string& password, ChangeGuard* guard, int* failed) {
  if (archive_in.empty() || destination_in.empty()) return -1;
  const std::string archive = runtime::ReplaceAll(archive_in, "\\", "/");
  std::string destination = runtime::ReplaceAll(destination_in, "\\", "/");
  LogLine("Source: " + archive);
  LogLine("Dest  : " + destination);

  runtime::FileSystem& fs = runtime::Fs();
  // Most entries are new names, each looked up with case ignored before
  // it is made: one listing per folder serves the whole archive.
  runtime::KeptListings listings(fs);
  ZipReader zip;
  if (!zip.Open(archive)) {
    tk::Print("File non esiste <" + archive + ">");
    if (fs.Kind(archive) == runtime::kFile) LogLine("Not a readable ZIP archive <" + archive + ">");
    return -1;
  }

  // Everything written below this folder; links found on the way down from
  // it are never followed.
  const std::string root = destination;
  // An archive named only of dots ("...zip") would name the destination
  // itself or its parent.
  const std::string own_name = WithoutExtension(FilePart(archive));
  const std::string own = destination + "/" + own_name;
  const bool own_inside = EntryNameProblem(own_name).empty() && IsStrictlyInside(root, own);
  if (!own_inside) {
    LogLine("Own folder refused <" + PrintableName(own) + "> is not inside <" + root + ">");
    if (own_folder == 1) {
      zip.Close();
      return -1;
    }
  } else if (fs.Kind(own) == runtime::kNone && !fs.IsLink(own)) {
    bool made = (!guard || guard->BeforeCreateFolder(own)) && fs.CreateFolderWithParents(own);
    LogLine("Create dir <" + own + "> =" + (made ? "1" : "0"));
  }
  if (own_folder == 1) destination = own;
  std::unordered_set<std::string> checked_folders;

  for (int i = 0; i < zip.Count(); ++i) {
    const ZipEntry* entry = zip.Entry(i);
    const std::string name = runtime::ReplaceAll(entry->name, "\\", "/");
    std::string problem = EntryNameProblem(name);
    if (!problem.empty()) {
      Refuse(name, problem);
      ++*failed;
      continue;
    }
    if (entry->is_link) {
      Refuse(name, "symbolic link");
      ++*failed;
      continue;
    }
    const std::string folder = FolderPart(name);
    const std::string folder_path = folder.empty() ? destination : destination + "/" + folder;
    const std::string out_path = destination + "/" + name;
    // A folder entry "./" names the destination itself, which is harmless.
    const bool names_destination = name.back() == '/' && NormalisedPath(out_path) == NormalisedPath(destination);
    if (!names_destination && !IsStrictlyInside(destination, out_path)) {
      Refuse(name, "is not inside <" + destination + ">");
      ++*failed;
      continue;
    }
    // A folder found free of links once stays so: the archive's own links
    // are refused, so only its last name needs looking at for the next
    // entries in it, rather than every level down from the root.
    const bool folder_checked = checked_folders.count(folder_path) > 0;
    std::string link;
    if (!folder_checked) {
      link = LinkBelow(CheckedAncestor(checked_folders, folder_path, root), out_path, true);
    } else if (name.back() != '/' && fs.IsLink(out_path)) {
      link = out_path;
    }
    if (!link.empty()) {
      Refuse(name, "passes through the symbolic link <" + link + ">");
      ++*failed;
      continue;
    }
    if (!folder_checked) {
      const runtime::FileKind kind = fs.Kind(folder_path);
      const bool made = kind == runtime::kNone && (!guard || guard->BeforeCreateFolder(folder_path)) &&
                        fs.CreateFolderWithParents(folder_path);
      // Every folder on the way was looked at too.
      if (made || kind == runtime::kFolder) {
        for (std::string folder = folder_path; folder.size() > root.size() && checked_folders.insert(folder).second;)
          folder.resize(folder.rfind('/'));
      }
    }
    if (entry->size == 0) continue;
    bool last = false;
    if (!only_name.empty()) {
      if (!runtime::EqualsIgnoreCase(only_name, FilePart(name))) continue;
      last = true;
    }
    if (guard && !guard->BeforeWrite(out_path)) {
      LogLine("Extract skipped <" + PrintableName(name) + ">");
      ++*failed;
      if (last) break;
      continue;
    }
    ZipStatus status = zip.ExtractEntry(i, out_path, password);
    if (status != ZipStatus::kOk) {
      LogLine("Extract failed <" + PrintableName(name) + "> " + ZipStatusText(status));
      ++*failed;
    }
    if (last) break;
  }
  zip.Close();
  return 1;
}

}  // namespace

int ExtractZip(const std::string& archive, const std::string& destination, const std::string& only_name,
               int own_folder, const std::string& password) {
  int failed = 0;
  return Extract(archive, destination, only_name, own_folder, password, nullptr, &failed);
}

int ExtractZipGuarded(const std::string& archive, const std::string& destination, int own_folder,
                      ChangeGuard& guard) {
  int failed = 0;
  const int result = Extract(archive, destination, "", own_folder, "", &guard, &failed);
  return result < 0 ? -1 : failed;
}

}  // namespace corvane
