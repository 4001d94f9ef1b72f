// A program for tests/scripts/crash_consistency.sh and disk_full.sh: it does
// one of the program's writing jobs over and over (the script kills it with
// SIGKILL at a random moment), and afterwards checks what the job left.
//
//   crash_driver config-loop HOME            saves data/conf.txt, generation after generation
//   crash_driver config-check HOME           conf.txt is exactly one generation's file
//   crash_driver registry-loop FILE          rewrites the registry store, generation after generation
//   crash_driver registry-check FILE         the store reads cleanly, whole, one generation
//   crash_driver download-loop HOME URL...   downloads the URLs in turn into HOME/download
//   crash_driver download-check HOME NAME COPY...
//                                            download/NAME is absent or equals one COPY, and the
//                                            package scan lists only complete packages
//   crash_driver extract-loop ARCHIVE DEST   unpacks the archive again and again
//   crash_driver extract-once ARCHIVE DEST   sweeps the temporaries a killed loop left, as start-up
//                                            does, and unpacks once (exit 0 when ExtractZip answered 1)
//   crash_driver install-once HOME TARGET    installs HOME/download/pkg.zip into TARGET with a BACKUP,
//                                            COPY and DELETE rule, all or nothing
//   crash_driver install-check HOME TARGET   does what start-up does after a kill (sweeps the
//                                            temporaries, rolls back a cut-off install), then prints
//                                            "new" when the package is recorded, "old" when not
//   crash_driver download HOME URL...        downloads each URL once with progress, then once
//                                            without, logging to HOME/dati/log.txt; prints
//                                            "<url> <with progress> <without>" per URL
//
// Checks exit 0 when all is well, 1 with the reason on the standard error.
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/tprogram.h"
#include "install/extract_zip.h"
#include "install/install_engine.h"
#include "install/install_undo.h"
#include "install/installed_state.h"
#include "install/package_scan.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/registry_store.h"
#include "runtime/temporary_file.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "support/rule_package.h"

using namespace corvane;

