// Resume benchmark: a 256 MiB file from a web server that ends every
// connection at the next of 10 cut points (bench/cut_file_server.py), so
// that the whole file comes only by resuming.  Corvane tries DownloadFile as
// the download run does (progress callback of the Download page, 128-byte
// chunks, the part kept and resumed) until the file is whole; curl runs
// `curl -C - -o FILE` until it exits 0.  Times are added up over the tries
// (Corvane's calls; curl's own -w %{time_total}); bytes are what the server
// sent, headers included.  Runs alternate between the two; medians.
//
// Usage: corvane-bench-resume --server http://127.0.0.1:PORT --web-root DIR
//          --work DIR [--runs 5] [--mib 256] [--cuts 10]
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
#include "reference_tool.h"
#include "runtime/file_system.h"
#include "toolkit/headless/headless_backend.h"
#include "toolkit/toolkit.h"

namespace corvane::bench {
namespace {

using runtime::Fs;
using Clock = std::chrono::steady_clock;

constexpr const char* kFileName = "corvane-bench-resume.bin";

struct Figures {
  double ms = -1;  // -1: the file did not come whole
  long long bytes = 0;
  int tries = 0;
};

// The bytes the server sent since the last call (and starts counting again).
long long SentBytes(const std::string& curl, const std::string& server) {
  ToolRun run = RunTool(curl + " -s " + server + "/sent");
  return run.ok ? std::atoll(run.output.c_str()) : -1;
}

Figures RunCorvane(const std::string& url, const std::string& target, int most_tries) {
  Fs().DeleteFile(target);
  Figures f;
  double ms = 0;
  int result = 0;
  while (result != 1 && f.tries < most_tries) {
    ++f.tries;
    Resume resume;
    const Clock::time_point start = Clock::now();
    result = DownloadFile(url, "", DownloadProgress, 128, nullptr, &resume);
    ms += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  if (result == 1) f.ms = ms;
  return f;
}

Figures RunCurl(const std::string& curl, const std::string& url, const std::string& target, int most_tries) {
  Fs().DeleteFile(target);
  Figures f;
  double ms = 0;
  for (;;) {
    ++f.tries;
    ToolRun run = RunTool(curl + " -s -C - -o " + target + " -w %{time_total} " + url);
    ms += std::strtod(run.output.c_str(), nullptr) * 1000;
    if (run.ok) break;
    // 18: "partial file", the cut; anything else is a failure.
    if (run.exit_code != 18 || f.tries >= most_tries) {
      std::cerr << "error: curl failed (" << run.exit_code << "): " << run.errors << "\n";
      return f;
    }
  }
  f.ms = ms;
  return f;
}

int Run(const BenchOptions& options) {
  const std::string curl = LocateTool("curl");
  if (curl.empty()) {
    std::cerr << "error: curl is not installed\n";
    return 1;
  }
  int exit_code = 0;
  const auto files = PrepareDownloadBench(
      options, "corvane-bench-resume --server URL --web-root DIR --work DIR [--runs N] [--mib N] [--cuts N]",
      kFileName, 20261209, &exit_code);
  if (!files) return exit_code;
  const int cuts = static_cast<int>(options.Number("cuts", 10));
  const DownloadBenchFiles& f = *files;

  StartDownloadPage(f.work);

  bool all_ok = true;
  // One unmeasured transfer brings the file into the page cache for both.
  all_ok = RunCurl(curl, f.url, f.curl_target, cuts + 2).ms >= 0;
  SentBytes(curl, f.server);
  std::vector<double> curl_ms, corvane_ms, curl_bytes, corvane_bytes;
  for (int i = 0; i < f.runs && all_ok; ++i) {
    Figures reference, mine;
    if (i % 2 == 0) {
      reference = RunCurl(curl, f.url, f.curl_target, cuts + 2);
      reference.bytes = SentBytes(curl, f.server);
    }
    mine = RunCorvane(f.url, f.corvane_target, cuts + 2);
    mine.bytes = SentBytes(curl, f.server);
    if (i % 2 == 1) {
      reference = RunCurl(curl, f.url, f.curl_target, cuts + 2);
      reference.bytes = SentBytes(curl, f.server);
    }
    if (reference.ms < 0 || mine.ms < 0 || !SameFile(f.corvane_target, f.source) ||
        !SameFile(f.curl_target, f.source)) {
      std::cerr << "error: a resumed download failed or differs from the served file\n";
      all_ok = false;
      break;
    }
    curl_ms.push_back(reference.ms);
    corvane_ms.push_back(mine.ms);
    curl_bytes.push_back(static_cast<double>(reference.bytes));
    corvane_bytes.push_back(static_cast<double>(mine.bytes));
    std::printf("resume run %d: Corvane %s in %d tries, %lld bytes; curl %s in %d tries, %lld bytes\n", i + 1,
                FormatMs(mine.ms).c_str(), mine.tries, mine.bytes, FormatMs(reference.ms).c_str(), reference.tries,
                reference.bytes);
    std::fflush(stdout);
  }
  EndDownloadPage(*files);
  if (!all_ok) return 1;

  const double mine = Median(corvane_ms), reference = Median(curl_ms);
  const double ratio = mine / reference;
  const double bytes = Median(corvane_bytes), curl_sent = Median(curl_bytes);
  const double share = bytes / static_cast<double>(f.total);
  const std::string what =
      "Download " + std::to_string(f.total >> 20) + " MiB cut " + std::to_string(cuts) + " times, resumed";
  std::printf("%s\n", TableLine({what + " (time)", FormatMs(mine), "curl -C - " + FormatMs(reference),
                                 FormatRatio(ratio), "<= 1.25", ratio <= 1.25})
                          .c_str());
  char sent[64], curl_text[64];
  std::snprintf(sent, sizeof sent, "%.0f bytes", bytes);
  std::snprintf(curl_text, sizeof curl_text, "curl -C - %.0f bytes", curl_sent);
  std::printf("%s\n", TableLine({what + " (bytes sent, against the file's size)", sent, curl_text,
                                 FormatRatio(share), "<= 1.05", share <= 1.05})
                          .c_str());
  return 0;
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
  return corvane::bench::BenchMain(argc, argv, "corvane-bench-resume", corvane::bench::Run);
}
