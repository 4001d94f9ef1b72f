#include "app/download_run.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "app/download_page.h"
#include "app/page_preparation.h"
#include "engine/transfer_rate.h"
#include "install/command_runner.h"
#include "net/connection_problem.h"
#include "net/http_client.h"
#include "settings/messages.h"
#include "toolkit/toolkit.h"

namespace corvane {

namespace {

// When DownloadProgress last let the toolkit fetch the window's messages,
// and its calls since it last read the clock.
std::optional<std::chrono::steady_clock::time_point> lastMessagePass;
int callsSinceClockCheck = 0;
constexpr int kCallsPerClockCheck = 8;

// The size label while a file comes in: its size text, then " - 1.2 MB/s -
// 0:34 left" once enough has been measured, refreshed once a second so the
// figures can be read.  Time comes from the toolkit's clock, which tests
// move by hand.
struct SpeedShown {
  std::string sizeText;  // the label's text without speed; empty while no transfer is in hand
  long long total = 0;
  TransferRate rate;
  int calls = 0;
  std::int64_t shownMs = 0;
};
SpeedShown speedShown;
constexpr std::int64_t kSpeedRefreshMs = 1000;
constexpr std::size_t kTimeLeftMessage = 89;  // "left", after the time left

void SetText(tk::Gadget* gadget, const std::string& text) {
  if (gadget) gadget->SetText(text);
}
void Enable(tk::Gadget* gadget) {
  if (gadget) gadget->Enable();
}
void Disable(tk::Gadget* gadget) {
  if (gadget) gadget->Disable();
}

void StartSpeed(long long total) {
  speedShown.sizeText = KnownSizeText(total);
  speedShown.total = total;
  speedShown.rate.Start(total);
  speedShown.calls = 0;
  speedShown.shownMs = tk::Millisecs();
}

// The transfer in hand ended: the label goes back to the size alone.
void EndSpeed() {
  if (speedShown.sizeText.empty()) return;
  SetText(downloadSizeLabel, speedShown.sizeText);
  speedShown.sizeText.clear();
}

// The clock is read on every kCallsPerClockCheck-th chunk only, as in
// DownloadProgress; the first chunk sets where the count starts.
void ShowSpeed(float fraction) {
  SpeedShown& s = speedShown;
  if (s.sizeText.empty() || s.calls++ % kCallsPerClockCheck != 0) return;
  const std::int64_t now = tk::Millisecs();
  s.rate.Sample(now, std::min(s.total, static_cast<long long>(double(fraction) * double(s.total))));
  if (now - s.shownMs < kSpeedRefreshMs) return;
  s.shownMs = now;
  SetText(downloadSizeLabel, SizeWithSpeedText(s.total, s.rate.BytesPerSecond(), s.rate.SecondsLeft()));
}

// The Download page as the observer of its run.
class DownloadPageObserver : public DownloadObserver {
 public:
  void RunStarted(int) override {
    Disable(downloadButton);
    Enable(downloadStopButton);
    Disable(downloadBackButton);
    Disable(goToInstallButton);
  }
  void FileStarted(int index, int count, const tprogram* record) override {
    const std::string position = std::to_string(index) + "/" + std::to_string(count);
    SetText(downloadStatusLabel, messages[65] + " " + position);
    SetText(downloadTotalLabel, messages[57] + " " + position);
    SetText(downloadFileLabel, "File " + (record ? record->fullname : ""));
  }
  void SizeKnown(long long bytes, const std::string& url) override {
    StartSpeed(bytes);
    SetText(downloadSizeLabel, speedShown.sizeText);
    SetText(urlLabel, url);
  }
  void SizeUnknown(int try_number) override {
    speedShown.sizeText.clear();
    SetText(downloadSizeLabel, UnknownSizeText(try_number));
  }
  // A failure the user can mend (an HTTPS certificate, say) is shown with the
  // run's other lines; the client has logged it already.
  void TryFailed() override {
    EndSpeed();
    const std::string problem = TakeConnectionProblem();
    if (!problem.empty()) AddOutputLine(problem);
  }
  void Progress(float fraction) override {
    ShowSpeed(fraction);
    DownloadProgress(fraction);
  }
  void UrlChanged(const std::string& url) override { SetText(urlLabel, url); }
  void GaveUp(const tprogram&) override { AddOutputLine(DownloadRun::kGiveUpText); }
  void Refused(const tprogram& record, const std::string& reason) override {
    AddOutputLine(record.fullname + ": " + reason);
  }
  void FileDone(int index, int count, const tprogram&) override {
    EndSpeed();
    if (overallProgress && count > 0) overallProgress->SetProgress(double(index) / double(count));
  }
  void RunFinished() override {
    SetText(downloadStatusLabel, messages[90]);
    SetText(downloadFileLabel, "");
    SetText(downloadButton, messages[62]);
    Enable(goToInstallButton);
    Enable(downloadBackButton);
    Enable(downloadButton);
    Disable(downloadStopButton);
  }
  void RunStopped() override {
    Disable(downloadStopButton);
    Enable(downloadButton);
    Enable(goToInstallButton);
    Enable(downloadBackButton);
    tk::Print(" S T O P ! ! ! !");
  }
};

DownloadPageObserver pageObserver;

}  // namespace

DownloadRun wizardRun(pageObserver);

std::string KnownSizeText(long long bytes) {
  return messages[58] + " " + std::to_string(bytes / 1024) + " Kb";
}

std::string SizeWithSpeedText(long long bytes, double bytes_per_second, long long seconds_left) {
  std::string text = KnownSizeText(bytes);
  if (bytes_per_second < 0) return text;
  text += " - " + SpeedText(bytes_per_second);
  if (seconds_left < 0 || seconds_left > kLongestTimeLeft) return text;
  // Language files older than this message lack it.
  const std::string& left = messages.size() > kTimeLeftMessage ? messages[kTimeLeftMessage] : "";
  return text + " - " + DurationText(seconds_left) + " " + (left.empty() ? "left" : left);
}

std::string UnknownSizeText(int try_number) {
  return messages[59] + " " + std::to_string(try_number);
}

void StartDownloadRun() { wizardRun.Start(downloadQueue); }

bool DownloadStep() { return wizardRun.Step(); }

void FinishDownloadRun() { wizardRun.Finish(); }

void StopDownloadRun() { wizardRun.Stop(); }

void DownloadProgress(float fraction) {
  if (fileProgress) fileProgress->SetProgress(fraction);
  // Fetching the window system's messages costs far more than a chunk of
  // 128 bytes, and a large file has millions of chunks: they are fetched at
  // most every message_interval_ms.  Even reading the clock costs more than
  // a chunk, so it is read on every kCallsPerClockCheck-th call only: quick
  // chunks make those calls within microseconds, and while data is slow the
  // transfer loop lets the messages be processed as it waits.  A waiting
  // event is still dropped on every call.
  const int interval_ms = GetHttpLimits().message_interval_ms;
  if (tk::QueueLength() == 0 &&
      (interval_ms <= 0 || !lastMessagePass || ++callsSinceClockCheck >= kCallsPerClockCheck)) {
    callsSinceClockCheck = 0;
    const auto now = std::chrono::steady_clock::now();
    if (!lastMessagePass || now - *lastMessagePass >= std::chrono::milliseconds(interval_ms)) {
      lastMessagePass = now;
      tk::ProcessMessages();
    }
  }
  if (tk::QueueLength() > 0) tk::PollEvent();
}

void ResetDownloadRun() {
  lastMessagePass.reset();
  callsSinceClockCheck = 0;
  speedShown = SpeedShown{};
  wizardRun.Reset();
}

}  // namespace corvane
