#include "process_usage.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace corvane::bench {
namespace {

std::string OwnStatus() {
  std::ifstream in("/proc/self/status");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

long long StatusFieldKib(const std::string& status_text, const std::string& field) {
  const std::string key = field + ":";
  std::size_t at = 0;
  // The field must start a line: "VmRSS" must not match inside "RssAnon".
  while ((at = status_text.find(key, at)) != std::string::npos) {
    if (at == 0 || status_text[at - 1] == '\n') break;
    at += key.size();
  }
  if (at == std::string::npos) return -1;
  const char* start = status_text.c_str() + at + key.size();
  char* end = nullptr;
  long long value = std::strtoll(start, &end, 10);
  if (end == start) return -1;
  while (*end == ' ' || *end == '\t') ++end;
  // The kernel writes "kB" (KiB); anything else is not a size this knows.
  if (std::strncmp(end, "kB", 2) != 0) return -1;
  return value;
}

long long ResidentKib() { return StatusFieldKib(OwnStatus(), "VmRSS"); }

long long PeakResidentKib() { return StatusFieldKib(OwnStatus(), "VmHWM"); }

bool ResetPeakResident() {
  // "5" resets the peak resident size to the present one (Linux 4.0 on).
  std::ofstream out("/proc/self/clear_refs");
  if (!out) return false;
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

namespace {

double CpuMs(int who) {
  rusage usage{};
  if (getrusage(who, &usage) != 0) return -1;
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

double OwnCpuMs() { return CpuMs(RUSAGE_SELF); }

double ChildrenCpuMs() { return CpuMs(RUSAGE_CHILDREN); }

double ThreadCpuMs() { return CpuMs(RUSAGE_THREAD); }

void FlushWrittenFiles() { ::sync(); }

}  // namespace corvane::bench
