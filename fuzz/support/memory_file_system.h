// A file system held in memory, so a fuzz target can put the bytes of one
// input where a reader expects a file and run thousands of inputs a second
// without touching the disk.  Windows path semantics as the real one: `\`
// and `/` both separate, and a path that does not exist as written is
// matched with letter case ignored.  Relative paths start at "/mem".
//
// Writes can be made to fail after a budget of bytes (a full disk); every
// path read is recorded, so a target can check what a reader looked at.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace corvane::fuzz {

class MemoryFileSystem : public runtime::FileSystem {
 public:
  MemoryFileSystem();

  // Empties everything: only "/" and the current folder "/mem" remain, the
  // write budget is unlimited and the record of reads is cleared.
  void Clear();
  // Puts a file (its folders are created).
  void Put(const std::string& path, const std::string& bytes);
  // The bytes of a file, or null.
  const std::string* Get(const std::string& path) const;
  std::string* Get(const std::string& path);
  // Every write after this many more bytes fails (-1: never).
  void SetWriteBudget(long long bytes) { budget_ = bytes; }
  // The normalised paths ReadFile and OpenRead were asked for, in order.
  const std::vector<std::string>& Reads() const { return reads_; }
  // "/mem/a/b" for "a\b", "a//./b", ...: separators unified, "." and ".."
  // folded (never above "/"), no trailing separator.
  static std::string Normalise(const std::string& path);

  std::string Resolve(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string& path) override;
  std::unique_ptr<runtime::ReadStream> OpenRead(const std::string& path) override;
  std::unique_ptr<runtime::WriteStream> OpenAppend(const std::string& path) override;
  std::optional<std::vector<std::string>> ListFolder(const std::string& path) override;
  runtime::FileKind Kind(const std::string& path) override;
  bool IsLink(const std::string&) override { return false; }
  bool CreateFolder(const std::string& path) override;
  bool CreateFolderWithParents(const std::string& path) override;
  int CopyFile(const std::string& src, const std::string& dst) override;
  bool CreateExclusive(const std::string& path) override;
  std::optional<runtime::FileIdentity> Identify(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteFolder(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  long long FileSize(const std::string& path) override;
  // No times are kept: every file is as old as the epoch.
  std::optional<std::int64_t> ModifiedTime(const std::string& path) override {
    return Kind(path) == runtime::kFile ? std::optional<std::int64_t>(0) : std::nullopt;
  }
  std::string CurrentFolder() override { return "/mem"; }
  bool ChangeFolder(const std::string& path) override { return Kind(path) == runtime::kFolder; }
  bool SetExecutable(const std::string& path) override { return Kind(path) == runtime::kFile; }
  std::string Absolute(const std::string& path) override { return Normalise(path); }

  // Takes bytes from the budget; false when they do not fit.
  bool Spend(std::size_t bytes);

 private:
  static std::string Parent(const std::string& normalised);
  static std::string LastName(const std::string& normalised);
  // The file or folder a path names, case ignored when it is not there as
  // written; empty when nothing matches.
  std::string Find(const std::string& path) const;
  bool IsFolder(const std::string& normalised) const { return folders_.count(normalised) > 0; }
  bool IsFile(const std::string& normalised) const { return files_.count(normalised) > 0; }
  // Where a new file may go: the normalised path when its folder exists and
  // no folder stands there; empty otherwise.
  std::string NewFileSpot(const std::string& path) const;

  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::vector<std::string> reads_;
  long long budget_ = -1;
};

}  // namespace corvane::fuzz
