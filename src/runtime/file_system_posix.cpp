// The file system of a POSIX machine, with Windows path semantics on top:
// `\` is a separator and names are matched with case ignored when a path does
// not exist as written.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/folder_listings.h"
#include "runtime/text.h"

namespace corvane::runtime {
namespace {

// Every call that hands a name to the system goes through here and is counted.
template <class Function, class... Args>
auto Sys(Function function, Args... args) {
  CountSystemCall();
  return function(args...);
}

bool Exists(const std::string& p) {
  struct stat st;
  return Sys(::lstat, p.c_str(), &st) == 0;
}

std::string Slashes(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

class PosixWriteStream : public WriteStream {
 public:
  // The buffer grows with the writes: a stream written in large blocks (the
  // log's) or in one small piece allocates no 64 KiB it does not need.
  explicit PosixWriteStream(int fd) : fd_(fd) {}
  ~PosixWriteStream() override {
    if (fd_ >= 0) Close();
  }
  bool Write(const void* data, std::size_t size) override {
    if (!ok_ || fd_ < 0) return false;
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
    if (fd_ < 0) return ok_;
    Flush();
    if (::close(fd_) != 0) ok_ = false;
    fd_ = -1;
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
      ssize_t w = ::write(fd_, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      p += w;
      n -= static_cast<std::size_t>(w);
    }
    return true;
  }
  int fd_;
  bool ok_ = true;
  std::string buffer_;
};

class PosixReadStream : public ReadStream {
 public:
  explicit PosixReadStream(int fd) : fd_(fd) {}
  ~PosixReadStream() override { ::close(fd_); }
  long long Read(void* data, std::size_t size) override {
    while (true) {
      ssize_t r = ::read(fd_, data, size);
      if (r < 0 && errno == EINTR) continue;
      return r;
    }
  }

 private:
  int fd_;
};

class PosixReadAtFile : public ReadAtFile {
 public:
  PosixReadAtFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixReadAtFile() override { ::close(fd_); }
  std::uint64_t Size() const override { return size_; }

 protected:
  long long ReadSome(std::uint64_t offset, void* data, std::size_t size) override {
    while (true) {
      const ssize_t r = ::pread(fd_, data, size, static_cast<off_t>(offset));
      if (r < 0 && errno == EINTR) continue;
      return r;
    }
  }

 private:
  int fd_;
  std::uint64_t size_;
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

bool IsIncbin(const std::string& path) { return path.rfind(kIncbinPrefix, 0) == 0; }

// Handles on folders during a walk: enough to look names up below them.
#ifdef O_PATH
constexpr int kWalkFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kWalkFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The first name in the listing d equal to part with case ignored, or "";
// closes d.
std::string MatchIgnoringCase(DIR* d, const std::string& part) {
  std::string match;
  while (dirent* e = Sys(::readdir, d)) {
    if (EqualsIgnoreCase(e->d_name, part)) {
      match = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return match;
}

// Every name in the listing d but "." and ".."; closes d.
std::vector<std::string> ReadNames(DIR* d) {
  std::vector<std::string> names;
  while (dirent* e = Sys(::readdir, d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  ::closedir(d);
  return names;
}

// The same in folder dir.
std::string MatchIgnoringCase(int dir, const std::string& part) {
  int fd = Sys(::openat, dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return "";
  DIR* d = ::fdopendir(fd);
  if (!d) {
    ::close(fd);
    return "";
  }
  return MatchIgnoringCase(d, part);
}

// Replaces the handle dir by one on its sub-folder name; -1 when that is no folder.
int Descend(int dir, const std::string& name) {
  int sub = Sys(::openat, dir, name.c_str(), kWalkFlags);
  ::close(dir);
  return sub;
}

class PosixFileSystem : public FileSystem {
 public:
  std::string Resolve(const std::string& path) override {
    if (IsIncbin(path)) return path;
    std::string p = Slashes(path);
    if (p.empty()) return p;
    // A kept listing of the folder answers without asking the system.
    std::string kept_folder, kept_name;
    const bool keyed = listings_.Split(p, &kept_folder, &kept_name);
    if (keyed) {
      if (std::optional<std::string> found = listings_.Find(kept_folder, kept_name))
        return p.substr(0, p.rfind('/') + 1) + *found;
      // Nothing exists below a missing folder: keep the path as written.
      if (listings_.FolderMissing(p)) return p;
    }
    if (Exists(p)) return p;
    // Usually only the last name is missing (a file about to be made): when
    // its folder exists as written, that folder alone is searched rather
    // than every level from the root.
    const std::size_t slash = p.rfind('/');
    if (slash != std::string::npos && slash > 0 && slash + 1 < p.size()) {
      const std::string parent = p.substr(0, slash), last = p.substr(slash + 1);
      if (last != "." && last != "..") {
        // Listed straight away: a file extracted or downloaded into a folder
        // costs this search every time it is named before it exists.
        if (DIR* d = Sys(::opendir, parent.c_str())) {
          if (keyed) {
            listings_.Fill(kept_folder, ReadNames(d));
            return parent + "/" + listings_.Find(kept_folder, kept_name).value_or(last);
          }
          const std::string match = MatchIgnoringCase(d, last);
          return parent + "/" + (match.empty() ? last : match);
        }
      }
    }
    // Walk the components holding a handle on the folder reached so far, so
    // each step costs the same however deep it lies; each missing component
    // is looked up with case ignored.
    std::string out = p[0] == '/' ? "/" : "";
    int dir = Sys(::open, p[0] == '/' ? "/" : ".", kWalkFlags);
    std::size_t pos = 0;
    while (pos <= p.size()) {
      std::size_t next = p.find('/', pos);
      if (next == std::string::npos) next = p.size();
      std::string part = p.substr(pos, next - pos);
      pos = next + 1;
      if (part.empty()) continue;
      if (dir >= 0 && part != "." && part != "..") {
        struct stat st;
        if (Sys(::fstatat, dir, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
          std::string match = MatchIgnoringCase(dir, part);
          if (match.empty()) {
            ::close(dir);  // the rest does not exist; keep it as written
            dir = -1;
          } else {
            part = match;
          }
        }
      }
      out = out.empty() ? part : (out.back() == '/' ? out + part : out + "/" + part);
      if (dir >= 0) dir = Descend(dir, part);
    }
    if (dir >= 0) ::close(dir);
    if (p.size() > 1 && p.back() == '/' && !out.empty() && out.back() != '/') out += '/';
    return out;
  }

  std::optional<std::string> ReadFile(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = EmbeddedResource(path.substr(std::strlen(kIncbinPrefix)));
      if (!r) return std::nullopt;
      return *r;
    }
    // A name that exists as written needs no resolving: opening it first
    // spares a look-up per file when thousands are read in a row.
    int fd = Sys(::open, Slashes(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR))
      fd = Sys(::open, Resolve(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return std::nullopt;
    }
    std::string bytes;
    // The size of a regular file (0 when unknown: a system file gives 0).
    const std::size_t size = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    bytes.reserve(size);
    char buf[65536];
    while (true) {
      ssize_t r = ::read(fd, buf, sizeof buf);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) {
        ::close(fd);
        return std::nullopt;
      }
      if (r == 0) break;
      bytes.append(buf, static_cast<std::size_t>(r));
      // Once the size is reached, a read that gives less than asked is the
      // end: a small file costs one read rather than two, and thousands of
      // them are read in a row.
      if (size > 0 && bytes.size() >= size && static_cast<std::size_t>(r) < sizeof buf) break;
    }
    ::close(fd);
    return bytes;
  }

  bool WriteFile(const std::string& path, const std::string& bytes) override {
    auto out = OpenWrite(path);
    if (!out) return false;
    bool ok = out->Write(bytes.data(), bytes.size());
    return out->Close() && ok;
  }

  bool AppendFile(const std::string& path, const std::string& bytes) override {
    const std::string p = Resolve(path);
    int fd = Sys(::open, p.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    listings_.Added(p);
    PosixWriteStream s(fd);
    bool ok = s.Write(bytes.data(), bytes.size());
    return s.Close() && ok;
  }

  std::unique_ptr<WriteStream> OpenWrite(const std::string& path) override {
    if (IsIncbin(path)) return nullptr;
    // Truncated only when it holds something: ext4 takes truncating a file,
    // even an empty one such as a temporary just made, for a rewrite in
    // place and writes all of it out at close, which made closing a large
    // download wait for the disk.
    const std::string p = Resolve(path);
    int fd = Sys(::open, p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    listings_.Added(p);
    struct stat st;
    if (Sys(::fstat, fd, &st) != 0 || (st.st_size > 0 && Sys(::ftruncate, fd, 0) != 0)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixWriteStream>(fd);
  }

  std::unique_ptr<WriteStream> OpenAppend(const std::string& path) override {
    if (IsIncbin(path) || path.empty()) return nullptr;
    int fd = Sys(::open, Resolve(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixWriteStream>(fd);
  }

  std::unique_ptr<ReadStream> OpenRead(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = EmbeddedResource(path.substr(std::strlen(kIncbinPrefix)));
      if (!r) return nullptr;
      return std::make_unique<MemoryReadStream>(r);
    }
    int fd = Sys(::open, Resolve(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixReadStream>(fd);
  }

  std::unique_ptr<ReadAtFile> OpenReadAt(const std::string& path) override {
    if (IsIncbin(path)) return FileSystem::OpenReadAt(path);
    int fd = Sys(::open, Resolve(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixReadAtFile>(fd, static_cast<std::uint64_t>(st.st_size));
  }

  std::optional<std::vector<std::string>> ListFolder(const std::string& path) override {
    std::string p = path.empty() ? "." : Resolve(path);
    DIR* d = Sys(::opendir, p.c_str());
    if (!d) return std::nullopt;
    return ReadNames(d);
  }

  FileKind Kind(const std::string& path) override {
    if (IsIncbin(path)) return EmbeddedResource(path.substr(std::strlen(kIncbinPrefix))) ? kFile : kNone;
    if (path.empty()) return kNone;
    struct stat st;
    if (Sys(::stat, Resolve(path).c_str(), &st) != 0) return kNone;
    if (S_ISDIR(st.st_mode)) return kFolder;
    return kFile;
  }

  bool IsLink(const std::string& path) override {
    struct stat st;
    return Sys(::lstat, Resolve(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }

  bool CreateFolder(const std::string& path) override {
    std::string p = Resolve(path);
    if (Sys(::mkdir, p.c_str(), 0755) == 0) {
      listings_.Added(p, true);
      return true;
    }
    return Kind(p) == kFolder;
  }

  bool CreateFolderWithParents(const std::string& path) override {
    const std::string p = Resolve(path);
    if (p.empty()) return false;
    // Usually only the last folder is missing.
    if (Sys(::mkdir, p.c_str(), 0755) == 0) {
      listings_.Added(p, true);
      return true;
    }
    // One pass down from the top with a handle on each folder: the cost
    // grows with the path's length, not with its square.
    int dir = Sys(::open, p[0] == '/' ? "/" : ".", kWalkFlags);
    std::string walked = p[0] == '/' ? "" : ".";
    for (const std::string& part : Split(p, "/")) {
      if (dir < 0) return false;
      if (part.empty()) continue;
      walked = walked == "." ? part : walked + "/" + part;
      int sub = Sys(::openat, dir, part.c_str(), kWalkFlags);
      if (sub < 0 && errno == ENOENT) {
        // Another process may win the race: the open below decides.
        if (Sys(::mkdirat, dir, part.c_str(), 0755) == 0) listings_.Added(walked, true);
        sub = Sys(::openat, dir, part.c_str(), kWalkFlags);
      }
      ::close(dir);
      dir = sub;
    }
    if (dir < 0) return false;
    ::close(dir);
    return true;
  }

  int CopyFile(const std::string& src, const std::string& dst) override { return CopyFileThrough(*this, src, dst); }

  bool CreateExclusive(const std::string& path) override {
    const int fd = CreateNew(path);
    return fd >= 0 && ::close(fd) == 0;
  }

  std::unique_ptr<WriteStream> OpenWriteNew(const std::string& path) override {
    const int fd = CreateNew(path);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWriteStream>(fd);
  }

  std::optional<FileIdentity> Identify(const std::string& path) override {
    struct stat st;
    if (IsIncbin(path) || path.empty() || Sys(::stat, Resolve(path).c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                        S_ISREG(st.st_mode)};
  }

  bool DeleteFile(const std::string& path) override {
    std::string p = Resolve(path);
    struct stat st;
    if (Sys(::lstat, p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (Sys(::unlink, p.c_str()) != 0) return false;
    listings_.Removed(p);
    return true;
  }

  bool DeleteFolder(const std::string& path) override {
    std::string p = Resolve(path);
    RemoveTree(p);
    listings_.Forget();
    return !Exists(p);
  }

  bool Rename(const std::string& from, const std::string& to) override {
    const std::string real_from = Resolve(from), real_to = Resolve(to);
    if (Sys(::rename, real_from.c_str(), real_to.c_str()) != 0) return false;
    listings_.Removed(real_from);
    listings_.Removed(real_to);  // a folder may have replaced an empty one
    listings_.Added(real_to);
    return true;
  }

  long long FileSize(const std::string& path) override {
    if (IsIncbin(path)) {
      const std::string* r = EmbeddedResource(path.substr(std::strlen(kIncbinPrefix)));
      return r ? static_cast<long long>(r->size()) : -1;
    }
    struct stat st;
    if (path.empty() || Sys(::stat, Resolve(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size);
  }

  std::optional<std::int64_t> ModifiedTime(const std::string& path) override {
    struct stat st;
    if (IsIncbin(path) || path.empty() || Sys(::stat, Resolve(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtime);
  }

  std::string CurrentFolder() override {
    if (listings_.Active()) {
      std::string kept = listings_.CurrentFolder();
      if (!kept.empty()) return kept;
    }
    return SystemCurrentFolder();
  }

  bool ChangeFolder(const std::string& path) override {
    if (Sys(::chdir, Resolve(path).c_str()) != 0) return false;
    // Relative names now mean other folders.
    if (listings_.Active()) listings_.Restart(SystemCurrentFolder());
    return true;
  }

  bool SetExecutable(const std::string& path) override {
    std::string p = Resolve(path);
    struct stat st;
    if (Sys(::stat, p.c_str(), &st) != 0) return false;
    return Sys(::chmod, p.c_str(), st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH) == 0;
  }

  std::string Absolute(const std::string& path) override {
    std::string p = Slashes(path);
    if (p.empty() || p[0] != '/') p = CurrentFolder() + "/" + p;
    std::vector<std::string> parts;
    for (const std::string& part : Split(p, "/")) {
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
        continue;
      }
      parts.push_back(part);
    }
    std::string out;
    for (const auto& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
  }

  void KeepListings(bool keep) override { listings_.Keep(keep, keep ? SystemCurrentFolder() : ""); }
  // Reading keeps no state of its own; only kept listings are shared.
  bool ReadsFromAnyThread() const override { return true; }

 private:
  // Creates path (folder found with case ignored, name as written) only
  // when nothing stands there; the open descriptor, or -1.
  int CreateNew(const std::string& path) {
    if (IsIncbin(path) || path.empty()) return -1;
    // The new name is taken as written: only its folder is looked up with
    // case ignored, which spares a search of the folder for a name that is
    // not there.
    const std::string p = Slashes(path);
    const std::size_t slash = p.rfind('/');
    const std::string real = slash == std::string::npos || slash == 0 ? p : Resolve(p.substr(0, slash)) + p.substr(slash);
    const int fd = Sys(::open, real.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) listings_.Added(real);
    return fd;
  }

  static std::string SystemCurrentFolder() {
    std::vector<char> buf(4096);
    while (!::getcwd(buf.data(), buf.size())) {
      if (errno != ERANGE) return "";
      buf.resize(buf.size() * 2);
    }
    return buf.data();
  }

  FolderListings listings_;

  static void RemoveTree(const std::string& p) {
    struct stat st;
    if (Sys(::lstat, p.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      if (DIR* d = Sys(::opendir, p.c_str())) {
        std::vector<std::string> names;
        while (dirent* e = Sys(::readdir, d)) {
          if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.emplace_back(e->d_name);
        }
        ::closedir(d);
        for (const auto& n : names) RemoveTree(p + "/" + n);
      }
      ::rmdir(p.c_str());
    } else {
      Sys(::unlink, p.c_str());
    }
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace corvane::runtime
