#include "maintenance/mingw_setup.h"

#include <memory>

#include "install/command_runner.h"
#include "log/activity_log.h"
#include "maintenance/tregkey.h"
#include "maintenance/version_check.h"
#include "runtime/command_line.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/clock.h"
#include "runtime/process.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"

namespace corvane {

std::string svnBinFolder;
std::string mingwFolder;

namespace {

constexpr int kReportLines = 30;
constexpr int kReportWidth = 500;
constexpr int kVersionInfoTitle = 35;  // message "Show version info"
// Said in the status line after the version; the shell's own status line
// names the same developers.
constexpr const char* kStatusCredit = " - the Corvane developers";

int g_tool_limit_ms = 60000;
std::string g_compiler_banner;  // line 8 of the last report made with SVNPATH set

// Copies everything in folder src into folder dst (created when missing),
// sub-folders too; files of the same name are replaced.  Links to folders
// are not followed.  1 when every entry was copied, else 0.
int CopyFolderContents(const std::string& src, const std::string& dst) {
  runtime::FileSystem& fs = runtime::Fs();
  std::optional<std::vector<std::string>> names = fs.ListFolder(src);
  if (!names || (fs.Kind(dst) != runtime::kFolder && !fs.CreateFolderWithParents(dst))) return 0;
  int ok = 1;
  for (const std::string& name : *names) {
    std::string from = src + "/" + name, to = dst + "/" + name;
    runtime::FileKind kind = fs.Kind(from);
    if (kind == runtime::kFolder) {
      if (fs.IsLink(from) || CopyFolderContents(from, to) == 0) ok = 0;
    } else if (kind != runtime::kFile || fs.CopyFile(from, to) != 1) {
      ok = 0;
    }
  }
  return ok;
}

// The last entry of the folder whose name contains "3."; empty when none.
std::string GccVersionFolder(const std::string& folder) {
  std::string version;
  if (auto names = runtime::Fs().ListFolder(folder)) {
    for (const std::string& name : *names) {
      if (name.find("3.") != std::string::npos) version = name;
    }
  }
  return version;
}

// The data and type of the "path" line in reg's answer with its line breaks
// removed: "<key>    Path    REG_EXPAND_SZ    <data>".  False when there is
// no such line.
bool ReadPathQuery(const std::string& output, std::string* value, std::string* type) {
  const std::string marker = "    path    ";
  for (std::size_t at = runtime::FindIgnoreCase(output, marker); at != std::string::npos;
       at = runtime::FindIgnoreCase(output, marker, at + 1)) {
    std::size_t type_start = at + marker.size();
    if (runtime::FindIgnoreCase(output.substr(type_start, 4), "REG_") != 0) continue;
    std::size_t type_end = output.find("    ", type_start);
    *type = runtime::ToUpper(output.substr(type_start, type_end == std::string::npos ? std::string::npos
                                                                                    : type_end - type_start));
    *value = type_end == std::string::npos ? "" : output.substr(type_end + 4);
    return true;
  }
  return false;
}

std::string TrimControls(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

std::string Message(int number) {
  return number >= 0 && number < static_cast<int>(messages.size()) ? messages[number] : "";
}

}  // namespace

void RegisterMinGW() {
  std::unique_ptr<tregkey> svn = OpenRegKey(kSvnAppPathKey);
  LogLine("");
  LogLine(std::string(43, '-'));
  if (svn) {
    svnBinFolder = svn->getstring("path") + "\\bin";
    svn->close();
    LogLine("Subverion installed : " + svnBinFolder);
  } else {
    LogLine("Subverion NOT installed - Failed");
  }

  std::unique_ptr<tregkey> mingw = OpenRegKey(kMinGWUninstallKey);
  std::string location = mingw ? mingw->getstring("InstallLocation") : "";
  if (mingw) mingw->close();
  if (location.empty()) {
    // An entry without a location would put "\bin" on the PATH.
    LogLine("Mingw installation path - not found!");
    return;
  }
  mingwFolder = location;

  LogLine("Add MINGW to path...<" + mingwFolder + ">");
  AddOutputLine("Add MinGW to path...");
  AddToSystemPath(mingwFolder + "\\bin");

  LogLine("Ok...");
  LogLine("Copying folder....");
  AddOutputLine("Copying Mingw folder...");
  LogLine("MinGW Path <" + mingwFolder + ">");
  std::string gcc_folder = mingwFolder + "\\libexec\\gcc\\mingw32";
  std::string version = GccVersionFolder(gcc_folder);
  int copied = 0;
  if (version.empty()) {
    LogLine("No gcc version folder in <" + gcc_folder + "> - nothing copied");
  } else {
    copied = CopyFolderContents(gcc_folder + "\\" + version, mingwFolder + "\\bin");
  }
  AddOutputLine("Copy folder <" + version + ">" + std::to_string(copied));

  std::unique_ptr<tregkey> environment = CreateRegKey(kUserEnvironmentKey);
  LogLine("Registrazione variabile MINGW - <" + mingwFolder + ">");
  std::string output =
      RunCommand("reg.exe add HKCU\\Environment /v MINGW /t reg_sz /d " + runtime::QuoteArgument(mingwFolder) + " /f");
  LogLine("reg.exe add HKCU\\Environment /v MINGW /t reg_sz /d " + mingwFolder + " /f  ===" + output);
}

void AddToSystemPath(const std::string& folder) {
  const std::string key = runtime::QuoteArgument(kMachineEnvironmentKey);
  std::string output = RunCommand("reg.exe query " + key + " /v path");
  if (output == kCommandStopped) {
    LogLine("PATH query stopped - PATH unchanged");
    return;
  }
  std::string current, type = "REG_SZ";
  if (!output.empty() && !ReadPathQuery(output, &current, &type)) {
    // Writing after an answer we cannot read could lose the PATH.
    LogLine("PATH query answer not understood <" + output + "> - PATH unchanged");
    return;
  }
  LogLine("Current Path: <" + current + ">");
  if (runtime::ToLower(current).find(runtime::ToLower(folder)) != std::string::npos) {
    LogLine(folder + " already presents.");
    return;
  }
  std::string value = current.empty() ? folder : current + (current.back() == ';' ? "" : ";") + folder;
  RunCommand("reg.exe add " + key + " /v path /t " + type + " /d " + runtime::QuoteArgument(value) + " /f");
}

std::string HeaderVersion(const std::string& bin_folder, const std::string& key, const std::string& header_name) {
  std::string base = bin_folder;
  std::size_t bin = base.rfind("\\bin");
  if (bin != std::string::npos) base.erase(bin, 4);
  std::optional<std::string> bytes = runtime::Fs().ReadFile(base + "\\include\\" + header_name);
  if (!bytes) return header_name + " Not found.";
  for (const std::string& line : runtime::ReadLines(*bytes)) {
    std::size_t at = line.find(key);
    if (at != std::string::npos) return line.substr(at + key.size());
  }
  return "";
}

void SetToolOutputLimit(int milliseconds) { g_tool_limit_ms = milliseconds; }

std::string ToolOutput(const std::string& command_line, int mode) {
  std::unique_ptr<runtime::Process> tool = runtime::StartProcess(command_line);
  if (!tool) return "";
  const std::int64_t give_up = runtime::Clk().MonotonicMs() + g_tool_limit_ms;
  std::string bytes;
  char chunk[4096];
  while (true) {
    long long n;
    while ((n = tool->ReadOutput(chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<std::size_t>(n));
    if (!tool->Running()) {
      while ((n = tool->ReadOutput(chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<std::size_t>(n));
      break;
    }
    if (runtime::Clk().MonotonicMs() >= give_up) {
      LogLine("Tool still running after " + std::to_string(g_tool_limit_ms / 1000) + " s, stopped: <" +
              command_line + ">");
      tool->Terminate();
      break;
    }
    tool->WaitForOutput(10);
  }
  std::string text = runtime::ToolTextToUtf8(bytes);
  if (mode != -1) return text;
  return TrimControls(text.substr(0, text.find('\n')));
}

std::string SubversionServer() { return std::string("http://") + CORVANE_SVN_HOST + ":81"; }

std::vector<std::string> VersionReportLines() {
  std::vector<std::string> lines(kReportLines);
  std::string mingw = runtime::GetEnv("MINGW");
  std::string bin = mingw + "\\bin\\";
  lines[0] = "MinGW    = \t" + HeaderVersion(bin, "#define __MINGW32_VERSION ", "_mingw.h");
  lines[1] = "Win32Api = \t" + HeaderVersion(bin, "#define __W32API_VERSION ", "w32api.h");
  // Without MINGW the tool paths would start at the root folder and name this
  // system's own tools, not MinGW's.
  if (!mingw.empty()) {
    lines[2] = ToolOutput(bin + "ld -v", -1);
    lines[3] = ToolOutput(bin + "gcc --version", -1);
    lines[4] = ToolOutput(bin + "WindRes -V", -1);
    lines[5] = ToolOutput(bin + "g++ --version", -1);
  }
  if (!TARNPATH.empty()) lines[6] = ToolOutput(TARNPATH + "\\bin\\fasm.exe", -1);
  lines[7] = " ";
  if (!TARNPATH.empty()) lines[8] = RunCommand(TARNPATH + "\\bin\\tnc.exe");

  if (SVNPATH.empty()) return lines;
  bool orbel = runtime::Fs().Kind(SVNPATH + "/mod/orbel.mod") == runtime::kFolder;
  lines[9] = " ";
  lines[10] = "Tarnic (SubVersion)";
  lines[11] = " ";
  LogLine("Controlla versione remota...");
  lines[12] = ToolOutput("svn info " + SVNPATH, 0);
  g_compiler_banner = lines[8];
  if (orbel) {
    lines[13] = "Orbel";
    lines[14] = " ";
    lines[15] = ToolOutput("svn info " + SVNPATH + "/mod/orbel.mod", 0);
    lines[16] = " ";
  }
  lines[17] = "Tarnic (SVN remote server)";
  lines[18] = " ";
  if (mainApp) mainApp->Pause();
  lines[19] = ToolOutput("svn info " + SubversionServer() + "/svn/tarnic", 0);
  if (orbel) {
    lines[20] = "Orbel (SVN remote server)";
    lines[21] = ToolOutput("svn info " + SubversionServer() + "/svn/orbel", 0);
  }
  if (mainApp) mainApp->Resume();
  return lines;
}

void ShowVersionInfo() {
  std::vector<std::string> lines = VersionReportLines();
  if (!mainApp) {
    LogLine("Version info: no main window to show it in");
    return;
  }
  mainApp->UserRequest(Message(kVersionInfoTitle), lines, kReportWidth);
  mainApp->SetMessage("Corvane v. " + programVersion + kStatusCredit + " - (" + runtime::SystemName() + ") " +
                      g_compiler_banner);
}

void ResetMinGWSetup() {
  svnBinFolder.clear();
  mingwFolder.clear();
  g_compiler_banner.clear();
  g_tool_limit_ms = 60000;
}

}  // namespace corvane
