#include "runtime/folder_listings.h"

#include <algorithm>

#include "runtime/text.h"

namespace corvane::runtime {
namespace {

constexpr int kLevelsUp = 8;

}  // namespace

void FolderListings::Keep(bool keep, const std::string& current_folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int depth = depth_.load(std::memory_order_relaxed);
  if (keep && depth == 0) current_ = current_folder;
  if (!keep && depth == 0) return;
  depth_.store(keep ? depth + 1 : depth - 1, std::memory_order_release);
  if (!Active()) {
    folders_.clear();
    current_.clear();
  }
}

std::string FolderListings::CurrentFolder() {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_;
}

bool FolderListings::SplitLocked(const std::string& path, std::string* folder, std::string* name) const {
  if (!Active() || path.empty() || current_.empty()) return false;
  const std::string absolute = path[0] == '/' ? path : (current_ == "/" ? "" : current_) + "/" + path;
  std::size_t start = 1, last = 0;
  while (start <= absolute.size()) {
    std::size_t end = absolute.find('/', start);
    if (end == std::string::npos) end = absolute.size();
    const std::size_t length = end - start;
    if (length == 0 || (length == 1 && absolute[start] == '.') ||
        (length == 2 && absolute.compare(start, 2, "..") == 0))
      return false;
    last = start;
    start = end + 1;
  }
  if (last <= 1) return false;
  *folder = absolute.substr(0, last - 1);
  *name = absolute.substr(last);
  return true;
}

bool FolderListings::Split(const std::string& path, std::string* folder, std::string* name) {
  if (!Active()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return SplitLocked(path, folder, name);
}

std::optional<std::string> FolderListings::Find(const std::string& folder, const std::string& name, bool* listed) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto listing = folders_.find(folder);
  if (listing == folders_.end()) return std::nullopt;
  auto same = listing->second.find(ToUpper(name));
  if (listed) *listed = same != listing->second.end();
  if (same == listing->second.end()) return name;
  const std::vector<std::string>& names = same->second;
  return std::find(names.begin(), names.end(), name) != names.end() ? name : names.front();
}

bool FolderListings::FolderMissing(const std::string& path) {
  if (!Active()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  std::string folder, name;
  if (!SplitLocked(path, &folder, &name)) return false;
  // Up from the folder to the nearest kept listing: the name below it
  // decides.  A few levels are enough for a run that makes its folders one
  // by one, and keep a path thousands of folders deep from costing a search
  // per level at every look-up.
  std::string_view below_end = folder;
  for (int level = 0; level < kLevelsUp && below_end.size() > 1; ++level) {
    const std::size_t slash = below_end.rfind('/');
    if (slash == 0 || slash == std::string_view::npos) break;
    auto listing = folders_.find(below_end.substr(0, slash));
    if (listing != folders_.end()) return listing->second.count(ToUpper(below_end.substr(slash + 1))) == 0;
    below_end = below_end.substr(0, slash);
  }
  return false;
}

void FolderListings::Fill(const std::string& folder, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!Active()) return;
  Listing& listing = folders_[folder];
  listing.clear();
  for (const std::string& name : names) listing[ToUpper(name)].push_back(name);
}

template <class Change>
void FolderListings::Update(const std::string& path, Change change) {
  if (!Active()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::string folder, name;
  if (!SplitLocked(path, &folder, &name)) {
    folders_.clear();
    return;
  }
  auto listing = folders_.find(folder);
  change(listing == folders_.end() ? nullptr : &listing->second, folder, name);
}

void FolderListings::Added(const std::string& path, bool empty_folder) {
  Update(path, [&](Listing* listing, const std::string& folder, const std::string& name) {
    if (listing) {
      std::vector<std::string>& names = (*listing)[ToUpper(name)];
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    if (empty_folder) folders_[folder + "/" + name].clear();
  });
}

void FolderListings::Removed(const std::string& path) {
  Update(path, [&](Listing* listing, const std::string& folder, const std::string& name) {
    if (listing) {
      auto same = listing->find(ToUpper(name));
      if (same != listing->end()) {
        std::vector<std::string>& names = same->second;
        names.erase(std::remove(names.begin(), names.end(), name), names.end());
        if (names.empty()) listing->erase(same);
      }
    }
    const std::string gone = folder + "/" + name;
    for (auto it = folders_.lower_bound(gone); it != folders_.end() && it->first.compare(0, gone.size(), gone) == 0;) {
      if (it->first.size() == gone.size() || it->first[gone.size()] == '/') it = folders_.erase(it);
      else ++it;
    }
  });
}

void FolderListings::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.clear();
}

void FolderListings::Restart(const std::string& current_folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.clear();
  if (Active()) current_ = current_folder;
}

}  // namespace corvane::runtime
