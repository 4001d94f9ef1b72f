#include "runtime/file_system.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/resources_table.h"
#include "runtime/temporary_file.h"

namespace corvane::runtime {
namespace {
FileSystem* g_override = nullptr;
std::atomic<std::uint64_t> system_calls{0};

FileSystem& RealFs() {
  static std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return *real;
}
}  // namespace

std::uint64_t SystemCallCount() { return system_calls.load(std::memory_order_relaxed); }
void CountSystemCall() { system_calls.fetch_add(1, std::memory_order_relaxed); }

long long ReadAtFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
  char* p = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const long long n = ReadSome(offset + done, p + done, size - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

namespace {

// A whole file held in memory.
class MemoryReadAtFile : public ReadAtFile {
 public:
  explicit MemoryReadAtFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }

 protected:
  long long ReadSome(std::uint64_t offset, void* data, std::size_t size) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(size, bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(data, bytes_.data() + offset, n);
    return static_cast<long long>(n);
  }

 private:
  std::string bytes_;
};

}  // namespace

std::unique_ptr<WriteStream> FileSystem::OpenWriteNew(const std::string& path) {
  if (!CreateExclusive(path)) return nullptr;
  std::unique_ptr<WriteStream> out = OpenWrite(path);
  if (!out) DeleteFile(path);
  return out;
}

std::unique_ptr<ReadAtFile> FileSystem::OpenReadAt(const std::string& path) {
  if (Kind(path) != kFile) return nullptr;
  std::optional<std::string> bytes = ReadFile(path);
  if (!bytes) return nullptr;
  return std::make_unique<MemoryReadAtFile>(std::move(*bytes));
}

FileSystem& Fs() { return g_override ? *g_override : RealFs(); }
void SetFs(FileSystem* fs) { g_override = fs; }

const std::string* EmbeddedResource(const std::string& name) {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    for (const EmbeddedEntry* r = kEmbeddedResources; r->name; ++r)
      t.emplace(r->name, std::string(reinterpret_cast<const char*>(r->data), r->size));
    return t;
  }();
  std::string key = name;
  for (char& c : key)
    if (c == '\\') c = '/';
  auto it = table.find(key);
  return it == table.end() ? nullptr : &it->second;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
  FileSystem& fs = Fs();
  std::string temp;
  auto out = OpenTemporaryBeside(fs, path, &temp);
  if (!out) return false;
  bool ok = out->Write(bytes.data(), bytes.size());
  ok = out && out->Close() && ok;
  out.reset();
  if (ok && fs.Rename(temp, path)) return true;
  fs.DeleteFile(temp);
  return false;
}

int FileSystemWrapper::CopyFile(const std::string& s, const std::string& d) { return CopyFileThrough(*this, s, d); }

int CopyFileThrough(FileSystem& fs, const std::string& src, const std::string& dst) {
  if (src.rfind(kIncbinPrefix, 0) != 0) {
    // A folder, pipe or device is no file to copy; and copying a file onto
    // itself would read back what is being written.
    const std::optional<FileIdentity> from = fs.Identify(src);
    if (!from || !from->regular) return 0;
    const std::optional<FileIdentity> to = fs.Identify(dst);
    if (to && to->device == from->device && to->file == from->file) return 0;
  }
  auto in = fs.OpenRead(src);
  if (!in) return 0;
  std::string temp;
  auto out = OpenTemporaryBeside(fs, dst, &temp);
  if (!out) return 0;
  bool ok = true;
  std::vector<char> buffer(1 << 16);
  while (ok) {
    long long n = in->Read(buffer.data(), buffer.size());
    if (n == 0) break;
    ok = n > 0 && out->Write(buffer.data(), static_cast<std::size_t>(n));
  }
  ok = out && out->Close() && ok;
  out.reset();
  // The rename replaces a link at dst itself: nothing is written through it.
  if (ok && fs.Rename(temp, dst)) return 1;
  fs.DeleteFile(temp);
  return 0;
}

}  // namespace corvane::runtime
