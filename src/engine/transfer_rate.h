// Speed and time left of one transfer, measured over the last few seconds
// from (time, bytes) samples on whatever millisecond clock the caller reads
// (the toolkit's clock in the wizard, which is virtual in tests; the
// program's clock on the command line).  And the texts both front-ends show
// for them: "1.2 MB/s", "0:34", "1:02:05".
//
// The first sample of a transfer only sets where its count begins: bytes
// that were on disk before it (a resumed file) are neither counted as speed
// nor taken for bytes still to come.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace corvane {

class TransferRate {
 public:
  static constexpr std::int64_t kWindowMs = 5000;   // the speed is averaged over this span
  static constexpr std::int64_t kLeastSpanMs = 1000;  // less measured than this is no speed yet
  static constexpr std::int64_t kSampleGapMs = 250;  // samples closer than this are merged

  // A transfer of total bytes starts (0 or less: size unknown, so no time
  // left); earlier samples are forgotten.
  void Start(long long total);
  // bytes of the file are present at now_ms.  Fewer bytes than before (the
  // transfer began again from an earlier point) or a clock that went back
  // start the measurement afresh from this sample.
  void Sample(std::int64_t now_ms, long long bytes);

  // Bytes a second over the window; -1 while less than kLeastSpanMs has been
  // measured.
  double BytesPerSecond() const;
  // Seconds until total at that speed, rounded; -1 while the speed is
  // unknown or 0, or the size is unknown.
  long long SecondsLeft() const;

 private:
  struct Point {
    std::int64_t ms;
    long long bytes;
  };
  // The oldest point is the one at or just before the window's start, so a
  // stall longer than the window still weighs in until fresh data covers it.
  std::deque<Point> points_;
  long long total_ = 0;
};

// "0 B", "512 B", "1.5 KB", "12.0 MB", "2.1 GB" (1024-based, as sizes are
// shown everywhere in the program).
std::string ByteText(long long bytes);
// ByteText of the rate + "/s": "1.2 MB/s".
std::string SpeedText(double bytes_per_second);
// "0:34", "12:05", "1:02:05".
std::string DurationText(long long seconds);

}  // namespace corvane
