// The three steps the main loop runs after every event: the selection
// counters in the page headings, the details of the highlighted program, and
// the page-entry work when another page has been shown.
#pragma once

namespace corvane {

// What the main loop remembers between events.
struct LoopBookkeeping {
  int lastPage = 0;                // page whose entry work ran last (0 Start, 1 Download, 2 Install)
  int lastDownloadSelection = 0;   // ticked rows of programChooser at the last look
  int lastInstallSelection = 0;    // ticked rows of packageChooser at the last look
  int lastCurrentRow = 0;          // row whose details are shown
};
extern LoopBookkeeping loopState;

// Takes the start values: the ticked rows and the highlighted row of
// programChooser as they are now, the rest 0.
void StartLoopBookkeeping();

// When the number of ticked rows of a list changed, its page heading shows
// message 54 (or 70) + " (ticked/rows)"; the Install count also becomes
// packagesToInstall.
void UpdateSelectionLabels();
// Writes both headings with their counts now, changed or not (their texts
// were just replaced by a language switch), and remembers the counts.
void WriteSelectionLabels();

// When programChooser's highlighted row changed and carries a record: the
// author, licence, web link and description show that record.  A row outside
// the list changes nothing; in every case the row is remembered.
void ShowProgramDetails();

// Runs the entry work of the page now shown when it differs from the page
// last entered: PrepareDownloadPage for the Download page; ScanPackages, an
// empty output area and PrepareInstallPage for the Install page.
void EnterPage();

}  // namespace corvane
