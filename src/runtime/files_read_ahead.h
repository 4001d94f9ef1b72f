// Reads files that the caller will ask for, in the order it will ask, on a
// helper thread: opening thousands of small files then overlaps with the
// caller's own work instead of adding to it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "runtime/file_system.h"

namespace corvane::runtime {

class FilesReadAhead {
 public:
  // Starts a helper that makes the list of paths with list (finding them
  // may itself take a while) and then reads them in order; a path listed
  // again counts once.  Without a file system that reads from any thread,
  // or when no thread can be started, nothing is read ahead.
  FilesReadAhead(FileSystem& fs, std::function<std::vector<std::string>()> list);
  // Stops the helper; files it read that nobody asked for are dropped.
  ~FilesReadAhead();
  FilesReadAhead(const FilesReadAhead&) = delete;
  FilesReadAhead& operator=(const FilesReadAhead&) = delete;

  // What fs.ReadFile(path) gives.  A listed path asked for the first time is
  // handed over from the helper, waiting for it when needed; a path asked
  // for before the list is made, one not listed, or one asked for again is
  // read now.  Asking for a listed path drops the unasked ones listed before
  // it: a caller that skips a file and asks for it later gets it read anew.
  std::optional<std::string> Read(const std::string& path);

 private:
  // The helper reads at most this many files beyond the last one asked
  // for, so that a caller that skips many holds little memory.
  static constexpr std::size_t kAhead = 256;
  enum class State : char { kPending, kAsked, kSkipped, kTaken };

  void Run(const std::function<std::vector<std::string>()>& list);
  // Path i is asked for (state kAsked) or was read by the caller (kTaken);
  // the unasked ones listed before it are dropped.  Holds mutex_.
  void MarkAsked(std::size_t i, State state);

  FileSystem& fs_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool listed_ = false;  // paths_ and index_ are made and no longer change
  std::vector<std::string> paths_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<std::optional<std::string>> results_;
  std::vector<State> states_;
  std::vector<std::string> asked_before_list_;  // read by the caller, not to be read again
  std::size_t done_ = 0;         // the helper is past paths_[0, done_)
  std::size_t next_wanted_ = 0;  // one past the furthest path asked for
  bool stop_ = false;
  std::thread helper_;
};

}  // namespace corvane::runtime
