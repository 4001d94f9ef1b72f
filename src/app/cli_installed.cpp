#include "app/cli_installed.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "install/installed_state.h"
#include "runtime/terminal.h"
#include "settings/config.h"

namespace corvane::app {

namespace {

std::string Name(const InstalledPackage& p) { return p.name.empty() ? p.id : p.name; }

int ShowInstalled(const CommandLine& line, const std::vector<InstalledPackage>& packages, std::ostream& out) {
  if (line.json) {
    out << "[";
    const char* comma = "";
    for (const InstalledPackage& p : packages) {
      out << comma << "\n  {\"id\": " << JsonString(p.id) << ", \"name\": " << JsonString(p.name)
          << ", \"package\": " << JsonString(p.packageFile) << ", \"sha256\": " << JsonString(p.packageSha256)
          << ", \"date\": " << JsonString(p.date) << ", \"installer\": " << (p.installerRun ? "true" : "false")
          << ", \"files\": [";
      for (std::size_t i = 0; i < p.written.size(); ++i) out << (i ? ", " : "") << JsonString(p.written[i].path);
      out << "]}";
      comma = ",";
    }
    out << (packages.empty() ? "]\n" : "\n]\n");
    return kExitDone;
  }
  if (packages.empty() && !line.quiet) out << "Nothing is recorded as installed in " << TARNPATH << ".\n";
  std::size_t width = 2;
  for (const InstalledPackage& p : packages) width = std::max(width, p.id.size());
  for (const InstalledPackage& p : packages) {
    out << p.id << std::string(width + 2 - p.id.size(), ' ') << Name(p) << " - installed " << p.date << ", "
        << p.written.size() << (p.written.size() == 1 ? " file" : " files")
        << (p.installerRun ? ", ran an installer" : "") << "\n";
  }
  return kExitDone;
}

int Remove(const CommandLine& line, const std::vector<const InstalledPackage*>& chosen, CliReporter& reporter,
              std::ostream& out, std::ostream& err) {
  if (!line.yes) {
    out << "From " << TARNPATH << " will be removed:\n";
    for (const InstalledPackage* p : chosen) out << "  " << p->id << " (" << Name(*p) << "), installed " << p->date << "\n";
    if (!runtime::IsTerminal(0)) {
      err << "corvane: not asking without a terminal: add --yes to uninstall\n";
      return kExitUsage;
    }
    if (!reporter.Ask("Go on?")) return kExitItemFailed;
  }
  bool failed = false;
  for (const InstalledPackage* p : chosen) {
    const UninstallResult result = corvane::Uninstall(TARNPATH, p->id);
    if (!line.quiet) {
      out << p->id << ": removed " << result.removed.size() << " of " << p->written.size() << " files";
      if (!result.restored.empty()) out << ", put back " << result.restored.size();
      out << "\n";
      if (result.installerRun) out << p->id << ": the changes its installer made are not undone\n";
    }
    // What stays behind is for the user to look at, even when quiet.
    for (const std::string& path : result.changed)
      err << "corvane: " << p->id << ": kept, changed since its install: " << path << "\n";
    for (const std::string& problem : result.problems) err << "corvane: " << p->id << ": " << problem << "\n";
    if (!result.found || !result.problems.empty()) {
      reporter.Failed(p->id);
      failed = true;
    }
  }
  return failed ? kExitItemFailed : kExitDone;
}

int Check(const CommandLine& line, std::size_t programs, std::ostream& out) {
  const VerifyResult result = corvane::Verify(TARNPATH, line.ids);
  for (const VerifyFinding& f : result.findings)
    out << f.id << ": " << (f.kind == VerifyFinding::kMissing ? "missing: " : "changed: ") << f.path << "\n";
  if (!line.quiet)
    out << "Checked " << result.checked << " files of " << programs << (programs == 1 ? " program" : " programs")
        << ": " << result.findings.size() << " changed or missing.\n";
  return result.findings.empty() ? kExitDone : kExitItemFailed;
}

}  // namespace

bool IsInstalledStateCommand(const std::string& command) {
  return command == "installed" || command == "uninstall" || command == "verify";
}

int RunInstalledStateCommand(const CommandLine& line, CliReporter& reporter, std::ostream& out,
                             std::ostream& err) {
  if (TARNPATH.empty()) {
    reporter.NoTarget();
    return kExitItemFailed;
  }
  const std::vector<InstalledPackage> packages = ListInstalled(TARNPATH);
  if (line.command == "installed") return ShowInstalled(line, packages, out);

  // The packages the IDs name, each once, in the order given.
  InstalledRecord record;
  record.packages = packages;
  std::vector<const InstalledPackage*> chosen;
  bool unknown = false;
  for (const std::string& id : line.ids) {
    const InstalledPackage* p = FindInstalled(record, id);
    if (!p) {
      err << "corvane: " << id << " is not installed in " << TARNPATH << "\n";
      unknown = true;
    } else if (std::find(chosen.begin(), chosen.end(), p) == chosen.end()) {
      chosen.push_back(p);
    }
  }
  if (unknown) return kExitUsage;
  if (line.command == "uninstall") return Remove(line, chosen, reporter, out, err);
  return Check(line, line.ids.empty() ? packages.size() : chosen.size(), out);
}

}  // namespace corvane::app
