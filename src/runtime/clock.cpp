#include "runtime/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace corvane::runtime {
namespace {

class SystemClock : public Clock {
 public:
  LocalTime Now() override {
    std::time_t t = std::time(nullptr);
    // The log asks for the time of every line, thousands a second: the
    // conversion is done once a second.
    thread_local std::time_t last_time = -1;
    thread_local LocalTime last;
    if (t == last_time) return last;
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    LocalTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    out.weekday = tm.tm_wday;
    last_time = t;
    last = out;
    return out;
  }
  std::int64_t MonotonicMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  std::int64_t UnixSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }
  void SleepMs(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

Clock* g_clock = nullptr;

}  // namespace

Clock& RealClock() {
  static SystemClock clock;
  return clock;
}

Clock& Clk() { return g_clock ? *g_clock : RealClock(); }
void SetClock(Clock* clock) { g_clock = clock; }

std::string FormatDate(const LocalTime& t) {
  // The C locale's abbreviations, whatever the user's locale says.
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int m = t.month >= 1 && t.month <= 12 ? t.month - 1 : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d %s %04d", t.day, kMonths[m], t.year);
  return buf;
}

std::string FormatTime(const LocalTime& t) {
  // Written digit by digit: the log stamps every line, thousands in a row.
  auto two = [](int v) { return v >= 0 && v <= 99; };
  if (two(t.hour) && two(t.minute) && two(t.second)) {
    const char text[] = {static_cast<char>('0' + t.hour / 10),   static_cast<char>('0' + t.hour % 10),   ':',
                         static_cast<char>('0' + t.minute / 10), static_cast<char>('0' + t.minute % 10), ':',
                         static_cast<char>('0' + t.second / 10), static_cast<char>('0' + t.second % 10)};
    return std::string(text, sizeof text);
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

}  // namespace corvane::runtime
