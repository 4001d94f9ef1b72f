// Watches the fractions a download hands its progress callback: the k-th
// call must carry exactly k * chunk / total (computed the way the client
// computes it), so a chunk that is skipped, counted twice or given a wrong
// fraction shows up, without keeping the fractions in memory.
#pragma once

#include <cstdint>

namespace corvane::bench {

class ProgressCheck {
 public:
  ProgressCheck(long long total, int chunk) : total_(total), chunk_(chunk) {}

  // One call of the callback.
  void See(float fraction);

  std::int64_t Calls() const { return calls_; }
  // Calls whose fraction was not the expected one.
  std::int64_t Wrong() const { return wrong_; }
  float Last() const { return last_; }
  // Every call was right, and enough calls came to cover every byte (reads
  // can return less than a chunk, so there may be more calls, never fewer).
  bool Complete() const;

 private:
  long long total_;
  int chunk_;
  std::int64_t calls_ = 0;
  std::int64_t wrong_ = 0;
  float last_ = 0;
};

}  // namespace corvane::bench
