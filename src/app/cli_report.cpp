#include "app/cli_report.h"

#include <algorithm>
#include <cstdio>
#include <istream>
#include <ostream>

#include "net/connection_problem.h"
#include "runtime/clock.h"
#include "runtime/terminal.h"

namespace corvane::app {

namespace {

// A terminal line is redrawn at most this often: a file comes in 128-byte
// chunks, and drawing each would cost more than receiving it.
constexpr std::int64_t kRedrawGapMs = 100;
// Without a terminal (a log, a pipe) a long transfer gets a line this often,
// a short one none.
constexpr std::int64_t kPlainGapMs = 10000;

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

std::string ProgressFigures(long long received, long long total, double bytes_per_second,
                            long long seconds_left) {
  if (total > 0 && received > total) received = total;
  const double fraction = total > 0 ? double(received) / double(total) : 0.0;
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  std::string figures = percent;
  figures += " " + ByteText(received) + "/" + ByteText(total);
  if (bytes_per_second >= 0) figures += " " + SpeedText(bytes_per_second);
  return figures + " " + (seconds_left >= 0 ? DurationText(seconds_left) : "--:--") + " left";
}

std::string ProgressLine(const std::string& name, long long received, long long total,
                         double bytes_per_second, long long seconds_left, int width) {
  const double fraction = total > 0 ? double(std::min(received, total)) / double(total) : 0.0;
  const int cells = width > 0 ? width : 0;
  const int full = static_cast<int>(fraction * cells);
  return name + " [" + std::string(full, '#') + std::string(cells - full, '-') + "] " +
         ProgressFigures(received, total, bytes_per_second, seconds_left);
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
  rate_.Start(bytes);
  drawnMs_ = runtime::Clk().MonotonicMs();
  endDrawn_ = false;
  if (settings_.quiet) return;
  if (settings_.terminal) {
    out_ << "\r" << ProgressLine(name_, 0, total_, -1, -1, 20) << std::flush;
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
  if (settings_.quiet) return;
  const std::int64_t now = runtime::Clk().MonotonicMs();
  const long long received = std::min(total_, static_cast<long long>(double(fraction) * double(total_)));
  rate_.Sample(now, received);
  if (!settings_.terminal) {
    if (now - drawnMs_ < kPlainGapMs || rate_.BytesPerSecond() < 0 || fraction >= 1.0f) return;
    drawnMs_ = now;
    out_ << name_ << ": " << ProgressFigures(received, total_, rate_.BytesPerSecond(), rate_.SecondsLeft())
         << "\n" << std::flush;
    return;
  }
  // The end is drawn at once, but only once: the fraction counts whole
  // chunks, so it can reach 1 while the last bytes still come in.
  if (now - drawnMs_ < kRedrawGapMs && (fraction < 1.0f || endDrawn_)) return;
  drawnMs_ = now;
  endDrawn_ = fraction >= 1.0f;
  const int bar = settings_.columns > 70 ? 20 : 10;
  std::string line = ProgressLine(name_, received, total_, rate_.BytesPerSecond(), rate_.SecondsLeft(), bar);
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
