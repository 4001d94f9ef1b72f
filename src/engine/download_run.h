// The download run: fetches a queue of catalogue records into "download", one
// file after the other, as a small state machine advanced one step at a time.
// The wizard steps it once per main-loop turn, so its window stays alive and
// STOP is seen between steps; the command line steps it to the end.  It
// touches no gadget: everything it does is reported to its observer.
//
// Each step asks the current file's size.  A size above 0 leads straight to
// the transfer in the same step.  A failed size query and a failed transfer
// each count as a failed try of the URL: after four, the next of the file's
// alternative URLs is taken (the last one keeps being tried in series of four
// until STOP, unless the run was told to give up there); a file with a single
// URL is given up after its fourth failed try.  The run fetches the queue as
// it was when it started.  A transfer that breaks keeps its bytes in the
// file's ".part": the next try, on the same URL or a mirror, in this run or
// a later one (after STOP, say), asks only for the rest (net/http_client.h).
#pragma once

#include <string>
#include <vector>

#include "catalogue/tprogram.h"

namespace corvane {

class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;
  // A run starts with count records.
  virtual void RunStarted(int count) {}
  // Record index (1-based) of count is now in hand; null past an empty queue.
  virtual void FileStarted(int index, int count, const tprogram* record) {}
  // The size query answered; the transfer from url starts.
  virtual void SizeKnown(long long bytes, const std::string& url) {}
  // The size query failed for the try_number-th time in a row.
  virtual void SizeUnknown(int try_number) {}
  // A size query or a transfer of the URL in hand failed (counted as a try).
  virtual void TryFailed() {}
  // The transfer in hand begins: kept_bytes of its total are already in the
  // file's ".part" from earlier tries (0 when it starts from zero).
  virtual void TransferStarted(long long kept_bytes, long long total) {}
  // Bytes of the file so far / total, the kept bytes of a resumed transfer
  // included (so bytes received in this transfer are fraction * total -
  // kept_bytes); may pass 1.0 at the end.
  virtual void Progress(float fraction) {}
  // The record in hand is now fetched from url (a mirror change, or the next
  // record after one was given up).
  virtual void UrlChanged(const std::string& url) {}
  // The record in hand could not be had and was left.
  virtual void GaveUp(const tprogram& record) {}
  // The record in hand was refused without a try (the catalogue is signed
  // but the record has no checksum, say) and was left.
  virtual void Refused(const tprogram& record, const std::string& reason) {}
  // Record index of count was transferred whole.
  virtual void FileDone(int index, int count, const tprogram& record) {}
  // The run passed its last record.
  virtual void RunFinished() {}
  // The run was stopped between two steps.
  virtual void RunStopped() {}
};

class DownloadRun {
 public:
  // The text logged and reported when a record is given up.
  static constexpr const char* kGiveUpText = "Tried 3 times! No way....";

  explicit DownloadRun(DownloadObserver& observer) : observer_(&observer) {}

  // Gives up a record once its last URL failed a series of tries, so that a
  // run without anyone to press STOP always ends.
  void EndAtLastUrl(bool on) { endAtLastUrl_ = on; }

  // Starts at the first record of queue (kept as the run's own copy).  With
  // an empty queue the run ends at once.
  void Start(std::vector<ProgramPtr> queue);
  // One step of an active run.  True when the step attempted a transfer
  // (whatever its outcome); false otherwise, and when no run is active.
  bool Step();
  // Ends the run between two steps.
  void Stop();
  // Ends a run that has passed its last record.
  void Finish();
  bool Active() const { return downloading == 1; }
  void Reset();

  int downloading = 0;        // 1 while a run is active
  int downloadCount = 0;      // records in the queue when the run started
  int downloadIndex = 0;      // 1-based position of currentProgram
  ProgramPtr currentProgram;  // record being fetched; null after the last success
  int tryCount = 0;           // failed tries (size query or transfer) of currentProgram in a row

 private:
  void NextRecord(bool show_url);
  void TryFailed();

  DownloadObserver* observer_;
  std::vector<ProgramPtr> queue_;
  bool endAtLastUrl_ = false;
  bool lastUrlTried_ = false;  // currentProgram's last URL has had a series
};

}  // namespace corvane
