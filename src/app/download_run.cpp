#include "app/download_run.h"

#include <chrono>
#include <optional>
#include <string>

#include "app/download_page.h"
#include "app/page_preparation.h"
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

void SetText(tk::Gadget* gadget, const std::string& text) {
  if (gadget) gadget->SetText(text);
}
void Enable(tk::Gadget* gadget) {
  if (gadget) gadget->Enable();
}
void Disable(tk::Gadget* gadget) {
  if (gadget) gadget->Disable();
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
    SetText(downloadSizeLabel, KnownSizeText(bytes));
    SetText(urlLabel, url);
  }
  void SizeUnknown(int try_number) override { SetText(downloadSizeLabel, UnknownSizeText(try_number)); }
  // A failure the user can mend (an HTTPS certificate, say) is shown with the
  // run's other lines; the client has logged it already.
  void TryFailed() override {
    const std::string problem = TakeConnectionProblem();
    if (!problem.empty()) AddOutputLine(problem);
  }
  void Progress(float fraction) override { DownloadProgress(fraction); }
  void UrlChanged(const std::string& url) override { SetText(urlLabel, url); }
  void GaveUp(const tprogram&) override { AddOutputLine(DownloadRun::kGiveUpText); }
  void Refused(const tprogram& record, const std::string& reason) override {
    AddOutputLine(record.fullname + ": " + reason);
  }
  void FileDone(int index, int count, const tprogram&) override {
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
  wizardRun.Reset();
}

}  // namespace corvane
