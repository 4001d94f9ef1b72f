#include "bench_stats.h"

#include <algorithm>
#include <cstdio>

namespace corvane::bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::string FormatMs(double ms) {
  char text[32];
  if (ms >= 10000)
    std::snprintf(text, sizeof text, "%.2f s", ms / 1000);
  else
    std::snprintf(text, sizeof text, "%.1f ms", ms);
  return text;
}

std::string FormatRatio(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ratio);
  return text;
}

std::string FormatKib(long long kib) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MiB", static_cast<double>(kib) / 1024);
  return text;
}

std::string TableLine(const ResultRow& row) {
  auto cell = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
  return "| " + cell(row.benchmark) + " | " + cell(row.corvane) + " | " + cell(row.reference) + " | " +
         cell(row.ratio) + " | " + cell(row.target) + " | " +
         (row.target.empty() ? "-" : row.met ? "yes" : "**no**") + " |";
}

std::string TableHeader() {
  return "| Benchmark | Corvane | Reference | Ratio | Target | Met |\n"
         "|---|---|---|---|---|---|";
}

}  // namespace corvane::bench