namespace {

int Fail(const std::string& why) {
  std::cerr << "crash_driver: " << why << std::endl;
  return 1;
}

// ---- configuration ----

// Every setting of generation g carries g, so a file mixed from two
// generations shows at once; the long paths make each save a few kilobytes.
void SetGeneration(long long g) {
  const std::string n = std::to_string(g);
  LANGUAGE = "LANG" + n;
  AUTOUPDATE = g % 2 ? "TRUE" : "FALSE";
  URLUPDATE = "http://server.example/" + n;
  AUTOEXECUTE = "run" + n;
  WINRAR = "C:\\WinRAR\\" + n + std::string(500 + g % 700, 'w');
  TARNPATH = "C:\\Tarnic\\" + n + std::string(900 + g % 300, 't');
  SVNPATH = "C:\\svn\\" + n + std::string(700 + g % 500, 's');
  DEFAULT_INSTALL = static_cast<int>(g % 100000);
  DISABLE_DELETE = static_cast<int>(g % 2);
  APPVERSION = n;
}

std::string GenerationFile(long long g) {
  SetGeneration(g);
  return runtime::WriteLines({"LANGUAGE=" + LANGUAGE, "AUTOUPDATE=" + AUTOUPDATE, "URLUPDATE=" + URLUPDATE,
                              "AUTOEXECUTE=" + AUTOEXECUTE, "WINRAR=" + WINRAR, "TARNPATH=" + TARNPATH,
                              "SVNPATH=" + SVNPATH, "DEFAULT_INSTALL=" + std::to_string(DEFAULT_INSTALL),
                              "DISABLE_DELETE=" + std::to_string(DISABLE_DELETE), "APPVERSION=" + APPVERSION});
}

// The generation a conf.txt holds (its APPVERSION), or -1.
long long FileGeneration(const std::string& bytes) {
  std::vector<std::string> lines = runtime::ReadLines(bytes);
  if (lines.size() != 10 || lines[9].rfind("APPVERSION=", 0) != 0) return -1;
  return runtime::ToInt(lines[9].substr(11));
}

int ConfigLoop(const std::string& home) {
  if (!runtime::EnterProgramFolder(home)) return Fail("cannot enter " + home);
  runtime::Fs().CreateFolder("data");
  auto bytes = runtime::Fs().ReadFile(kConfigFile);
  long long g = bytes ? FileGeneration(*bytes) + 1 : 1;
  for (;; ++g) {
    SetGeneration(g);
    SaveConfig();
  }
}

int ConfigCheck(const std::string& home) {
  if (!runtime::EnterProgramFolder(home)) return Fail("cannot enter " + home);
  auto bytes = runtime::Fs().ReadFile(kConfigFile);
  if (!bytes) return Fail("data/conf.txt is gone");
  long long g = FileGeneration(*bytes);
  if (g < 1) return Fail("data/conf.txt is cut short or damaged (" + std::to_string(bytes->size()) + " bytes)");
  if (*bytes != GenerationFile(g)) return Fail("data/conf.txt mixes generations around " + std::to_string(g));
  std::cout << g << std::endl;
  return 0;
}

// ---- registry store ----

constexpr int kFixedKeys = 60;
const std::string kBlobKey = "Software\\Corvane\\Crash";

std::string Blob(long long g) {
  std::string piece = "generation " + std::to_string(g) + ";";
  std::string blob;
  while (blob.size() < 20000) blob += piece;
  return blob;
}

int RegistryLoop(const std::string& file) {
  runtime::RegistryStore store([file] { return file; });
  store.SetProblemSink([](const std::string& p) { std::cerr << "crash_driver: " << p << std::endl; });
  runtime::RegHandle key = 0;
  // Keys that every generation keeps: a mixed or truncated file would lose some.
  for (int i = 0; i < kFixedKeys; ++i) {
    if (!store.CreateKey(runtime::kHkeyLocalMachine, "SOFTWARE\\Fixed\\k" + std::to_string(i), &key))
      return Fail("cannot create the fixed keys");
    store.CloseKey(key);
  }
  if (!store.CreateKey(runtime::kHkeyCurrentUser, kBlobKey, &key)) return Fail("cannot create " + kBlobKey);
  runtime::RegValue old;
  long long g = store.QueryValue(key, "generation", &old) ? static_cast<long long>(runtime::ValueNumber(old)) + 1 : 1;
  for (;; ++g) {
    // One value holds the generation, the other repeats it: both change in
    // one write of the file, or neither does.
    store.SetValue(key, "both", runtime::MakeTextValue(runtime::kRegSz, Blob(g)));
    store.SetValue(key, "generation", runtime::MakeQwordValue(static_cast<std::uint64_t>(g)));
  }
}

int RegistryCheck(const std::string& file) {
  runtime::RegistryStore store([file] { return file; });
  std::vector<std::string> problems;
  store.SetProblemSink([&problems](const std::string& p) { problems.push_back(p); });
  runtime::RegHandle key = 0;
  for (int i = 0; i < kFixedKeys; ++i) {
    if (!store.OpenKey(runtime::kHkeyLocalMachine, "SOFTWARE\\Fixed\\k" + std::to_string(i), &key))
      return Fail("fixed key " + std::to_string(i) + " is lost" + (problems.empty() ? "" : ": " + problems[0]));
    store.CloseKey(key);
  }
  if (!problems.empty()) return Fail(problems[0]);
  if (!store.OpenKey(runtime::kHkeyCurrentUser, kBlobKey, &key)) return Fail(kBlobKey + " is lost");
  runtime::RegValue both, generation;
  if (!store.QueryValue(key, "both", &both)) return Fail("the value \"both\" is lost");
  long long g = store.QueryValue(key, "generation", &generation)
                    ? static_cast<long long>(runtime::ValueNumber(generation))
                    : 0;
  // "both" is written first: it holds generation g or g + 1.
  if (runtime::ValueText(both) != Blob(g) && runtime::ValueText(both) != Blob(g + 1))
    return Fail("the store mixes generations around " + std::to_string(g));
  std::cout << g << std::endl;
  return 0;
}

// ---- downloads ----

int DownloadLoop(const std::string& home, const std::vector<std::string>& urls) {
  if (!runtime::EnterProgramFolder(home)) return Fail("cannot enter " + home);
  runtime::Fs().CreateFolder("download");
  for (long long i = 0;; ++i) {
    const std::string& url = urls[static_cast<std::size_t>(i) % urls.size()];
    // Both ways of downloading, in turn.
    if ((i / urls.size()) % 2) {
      DownloadFile(url, "", [](float) {}, 128);
    } else {
      DownloadFile(url, "", nullptr, 128);
    }
  }
}

int DownloadCheck(const std::string& home, const std::string& name, const std::vector<std::string>& copies) {
  std::vector<std::string> complete;
  for (const std::string& c : copies) {
    auto bytes = runtime::Fs().ReadFile(c);
    if (!bytes) return Fail("cannot read " + c);
    complete.push_back(*bytes);
  }
  if (!runtime::EnterProgramFolder(home)) return Fail("cannot enter " + home);
  auto is_complete = [&complete](const std::string& path) {
    auto bytes = runtime::Fs().ReadFile(path);
    if (!bytes) return false;
    for (const std::string& c : complete)
      if (*bytes == c) return true;
    return false;
  };
  if (runtime::Fs().Kind("download/" + name) != runtime::kNone && !is_complete("download/" + name))
    return Fail("download/" + name + " is neither absent nor complete (" +
                std::to_string(runtime::Fs().FileSize("download/" + name)) + " bytes)");
  // What a later run offers for installation.
  programList.clear();
  auto record = std::make_shared<tprogram>();
  record->name = record->fullname = name;
  record->url = "http://server.example/files/" + name;
  record->urls = {record->url};
  programList.push_back(record);
  ScanPackages();
  for (const ProgramPtr& p : packageList)
    if (!is_complete("download/" + PackageFileName(*p)))
      return Fail("the scan offers the incomplete package " + PackageFileName(*p));
  std::cout << packageList.size() << std::endl;
  return 0;
}

int DownloadEach(const std::string& home, const std::vector<std::string>& urls) {
  if (!runtime::EnterProgramFolder(home)) return Fail("cannot enter " + home);
  runtime::Fs().CreateFolder("download");
  runtime::Fs().CreateFolder("dati");
  OpenLog("dati/log.txt");
  for (const std::string& url : urls) {
    int with_progress = DownloadFile(url, "", [](float) {}, 128);
    int without = DownloadFile(url, "", nullptr, 128);
    std::cout << url << " " << with_progress << " " << without << std::endl;
  }
  LogEndOfProgram();
  return 0;
}

// ---- all-or-nothing installs ----

class SilentInstall : public InstallObserver {
 public:
  void InstallLine(const std::string&) override {}
  bool AcceptMessage(const tprogram&) override { return true; }
};

// Works in HOME as the program does in its folder, journalling the folders
// it makes temporaries in as start-up has it do.
bool EnterHome(const std::string& home) {
  runtime::FileSystem& fs = runtime::Fs();
  if (!fs.ChangeFolder(home)) return false;
  runtime::SetTemporaryJournal(fs.Absolute("data/temporaries.txt"));
  SetLogEcho(nullptr);
  AppendToLog("data/log.txt");
  return true;
}

int InstallOnce(const std::string& home, const std::string& target) {
  if (!EnterHome(home)) return Fail("no folder " + home);
  ProgramPtr r = testing::PackageWithEveryRule("/pkg/sub/file1.txt");
  InstallRequest request;
  request.records = {r};
  request.count = 1;
  request.target = target;
  SilentInstall out;
  RunInstall(request, out);
  return ListInstalled(target).size() == 1 ? 0 : Fail("package not recorded");
}

int InstallCheck(const std::string& home, const std::string& target) {
  if (!EnterHome(home)) return Fail("no folder " + home);
  runtime::SweepJournalledTemporaries(runtime::Fs());
  RecoverInterruptedInstall();
  if (runtime::Fs().Kind(kUndoJournal) != runtime::kNone) return Fail("the undo journal is still there");
  std::cout << (ListInstalled(target).empty() ? "old" : "new") << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2) return Fail("usage: see the head of crash_driver.cpp");
  const std::string& mode = args[0];
  std::vector<std::string> rest(args.begin() + 2, args.end());
  if (mode == "config-loop") return ConfigLoop(args[1]);
  if (mode == "config-check") return ConfigCheck(args[1]);
  if (mode == "registry-loop") return RegistryLoop(args[1]);
  if (mode == "registry-check") return RegistryCheck(args[1]);
  if (mode == "download-loop" && !rest.empty()) return DownloadLoop(args[1], rest);
  if (mode == "download-check" && rest.size() >= 2)
    return DownloadCheck(args[1], rest[0], std::vector<std::string>(rest.begin() + 1, rest.end()));
  if (mode == "download" && !rest.empty()) return DownloadEach(args[1], rest);
  if (mode == "install-once" && rest.size() == 1) return InstallOnce(args[1], rest[0]);
  if (mode == "install-check" && rest.size() == 1) return InstallCheck(args[1], rest[0]);
  // The folders holding temporaries are journalled beside the archive.
  if (mode.rfind("extract-", 0) == 0) runtime::SetTemporaryJournal(runtime::Fs().Absolute(args[1] + ".journal"));
  if (mode == "extract-loop" && rest.size() == 1) {
    for (;;) ExtractZip(args[1], rest[0], "", 1, "");
  }
  if (mode == "extract-once" && rest.size() == 1) {
    runtime::SweepJournalledTemporaries(runtime::Fs());
    return ExtractZip(args[1], rest[0], "", 1, "") == 1 ? 0 : 1;
  }
  return Fail("unknown mode or missing arguments: " + mode);
}
