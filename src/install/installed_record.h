// The record of what was installed into one Tarnic folder, kept by the
// program in its own folder: data/installed/<key>.txt, where key is the
// first 16 hex digits of the SHA-256 of the folder's absolute path (so two
// Tarnic folders never share a record, and the file's name needs no
// escaping); the file's first block names the folder.  CR LF text, one
// block per package, replaced whole through a temporary so that a reader
// never sees half a file.  A damaged file is kept aside as
// "<file>.damaged" (numbered when that exists) and read as empty.
//
// Old copies of the files a package replaced or deleted stay below
// data/installed/<key>/<n>/ (the package's keep folder) for as long as the
// package is recorded: uninstall puts them back.
//
//   [TARGET]
//   path=C:/Tarnic
//   [PACKAGE]
//   id=BETALIB
//   name=BetaLib containers
//   package=<size>|<sha256>|<file name>
//   date=09 Dec 2026 05:10:00
//   installer=0
//   keep=data/installed/<key>/<n>
//   folder=<relative path>                  (created by the package)
//   wrote=<size>|<sha256>|<relative path>   (created or replaced)
//   replaced=<kept copy>|<relative path>
//   deleted=<kept copy>|<relative path>     (no kept copy: a symbolic link)
//   backup=<relative path>                  (a BACKUP copy; also a wrote line)
//   removed=<relative path>                 (a folder a DELETE removed, parents first)
//   [END]
#pragma once

#include <string>
#include <vector>

namespace corvane {

struct InstalledFile {
  std::string path;  // relative to the Tarnic folder, '/' separators
  long long size = 0;
  std::string sha256;
};

// A file that stood in the Tarnic folder before the package changed it.
struct KeptFile {
  std::string path;  // relative to the Tarnic folder
  std::string kept;  // the old copy, relative to the program's folder ("" for a deleted link)
};

struct InstalledPackage {
  std::string id;    // the catalogue identifier (tprogram::name)
  std::string name;  // the display name
  std::string packageFile;
  long long packageSize = 0;
  std::string packageSha256;
  std::string date;  // "08 Dec 2026 14:05:09"
  bool installerRun = false;  // an installer program ran: its own changes are not recorded
  std::string keep;           // the keep folder, relative to the program's folder ("" when none)
  std::vector<std::string> folders;  // folders it created, parents first
  std::vector<InstalledFile> written;
  std::vector<KeptFile> replaced;
  std::vector<KeptFile> deleted;
  std::vector<std::string> backups;
  std::vector<std::string> removedFolders;  // folders a DELETE removed, parents first
};

struct InstalledRecord {
  std::string target;  // the Tarnic folder's absolute path
  std::vector<InstalledPackage> packages;
};

// The text of a record, CR LF lines.
std::string FormatInstalledRecord(const InstalledRecord& record);
// Reads a record; false with the reason in error when the text is damaged
// (record is then empty).
bool ParseInstalledRecord(const std::string& bytes, InstalledRecord& record, std::string& error);

// The Tarnic folder's absolute form, as records name it.
std::string RecordTarget(const std::string& target);
// data/installed/<key>.txt for the Tarnic folder.
std::string InstalledRecordPath(const std::string& target);
// data/installed/<key> : where the keep folders of its packages go.
std::string InstalledKeepRoot(const std::string& target);

// The record of the Tarnic folder: empty when there is none; a damaged file
// is logged, kept aside and read as empty.
InstalledRecord LoadInstalledRecord(const std::string& target);
// Replaces the record file atomically; false (logged) on failure.
bool SaveInstalledRecord(const InstalledRecord& record);

// The package with the identifier (case ignored), or null.
const InstalledPackage* FindInstalled(const InstalledRecord& record, const std::string& id);
// Puts package into the record in place of an earlier block with its id.
void PutInstalled(InstalledRecord& record, InstalledPackage package);

}  // namespace corvane
