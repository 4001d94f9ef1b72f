#include "runtime/files_read_ahead.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace corvane::runtime {

FilesReadAhead::FilesReadAhead(FileSystem& fs, std::function<std::vector<std::string>()> list) : fs_(fs) {
  if (!fs_.ReadsFromAnyThread()) return;
  try {
    helper_ = std::thread([this, list = std::move(list)] { Run(list); });
  } catch (const std::system_error&) {
    // No helper: every file is read when asked for.
  }
}

FilesReadAhead::~FilesReadAhead() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  helper_.join();
}

void FilesReadAhead::Run(const std::function<std::vector<std::string>()>& list) {
  std::vector<std::string> paths = list();
  std::unordered_map<std::string, std::size_t> index;
  std::vector<std::string> unique;
  unique.reserve(paths.size());
  for (std::string& path : paths) {
    if (index.emplace(path, unique.size()).second) unique.push_back(std::move(path));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_ = std::move(unique);
    index_ = std::move(index);
    results_.resize(paths_.size());
    states_.assign(paths_.size(), State::kPending);
    listed_ = true;
    // What was asked for while the list was being made was read then.
    for (const std::string& path : asked_before_list_) {
      const auto found = index_.find(path);
      if (found != index_.end() && states_[found->second] == State::kPending) MarkAsked(found->second, State::kTaken);
    }
    asked_before_list_.clear();
  }
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || i < next_wanted_ + kAhead; });
      if (stop_) return;
      // A skipped file is read anew if asked for after all; a taken one was
      // read by the caller before the list was made.
      if (states_[i] == State::kSkipped || states_[i] == State::kTaken) {
        done_ = i + 1;
        continue;
      }
    }
    std::optional<std::string> bytes = fs_.ReadFile(paths_[i]);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (states_[i] != State::kSkipped) results_[i] = std::move(bytes);
      done_ = i + 1;
    }
    changed_.notify_all();
  }
}

void FilesReadAhead::MarkAsked(std::size_t i, State state) {
  for (std::size_t k = next_wanted_; k < i; ++k) {
    if (states_[k] != State::kPending) continue;
    states_[k] = State::kSkipped;
    results_[k].reset();
  }
  states_[i] = state;
  next_wanted_ = std::max(next_wanted_, i + 1);
}

std::optional<std::string> FilesReadAhead::Read(const std::string& path) {
  if (helper_.joinable()) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto found = listed_ ? index_.find(path) : index_.end();
    if (!listed_) asked_before_list_.push_back(path);
    if (found != index_.end() && states_[found->second] == State::kPending) {
      const std::size_t i = found->second;
      MarkAsked(i, State::kAsked);
      changed_.notify_all();
      changed_.wait(lock, [&] { return done_ > i; });
      states_[i] = State::kTaken;
      return std::exchange(results_[i], std::nullopt);
    }
  }
  return fs_.ReadFile(path);
}

}  // namespace corvane::runtime
