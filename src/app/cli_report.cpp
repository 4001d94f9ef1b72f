#include "app/cli_report.h"

#include <algorithm>
#include <cstdio>
#include <istream>
#include <ostream>

#include "net/connection_problem.h"
#include "runtime/terminal.h"

namespace corvane::app {

namespace {

// A terminal line is redrawn at most this often: a file comes in 128-byte
// chunks, and drawing each would cost more than receiving it.
constexpr auto kRedrawGap = std::chrono::milliseconds(100);

std::string Bytes(long long n) {
  char text[32];
  if (n < 1024) std::snprintf(text, sizeof text, "%lld B", n);
  else if (n < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KB", double(n) / 1024);
  else std::snprintf(text, sizeof text, "%.1f MB", double(n) / (1024 * 1024));
  return text;
}

std::string Clock(long long seconds) {
  char text[32];
  if (seconds >= 3600) std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  else std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (c < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          json += code;
        } else {
          json += static_cast<char>(c);
        }
    }
  }
  return json + "\"";
}

std::string ProgressLine(const std::string& name, long long received, long long total, double seconds,
                         int width) {
  if (total > 0 && received > total) received = total;
  const double fraction = total > 0 ? double(received) / double(total) : 0.0;
  const int cells = width > 0 ? width : 0;
  const int full = static_cast<int>(fraction * cells);
  std::string line = name + " [" + std::string(full, '#') + std::string(cells - full, '-') + "] ";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  line += percent;
  line += " " + Bytes(received) + "/" + Bytes(total);
  if (seconds > 0 && received > 0) {
    const double speed = double(received) / seconds;
    line += " " + Bytes(static_cast<long long>(speed)) + "/s " +
            Clock(static_cast<long long>(double(total - received) / speed + 0.5)) + " left";
  } else {
    line += " --:-- left";
  }
  return line;
}

void CliReporter::EndLine() {
  if (!lineOpen_) return;
  out_ << "\n" << std::flush;
  lineOpen_ = false;
}

void CliReporter::FileStarted(int index, int count, const tprogram* record) {
  EndLine();
  name_ = record ? record->name : "";
  if (record && !settings_.quiet)
    out_ << "[" << index << "/" << count << "] " << record->name << " (" << record->fullname << ")\n"
         << std::flush;
}

void CliReporter::SizeKnown(long long bytes, const std::string& url) {
  total_ = bytes;
  started_ = drawn_ = std::chrono::steady_clock::now();
  if (settings_.quiet) return;
  if (settings_.terminal) {
    out_ << "\r" << ProgressLine(name_, 0, total_, 0, 20) << std::flush;
    lineOpen_ = true;
  } else {
    out_ << name_ << ": " << bytes << " bytes from " << url << "\n" << std::flush;
  }
}

void CliReporter::SizeUnknown(int try_number) {
  if (!settings_.quiet) {
    EndLine();
    out_ << name_ << ": size query failed (try " << try_number << ")\n" << std::flush;
  }
}

// A failure the user can mend (an HTTPS certificate, say) is an error line
// even when quiet.
void CliReporter::TryFailed() {
  const std::string problem = TakeConnectionProblem();
  if (problem.empty()) return;
  EndLine();
  err_ << "corvane: " << name_ << ": " << problem << "\n" << std::flush;
}

void CliReporter::Progress(float fraction) {
  // Ctrl-C ends a transfer in hand; the caller removes what it had written.
  if (runtime::Interrupted()) throw TransferInterrupted{};
  if (settings_.quiet || !settings_.terminal) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - drawn_ < kRedrawGap && fraction < 1.0f) return;
  drawn_ = now;
  const long long received = static_cast<long long>(double(fraction) * double(total_));
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const int bar = settings_.columns > 70 ? 20 : 10;
  std::string line = ProgressLine(name_, received, total_, seconds, bar);
  if (static_cast<int>(line.size()) >= settings_.columns) line.resize(std::max(0, settings_.columns - 1));
  out_ << "\r" << line << "\x1b[K" << std::flush;
  lineOpen_ = true;
}

void CliReporter::UrlChanged(const std::string& url) {
  if (settings_.quiet) return;
  EndLine();
  out_ << name_ << ": trying " << url << "\n" << std::flush;
}

void CliReporter::GaveUp(const tprogram& record) {
  EndLine();
  err_ << "corvane: " << record.name << ": could not be downloaded\n" << std::flush;
  failed_.push_back(record.name);
}

void CliReporter::Refused(const tprogram& record, const std::string& reason) {
  EndLine();
  err_ << "corvane: " << record.name << ": " << reason << "\n" << std::flush;
  failed_.push_back(record.name);
  ++trustRefusals_;
}

void CliReporter::PackageRefused(const tprogram& record) {
  failed_.push_back(record.name);
  ++trustRefusals_;
}

void CliReporter::PackageUndone(const tprogram& record, const std::vector<std::string>&) {
  failed_.push_back(record.name);
}

void CliReporter::FileDone(int, int, const tprogram& record) {
  if (settings_.quiet) return;
  EndLine();
  out_ << record.name << ": downloaded\n" << std::flush;
}

void CliReporter::NoTarget() { err_ << "corvane: no Tarnic folder is set (TARNPATH in data/conf.txt)\n"; }

void CliReporter::InstallLine(const std::string& text) {
  if (!settings_.quiet) out_ << text << "\n" << std::flush;
}

bool CliReporter::StopWanted() { return runtime::Interrupted(); }

bool CliReporter::Ask(const std::string& question) {
  if (settings_.yes) return true;
  if (!settings_.askable) return false;
  out_ << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

bool CliReporter::AcceptMessage(const tprogram& record) {
  out_ << record.fullname << ":\n" << record.message << "\n" << std::flush;
  if (Ask("Install " + record.name + "?")) return true;
  failed_.push_back(record.name);
  return false;
}

bool CliReporter::AllowInstaller(const tprogram& record) {
  if (Ask("Run the installer of " + record.name + "?")) return true;
  failed_.push_back(record.name);
  return false;
}

void CliReporter::RestartWanted() {
  restart_ = true;
  out_ << "A restart of the system is wanted to finish the MinGW set-up.\n" << std::flush;
}

}  // namespace corvane::app
