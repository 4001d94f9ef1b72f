// Extraction benchmark: ExtractZip of a package of 2,000 files totalling
// 100 MiB (built here, deflated) against `unzip -q -o` of the same archive
// into another folder.  Runs alternate between the two, each into a folder
// of its own after what the previous run wrote has gone to disk; outputs are
// deleted only at the end, since a file system slows down creating files
// right after deleting many.  Each figure is the median; the first run's two
// outputs are compared file by file.
//
// A second row does the same for one small entry 1,000 folders deep (its own
// package), where the cost of making folders and checking each level shows.
//
// Usage: corvane-bench-extract --work DIR [--runs 5] [--files 2000] [--mib 100] [--depth 1000]
// Everything is written below work and removed at the end.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_options.h"
#include "bench_stats.h"
#include "file_checks.h"
#include "install/extract_zip.h"
#include "log/activity_log.h"
#include "package_maker.h"
#include "process_usage.h"
#include "reference_tool.h"
#include "runtime/file_system.h"

namespace corvane::bench {
namespace {

using runtime::Fs;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Lets the kernel write back what earlier runs left pending, so that no run
// pays for the one before.
void FreshFolder(const std::string& folder) {
  Fs().DeleteFolder(folder);
  ::sync();
}

std::string RunFolder(const std::string& base, int run) { return base + "-" + std::to_string(run); }

// Wall and processor time of one extraction; ms is -1 on failure.
struct Timing {
  double ms = -1;
  double cpu_ms = -1;
};

Timing RunUnzip(const std::string& unzip, const std::string& archive, const std::string& folder) {
  FreshFolder(folder);
  ToolRun run = RunTool(unzip + " -q -o " + archive + " -d " + folder);
  if (!run.ok) {
    std::cerr << "error: unzip failed (" << run.exit_code << "): " << run.errors << "\n";
    return {};
  }
  return {run.wall_ms, run.cpu_ms};
}

Timing RunCorvane(const std::string& archive, const std::string& folder) {
  FreshFolder(folder);
  // The activity log echoes to the standard output; the bench keeps that
  // quiet (the file is still written).
  std::ostringstream discarded;
  std::streambuf* real = std::cout.rdbuf(discarded.rdbuf());
  const double cpu_before = OwnCpuMs();
  const Clock::time_point start = Clock::now();
  const int result = ExtractZip(archive, folder, "", 0, "");
  Timing timing{Since(start), OwnCpuMs() - cpu_before};
  std::cout.rdbuf(real);
  if (result != 1) {
    std::cerr << "error: ExtractZip answered " << result << "\n";
    return {};
  }
  return timing;
}

// Medians of ExtractZip and unzip on one archive, alternating; false on a failure.
bool Compare(const std::string& unzip, const std::string& archive, const std::string& base, int runs,
             std::vector<double>* corvane_ms, std::vector<double>* unzip_ms) {
  for (int i = 1; i <= runs; ++i) {
    Timing reference, mine;
    if (i % 2 == 1) reference = RunUnzip(unzip, archive, RunFolder(base + "-unzip", i));
    mine = RunCorvane(archive, RunFolder(base + "-corvane", i));
    if (i % 2 == 0) reference = RunUnzip(unzip, archive, RunFolder(base + "-unzip", i));
    if (reference.ms < 0 || mine.ms < 0) return false;
    corvane_ms->push_back(mine.ms);
    unzip_ms->push_back(reference.ms);
  }
  for (int i = 1; i <= runs; ++i) {
    Fs().DeleteFolder(RunFolder(base + "-unzip", i));
    Fs().DeleteFolder(RunFolder(base + "-corvane", i));
  }
  return true;
}

// The deep-path row; false on a failure.
bool DeepPath(const std::string& unzip, const std::string& work, int runs, int depth) {
  PlannedFile file;
  for (int i = 0; i < depth; ++i) file.name += "d/";
  file.name += "f.txt";
  file.size = 100;
  const std::string archive = work + "/deep.zip";
  std::string error;
  if (!WritePackage(archive, {file}, &error)) {
    std::cerr << "error: " << error << "\n";
    return false;
  }
  std::vector<double> mine, reference;
  const bool ok = Compare(unzip, archive, work + "/deep", runs, &mine, &reference);
  Fs().DeleteFile(archive);
  if (!ok) return false;
  const double ratio = Median(mine) / Median(reference);
  char label[96];
  std::snprintf(label, sizeof label, "ExtractZip, one entry %d folders deep", depth);
  std::printf("%s\n", TableLine({label, FormatMs(Median(mine)), "unzip " + FormatMs(Median(reference)),
                                 FormatRatio(ratio), "<= 2", ratio <= 2})
                          .c_str());
  return true;
}

int Run(const BenchOptions& options) {
  const std::string work = Fs().Absolute(options.Text("work"));
  const int runs = static_cast<int>(options.Number("runs", 5));
  const int files = static_cast<int>(options.Number("files", 2000));
  const long long total = options.Number("mib", 100) << 20;
  if (options.Text("work").empty()) {
    std::cerr << "usage: corvane-bench-extract --work DIR [--runs N] [--files N] [--mib N]\n";
    return 2;
  }
  const std::string unzip = LocateTool("unzip");
  if (unzip.empty()) {
    std::cerr << "error: unzip is not installed\n";
    return 1;
  }
  Fs().CreateFolderWithParents(work);
  const std::string archive = work + "/package.zip";
  const std::string unzip_out = work + "/unzip-out", corvane_out = work + "/corvane-out";

  const Clock::time_point built = Clock::now();
  const std::vector<PlannedFile> plan = PlanPackage(files, total, 20240115);
  std::string error;
  if (!WritePackage(archive, plan, &error)) {
    std::cerr << "error: " << error << "\n";
    return 1;
  }
  std::printf("extract: built %s: %d files, %.1f MiB unpacked, %.1f MiB packed, in %s\n", archive.c_str(), files,
              static_cast<double>(total) / (1 << 20), static_cast<double>(Fs().FileSize(archive)) / (1 << 20),
              FormatMs(Since(built)).c_str());
  {
    std::ostringstream discarded;  // the log's opening block
    std::streambuf* real = std::cout.rdbuf(discarded.rdbuf());
    OpenLog(work + "/bench_log.txt");
    std::cout.rdbuf(real);
  }

  // Unmeasured: brings the archive into the page cache.
  bool ok = RunUnzip(unzip, archive, RunFolder(unzip_out, 0)).ms >= 0;
  std::vector<double> unzip_ms, corvane_ms, unzip_cpu, corvane_cpu;
  for (int i = 1; i <= runs && ok; ++i) {
    Timing reference, mine;
    if (i % 2 == 1) reference = RunUnzip(unzip, archive, RunFolder(unzip_out, i));
    mine = RunCorvane(archive, RunFolder(corvane_out, i));
    if (i % 2 == 0) reference = RunUnzip(unzip, archive, RunFolder(unzip_out, i));
    if (reference.ms < 0 || mine.ms < 0) {
      ok = false;
      break;
    }
    if (i == 1) {
      const TreeFigures figures = MeasureTree(RunFolder(corvane_out, i));
      std::string difference;
      if (figures.files != files || figures.bytes != total) {
        std::cerr << "error: ExtractZip wrote " << figures.files << " files of " << figures.bytes
                  << " bytes, expected " << files << " of " << total << "\n";
        ok = false;
      } else if (!SameTree(RunFolder(corvane_out, i), RunFolder(unzip_out, i), &difference)) {
        std::cerr << "error: ExtractZip and unzip disagree: " << difference << "\n";
        ok = false;
      }
      if (!ok) break;
    }
    unzip_ms.push_back(reference.ms);
    corvane_ms.push_back(mine.ms);
    unzip_cpu.push_back(reference.cpu_ms);
    corvane_cpu.push_back(mine.cpu_ms);
    std::printf("extract run %d: Corvane %s (processor %s), unzip %s (processor %s)\n", i, FormatMs(mine.ms).c_str(),
                FormatMs(mine.cpu_ms).c_str(), FormatMs(reference.ms).c_str(), FormatMs(reference.cpu_ms).c_str());
    std::fflush(stdout);
  }
  ResetLog();
  for (int i = 0; i <= runs; ++i) {
    Fs().DeleteFolder(RunFolder(unzip_out, i));
    Fs().DeleteFolder(RunFolder(corvane_out, i));
  }
  Fs().DeleteFile(archive);
  if (!ok) return 1;

  const double mine = Median(corvane_ms), reference = Median(unzip_ms), ratio = mine / reference;
  std::printf("extract: median Corvane %s, unzip %s, ratio %s (%d runs)\n", FormatMs(mine).c_str(),
              FormatMs(reference).c_str(), FormatRatio(ratio).c_str(), runs);
  char label[96];
  std::snprintf(label, sizeof label, "ExtractZip, %d files / %lld MiB", files, total >> 20);
  std::printf("%s\n", TableLine({label, FormatMs(mine), "unzip " + FormatMs(reference), FormatRatio(ratio),
                                 "<= 1.0", ratio <= 1.0})
                          .c_str());
  const double mine_cpu = Median(corvane_cpu), unzip_cpu_median = Median(unzip_cpu);
  std::printf("%s\n", TableLine({"ExtractZip: processor time (user + system)", FormatMs(mine_cpu),
                                 "unzip " + FormatMs(unzip_cpu_median), FormatRatio(mine_cpu / unzip_cpu_median), "",
                                 false})
                          .c_str());
  return DeepPath(unzip, work, runs, static_cast<int>(options.Number("depth", 1000))) ? 0 : 1;
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
  return corvane::bench::BenchMain(argc, argv, "corvane-bench-extract", corvane::bench::Run);
}
