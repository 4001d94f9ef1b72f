// Time of day, date and sleeping, behind an interface so tests run on a fake
// clock and never sleep for real.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::runtime {

struct LocalTime {
  int year = 1970, month = 1, day = 1;  // month 1..12
  int hour = 0, minute = 0, second = 0;
  int weekday = 4;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Milliseconds from an arbitrary start, never going back.
  virtual std::int64_t MonotonicMs() = 0;
  // Seconds since 1970-01-01 UTC (ages of files).
  virtual std::int64_t UnixSeconds() = 0;
  virtual void SleepMs(int ms) = 0;
};

// The machine's clock.
Clock& RealClock();
// A clock that only moves when told to; sleeping advances it.
class FakeClock : public Clock {
 public:
  LocalTime now;
  std::int64_t ms = 0;
  std::int64_t unix_seconds = 0;
  LocalTime Now() override { return now; }
  std::int64_t MonotonicMs() override { return ms; }
  std::int64_t UnixSeconds() override { return unix_seconds; }
  void SleepMs(int d) override { ms += d; }
};

// The clock the program uses; SetClock(nullptr) restores the real one.
Clock& Clk();
void SetClock(Clock* clock);

// "%d %b %Y" and "%H:%M:%S" in the C locale, e.g. "08 Dec 2026", "14:05:09".
std::string FormatDate(const LocalTime& t);
std::string FormatTime(const LocalTime& t);

}  // namespace corvane::runtime
