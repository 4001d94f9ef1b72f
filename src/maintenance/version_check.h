// The check for a newer version of the program.  The catalogue server keeps
// the newest version in the text file CatalogueBase() + "version.txt" (line 1
// the program's version such as "1.34", line 2 the application version); a
// newer program is offered as the archive ServerRoot() + "/download/Corvane.zip",
// which is only saved into the program folder: unpacking it is the user's.
#pragma once

#include <string>

namespace corvane {

// The program's own version text; "1.33" at start.  Taken over from the
// server after an offer, so that the offer is not repeated while the program
// runs (the window title is built from it after the start-up check).
extern std::string programVersion;
inline constexpr const char* kProgramVersion = "1.33";

// The file the update archive is saved as, in the current (program) folder.
inline constexpr const char* kUpdateArchiveName = "Corvane.zip";

// A version text as a number: every "." removed, leading blanks skipped, an
// optional sign, then decimal digits up to the first other character ("1.33"
// gives 133, ".99" gives 99, no digits give 0; clamped to the long long range).
long long VersionNumber(const std::string& version);

// Asks the server for its version file and logs what it says.  When the
// server's program version is greater than programVersion, asks the user
// (message 49 + " (" + version + ") ?", Yes/No); on Yes downloads the archive
// into kUpdateArchiveName and, when that succeeds, tells the user where it was
// saved.  Either way programVersion becomes the server's version.  When the
// server cannot be reached, tells the user "Unable to connect to site" and
// logs it; nothing else changes.
void CheckVersion();

// programVersion back to kProgramVersion (for a new run in the same process).
void ResetVersionCheck();

}  // namespace corvane
