#include "support/memory_file_system.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "runtime/text.h"

namespace corvane::fuzz {
namespace {

bool IsIncbin(const std::string& path) { return path.rfind(runtime::kIncbinPrefix, 0) == 0; }

class MemoryWriteStream : public runtime::WriteStream {
 public:
  MemoryWriteStream(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool Write(const void* data, std::size_t size) override {
    if (!ok_) return false;
    std::string* file = fs_.Get(path_);
    if (!file) return ok_ = false;  // deleted or renamed while open
    if (!fs_.Spend(size)) return ok_ = false;
    file->append(static_cast<const char*>(data), size);
    return true;
  }
  bool Close() override { return ok_; }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  bool ok_ = true;
};

class MemoryReadStream : public runtime::ReadStream {
 public:
  explicit MemoryReadStream(std::string bytes) : bytes_(std::move(bytes)) {}
  long long Read(void* data, std::size_t size) override {
    std::size_t n = std::min(size, bytes_.size() - position_);
    if (n > 0) std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return static_cast<long long>(n);
  }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() { Clear(); }

void MemoryFileSystem::Clear() {
  files_.clear();
  folders_ = {"/", "/mem"};
  std::vector<std::string>().swap(reads_);
  budget_ = -1;
}

std::string MemoryFileSystem::Normalise(const std::string& path) {
  if (IsIncbin(path)) return path;
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.empty() || p[0] != '/') p = "/mem/" + p;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t end = p.find('/', start);
    if (end == std::string::npos) end = p.size();
    std::string part = p.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

std::string MemoryFileSystem::Parent(const std::string& normalised) {
  std::size_t slash = normalised.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : normalised.substr(0, slash);
}

std::string MemoryFileSystem::LastName(const std::string& normalised) {
  return normalised.substr(normalised.rfind('/') + 1);
}

void MemoryFileSystem::Put(const std::string& path, const std::string& bytes) {
  std::string n = Normalise(path);
  CreateFolderWithParents(Parent(n));
  folders_.erase(n);
  files_[n] = bytes;
}

const std::string* MemoryFileSystem::Get(const std::string& path) const {
  auto it = files_.find(Normalise(path));
  return it == files_.end() ? nullptr : &it->second;
}

std::string* MemoryFileSystem::Get(const std::string& path) {
  auto it = files_.find(Normalise(path));
  return it == files_.end() ? nullptr : &it->second;
}

bool MemoryFileSystem::Spend(std::size_t bytes) {
  if (budget_ < 0) return true;
  if (static_cast<long long>(bytes) > budget_) {
    budget_ = 0;
    return false;
  }
  budget_ -= static_cast<long long>(bytes);
  return true;
}

std::string MemoryFileSystem::Find(const std::string& path) const {
  std::string n = Normalise(path);
  if (IsFile(n) || IsFolder(n)) return n;
  // Component by component, the first match with case ignored (in listing order).
  std::string at = "/";
  std::size_t start = 1;
  while (start < n.size()) {
    std::size_t end = n.find('/', start);
    if (end == std::string::npos) end = n.size();
    std::string want = n.substr(start, end - start);
    std::string base = at == "/" ? "/" : at + "/";
    std::string exact = base + want;
    if (IsFile(exact) || IsFolder(exact)) {
      at = exact;
    } else {
      std::string folded = runtime::ToLower(want);
      std::string hit;
      for (auto it = folders_.lower_bound(base); it != folders_.end() && it->rfind(base, 0) == 0; ++it) {
        std::string name = it->substr(base.size());
        if (!name.empty() && name.find('/') == std::string::npos && runtime::ToLower(name) == folded) {
          hit = *it;
          break;
        }
      }
      if (hit.empty()) {
        for (auto it = files_.lower_bound(base); it != files_.end() && it->first.rfind(base, 0) == 0; ++it) {
          std::string name = it->first.substr(base.size());
          if (name.find('/') == std::string::npos && runtime::ToLower(name) == folded) {
            hit = it->first;
            break;
          }
        }
      }
      if (hit.empty()) return "";
      at = hit;
    }
    if (end < n.size() && !IsFolder(at)) return "";
    start = end + 1;
  }
  return at;
}

std::string MemoryFileSystem::NewFileSpot(const std::string& path) const {
  std::string found = Find(path);
  if (!found.empty()) return IsFile(found) ? found : "";
  std::string n = Normalise(path);
  if (IsIncbin(n)) return "";
  std::string parent = Find(Parent(n));
  if (parent.empty() || !IsFolder(parent)) return "";
  return (parent == "/" ? "" : parent) + "/" + LastName(n);
}

std::string MemoryFileSystem::Resolve(const std::string& path) {
  if (IsIncbin(path)) return path;
  std::string found = Find(path);
  return found.empty() ? Normalise(path) : found;
}

std::optional<std::string> MemoryFileSystem::ReadFile(const std::string& path) {
  if (IsIncbin(path)) {
    const std::string* bytes = runtime::EmbeddedResource(path.substr(std::strlen(runtime::kIncbinPrefix)));
    if (!bytes) return std::nullopt;
    return *bytes;
  }
  reads_.push_back(Normalise(path));
  std::string found = Find(path);
  if (found.empty() || !IsFile(found)) return std::nullopt;
  return files_.at(found);
}

bool MemoryFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  std::string spot = NewFileSpot(path);
  if (spot.empty()) return false;
  std::string& file = files_[spot];
  file.clear();
  if (!Spend(bytes.size())) return false;
  file = bytes;
  return true;
}

bool MemoryFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  std::string spot = NewFileSpot(path);
  if (spot.empty() || !Spend(bytes.size())) return false;
  files_[spot] += bytes;
  return true;
}

std::unique_ptr<runtime::WriteStream> MemoryFileSystem::OpenWrite(const std::string& path) {
  std::string spot = NewFileSpot(path);
  if (spot.empty()) return nullptr;
  files_[spot].clear();
  return std::make_unique<MemoryWriteStream>(*this, spot);
}

std::unique_ptr<runtime::WriteStream> MemoryFileSystem::OpenAppend(const std::string& path) {
  std::string found = Find(path);
  if (found.empty() || !IsFile(found)) return nullptr;
  return std::make_unique<MemoryWriteStream>(*this, found);
}

std::unique_ptr<runtime::ReadStream> MemoryFileSystem::OpenRead(const std::string& path) {
  if (IsIncbin(path)) {
    auto bytes = ReadFile(path);
    return bytes ? std::make_unique<MemoryReadStream>(*bytes) : nullptr;
  }
  reads_.push_back(Normalise(path));
  std::string found = Find(path);
  if (found.empty() || !IsFile(found)) return nullptr;
  return std::make_unique<MemoryReadStream>(files_.at(found));
}

std::optional<std::vector<std::string>> MemoryFileSystem::ListFolder(const std::string& path) {
  std::string folder = Find(path);
  if (folder.empty() || !IsFolder(folder)) return std::nullopt;
  std::string base = folder == "/" ? "/" : folder + "/";
  std::set<std::string> names;
  for (auto it = folders_.lower_bound(base); it != folders_.end() && it->rfind(base, 0) == 0; ++it) {
    std::string name = it->substr(base.size());
    if (!name.empty() && name.find('/') == std::string::npos) names.insert(name);
  }
  for (auto it = files_.lower_bound(base); it != files_.end() && it->first.rfind(base, 0) == 0; ++it) {
    std::string name = it->first.substr(base.size());
    if (name.find('/') == std::string::npos) names.insert(name);
  }
  return std::vector<std::string>(names.begin(), names.end());
}

runtime::FileKind MemoryFileSystem::Kind(const std::string& path) {
  std::string found = Find(path);
  if (found.empty()) return runtime::kNone;
  return IsFolder(found) ? runtime::kFolder : runtime::kFile;
}

bool MemoryFileSystem::CreateFolder(const std::string& path) {
  std::string found = Find(path);
  if (!found.empty()) return IsFolder(found);
  std::string n = Normalise(path);
  if (IsIncbin(n)) return false;
  std::string parent = Find(Parent(n));
  if (parent.empty() || !IsFolder(parent)) return false;
  folders_.insert((parent == "/" ? "" : parent) + "/" + LastName(n));
  return true;
}

bool MemoryFileSystem::CreateFolderWithParents(const std::string& path) {
  std::string n = Normalise(path);
  if (IsIncbin(n)) return false;
  if (n != "/" && !CreateFolderWithParents(Parent(n))) return false;
  return CreateFolder(n);
}

int MemoryFileSystem::CopyFile(const std::string& src, const std::string& dst) {
  std::string from = Find(src);
  if (from.empty() || !IsFile(from) || Find(dst) == from) return 0;
  std::string bytes = files_.at(from);
  return WriteFile(dst, bytes) ? 1 : 0;
}

bool MemoryFileSystem::CreateExclusive(const std::string& path) {
  if (!Find(path).empty()) return false;
  std::string spot = NewFileSpot(path);
  if (spot.empty()) return false;
  files_[spot];
  return true;
}

std::optional<runtime::FileIdentity> MemoryFileSystem::Identify(const std::string& path) {
  std::string found = Find(path);
  if (found.empty()) return std::nullopt;
  return runtime::FileIdentity{1, std::hash<std::string>{}(found), IsFile(found)};
}

bool MemoryFileSystem::DeleteFile(const std::string& path) {
  std::string found = Find(path);
  return !found.empty() && files_.erase(found) > 0;
}

bool MemoryFileSystem::DeleteFolder(const std::string& path) {
  std::string found = Find(path);
  if (found.empty()) return true;
  if (!IsFolder(found) || found == "/") return false;
  std::string base = found + "/";
  for (auto it = files_.lower_bound(base); it != files_.end() && it->first.rfind(base, 0) == 0;) it = files_.erase(it);
  for (auto it = folders_.lower_bound(base); it != folders_.end() && it->rfind(base, 0) == 0;) it = folders_.erase(it);
  folders_.erase(found);
  return true;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  std::string source = Find(from);
  if (source.empty() || !IsFile(source)) return false;
  std::string spot = NewFileSpot(to);
  if (spot.empty()) return false;
  if (spot == source) return true;
  files_[spot] = std::move(files_.at(source));
  files_.erase(source);
  return true;
}

long long MemoryFileSystem::FileSize(const std::string& path) {
  std::string found = Find(path);
  if (found.empty() || !IsFile(found)) return -1;
  return static_cast<long long>(files_.at(found).size());
}

}  // namespace corvane::fuzz
