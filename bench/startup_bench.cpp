// Start-up benchmark: the whole application in this process on the headless
// backend, from the call of its entry to the first pass of its main loop
// (the first time the loop finds nothing to do and waits), against a
// catalogue of 2 languages x 200 programs served over loopback by a real web
// server, with AUTOUPDATE "FALSE".  A fresh program folder is used for each
// run, so the program lists are fetched ("first start"); then the program
// starts once more in that folder, where they are already present ("next
// start").  Each figure is the median of the runs.
//
// Usage: corvane-bench-startup --server http://127.0.0.1:PORT --web-root DIR
//          --work DIR [--runs 5] [--programs 200]
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/entry.h"
#include "bench_options.h"
#include "bench_stats.h"
#include "catalogue/tprogram.h"
#include "runtime/file_system.h"
#include "startup_catalogue.h"
#include "toolkit/headless/headless_backend.h"
#include "widgets/tapplication.h"

namespace corvane::bench {
namespace {

using runtime::Fs;
using Clock = std::chrono::steady_clock;

// What the idle callback sees; the backend factory must be a plain function.
struct FirstPass {
  tk::HeadlessBackend* ui = nullptr;
  bool seen = false;
  Clock::time_point when;
  std::size_t programs = 0;
};
FirstPass first_pass;

// The loop waits for the first time: take the time, then close the window
// (the close question is answered OK by default) so that Main returns.
void AtFirstWait() {
  if (first_pass.seen || !mainApp || !mainApp->window) return;
  first_pass.seen = true;
  first_pass.when = Clock::now();
  first_pass.programs = programList.size();
  first_pass.ui->CloseWindow(mainApp->window);
}

std::unique_ptr<tk::Backend> MakeBenchBackend(std::string*) {
  auto backend = std::make_unique<tk::HeadlessBackend>();
  first_pass.ui = backend.get();
  backend->SetIdleCallback(&AtFirstWait);
  return backend;
}

// Milliseconds from entry to the first pass, or -1 when the program did not
// get there with the whole catalogue loaded.
double StartOnce(const std::string& home, const std::string& server, int programs) {
  first_pass = FirstPass{};
  std::vector<std::string> args = {"corvane", "--home", home, "--server", server};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  // The activity log echoes every line to the standard output; a terminal
  // would add its own cost, which is not the program's.
  std::ostringstream discarded;
  std::streambuf* real = std::cout.rdbuf(discarded.rdbuf());
  const Clock::time_point start = Clock::now();
  const int code = app::Main(static_cast<int>(argv.size()), argv.data(), &MakeBenchBackend);
  std::cout.rdbuf(real);
  if (code != 0 || !first_pass.seen) {
    std::cerr << "error: the program ended with " << code
              << (first_pass.seen ? "" : " before its main loop waited") << "\n";
    return -1;
  }
  if (first_pass.programs != static_cast<std::size_t>(programs)) {
    std::cerr << "error: " << first_pass.programs << " programs loaded, expected " << programs << "\n";
    return -1;
  }
  return std::chrono::duration<double, std::milli>(first_pass.when - start).count();
}

int Run(const BenchOptions& options) {
  const std::string server = options.Text("server");
  const std::string web_root = Fs().Absolute(options.Text("web-root"));
  const std::string work = Fs().Absolute(options.Text("work"));
  const int runs = static_cast<int>(options.Number("runs", 5));
  const int programs = static_cast<int>(options.Number("programs", 200));
  if (server.empty() || options.Text("web-root").empty() || options.Text("work").empty()) {
    std::cerr << "usage: corvane-bench-startup --server URL --web-root DIR --work DIR [--runs N] [--programs N]\n";
    return 2;
  }
  std::string error;
  if (!WriteServedCatalogue(web_root, server, programs, &error)) {
    std::cerr << "error: " << error << "\n";
    return 1;
  }
  std::vector<double> first_ms, next_ms;
  bool ok = true;
  for (int i = 0; i < runs && ok; ++i) {
    const std::string home = work + "/home" + std::to_string(i + 1);
    Fs().DeleteFolder(home);
    if (!Fs().CreateFolderWithParents(home) || !PrepareProgramFolder(home, &error)) {
      std::cerr << "error: " << (error.empty() ? "cannot create " + home : error) << "\n";
      ok = false;
      break;
    }
    const double first = StartOnce(home, server, programs);
    const double next = first < 0 ? -1 : StartOnce(home, server, programs);
    Fs().DeleteFolder(home);
    if (first < 0 || next < 0) {
      ok = false;
      break;
    }
    first_ms.push_back(first);
    next_ms.push_back(next);
    std::printf("start-up run %d: first start %s, next start %s\n", i + 1, FormatMs(first).c_str(),
                FormatMs(next).c_str());
    std::fflush(stdout);
  }
  Fs().DeleteFolder(web_root + "/download");
  if (!ok) return 1;

  const double first = Median(first_ms), next = Median(next_ms);
  const std::string catalogue = "2 languages x " + std::to_string(programs) + " programs";
  std::printf("start-up: median %s (program lists fetched), %s (lists present); %s, %d runs\n",
              FormatMs(first).c_str(), FormatMs(next).c_str(), catalogue.c_str(), runs);
  std::printf("%s\n", TableLine({"Start-up to first loop pass, " + catalogue + ", lists fetched", FormatMs(first), "",
                                 "", "< 1 s", first < 1000})
                          .c_str());
  std::printf("%s\n", TableLine({"Start-up to first loop pass, " + catalogue + ", lists present", FormatMs(next), "",
                                 "", "< 1 s", next < 1000})
                          .c_str());
  return 0;
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
  return corvane::bench::BenchMain(argc, argv, "corvane-bench-startup", corvane::bench::Run);
}
