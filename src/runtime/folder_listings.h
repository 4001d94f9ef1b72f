// The names in folders, kept for the length of a run that makes many files
// in a few folders (one archive's extraction).  On a system that tells
// letter case apart, a name that does not exist as written is looked for
// with case ignored by listing its folder; a run that makes thousands of new
// files would list the same folders thousands of times.  The file system
// keeps here each folder it listed and each folder it made, and tells this
// of its own creates, renames and deletes, so one listing a folder serves
// the whole run.
//
// Portable bookkeeping only: the platform file system does the listing.
// Folders are keyed by their absolute path, built from the current folder
// noted when keeping starts, so a relative and an absolute spelling of a
// folder share one listing; paths with ".", ".." or empty components are
// never kept.  What another process changes in a kept folder is not seen
// until keeping ends.  Safe to use from several threads.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::runtime {

class FolderListings {
 public:
  // Starts (keep true) or ends a keeping period; periods nest, and the end
  // of the outermost forgets everything.  current_folder: the absolute
  // current folder, read at the start of the outermost period.
  void Keep(bool keep, const std::string& current_folder);
  bool Active() const { return depth_.load(std::memory_order_acquire) > 0; }
  // The current folder noted at the start; "" when not keeping.
  std::string CurrentFolder();

  // The key of path's folder and path's last name; false when not keeping,
  // or when path has a ".", ".." or empty component or lies at the root.
  bool Split(const std::string& path, std::string* folder, std::string* name);
  // name as it stands in folder: itself when it is there as written, else
  // the first name listed equal to it with case ignored, else name again
  // (a new name).  nullopt when folder's listing is not kept.  *listed
  // (when given) says whether the name, in some case, is there.
  std::optional<std::string> Find(const std::string& folder, const std::string& name, bool* listed = nullptr);
  // True when a kept listing shows that path's folder, or a folder above
  // it, is missing (so path is missing too); false when unknown.
  bool FolderMissing(const std::string& path);
  // The listing of folder, in the system's order.
  void Fill(const std::string& folder, const std::vector<std::string>& names);

  // The system made path (a file, or with empty_folder a folder it just
  // created, which is known to be empty).
  void Added(const std::string& path, bool empty_folder = false);
  // path left its folder (deleted or renamed away); a listing of path itself
  // or of any folder below it is forgotten.
  void Removed(const std::string& path);
  // Forgets every listing (a folder tree was deleted).
  void Forget();
  // The current folder changed: forgets every listing and notes the new one.
  void Restart(const std::string& current_folder);

 private:
  // Names by their upper-case form, each list in listing order.
  using Listing = std::unordered_map<std::string, std::vector<std::string>>;
  bool SplitLocked(const std::string& path, std::string* folder, std::string* name) const;
  // Hands change the kept listing of path's folder (null when not kept),
  // the folder's key and path's last name; when path cannot be keyed,
  // forgets every listing instead (any kept one may be its folder under
  // another spelling).
  template <class Change>
  void Update(const std::string& path, Change change);
  std::mutex mutex_;
  std::atomic<int> depth_{0};
  std::string current_;
  std::map<std::string, Listing, std::less<>> folders_;
};

}  // namespace corvane::runtime
