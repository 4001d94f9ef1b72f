#include "app/download_run.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/download_page.h"
#include "app/page_preparation.h"
#include "catalogue/package_check.h"
#include "install/command_runner.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "settings/messages.h"
#include "toolkit/toolkit.h"

namespace corvane {

int downloading = 0;
int downloadCount = 0;
int downloadIndex = 0;
ProgramPtr currentProgram;
int tryCount = 0;

namespace {

// The records of the run, fixed when it starts: ticks changed meanwhile
// rebuild downloadQueue for the next run, never this one.
std::vector<ProgramPtr> runQueue;

constexpr int kTriesPerUrl = 3;  // a URL is left after more than this many failed tries
constexpr int kChunkSize = 128;
constexpr const char* kGiveUpText = "Tried 3 times! No way....";

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

std::string Position() {
  return std::to_string(downloadIndex) + "/" + std::to_string(downloadCount);
}

void ShowPosition() {
  SetText(downloadStatusLabel, messages[65] + " " + Position());
  SetText(downloadTotalLabel, messages[57] + " " + Position());
}

void ShowCurrentFile() { SetText(downloadFileLabel, "File " + (currentProgram ? currentProgram->fullname : "")); }

// Moves to the next record of the queue, or ends the run after the last.
void NextRecord(bool show_url) {
  ++downloadIndex;
  tryCount = 0;
  if (downloadIndex - 1 < downloadCount && downloadIndex - 1 < int(runQueue.size())) {
    currentProgram = runQueue[downloadIndex - 1];
    ShowPosition();
    ShowCurrentFile();
    if (show_url && currentProgram) SetText(urlLabel, currentProgram->url);
  } else {
    FinishDownloadRun();
  }
}

// A size query or a transfer of the current URL failed (again): count it,
// and after too many move on to the next URL or give the record up.  A
// mirror that tells the size but never delivers the file is left this way
// like one that tells nothing.
void TryFailed() {
  ++tryCount;
  if (tryCount <= kTriesPerUrl) return;
  const int urls = int(currentProgram->urls.size());
  if (urls > 1) {
    tryCount = 0;
    if (currentProgram->what_url < urls - 1) {
      ++currentProgram->what_url;
      currentProgram->url = currentProgram->urls[currentProgram->what_url];
    }
    LogLine("Change URL...<" + currentProgram->url + ">");
    SetText(urlLabel, currentProgram->url);
  } else {
    LogLine(kGiveUpText);
    AddOutputLine(kGiveUpText);
    tryCount = 0;
    NextRecord(true);
  }
}

// A package the catalogue does not let us check is never fetched.
bool RefusedByCatalogue() {
  const std::string refusal = PackageRefusal(*currentProgram);
  if (refusal.empty()) return false;
  const std::string line = currentProgram->fullname + ": " + refusal;
  LogLine("Download refused - " + line);
  AddOutputLine(line);
  NextRecord(true);
  return true;
}

}  // namespace

std::string KnownSizeText(long long bytes) {
  return messages[58] + " " + std::to_string(bytes / 1024) + " Kb";
}

std::string UnknownSizeText(int try_number) {
  return messages[59] + " " + std::to_string(try_number);
}

void StartDownloadRun() {
  Disable(downloadButton);
  Enable(downloadStopButton);
  downloading = 1;
  downloadIndex = 1;
  runQueue = downloadQueue;
  downloadCount = int(runQueue.size());
  tryCount = 0;
  ShowPosition();
  currentProgram = runQueue.empty() ? nullptr : runQueue.front();
  ShowCurrentFile();
  Disable(downloadBackButton);
  Disable(goToInstallButton);
  // Nothing to fetch: end now rather than step on a record that is not there.
  if (!currentProgram) FinishDownloadRun();
}

bool DownloadStep() {
  if (downloading != 1) return false;
  if (!currentProgram) {
    FinishDownloadRun();
    return false;
  }
  if (RefusedByCatalogue()) return false;
  const long long size = FileSizeRemote(ResolveLocation(currentProgram->url));
  if (size <= 0) {
    SetText(downloadSizeLabel, UnknownSizeText(tryCount + 1));
    TryFailed();
    return false;
  }
  SetText(downloadSizeLabel, KnownSizeText(size));
  SetText(urlLabel, currentProgram->url);
  // Bytes that are not the package fail like any broken transfer, so the
  // mirror rule moves on from a URL that serves something else.
  BodyCheck check{ExpectedSha256(*currentProgram)};
  const int result = DownloadFile(ResolveLocation(currentProgram->url), "", &DownloadProgress, kChunkSize, &check);
  if (result == 1) {
    if (overallProgress && downloadCount > 0) {
      overallProgress->SetProgress(double(downloadIndex) / double(downloadCount));
    }
    currentProgram = nullptr;
    NextRecord(false);
  } else {
    TryFailed();
  }
  return true;
}

void FinishDownloadRun() {
  downloading = 0;
  runQueue.clear();
  SetText(downloadStatusLabel, messages[90]);
  SetText(downloadFileLabel, "");
  SetText(downloadButton, messages[62]);
  Enable(goToInstallButton);
  Enable(downloadBackButton);
  Enable(downloadButton);
  Disable(downloadStopButton);
}

void StopDownloadRun() {
  Disable(downloadStopButton);
  Enable(downloadButton);
  Enable(goToInstallButton);
  Enable(downloadBackButton);
  downloading = 0;
  tk::Print(" S T O P ! ! ! !");
}

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
  downloading = 0;
  downloadCount = 0;
  downloadIndex = 0;
  currentProgram.reset();
  runQueue.clear();
  tryCount = 0;
}

}  // namespace corvane
