#include "app/cli.h"

#include <algorithm>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "app/cli_installed.h"
#include "app/cli_report.h"
#include "app/startup.h"
#include "catalogue/catalogue_names.h"
#include "catalogue/retrieval.h"
#include "engine/catalogue_load.h"
#include "engine/download_run.h"
#include "install/command_runner.h"
#include "install/install_engine.h"
#include "install/install_undo.h"
#include "install/package_scan.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "net/partial_download.h"
#include "runtime/file_system.h"
#include "runtime/temporary_file.h"
#include "runtime/terminal.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "trust/trusted_keys.h"

namespace corvane::app {

namespace {

class UnreachableNote : public CatalogueObserver {
 public:
  void ServerUnreachable() override { seen = true; }
  bool seen = false;
};

// The program folder's settings, texts and log, as the wizard's start-up
// makes them, without its window and questions.
void PrepareFolder(const CommandLine& line) {
  ResetMessages();
  languageList = ListFiles("lang", ".lang");
  SetUpFolders();
  SetLogEcho(line.verbose ? &std::cerr : nullptr);
  AppendToLog();
  LogLine("Command line: " + line.command);
  // A package a killed run left half installed is put back as it was.
  RecoverInterruptedInstall();
  LoadConfig();
  LoadTexts();
  // Before anything is fetched: the keys decide what may be stored.
  trust::LoadTrustedKeys(trustKeyFiles);
  platformWin32 = 1;
}

// The records the IDs name, in the order given, each once; unknown IDs are
// collected in *unknown.
std::vector<ProgramPtr> RecordsOf(const CommandLine& line, std::vector<std::string>* unknown) {
  if (line.all) return programList;
  std::vector<ProgramPtr> records;
  for (const std::string& id : line.ids) {
    ProgramPtr record = FindProgram(id);
    if (!record) unknown->push_back(id);
    else if (std::find(records.begin(), records.end(), record) == records.end()) records.push_back(record);
  }
  return records;
}

long long RemoteSize(const tprogram& record) { return FileSizeRemote(ResolveLocation(record.url)); }

int List(const CommandLine& line, std::ostream& out) {
  if (line.json) {
    out << "[";
    const char* comma = "";
    for (const ProgramPtr& p : programList) {
      out << comma << "\n  {\"id\": " << JsonString(p->name) << ", \"name\": " << JsonString(p->fullname)
          << ", \"description\": " << JsonString(p->desc) << ", \"package\": " << JsonString(PackageFileName(*p))
          << ", \"downloaded\": " << (IsDownloaded(p) ? "true" : "false");
      if (line.sizes) out << ", \"size\": " << std::max(-1LL, RemoteSize(*p));
      out << "}";
      comma = ",";
    }
    out << (programList.empty() ? "]\n" : "\n]\n");
    return kExitDone;
  }
  std::size_t width = 2;
  for (const ProgramPtr& p : programList) width = std::max(width, p->name.size());
  for (const ProgramPtr& p : programList) {
    std::string row = p->name + std::string(width + 2 - p->name.size(), ' ') + p->fullname;
    if (!p->desc.empty()) row += " - " + p->desc;
    if (line.sizes) {
      const long long size = RemoteSize(*p);
      row += size > 0 ? " [" + std::to_string((size + 1023) / 1024) + " KB]" : " [size unknown]";
    }
    if (IsDownloaded(p)) row += " (downloaded)";
    out << row << "\n";
  }
  return kExitDone;
}

int Show(tprogram& p, const CommandLine& line, std::ostream& out) {
  LoadDescription(p);
  if (line.json) {
    out << "{\"id\": " << JsonString(p.name) << ", \"name\": " << JsonString(p.fullname)
        << ", \"description\": " << JsonString(p.desc) << ", \"long_description\": " << JsonString(p.Longdesc)
        << ", \"author\": " << JsonString(p.author) << ", \"licence\": " << JsonString(p.license)
        << ", \"web\": " << JsonString(p.web) << ", \"package\": " << JsonString(PackageFileName(p))
        << ", \"downloaded\": " << (IsDownloaded(p) ? "true" : "false") << ", \"urls\": [";
    for (std::size_t i = 0; i < p.urls.size(); ++i) out << (i ? ", " : "") << JsonString(p.urls[i]);
    out << "]}\n";
    return kExitDone;
  }
  out << p.name << ": " << p.fullname << "\n";
  if (!p.desc.empty()) out << "  " << p.desc << "\n";
  out << "Author:  " << p.author << "\nLicence: " << p.license << "\nWeb:     " << p.web << "\n";
  for (const RecordText& url : p.urls) out << "URL:     " << url << "\n";
  out << "Package: " << PackageFileName(p) << (IsDownloaded(p) ? " (downloaded)" : "") << "\n";
  if (!p.Longdesc.empty()) out << "\n" << p.Longdesc << (p.Longdesc.back() == '\n' ? "" : "\n");
  return kExitDone;
}

// Downloads records; true when it ran to its end, false after Ctrl-C.  The
// file in hand keeps what it received as its ".part", which the next
// download resumes; nothing incomplete stays under a package's name.
bool Download(const std::vector<ProgramPtr>& records, CliReporter& reporter) {
  DownloadRun run(reporter);
  run.EndAtLastUrl(true);
  run.Start(records);
  while (run.Active()) {
    if (runtime::Interrupted()) {
      run.Stop();
      break;
    }
    try {
      run.Step();
    } catch (const TransferInterrupted&) {
      reporter.EndLine();
      // A transfer that could keep no part wrote to a temporary file: the
      // one under way is the only one with a temporary there.
      runtime::SweepTemporaries(runtime::Fs(), "download");
      run.Stop();
    }
  }
  reporter.EndLine();
  if (!runtime::Interrupted()) return true;
  LogLine(" S T O P ! ! ! !");
  return false;
}

int Packages(const CommandLine& line, std::ostream& out) {
  ScanPackages();
  std::set<std::string> known;
  if (line.json) out << "[";
  const char* comma = "";
  for (const ProgramPtr& p : packageList) {
    const std::string file = PackageFileName(*p);
    known.insert(file);
    if (line.json) {
      out << comma << "\n  {\"file\": " << JsonString(file) << ", \"id\": " << JsonString(p->name)
          << ", \"name\": " << JsonString(p->fullname) << ", \"kind\": " << JsonString(PackageKind(file)) << "}";
      comma = ",";
    } else {
      out << file << "  " << p->name << " (" << p->fullname << ")\n";
    }
  }
  auto names = runtime::Fs().ListFolder("download");
  for (const std::string& name : names ? *names : std::vector<std::string>{}) {
    // A partial download is no package, and resumes under its own name.
    if (known.count(name) || IsPartialName(name) || runtime::Fs().Kind("download/" + name) != runtime::kFile)
      continue;
    if (line.json) {
      out << comma << "\n  {\"file\": " << JsonString(name) << ", \"id\": null}";
      comma = ",";
    } else {
      out << name << "  (not in the catalogue)\n";
    }
  }
  if (line.json) out << (std::string(comma).empty() ? "]\n" : "\n]\n");
  return kExitDone;
}

// The packages to install in the order the Install page lists them, skipping
// (as the page does) those whose name is found in PATH.
std::vector<ProgramPtr> InstallOrder(const std::vector<ProgramPtr>& wanted, std::ostream& out) {
  ScanPackages();
  std::vector<ProgramPtr> order;
  for (const ProgramPtr& p : packageList) {
    if (std::find(wanted.begin(), wanted.end(), p) == wanted.end() ||
        std::find(order.begin(), order.end(), p) != order.end())
      continue;
    if (FoundInPath(p->fullname)) {
      out << p->fullname << " " << messages[91] << "\n";
      continue;
    }
    order.push_back(p);
  }
  return order;
}

int Install(const CommandLine& line, const std::vector<ProgramPtr>& wanted, CliReporter& reporter,
            std::ostream& out, std::ostream& err) {
  if (TARNPATH.empty()) {
    reporter.NoTarget();
    return kExitItemFailed;
  }
  std::vector<ProgramPtr> missing;
  for (const ProgramPtr& p : wanted)
    if (!IsDownloaded(p)) missing.push_back(p);
  if (!missing.empty() && !Download(missing, reporter)) return kExitInterrupted;
  const std::vector<ProgramPtr> order = InstallOrder(wanted, out);
  if (order.empty()) {
    if (!line.quiet) out << "Nothing to install.\n";
    return reporter.failed().empty() ? kExitDone : kExitItemFailed;
  }
  if (!line.yes) {
    out << "Into " << TARNPATH << " will be installed:\n";
    for (const ProgramPtr& p : order) {
      const std::string kind = PackageKind(PackageFileName(*p));
      out << "  " << p->name << " (" << p->fullname << ")" << (kind == "EXE" ? ", runs its installer" : "")
          << "\n";
    }
    if (!runtime::IsTerminal(0)) {
      err << "corvane: not asking without a terminal: add --yes to install\n";
      return kExitUsage;
    }
    if (!reporter.Ask("Go on?")) return kExitItemFailed;
  }
  InstallRequest request;
  request.records = order;
  request.count = int(order.size());
  request.target = TARNPATH;
  request.winrar = WINRAR;
  request.disableDelete = DISABLE_DELETE != 0;
  RunInstall(request, reporter);
  if (runtime::Interrupted()) return kExitInterrupted;
  if (!reporter.failed().empty()) return kExitItemFailed;
  return reporter.restartWanted() ? kExitRestartWanted : kExitDone;
}

}  // namespace

int RunCli(const CommandLine& line, std::ostream& out, std::ostream& err, std::istream& in) {
  PrepareFolder(line);
  runtime::ClearInterrupt();
  runtime::CatchInterrupt();
  CliReporter::Settings settings;
  settings.terminal = runtime::IsTerminal(1);
  settings.columns = runtime::TerminalColumns();
  settings.quiet = line.quiet;
  settings.yes = line.yes;
  settings.askable = runtime::IsTerminal(0);
  CliReporter reporter(out, err, in, settings);
  // The installed record is all these need: no catalogue, no server.
  if (IsInstalledStateCommand(line.command)) return RunInstalledStateCommand(line, reporter, out, err);

  UnreachableNote note;
  if (!LoadCatalogue(line.language, note) && line.command != "packages") {
    err << "corvane: cannot reach the catalogue server <" << CatalogueBase() << ">\n";
    return kExitUnreachable;
  }
  std::vector<std::string> unknown;
  std::vector<ProgramPtr> records = RecordsOf(line, &unknown);
  if (!unknown.empty()) {
    for (const std::string& id : unknown) err << "corvane: no program " << id << " in the catalogue\n";
    return kExitUsage;
  }

  if (line.command == "list") return List(line, out);
  if (line.command == "show") return Show(*records.front(), line, out);
  if (line.command == "packages") return Packages(line, out);
  int code = kExitDone;
  if (line.command == "download") {
    if (!Download(records, reporter)) code = kExitInterrupted;
    else if (!reporter.failed().empty()) code = kExitItemFailed;
  } else {
    code = Install(line, records, reporter, out, err);
  }
  if (code == kExitInterrupted) err << "corvane: interrupted\n";
  for (const std::string& id : reporter.failed()) LogLine("Failed: " + id);
  if (code == kExitItemFailed && !reporter.failed().empty()) {
    std::string names;
    for (const std::string& id : reporter.failed()) names += " " + id;
    err << "corvane: failed:" << names << "\n";
    // Every failure a refusal of the signed catalogue: the user's answer is
    // the publisher's keys, not another try.
    if (reporter.trustRefusals() == reporter.failed().size()) code = kExitTrust;
  }
  return code;
}

}  // namespace corvane::app
