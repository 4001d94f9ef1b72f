// Download benchmark: a 256 MiB file from a real web server on loopback,
// fetched the way the wizard fetches a package (DownloadFile with its
// progress callback and 128-byte chunks, on the headless backend with the
// Download page's progress bar), against `curl -s -o` of the same file from
// the same server.  Runs alternate between the two; each figure is the
// median.  Also reports the peak memory above the process's baseline during
// the transfer, the longest gap between two passes of "process pending
// window messages", and whether the callback saw every chunk's fraction.
// A second pair of transfers checks the package as a signed catalogue asks:
// DownloadFile hashing the bytes as they arrive (SHA-256) against
// `curl -s -o f && sha256sum f`, the two tools' times added up.
//
// Usage: corvane-bench-download --server http://127.0.0.1:PORT --web-root DIR
//          --work DIR [--runs 5] [--mib 256] [--ca-file PEM]
// web-root is the folder the server publishes; the file is written there
// and removed at the end, as is everything written below work.  An
// https:// server is trusted through the CA file (CORVANE_CA_FILE for
// Corvane, --cacert for curl), and its rows are labelled HTTPS.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/download_run.h"
#include "bench_options.h"
#include "bench_stats.h"
#include "download_bench_setting.h"
#include "file_checks.h"
#include "net/http_client.h"
#include "process_usage.h"
#include "progress_check.h"
#include "reference_tool.h"
#include "runtime/environment.h"
#include "trust/sha256.h"
#include "runtime/file_system.h"
#include "toolkit/headless/headless_backend.h"
#include "toolkit/toolkit.h"

