#include "progress_check.h"

namespace corvane::bench {

void ProgressCheck::See(float fraction) {
  ++calls_;
  const float expected =
      total_ > 0 ? static_cast<float>(static_cast<double>(calls_ * chunk_) / static_cast<double>(total_)) : 1.0f;
  if (fraction != expected) ++wrong_;
  last_ = fraction;
}

bool ProgressCheck::Complete() const {
  if (wrong_ != 0 || chunk_ < 1) return false;
  const long long needed = total_ > 0 ? (total_ + chunk_ - 1) / chunk_ : 0;
  return calls_ >= needed && (total_ == 0 || last_ >= 1.0f);
}

}  // namespace corvane::bench
