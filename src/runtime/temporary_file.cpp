#include "runtime/temporary_file.h"

#include <chrono>
#include <mutex>
#include <random>
#include <set>

#include "runtime/text.h"

namespace corvane::runtime {
namespace {

constexpr char kPrefix[] = ".corvane-";
constexpr char kSuffix[] = ".tmp";
constexpr std::size_t kRandomLetters = 8;
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Name clashes are one in 36^8; more failures than this mean the folder
// cannot take files at all.
constexpr int kAttempts = 16;

std::mutex journal_mutex;
std::string journal_path;
std::set<std::string> noted_folders;

std::string RandomName() {
  static std::mutex mutex;
  static std::mt19937_64 generator = [] {
    std::uint64_t seed = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    try {
      std::random_device device;
      seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
      // The clock alone still varies between runs; names are created
      // exclusively, so a repeat only costs another attempt.
    }
    return std::mt19937_64(seed);
  }();
  std::lock_guard<std::mutex> lock(mutex);
  std::string name = kPrefix;
  for (std::size_t i = 0; i < kRandomLetters; ++i) name += kLetters[generator() % (sizeof kLetters - 1)];
  return name + kSuffix;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void NoteFolder(FileSystem& fs, const std::string& folder) {
  std::lock_guard<std::mutex> lock(journal_mutex);
  if (journal_path.empty()) return;
  const std::string absolute = fs.Absolute(folder);
  if (!noted_folders.insert(absolute).second) return;
  fs.AppendFile(journal_path, absolute + "\n");
}

// A fresh temporary name in the folder of path for which make(candidate)
// succeeds, or "".
template <class Make>
std::string MakeBeside(FileSystem& fs, const std::string& path, Make make) {
  // Only the folder is resolved: the target itself usually does not exist
  // yet, and resolving a missing name costs a search of its folder.
  const std::string folder = fs.Resolve(FolderOf(ReplaceAll(path, "\\", "/")));
  NoteFolder(fs, folder);
  for (int i = 0; i < kAttempts; ++i) {
    const std::string candidate = (folder == "/" ? "" : folder) + "/" + RandomName();
    if (make(candidate)) return candidate;
    if (fs.Kind(candidate) == kNone && !fs.IsLink(candidate)) return "";  // not a clash: the folder refuses
  }
  return "";
}

}  // namespace

std::string CreateTemporaryBeside(FileSystem& fs, const std::string& path) {
  return MakeBeside(fs, path, [&](const std::string& candidate) { return fs.CreateExclusive(candidate); });
}

std::unique_ptr<WriteStream> OpenTemporaryBeside(FileSystem& fs, const std::string& path, std::string* temporary) {
  std::unique_ptr<WriteStream> stream;
  *temporary = MakeBeside(fs, path, [&](const std::string& candidate) {
    stream = fs.OpenWriteNew(candidate);
    return stream != nullptr;
  });
  return stream;
}

bool IsTemporaryName(const std::string& name) {
  const std::size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
  if (name.size() != prefix + kRandomLetters + suffix) return false;
  if (name.compare(0, prefix, kPrefix) != 0 || name.compare(name.size() - suffix, suffix, kSuffix) != 0)
    return false;
  for (std::size_t i = prefix; i < prefix + kRandomLetters; ++i)
    if (std::string_view(kLetters).find(name[i]) == std::string_view::npos) return false;
  return true;
}

void SetTemporaryJournal(const std::string& journal) {
  std::lock_guard<std::mutex> lock(journal_mutex);
  journal_path = journal;
  noted_folders.clear();
}

std::vector<std::string> SweepTemporaries(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> removed;
  auto names = fs.ListFolder(folder);
  if (!names) return removed;
  for (const std::string& name : *names) {
    if (!IsTemporaryName(name)) continue;
    const std::string path = (folder.empty() || folder.back() == '/' ? folder : folder + "/") + name;
    if (fs.Kind(path) == kFolder && !fs.IsLink(path)) continue;  // never ours
    if (fs.DeleteFile(path)) removed.push_back(path);
  }
  return removed;
}

std::vector<std::string> SweepJournalledTemporaries(FileSystem& fs) {
  std::string journal;
  {
    std::lock_guard<std::mutex> lock(journal_mutex);
    journal = journal_path;
  }
  std::vector<std::string> removed;
  if (journal.empty()) return removed;
  std::set<std::string> folders;
  if (auto text = fs.ReadFile(journal))
    for (std::string& line : ReadLines(*text))
      if (!line.empty()) folders.insert(line);
  for (const std::string& folder : folders)
    for (std::string& path : SweepTemporaries(fs, folder)) removed.push_back(std::move(path));
  fs.DeleteFile(journal);
  SetTemporaryJournal(journal);
  return removed;
}

}  // namespace corvane::runtime
