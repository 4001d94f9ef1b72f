// Bringing the catalogue files from the catalogue server (CatalogueBase()) to
// the local folders: the list files into "data" (fetched only while the local
// copy is missing or no catalogue: deleting it is the way to get a newer one), the description
// and info files of every record into "lang" (fetched afresh on every info
// download).  When the server cannot be reached the user is told so and the
// program carries on with what it has.
#pragma once

#include <string>
#include <unordered_set>

#include "catalogue/catalogue_names.h"
#include "catalogue/signed_files.h"
#include "catalogue/tprogram.h"

namespace corvane {

// Makes sure "data/" + ListFileName() exists: when it does not, or does not
// look like a catalogue (LooksLikeCatalogue), downloads it and the English
// list file, logging both results.  A failed download keeps the old file.  When the file is still
// missing afterwards, shows "Unable to connect to the site!" and logs it.
// In strict mode both are fetched every time and stored only when their
// signatures check out.
void FetchProgramList();

// Downloads the description files (the current LANGUAGE's and the English
// one) and the two info files of every record of programList into "lang",
// showing the "Updating...." window with the record in hand and a progress
// bar, with the main window (mainApp, when there is one) disabled meanwhile.
// A record whose description the server lacks (or serves as an HTML page) is
// skipped; one whose description fails to download is tried again, at most
// kInfoDownloadAttempts times in a row.  Closing the progress window ends the
// run after the record in hand.  An empty programList shows "No info about
// programs!".
void FetchProgramInfo();
inline constexpr int kInfoDownloadAttempts = 5;

// 1 when "download/" + the last path element of the record's url exists as
// a file, else 0 (also for a null record).
int IsDownloaded(const tprogram& program);
int IsDownloaded(const ProgramPtr& program);

// IsDownloaded for many records: "download" is listed once.  A name missing
// as written costs a listing of the folder on a case-sensitive file system,
// so asking for every row of a long list one by one grows with rows times
// files.
class DownloadedFiles {
 public:
  DownloadedFiles();
  bool Has(const tprogram& program) const;

 private:
  std::unordered_set<std::string> names_;  // upper-cased
};

// Downloads the list file of the current LANGUAGE and then the English list
// file from the server into "data".  The DownloadFile results (1 success, 0
// or -1 failure, kRefused for a file whose signature did not check out in
// strict mode) go to *first and *second when those are not null.  A name
// that is not a plain file name is refused (result 0) and logged.
void DownloadListFiles(int* first, int* second);

// Tells the user the catalogue server cannot be reached and logs it.
void ReportUnreachableServer();

}  // namespace corvane
