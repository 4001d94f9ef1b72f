#include "engine/transfer_rate.h"

#include <algorithm>
#include <cstdio>

namespace corvane {

void TransferRate::Start(long long total) {
  total_ = total;
  points_.clear();
}

void TransferRate::Sample(std::int64_t now_ms, long long bytes) {
  if (!points_.empty() && (bytes < points_.back().bytes || now_ms < points_.back().ms)) points_.clear();
  // Merging close samples keeps the window at a few dozen points however
  // often the caller samples; the first point stays, as it anchors the span.
  if (points_.size() >= 2 && now_ms - points_[points_.size() - 2].ms < kSampleGapMs)
    points_.back() = {now_ms, bytes};
  else
    points_.push_back({now_ms, bytes});
  while (points_.size() > 2 && points_[1].ms <= now_ms - kWindowMs) points_.pop_front();
}

double TransferRate::BytesPerSecond() const {
  if (points_.size() < 2) return -1;
  const std::int64_t span = points_.back().ms - points_.front().ms;
  if (span < kLeastSpanMs) return -1;
  return double(points_.back().bytes - points_.front().bytes) * 1000.0 / double(span);
}

long long TransferRate::SecondsLeft() const {
  const double speed = BytesPerSecond();
  if (speed <= 0 || total_ <= 0) return -1;
  const long long missing = std::max(0LL, total_ - points_.back().bytes);
  return static_cast<long long>(double(missing) / speed + 0.5);
}

std::string ByteText(long long bytes) {
  constexpr double kKilo = 1024.0;
  char text[32];
  if (bytes < 1024) std::snprintf(text, sizeof text, "%lld B", bytes);
  else if (bytes < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KB", double(bytes) / kKilo);
  else if (bytes < 1024LL * 1024 * 1024) std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / (kKilo * kKilo));
  else std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / (kKilo * kKilo * kKilo));
  return text;
}

std::string SpeedText(double bytes_per_second) {
  return ByteText(static_cast<long long>(bytes_per_second)) + "/s";
}

std::string DurationText(long long seconds) {
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace corvane
