// The file system with Windows path semantics.  Paths may use `\` or `/`;
// when a path does not exist as written it is resolved component by component
// with letter case ignored (the first match in listing order wins).  Paths
// that start with "incbin::" name embedded resources and can be read like files.
//
// FileSystem is abstract so tests can inject failures (a write error, a full
// disk); Fs() is the one the program uses, RealFileSystem by default.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::runtime {

enum FileKind { kNone = 0, kFile = 1, kFolder = 2 };

// What a path names once links are followed: two paths name the same file
// when device and file agree (device and inode on POSIX, volume serial and
// file index on Windows).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool regular = false;  // a plain file: not a folder, device, pipe or socket
};

// A file being written.  Write answers false once any write failed; Close
// answers true only when every byte reached the file.
class WriteStream {
 public:
  virtual ~WriteStream() = default;
  virtual bool Write(const void* data, std::size_t size) = 0;
  virtual bool Close() = 0;
};

// A file being read in pieces.  Read answers the count read, 0 at the end, -1 on error.
class ReadStream {
 public:
  virtual ~ReadStream() = default;
  virtual long long Read(void* data, std::size_t size) = 0;
};

// A file read at any offset (an archive, whose directory and entries lie
// apart).  ReadAt answers the count read (short only at the end), 0 at or
// past the end, -1 on error.
class ReadAtFile {
 public:
  virtual ~ReadAtFile() = default;
  long long ReadAt(std::uint64_t offset, void* data, std::size_t size);
  virtual std::uint64_t Size() const = 0;

 protected:
  // One read: the count, which may be short; 0 at the end, -1 on error.
  virtual long long ReadSome(std::uint64_t offset, void* data, std::size_t size) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The path the operating system should see: separators turned to '/', and
  // each component that does not exist as written matched with case ignored.
  virtual std::string Resolve(const std::string& path) = 0;

  // Whole-file read (also "incbin::" resources); nullopt when unreadable.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // Creates or truncates and writes; false on any failure.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
  // Null on failure.
  virtual std::unique_ptr<WriteStream> OpenWrite(const std::string& path) = 0;
  virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) = 0;
  // Opens a file (or an "incbin::" resource) for reads at any offset; null
  // when it is missing, a folder or unreadable.  By default the whole file
  // is read through ReadFile and served from memory.
  virtual std::unique_ptr<ReadAtFile> OpenReadAt(const std::string& path);
  // Adds bytes at the end of an existing plain file (a kept partial
  // download); null when it is missing, is a link or cannot be opened.
  virtual std::unique_ptr<WriteStream> OpenAppend(const std::string& path) = 0;

  // Names in the order the system returns them, without "." and ".."; nullopt
  // when the folder cannot be listed.
  virtual std::optional<std::vector<std::string>> ListFolder(const std::string& path) = 0;
  virtual FileKind Kind(const std::string& path) = 0;
  // True for a symbolic link (never followed).
  virtual bool IsLink(const std::string& path) = 0;
  // One level; true when the folder exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual bool CreateFolderWithParents(const std::string& path) = 0;
  // Copies src over dst; 1 on success, 0 on failure.  Only a regular file
  // (or an "incbin::" resource) is read, never onto itself; the bytes go to
  // a temporary file beside dst that replaces it when whole, so a failed
  // copy leaves dst as it was.
  virtual int CopyFile(const std::string& src, const std::string& dst) = 0;
  // Creates an empty file at path only when nothing stands there (not even
  // a dangling link); false otherwise or on failure.  The folder is found
  // with case ignored, the name is taken as written.
  virtual bool CreateExclusive(const std::string& path) = 0;
  // Creates path as CreateExclusive does and opens it for writing; null
  // when something stands there or on failure (a file it created is
  // deleted again).  By default the calls CreateExclusive and OpenWrite, so
  // a test that overrides either sees them.
  virtual std::unique_ptr<WriteStream> OpenWriteNew(const std::string& path);
  // What path names, links followed; nullopt when it does not exist.
  virtual std::optional<FileIdentity> Identify(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Deletes the folder and everything in it without following links; true
  // when the path is gone afterwards.
  virtual bool DeleteFolder(const std::string& path) = 0;
  // Replaces to with from atomically when both are on one file system.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Size in bytes, -1 when missing.
  virtual long long FileSize(const std::string& path) = 0;
  // When the file was last written, in seconds since 1970-01-01 UTC; nullopt
  // when it is missing.
  virtual std::optional<std::int64_t> ModifiedTime(const std::string& path) = 0;
  virtual std::string CurrentFolder() = 0;
  virtual bool ChangeFolder(const std::string& path) = 0;
  virtual bool SetExecutable(const std::string& path) = 0;
  // Absolute, normalised form ("." and ".." folded, no trailing separator), '/' separators.
  virtual std::string Absolute(const std::string& path) = 0;

  // Starts (true) or ends (false) a run that makes many files in a few
  // folders, such as one archive's extraction; runs nest.  Meanwhile the
  // file system may keep what it learnt of the folders it looks names up
  // in, and the current folder, so that finding a name with case ignored
  // costs one listing of its folder per run rather than one per name.  Its
  // own changes keep that knowledge true; changes by other processes in
  // those folders may go unseen until the run ends.  By default nothing is
  // kept (a system that ignores case itself needs no listings).
  virtual void KeepListings(bool /*keep*/) {}

  // Whether ReadFile may be called from another thread while this one goes
  // on using the file system (keeping no listings meanwhile).  By default
  // not: a test's file system counts or fails calls in the order made.
  virtual bool ReadsFromAnyThread() const { return false; }
};

