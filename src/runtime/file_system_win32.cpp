// The file system of Windows.  The system itself accepts both separators and
// ignores letter case, so paths go to it as written (with '\' separators);
// the W functions carry every name as UTF-16, whatever the code page.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/text.h"
#include "runtime/wide_text.h"

namespace corvane::runtime {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsIncbin(const std::string& path) { return path.rfind(kIncbinPrefix, 0) == 0; }

const std::string* Resource(const std::string& path) {
  return EmbeddedResource(path.substr(std::strlen(kIncbinPrefix)));
}

DWORD Attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(WidePath(path).c_str());
}

class Win32WriteStream : public WriteStream {
 public:
  explicit Win32WriteStream(HANDLE h) : h_(h) { buffer_.reserve(kBuffer); }
  ~Win32WriteStream() override {
    if (h_ != INVALID_HANDLE_VALUE) Close();
  }
  bool Write(const void* data, std::size_t size) override {
    if (!ok_ || h_ == INVALID_HANDLE_VALUE) return false;
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + size < kBuffer) {
      buffer_.append(p, size);
      return true;
    }
    if (!Flush()) return false;
    if (size >= kBuffer) return ok_ = WriteAll(p, size);
    buffer_.append(p, size);
    return true;
  }
  bool Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return ok_;
    Flush();
    if (!::CloseHandle(h_)) ok_ = false;
    h_ = INVALID_HANDLE_VALUE;
    return ok_;
  }

 private:
  static constexpr std::size_t kBuffer = 1 << 16;
  bool Flush() {
    if (buffer_.empty()) return ok_;
    ok_ = ok_ && WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
  }
  bool WriteAll(const char* p, std::size_t n) {
    while (n > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(h_, p, chunk, &written, nullptr) || written == 0) return false;
      p += written;
      n -= written;
    }
    return true;
  }
  HANDLE h_;
  bool ok_ = true;
  std::string buffer_;
};

class Win32ReadStream : public ReadStream {
 public:
  explicit Win32ReadStream(HANDLE h) : h_(h) {}
  ~Win32ReadStream() override { ::CloseHandle(h_); }
  long long Read(void* data, std::size_t size) override {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(h_, data, want, &got, nullptr)) return -1;
    return got;
  }

 private:
  HANDLE h_;
};

class MemoryReadStream : public ReadStream {
 public:
  explicit MemoryReadStream(const std::string* bytes) : bytes_(bytes) {}
  long long Read(void* data, std::size_t size) override {
    std::size_t n = std::min(size, bytes_->size() - pos_);
    std::memcpy(data, bytes_->data() + pos_, n);
    pos_ += n;
    return static_cast<long long>(n);
  }

 private:
  const std::string* bytes_;
  std::size_t pos_ = 0;
};

