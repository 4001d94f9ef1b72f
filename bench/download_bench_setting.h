// What the download benches share: their options and test file, and the
// wizard's setting (the headless toolkit, the Download page's file progress
// bar and the loop's timer, the program folder in the work folder).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench_options.h"
#include "toolkit/headless/headless_backend.h"

namespace corvane::bench {

struct DownloadBenchFiles {
  std::string server;
  std::string work;
  std::string source;  // the file the server serves, written now
  std::string url;
  std::string curl_target;
  std::string corvane_target;  // where DownloadFile puts it: the program folder's "download"
  long long total = 0;
  int runs = 0;
};

// Reads --server, --web-root, --work, --runs and --mib and writes the random
// test file file_name made from seed.  Nullopt after a message on the error stream;
// *exit_code is then 2 for wrong options (usage names them), else 1.
std::optional<DownloadBenchFiles> PrepareDownloadBench(const BenchOptions& options, const std::string& usage,
                                                       const std::string& file_name, unsigned seed, int* exit_code);

// Sets the toolkit up and answers its backend (owned by the toolkit).
tk::HeadlessBackend& StartDownloadPage(const std::string& work);

// Shuts the toolkit down and deletes the bench's big files.
void EndDownloadPage(const DownloadBenchFiles& files);

}  // namespace corvane::bench
