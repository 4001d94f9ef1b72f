#include "engine/download_run.h"

#include "catalogue/package_check.h"

#include "log/activity_log.h"
#include "net/http_client.h"

namespace corvane {

namespace {
constexpr int kTriesPerUrl = 3;  // a URL is left after more than this many failed tries
constexpr int kChunkSize = 128;
}  // namespace

void DownloadRun::Start(std::vector<ProgramPtr> queue) {
  queue_ = std::move(queue);
  downloading = 1;
  downloadIndex = 1;
  downloadCount = int(queue_.size());
  tryCount = 0;
  lastUrlTried_ = false;
  currentProgram = queue_.empty() ? nullptr : queue_.front();
  observer_->RunStarted(downloadCount);
  observer_->FileStarted(downloadIndex, downloadCount, currentProgram.get());
  // Nothing to fetch: end now rather than step on a record that is not there.
  if (!currentProgram) Finish();
}

void DownloadRun::NextRecord(bool show_url) {
  ++downloadIndex;
  tryCount = 0;
  lastUrlTried_ = false;
  if (downloadIndex - 1 < downloadCount && downloadIndex - 1 < int(queue_.size())) {
    currentProgram = queue_[downloadIndex - 1];
    observer_->FileStarted(downloadIndex, downloadCount, currentProgram.get());
    if (show_url && currentProgram) observer_->UrlChanged(currentProgram->url);
  } else {
    Finish();
  }
}

// A size query or a transfer of the current URL failed (again): count it,
// and after too many move on to the next URL or give the record up.  A
// mirror that tells the size but never delivers the file is left this way
// like one that tells nothing.
void DownloadRun::TryFailed() {
  observer_->TryFailed();
  ++tryCount;
  if (tryCount <= kTriesPerUrl) return;
  tprogram& record = *currentProgram;
  const int urls = int(record.urls.size());
  if (urls > 1 && !(endAtLastUrl_ && lastUrlTried_)) {
    tryCount = 0;
    if (record.what_url < urls - 1) {
      ++record.what_url;
      record.url = record.urls[record.what_url];
    }
    if (record.what_url >= urls - 1) lastUrlTried_ = true;
    LogLine("Change URL...<" + record.url + ">");
    observer_->UrlChanged(record.url);
  } else {
    LogLine(kGiveUpText);
    observer_->GaveUp(record);
    tryCount = 0;
    NextRecord(true);
  }
}

bool DownloadRun::Step() {
  if (downloading != 1) return false;
  if (!currentProgram) {
    Finish();
    return false;
  }
  if (const std::string refusal = PackageRefusal(*currentProgram); !refusal.empty()) {
    LogLine("Download refused - " + currentProgram->fullname + ": " + refusal);
    observer_->Refused(*currentProgram, refusal);
    NextRecord(true);
    return false;
  }
  const long long size = FileSizeRemote(ResolveLocation(currentProgram->url));
  if (size <= 0) {
    observer_->SizeUnknown(tryCount + 1);
    TryFailed();
    return false;
  }
  observer_->SizeKnown(size, currentProgram->url);
  DownloadObserver* observer = observer_;
  // Bytes that are not the package fail like any broken transfer, so the
  // mirror rule moves on from a URL that serves something else.
  BodyCheck check;
  check.expected_sha256 = ExpectedSha256(*currentProgram);
  Resume resume;
  resume.started = [observer](long long kept, long long total) { observer->TransferStarted(kept, total); };
  const int result = DownloadFile(ResolveLocation(currentProgram->url), "",
                                  [observer](float fraction) { observer->Progress(fraction); }, kChunkSize,
                                  &check, &resume);
  if (result == 1) {
    observer_->FileDone(downloadIndex, downloadCount, *currentProgram);
    currentProgram = nullptr;
    NextRecord(false);
  } else {
    TryFailed();
  }
  return true;
}

void DownloadRun::Finish() {
  downloading = 0;
  observer_->RunFinished();
}

void DownloadRun::Stop() {
  downloading = 0;
  observer_->RunStopped();
}

void DownloadRun::Reset() {
  downloading = downloadCount = downloadIndex = tryCount = 0;
  currentProgram.reset();
  queue_.clear();
  lastUrlTried_ = false;
}

}  // namespace corvane