// Keeps listings (see FileSystem::KeepListings) for as long as it lives.
class KeptListings {
 public:
  explicit KeptListings(FileSystem& fs) : fs_(fs) { fs_.KeepListings(true); }
  ~KeptListings() { fs_.KeepListings(false); }
  KeptListings(const KeptListings&) = delete;
  KeptListings& operator=(const KeptListings&) = delete;

 private:
  FileSystem& fs_;
};

// The real file system of this machine.
std::unique_ptr<FileSystem> MakeRealFileSystem();

// Forwards every call to another file system; tests override what they need.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target) : t_(target) {}
  std::string Resolve(const std::string& p) override { return t_.Resolve(p); }
  std::optional<std::string> ReadFile(const std::string& p) override { return t_.ReadFile(p); }
  bool WriteFile(const std::string& p, const std::string& b) override { return t_.WriteFile(p, b); }
  bool AppendFile(const std::string& p, const std::string& b) override { return t_.AppendFile(p, b); }
  std::unique_ptr<WriteStream> OpenWrite(const std::string& p) override { return t_.OpenWrite(p); }
  std::unique_ptr<ReadStream> OpenRead(const std::string& p) override { return t_.OpenRead(p); }
  std::unique_ptr<WriteStream> OpenAppend(const std::string& p) override { return t_.OpenAppend(p); }
  std::unique_ptr<ReadAtFile> OpenReadAt(const std::string& p) override { return t_.OpenReadAt(p); }
  std::optional<std::vector<std::string>> ListFolder(const std::string& p) override { return t_.ListFolder(p); }
  FileKind Kind(const std::string& p) override { return t_.Kind(p); }
  bool IsLink(const std::string& p) override { return t_.IsLink(p); }
  bool CreateFolder(const std::string& p) override { return t_.CreateFolder(p); }
  bool CreateFolderWithParents(const std::string& p) override { return t_.CreateFolderWithParents(p); }
  // Copies through this file system's own calls, so a test that overrides a
  // read or a write sees the copy's too.
  int CopyFile(const std::string& s, const std::string& d) override;
  bool CreateExclusive(const std::string& p) override { return t_.CreateExclusive(p); }
  // OpenWriteNew is left to the default, made of this file system's own
  // CreateExclusive and OpenWrite.
  std::optional<FileIdentity> Identify(const std::string& p) override { return t_.Identify(p); }
  bool DeleteFile(const std::string& p) override { return t_.DeleteFile(p); }
  bool DeleteFolder(const std::string& p) override { return t_.DeleteFolder(p); }
  bool Rename(const std::string& f, const std::string& t) override { return t_.Rename(f, t); }
  long long FileSize(const std::string& p) override { return t_.FileSize(p); }
  std::optional<std::int64_t> ModifiedTime(const std::string& p) override { return t_.ModifiedTime(p); }
  std::string CurrentFolder() override { return t_.CurrentFolder(); }
  bool ChangeFolder(const std::string& p) override { return t_.ChangeFolder(p); }
  bool SetExecutable(const std::string& p) override { return t_.SetExecutable(p); }
  std::string Absolute(const std::string& p) override { return t_.Absolute(p); }
  void KeepListings(bool keep) override { t_.KeepListings(keep); }

 protected:
  FileSystem& t_;
};

// The number of calls the real POSIX file system has made to the operating
// system so far (0 elsewhere): tests check with it that an operation's cost
// grows with its input's length, not faster.
std::uint64_t SystemCallCount();
void CountSystemCall();

// The file system the program uses.
FileSystem& Fs();
// Replaces it (tests); null restores the real one.  The caller keeps ownership.
void SetFs(FileSystem* fs);

// CopyFile's behaviour over the calls of fs; each platform's file system and
// FileSystemWrapper copy through it.
int CopyFileThrough(FileSystem& fs, const std::string& src, const std::string& dst);

// Writes bytes to a temporary file beside path and renames it over path, so
// the previous file survives any failure.  False on failure (path untouched).
bool WriteFileAtomic(const std::string& path, const std::string& bytes);

// Embedded resources: the bytes of "incbin::" + name, or null.
const std::string* EmbeddedResource(const std::string& name);
inline constexpr const char* kIncbinPrefix = "incbin::";

}  // namespace corvane::runtime