HANDLE OpenForReading(const std::string& path) {
  return ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class Win32ReadAtFile : public ReadAtFile {
 public:
  Win32ReadAtFile(HANDLE h, std::uint64_t size) : h_(h), size_(size) {}
  ~Win32ReadAtFile() override { ::CloseHandle(h_); }
  std::uint64_t Size() const override { return size_; }

 protected:
  long long ReadSome(std::uint64_t offset, void* data, std::size_t size) override {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (::ReadFile(h_, data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &got, &where)) return got;
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }

 private:
  HANDLE h_;
  std::uint64_t size_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::string Resolve(const std::string& path) override {
    if (IsIncbin(path)) return path;
    return ForwardSlashes(path);
  }

  // Reading keeps no state of its own.
  bool ReadsFromAnyThread() const override { return true; }

  std::optional<std::string> ReadFile(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = Resource(path);
      if (!r) return std::nullopt;
      return *r;
    }
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buf[65536];
    while (true) {
      DWORD got = 0;
      if (!::ReadFile(h, buf, sizeof buf, &got, nullptr)) {
        ::CloseHandle(h);
        return std::nullopt;
      }
      if (got == 0) break;
      bytes.append(buf, got);
    }
    ::CloseHandle(h);
    return bytes;
  }

  bool WriteFile(const std::string& path, const std::string& bytes) override {
    auto out = OpenWrite(path);
    if (!out) return false;
    bool ok = out->Write(bytes.data(), bytes.size());
    return out->Close() && ok;
  }

  bool AppendFile(const std::string& path, const std::string& bytes) override {
    if (IsIncbin(path)) return false;
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    Win32WriteStream s(h);
    bool ok = s.Write(bytes.data(), bytes.size());
    return s.Close() && ok;
  }

  std::unique_ptr<WriteStream> OpenWrite(const std::string& path) override {
    if (IsIncbin(path) || path.empty()) return nullptr;
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WriteStream>(h);
  }

  std::unique_ptr<WriteStream> OpenAppend(const std::string& path) override {
    if (IsIncbin(path) || path.empty()) return nullptr;
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
      return nullptr;
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WriteStream>(h);
  }

  std::unique_ptr<ReadStream> OpenRead(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = Resource(path);
      if (!r) return nullptr;
      return std::make_unique<MemoryReadStream>(r);
    }
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32ReadStream>(h);
  }

  std::unique_ptr<ReadAtFile> OpenReadAt(const std::string& path) override {
    if (IsIncbin(path)) return FileSystem::OpenReadAt(path);
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileSizeEx(h, &size)) {
      ::CloseHandle(h);
      return nullptr;
    }
    return std::make_unique<Win32ReadAtFile>(h, static_cast<std::uint64_t>(size.QuadPart));
  }

  std::optional<std::vector<std::string>> ListFolder(const std::string& path) override {
    std::string folder = path.empty() ? "." : path;
    if (Kind(folder) != kFolder) return std::nullopt;
    std::wstring pattern = WidePath(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    std::vector<std::string> names;
    if (h == INVALID_HANDLE_VALUE) {
      // An empty folder (a drive root has no "." entry) lists as empty.
      if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
      return std::nullopt;
    }
    do {
      if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) continue;
      names.push_back(WideToUtf8(found.cFileName));
    } while (::FindNextFileW(h, &found));
    ::FindClose(h);
    return names;
  }

  FileKind Kind(const std::string& path) override {
    if (IsIncbin(path)) return Resource(path) ? kFile : kNone;
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return kNone;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : kFile;
  }

  bool IsLink(const std::string& path) override {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
  }

  bool CreateFolder(const std::string& path) override {
    if (path.empty()) return false;
    if (::CreateDirectoryW(WidePath(path).c_str(), nullptr)) return true;
    return Kind(path) == kFolder;
  }

  bool CreateFolderWithParents(const std::string& path) override {
    std::string p = ForwardSlashes(path);
    // The parts of a drive ("C:") or a share ("//server/share") are not made.
    std::size_t pos = 0;
    if (p.size() >= 2 && p[1] == ':') {
      pos = 2;
    } else if (p.rfind("//", 0) == 0) {
      pos = p.find('/', p.find('/', 2) + 1);
      if (pos == std::string::npos) return Kind(p) == kFolder;
    }
    while ((pos = p.find('/', pos + 1)) != std::string::npos) {
      std::string prefix = p.substr(0, pos);
      if (!prefix.empty() && Kind(prefix) != kFolder) CreateFolder(prefix);
    }
    return CreateFolder(p);
  }

  int CopyFile(const std::string& src, const std::string& dst) override { return CopyFileThrough(*this, src, dst); }

  bool CreateExclusive(const std::string& path) override {
    HANDLE h = CreateNew(path);
    return h != INVALID_HANDLE_VALUE && ::CloseHandle(h) != 0;
  }

  std::unique_ptr<WriteStream> OpenWriteNew(const std::string& path) override {
    HANDLE h = CreateNew(path);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WriteStream>(h);
  }

  std::optional<FileIdentity> Identify(const std::string& path) override {
    if (IsIncbin(path) || path.empty()) return std::nullopt;
    // Backup semantics lets the handle name a folder too.
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = ::GetFileInformationByHandle(h, &info) != 0;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK;
    ::CloseHandle(h);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                        disk && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)};
  }

  bool DeleteFile(const std::string& path) override {
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return ::DeleteFileW(WidePath(path).c_str()) != 0;
  }

  bool DeleteFolder(const std::string& path) override {
    RemoveTree(WidePath(path));
    return Kind(path) == kNone;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    const std::wstring target = WidePath(to);
    // A read-only target is replaced like any other: the new file must win.
    DWORD a = ::GetFileAttributesW(target.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) && !(a & FILE_ATTRIBUTE_DIRECTORY))
      ::SetFileAttributesW(target.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    return ::MoveFileExW(WidePath(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
  }

  long long FileSize(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = Resource(path);
      return r ? static_cast<long long>(r->size()) : -1;
    }
    if (path.empty()) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::optional<std::int64_t> ModifiedTime(const std::string& path) override {
    if (IsIncbin(path) || path.empty()) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    // 100-nanosecond steps since 1601-01-01.
    const std::int64_t ticks = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                               data.ftLastWriteTime.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000000LL;
  }

  std::string CurrentFolder() override {
    DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return "";
    std::wstring buffer(n, L'\0');
    n = ::GetCurrentDirectoryW(n, buffer.data());
    buffer.resize(n);
    return ForwardSlashes(WideToUtf8(buffer));
  }

  bool ChangeFolder(const std::string& path) override {
    return !path.empty() && ::SetCurrentDirectoryW(WidePath(path).c_str()) != 0;
  }

  // Windows runs a file by its name's extension; nothing to mark.
  bool SetExecutable(const std::string& path) override { return Kind(path) == kFile; }

  std::string Absolute(const std::string& path) override {
    std::wstring wide = WidePath(path.empty() ? "." : path);
    DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return ForwardSlashes(path);
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    full.resize(n);
    std::string out = ForwardSlashes(WideToUtf8(full));
    // No trailing separator, except the one of a drive's root ("C:/").
    while (out.size() > 1 && out.back() == '/' && !(out.size() == 3 && out[1] == ':')) out.pop_back();
    return out;
  }

 private:
  // A handle open for writing on path, created only when nothing stands
  // there; INVALID_HANDLE_VALUE otherwise.
  static HANDLE CreateNew(const std::string& path) {
    if (IsIncbin(path) || path.empty()) return INVALID_HANDLE_VALUE;
    return ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // Deletes a tree; a link (junction or symbolic link) is removed itself,
  // never followed.
  static void RemoveTree(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (a & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
      ::DeleteFileW(path.c_str());
      return;
    }
    if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
      std::vector<std::wstring> names;
      WIN32_FIND_DATAW found;
      HANDLE h = ::FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                    nullptr, 0);
      if (h != INVALID_HANDLE_VALUE) {
        do {
          if (std::wcscmp(found.cFileName, L".") && std::wcscmp(found.cFileName, L".."))
            names.emplace_back(found.cFileName);
        } while (::FindNextFileW(h, &found));
        ::FindClose(h);
      }
      for (const std::wstring& name : names) RemoveTree(path + L"\\" + name);
    }
    ::RemoveDirectoryW(path.c_str());
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace corvane::runtime
