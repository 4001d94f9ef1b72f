// The Download page's download run: the engine's run (engine/download_run.h)
// over downloadQueue, with the page as its observer writing the labels,
// progress bars and buttons.  The main loop advances it by one step after
// every event (the loop's timer keeps it moving while the user does nothing),
// so the window stays responsive and STOP is seen between steps.  While a
// file comes in, the size label adds its speed and time left.
#pragma once

#include "engine/download_run.h"

namespace corvane {

extern DownloadRun wizardRun;
// The names the rest of the program and the tests use.
inline int& downloading = wizardRun.downloading;
inline int& downloadCount = wizardRun.downloadCount;
inline int& downloadIndex = wizardRun.downloadIndex;
inline ProgramPtr& currentProgram = wizardRun.currentProgram;
inline int& tryCount = wizardRun.tryCount;

// "Download now!": starts a run at the first record of downloadQueue (the
// run keeps the queue it started with).
// With an empty queue the run ends at once with "All files downloaded!".
void StartDownloadRun();

// One step of an active run.  Returns true when the step attempted a file
// transfer (whatever its outcome); false otherwise, and when no run is active.
bool DownloadStep();

// Ends a run that has passed its last record: "All files downloaded!", the
// page's buttons enabled again and STOP disabled.
void FinishDownloadRun();

// "STOP!": ends the run between two steps; the labels keep their texts, and
// the next run starts again from the first record.
void StopDownloadRun();

// Progress of the file being transferred (received / total): moves the file
// progress bar, lets the toolkit fetch the window's messages when the queue
// is empty (at most every HttpLimits::message_interval_ms, since it is called
// once per 128-byte chunk), and takes one waiting event off the queue and
// drops it, as a transfer in hand cannot be interrupted.
void DownloadProgress(float fraction);

// Texts of the size label.
std::string KnownSizeText(long long bytes);
// While the file comes in: KnownSizeText + " - 1.2 MB/s - 0:34 left".  The
// speed part only for a speed of 0 or more; the time part only for a time of
// 0 up to kLongestTimeLeft (an estimate beyond says nothing and would crowd
// the label).
inline constexpr long long kLongestTimeLeft = 100LL * 3600 - 1;
std::string SizeWithSpeedText(long long bytes, double bytes_per_second, long long seconds_left);
std::string UnknownSizeText(int try_number);

void ResetDownloadRun();

}  // namespace corvane
