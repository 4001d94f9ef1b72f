// What the command line shows while the engine works: one redrawn progress
// line per file on a terminal (speed and time left over the last few
// seconds), plain lines otherwise (a progress line every ten seconds of a
// long transfer), and the lines of an installation; and the texts it prints
// (JSON strings, sizes, the bar).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/download_run.h"
#include "engine/transfer_rate.h"
#include "install/install_engine.h"

namespace corvane::app {

// "a\"b\n" -> "\"a\\\"b\\n\"": a JSON string of UTF-8 text.
std::string JsonString(const std::string& text);

// Percent, bytes, speed and time left: "45% 1.0 MB/2.0 MB 1.2 MB/s 0:01 left".
// A speed below 0 is left out, and a time left below 0 shows as "--:--".
std::string ProgressFigures(long long received, long long total, double bytes_per_second,
                            long long seconds_left);
// One progress line: name, a bar of width cells and the figures.
std::string ProgressLine(const std::string& name, long long received, long long total,
                         double bytes_per_second, long long seconds_left, int width);

// Thrown out of a transfer when Ctrl-C was pressed.
struct TransferInterrupted {};

// The engine's runs as the command line shows them.
class CliReporter : public DownloadObserver, public InstallObserver {
 public:
  struct Settings {
    bool terminal = false;    // redraw one progress line in place
    bool quiet = false;       // errors only
    bool yes = false;         // every question answered yes
    bool askable = false;     // questions may be asked on the terminal
    int columns = 80;
  };
  CliReporter(std::ostream& out, std::ostream& err, std::istream& in, Settings settings)
      : out_(out), err_(err), in_(in), settings_(settings) {}

  // Downloads.
  void FileStarted(int index, int count, const tprogram* record) override;
  void SizeKnown(long long bytes, const std::string& url) override;
  void SizeUnknown(int try_number) override;
  void TryFailed() override;
  void Progress(float fraction) override;
  void UrlChanged(const std::string& url) override;
  void GaveUp(const tprogram& record) override;
  void Refused(const tprogram& record, const std::string& reason) override;
  void FileDone(int index, int count, const tprogram& record) override;

  // Installation.
  void NoTarget() override;
  void InstallLine(const std::string& text) override;
  bool StopWanted() override;
  bool AcceptMessage(const tprogram& record) override;
  bool AllowInstaller(const tprogram& record) override;
  void RestartWanted() override;
  void PackageRefused(const tprogram& record) override;

  // Asks a yes/no question (yes with --yes; no when it may not be asked).
  bool Ask(const std::string& question);

  const std::vector<std::string>& failed() const { return failed_; }
  void Failed(const std::string& id) { failed_.push_back(id); }
  bool restartWanted() const { return restart_; }
  // How many of the failed items were refused for trust reasons.
  std::size_t trustRefusals() const { return trustRefusals_; }
  // Ends a progress line left open.
  void EndLine();

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
  Settings settings_;
  std::string name_;  // identifier of the file in hand
  long long total_ = 0;
  TransferRate rate_;
  std::int64_t drawnMs_ = 0;  // when the terminal line, or the last plain progress line, was written
  bool endDrawn_ = false;     // the terminal line has been drawn at 100%
  bool lineOpen_ = false;
  std::size_t trustRefusals_ = 0;
  bool restart_ = false;
  std::vector<std::string> failed_;
};

}  // namespace corvane::app
