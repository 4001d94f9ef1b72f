// Figures of a benchmark: the median of repeated runs, and the table row that
// states a figure next to its reference, their ratio and the target.
#pragma once

#include <string>
#include <vector>

namespace corvane::bench {

// The median of the values (the mean of the two middle ones for an even
// count); 0 for none.
double Median(std::vector<double> values);

// "812.4 ms" / "1.03 s" style text for a duration in milliseconds.
std::string FormatMs(double ms);
// "1.16" for a ratio.
std::string FormatRatio(double ratio);
// "0.4 MiB" for a size in KiB.
std::string FormatKib(long long kib);

// One line of the results table.  Cells that do not apply are "-"; a row
// without a target is for information and carries no verdict.
struct ResultRow {
  std::string benchmark;
  std::string corvane;
  std::string reference;
  std::string ratio;
  std::string target;
  bool met = false;
};

// "| benchmark | corvane | reference | ratio | target | yes |": the form in
// which every bench program prints its rows, so that the runner can gather
// them into the results file.
std::string TableLine(const ResultRow& row);

// The header lines of that table.
std::string TableHeader();

}  // namespace corvane::bench
