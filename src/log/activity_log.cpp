#include "log/activity_log.h"

#include <iostream>
#include <string>

#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/memory_stats.h"
#include "runtime/text.h"

namespace corvane {

std::string logFileName;
int logEnabled = 0;

namespace {

std::ostream* echo = &std::cout;

const char kLogFolder[] = "dati";

// Lines held by the open batches, and how many batches are open.
int batch_depth = 0;
std::string held_file;
std::string held_echo;
constexpr std::size_t kHeldLimit = 1 << 18;

void WriteHeld() {
  if (!held_file.empty()) runtime::Fs().AppendFile(logFileName, held_file);
  if (echo && !held_echo.empty()) *echo << held_echo << std::flush;
  held_file.clear();
  held_echo.clear();
}

std::string DatedLogName() {
  return std::string(kLogFolder) + "/" + runtime::FormatDate(runtime::Clk().Now()) + "_log.txt";
}

// The two informational memory lines shared by the opening and closing blocks.
void LogMemoryFigures() {
  runtime::MemoryFigures figures = runtime::ReleaseFreeMemory();
  LogLine("Free memory: GC COLLECT " + std::to_string(figures.released));
  LogLine("GCMemAlloced            " + std::to_string(figures.in_use));
}

}  // namespace

namespace {

void StartLog(const std::string& name, bool fresh) {
  WriteHeld();  // lines held for the previous file go to it
  std::string file = name;
  if (file.empty()) {
    runtime::Fs().CreateFolder(kLogFolder);
    file = DatedLogName();
  }
  logFileName = file;
  // A second start on the same day begins that day's file afresh.  When the
  // file cannot be created, each line tries again and the echo still works.
  if (fresh) runtime::Fs().WriteFile(logFileName, "");
  logEnabled = 1;

  runtime::LocalTime now = runtime::Clk().Now();
  LogLine("LOG NAME: <" + file + ">");
  LogLine("LOG FILE: " + runtime::FormatDate(now) + " - " + runtime::FormatTime(now));
  LogLine(std::string(46, '-'));
  LogMemoryFigures();
  LogLine(" ");
}

}  // namespace

void OpenLog(const std::string& name) { StartLog(name, true); }
void AppendToLog(const std::string& name) { StartLog(name, false); }
void SetLogEcho(std::ostream* stream) { echo = stream; }

void LogLine(const std::string& text) {
  if (logEnabled == 0) return;
  static const std::string kRule(78, '-');
  const std::string& line = text == "*-" ? kRule : text;
  const std::string stamp = runtime::FormatTime(runtime::Clk().Now());
  if (batch_depth > 0) {
    // The stamp is ASCII: only the text needs encoding.
    held_file += stamp;
    held_file += " : ";
    held_file += runtime::EncodeLatin1(line);
    held_file += "\r\n";
    held_echo += line;
    held_echo += '\n';
    if (held_file.size() + held_echo.size() > kHeldLimit) WriteHeld();
    return;
  }
  // AppendFile creates the file when it is missing and closes it again.
  runtime::Fs().AppendFile(logFileName, runtime::WriteLine(stamp + " : " + line));
  if (echo) *echo << line << std::endl;
}

void EnableLog() {
  logEnabled = 1;
  LogLine("Log: Enabled");
}

void DisableLog() {
  LogLine("Log: Disabled");
  logEnabled = 0;
}

void LogEndOfProgram() {
  if (logEnabled == 0) return;
  LogMemoryFigures();
  const std::string rule(31, '-');
  LogLine(rule);
  LogLine(runtime::FormatTime(runtime::Clk().Now()) + " End of Program");
  LogLine(rule);
}

LogBatch::LogBatch() { ++batch_depth; }

LogBatch::~LogBatch() {
  if (--batch_depth == 0) WriteHeld();
}

void ResetLog() {
  WriteHeld();
  logEnabled = 0;
  echo = &std::cout;
  logFileName.clear();
}

}  // namespace corvane