namespace corvane::bench {
namespace {

using runtime::Fs;
using Clock = std::chrono::steady_clock;

constexpr int kChunk = 128;  // what the wizard passes
constexpr const char* kFileName = "corvane-bench-download.bin";

struct CorvaneRun {
  bool ok = false;
  double ms = 0;
  double cpu_ms = 0;
  long long peak_above_kib = -1;
  std::int64_t longest_gap_ms = 0;
  double longest_gap_cpu_ms = 0;  // the window's thread's own work between two passes
  std::int64_t pumps = 0;
  std::int64_t calls = 0;
  bool every_chunk = false;
};

// With sha256 not empty the download is checked against it as it arrives.
CorvaneRun RunCorvane(tk::HeadlessBackend& ui, const std::string& url, const std::string& target,
                      long long total, const std::string& sha256 = "") {
  Fs().DeleteFile(target);
  CorvaneRun run;
  ProgressCheck check(total, kChunk);
  ProgressCallback callback = [&check](float fraction) {
    check.See(fraction);
    DownloadProgress(fraction);
  };
  const bool peak_reset = ResetPeakResident();
  const long long baseline = ResidentKib();
  ui.ResetPumpStats();
  // A busy machine lengthens the gaps by the time the thread waits for a
  // processor; its own processor time between passes is what the code costs.
  double last_pass_cpu = ThreadCpuMs();
  ui.SetPumpCallback([&run, &last_pass_cpu] {
    const double now = ThreadCpuMs();
    run.longest_gap_cpu_ms = std::max(run.longest_gap_cpu_ms, now - last_pass_cpu);
    last_pass_cpu = now;
  });
  const double cpu_before = OwnCpuMs();
  const Clock::time_point start = Clock::now();
  // An empty local path: the file goes to the program folder's "download",
  // as in the wizard.
  BodyCheck body;
  body.expected_sha256 = sha256;
  const int result = DownloadFile(url, "", callback, kChunk, sha256.empty() ? nullptr : &body);
  run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  run.cpu_ms = OwnCpuMs() - cpu_before;
  const long long peak = PeakResidentKib();
  run.peak_above_kib = peak_reset && peak >= 0 && baseline >= 0 ? peak - baseline : -1;
  ui.SetPumpCallback(nullptr);
  run.longest_gap_ms = ui.LongestPumpGapRealMs();
  run.pumps = ui.PumpCount();
  run.calls = check.Calls();
  run.every_chunk = check.Complete();
  run.ok = result == 1 && Fs().FileSize(target) == total && !body.mismatch;
  if (result != 1) std::cerr << "error: DownloadFile answered " << result << "\n";
  return run;
}

struct CurlFigures {
  double ms = -1;  // curl's own transfer time (-w %{time_total}); -1 on failure
  double cpu_ms = -1;
};

CurlFigures CurlRun(const std::string& curl, const std::string& url, const std::string& target,
                    const std::string& ca_file) {
  Fs().DeleteFile(target);
  const std::string trust = ca_file.empty() ? "" : " --cacert " + ca_file;
  ToolRun run = RunTool(curl + trust + " -s -o " + target + " -w %{time_total} " + url);
  CurlFigures figures;
  if (!run.ok) {
    std::cerr << "error: curl failed (" << run.exit_code << "): " << run.errors << "\n";
    return figures;
  }
  char* end = nullptr;
  const double seconds = std::strtod(run.output.c_str(), &end);
  // Its transfer time leaves out its own start, as Corvane's figure does;
  // a curl that cannot tell it is timed from the outside.
  figures.ms = end == run.output.c_str() ? run.wall_ms : seconds * 1000;
  figures.cpu_ms = run.cpu_ms;
  return figures;
}

// curl, then sha256sum of what it saved: the two tools' times added up, as
// a shell's "curl -s -o f && sha256sum f" takes them one after the other.
CurlFigures CurlAndHashRun(const std::string& curl, const std::string& sha256sum, const std::string& url,
                           const std::string& target, const std::string& expected,
                           const std::string& ca_file) {
  CurlFigures figures = CurlRun(curl, url, target, ca_file);
  if (figures.ms < 0) return figures;
  ToolRun hash = RunTool(sha256sum + " " + target);
  if (!hash.ok || hash.output.rfind(expected, 0) != 0) {
    std::cerr << "error: sha256sum failed or disagrees: " << hash.output << "\n";
    return CurlFigures{};
  }
  figures.ms += hash.wall_ms;
  figures.cpu_ms += hash.cpu_ms;
  return figures;
}

int Run(const BenchOptions& options) {
  const std::string curl = LocateTool("curl");
  const std::string sha256sum = LocateTool("sha256sum");
  if (curl.empty() || sha256sum.empty()) {
    std::cerr << "error: curl or sha256sum is not installed\n";
    return 1;
  }
  int exit_code = 0;
  const auto files = PrepareDownloadBench(
      options, "corvane-bench-download --server URL --web-root DIR --work DIR [--runs N] [--mib N] [--ca-file PEM]",
      kFileName, 20240115, &exit_code);
  if (!files) return exit_code;
  const std::string ca_file = options.Text("ca-file");
  if (!ca_file.empty()) runtime::SetEnv("CORVANE_CA_FILE", ca_file);
  const std::string scheme = IsHttpsUrl(files->server) ? "HTTPS " : "";
  const DownloadBenchFiles& f = *files;
  const std::string expected = trust::Sha256OfFile(f.source);

  tk::HeadlessBackend& ui = StartDownloadPage(f.work);

  int status = 0;
  // One unmeasured transfer brings the file into the page cache for both.
  if (CurlRun(curl, f.url, f.curl_target, ca_file).ms < 0) status = 1;
  std::vector<double> curl_ms, corvane_ms, curl_cpu, corvane_cpu, gaps, gap_cpus, peaks;
  std::vector<double> hashed_curl_ms, hashed_ms, hashed_peaks;
  bool all_ok = status == 0, every_chunk = true;
  std::int64_t calls = 0, pumps = 0;
  for (int i = 0; i < f.runs && all_ok; ++i) {
    CurlFigures reference;
    CorvaneRun mine;
    // Alternate who goes first, so neither always meets a busier machine.
    if (i % 2 == 0) reference = CurlRun(curl, f.url, f.curl_target, ca_file);
    mine = RunCorvane(ui, f.url, f.corvane_target, f.total);
    if (i % 2 == 1) reference = CurlRun(curl, f.url, f.curl_target, ca_file);
    CurlFigures hashed_reference;
    CorvaneRun hashed;
    if (i % 2 == 1) hashed_reference = CurlAndHashRun(curl, sha256sum, f.url, f.curl_target, expected, ca_file);
    hashed = RunCorvane(ui, f.url, f.corvane_target, f.total, expected);
    if (i % 2 == 0) hashed_reference = CurlAndHashRun(curl, sha256sum, f.url, f.curl_target, expected, ca_file);
    if (reference.ms < 0 || !mine.ok || hashed_reference.ms < 0 || !hashed.ok) {
      all_ok = false;
      break;
    }
    hashed_curl_ms.push_back(hashed_reference.ms);
    hashed_ms.push_back(hashed.ms);
    hashed_peaks.push_back(static_cast<double>(hashed.peak_above_kib));
    std::printf("download run %d with SHA-256: Corvane %s (peak +%s), curl + sha256sum %s\n", i + 1,
                FormatMs(hashed.ms).c_str(), FormatKib(hashed.peak_above_kib).c_str(),
                FormatMs(hashed_reference.ms).c_str());
    if (i == 0 && (!SameFile(f.corvane_target, f.source) || !SameFile(f.curl_target, f.source))) {
      std::cerr << "error: a downloaded file differs from the served one\n";
      all_ok = false;
      break;
    }
    curl_ms.push_back(reference.ms);
    corvane_ms.push_back(mine.ms);
    curl_cpu.push_back(reference.cpu_ms);
    corvane_cpu.push_back(mine.cpu_ms);
    gaps.push_back(static_cast<double>(mine.longest_gap_ms));
    gap_cpus.push_back(mine.longest_gap_cpu_ms);
    peaks.push_back(static_cast<double>(mine.peak_above_kib));
    every_chunk = every_chunk && mine.every_chunk;
    calls = mine.calls;
    pumps = mine.pumps;
    std::printf("download run %d: Corvane %s (processor %s, peak +%s, longest gap %lld ms, %lld progress calls, "
                "%s, longest work between passes %s), curl %s (processor %s)\n",
                i + 1, FormatMs(mine.ms).c_str(), FormatMs(mine.cpu_ms).c_str(), FormatKib(mine.peak_above_kib).c_str(),
                static_cast<long long>(mine.longest_gap_ms), static_cast<long long>(mine.calls),
                mine.every_chunk ? "every fraction right" : "FRACTIONS WRONG", FormatMs(mine.longest_gap_cpu_ms).c_str(),
                FormatMs(reference.ms).c_str(),
                FormatMs(reference.cpu_ms).c_str());
    std::fflush(stdout);
  }
  EndDownloadPage(*files);
  if (!all_ok) return 1;

  const double mine = Median(corvane_ms), reference = Median(curl_ms);
  const double ratio = mine / reference;
  const double peak = Median(peaks), gap = Median(gaps);
  double worst_gap = 0, worst_peak = 0;
  for (double g : gaps) worst_gap = std::max(worst_gap, g);
  for (double p : peaks) worst_peak = std::max(worst_peak, p);
  const std::string size = std::to_string(f.total >> 20) + " MiB";
  std::printf("download: %s in %d-byte chunks: median Corvane %s, curl %s, ratio %s (%d runs)\n", size.c_str(),
              kChunk, FormatMs(mine).c_str(), FormatMs(reference).c_str(), FormatRatio(ratio).c_str(), f.runs);
  std::printf("%s\n", TableLine({scheme + "Download " + size + ", 128-byte chunks with progress (time)", FormatMs(mine),
                                 "curl " + FormatMs(reference), FormatRatio(ratio), "<= 1.25", ratio <= 1.25})
                          .c_str());
  const double mine_cpu = Median(corvane_cpu), curl_cpu_median = Median(curl_cpu);
  std::printf("%s\n", TableLine({scheme + "Download: processor time (user + system)", FormatMs(mine_cpu),
                                 "curl " + FormatMs(curl_cpu_median), FormatRatio(mine_cpu / curl_cpu_median), "",
                                 false})
                          .c_str());
  std::printf("%s\n", TableLine({scheme + "Download: peak memory above baseline (worst run " +
                                     FormatKib(static_cast<long long>(worst_peak)) + ")",
                                 FormatKib(static_cast<long long>(peak)), "", "", "<= 16 MiB",
                                 peak >= 0 && peak <= 16 * 1024})
                          .c_str());
  const double hashed_mine = Median(hashed_ms), hashed_reference = Median(hashed_curl_ms);
  const double hashed_ratio = hashed_mine / hashed_reference;
  std::printf("%s\n", TableLine({scheme + "Download " + size + " with SHA-256 check as it arrives, with progress (time)",
                                 FormatMs(hashed_mine), "curl + sha256sum " + FormatMs(hashed_reference),
                                 FormatRatio(hashed_ratio), "<= 1.1", hashed_ratio <= 1.1})
                          .c_str());
  double worst_hashed_peak = 0;
  for (double p : hashed_peaks) worst_hashed_peak = std::max(worst_hashed_peak, p);
  const double hashed_peak = Median(hashed_peaks);
  std::printf("%s\n", TableLine({scheme + "Download with SHA-256: peak memory above baseline (worst run " +
                                     FormatKib(static_cast<long long>(worst_hashed_peak)) + ")",
                                 FormatKib(static_cast<long long>(hashed_peak)), "", "", "<= 16 MiB",
                                 hashed_peak >= 0 && hashed_peak <= 16 * 1024})
                          .c_str());
  std::printf("%s\n", TableLine({scheme + "Responsiveness: longest gap between message passes (worst run " +
                                     std::to_string(static_cast<long long>(worst_gap)) + " ms; " +
                                     std::to_string(pumps) + " passes)",
                                 std::to_string(static_cast<long long>(gap)) + " ms", "", "", "<= 20 ms",
                                 gap <= 20})
                          .c_str());
  double worst_gap_cpu = 0;
  for (double g : gap_cpus) worst_gap_cpu = std::max(worst_gap_cpu, g);
  const double gap_cpu = Median(gap_cpus);
  std::printf("%s\n", TableLine({scheme + "Responsiveness: longest processor time of the window's thread between passes "
                                     "(worst run " + FormatMs(worst_gap_cpu) + ")",
                                 FormatMs(gap_cpu), "", "", "<= 20 ms", gap_cpu <= 20})
                          .c_str());
  std::printf("%s\n", TableLine({scheme + "Responsiveness: progress callback saw every chunk's fraction",
                                 std::to_string(calls) + " calls, " + (every_chunk ? "all exact" : "some wrong"),
                                 "", "", "every chunk", every_chunk})
                          .c_str());
  return status;
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
  return corvane::bench::BenchMain(argc, argv, "corvane-bench-download", corvane::bench::Run);
}
