#include "engine/transfer_rate.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct Step {
  long long start;  // > 0: a new transfer of this size starts before the sample; -1: none
  std::int64_t ms;
  long long bytes;
  double speed;  // expected bytes a second, -1 unknown
  long long left;
  const char* what;
};

TEST(TransferRate, SpeedOverTheLastSecondsAndTimeLeftFromTheMissingBytes) {
  const Step steps[] = {
      {1000000, 0, 0, -1, -1, "the first sample only sets the start"},
      {-1, 500, 50000, -1, -1, "half a second is too little"},
      {-1, 1000, 100000, 100000, 9, "one second measured"},
      {-1, 1100, 110000, 100000, 9, ""},
      {-1, 1200, 150000, 125000, 7, "a close sample is merged, not lost"},
      {-1, 5000, 500000, 100000, 5, ""},
      {-1, 6000, 700000, 120000, 3, "the window forgets the first second"},
      {-1, 16000, 710000, 1000, 290, "a stall weighs in until fresh data covers it"},
      {-1, 17000, 720000, 20000.0 / 11, 154, ""},
      {-1, 22000, 1000000, 56000, 0, "five seconds after the stall it is gone"},
      {-1, 23000, 0, -1, -1, "fewer bytes: the transfer began again"},
      {-1, 24000, 300000, 300000, 2, ""},
      {1000000, 30000, 600000, -1, -1, "a resumed file: bytes on disk are no speed"},
      {-1, 32000, 800000, 100000, 2, ""},
      {0, 0, 0, -1, -1, "size unknown"},
      {-1, 2000, 4000, 2000, -1, "speed but no time left"},
      {-1, 1000, 5000, -1, -1, "a clock that went back starts afresh"},
  };
  TransferRate rate;
  for (const Step& s : steps) {
    if (s.start >= 0) rate.Start(s.start);
    rate.Sample(s.ms, s.bytes);
    EXPECT_DOUBLE_EQ(rate.BytesPerSecond(), s.speed) << s.ms << " " << s.what;
    EXPECT_EQ(rate.SecondsLeft(), s.left) << s.ms << " " << s.what;
  }
}

TEST(TransferRate, Texts) {
  const std::pair<double, const char*> speeds[] = {
      {0, "0 B/s"}, {291.7, "291 B/s"}, {1536, "1.5 KB/s"}, {1.25 * 1024 * 1024, "1.2 MB/s"},
      {3.0 * 1024 * 1024 * 1024, "3.0 GB/s"}};
  for (const auto& [speed, text] : speeds) EXPECT_EQ(SpeedText(speed), text);
  const std::pair<long long, const char*> durations[] = {
      {0, "0:00"}, {34, "0:34"}, {725, "12:05"}, {3600, "1:00:00"}, {3725, "1:02:05"}, {360000, "100:00:00"}};
  for (const auto& [seconds, text] : durations) EXPECT_EQ(DurationText(seconds), text);
}

}  // namespace
}  // namespace corvane
