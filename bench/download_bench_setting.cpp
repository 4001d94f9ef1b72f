#include "download_bench_setting.h"

#include <iostream>
#include <memory>

#include "app/download_page.h"
#include "package_maker.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "toolkit/toolkit.h"

namespace corvane::bench {

std::optional<DownloadBenchFiles> PrepareDownloadBench(const BenchOptions& options, const std::string& usage,
                                                       const std::string& file_name, unsigned seed, int* exit_code) {
  runtime::FileSystem& fs = runtime::Fs();
  if (options.Text("server").empty() || options.Text("web-root").empty() || options.Text("work").empty()) {
    std::cerr << "usage: " << usage << "\n";
    *exit_code = 2;
    return std::nullopt;
  }
  DownloadBenchFiles files;
  files.server = options.Text("server");
  files.work = fs.Absolute(options.Text("work"));
  files.runs = static_cast<int>(options.Number("runs", 5));
  files.total = options.Number("mib", 256) << 20;
  const std::string web_root = fs.Absolute(options.Text("web-root"));
  files.source = web_root + "/" + file_name;
  files.url = files.server + "/" + file_name;
  files.curl_target = files.work + "/curl.bin";
  files.corvane_target = files.work + "/download/" + file_name;
  if (!fs.CreateFolderWithParents(files.work + "/download") || !WriteRandomFile(files.source, files.total, seed)) {
    std::cerr << "error: cannot write the test file below " << web_root << " and " << files.work << "\n";
    *exit_code = 1;
    return std::nullopt;
  }
  return files;
}

tk::HeadlessBackend& StartDownloadPage(const std::string& work) {
  auto backend = std::make_unique<tk::HeadlessBackend>();
  tk::HeadlessBackend& ui = *backend;
  tk::SetBackend(std::move(backend));
  tk::Gadget* window = tk::CreateWindow("Corvane", 0, 0, 640, 480, nullptr, tk::kWindowTitleBar);
  fileProgress = tk::CreateProgressBar(10, 10, 400, 20, window);
  tk::CreateTimer(2.0);
  runtime::EnterProgramFolder(work);
  return ui;
}

void EndDownloadPage(const DownloadBenchFiles& files) {
  fileProgress = nullptr;
  tk::Shutdown();
  for (const std::string* file : {&files.source, &files.curl_target, &files.corvane_target})
    runtime::Fs().DeleteFile(*file);
}

}  // namespace corvane::bench
