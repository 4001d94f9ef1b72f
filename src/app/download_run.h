// The download run: fetches every program of downloadQueue into "download",
// one file after the other.  It is a small state machine that the main loop
// advances by one step after every event (the loop's timer keeps it moving
// while the user does nothing), so the window stays responsive and STOP is
// seen between steps.
//
// Each step asks the current file's size.  A size above 0 leads straight to
// the transfer in the same step.  A failed size query and a failed transfer
// each count as a failed try of the URL: after four, the next of the file's
// alternative URLs is taken (the last one keeps being tried in series of four
// until STOP); a file with a single URL is given up after its fourth failed
// try.  The run fetches the queue as it was when it started.
#pragma once

#include "catalogue/tprogram.h"

namespace corvane {

extern int downloading;        // 1 while a run is active
extern int downloadCount;      // records in downloadQueue when the run started
extern int downloadIndex;      // 1-based position of currentProgram
extern ProgramPtr currentProgram;  // record being fetched; null after the last success
extern int tryCount;           // failed tries (size query or transfer) of currentProgram in a row

// "Download now!": starts a run at the first record of downloadQueue (of a
// copy of it: the run keeps the records it started with).
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
std::string UnknownSizeText(int try_number);

void ResetDownloadRun();

}  // namespace corvane
