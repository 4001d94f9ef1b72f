#include "maintenance/version_check.h"

#include <climits>
#include <string>
#include <vector>

#include "catalogue/signed_files.h"
#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "toolkit/toolkit.h"
#include "trust/trusted_keys.h"

namespace corvane {

std::string programVersion = kProgramVersion;

namespace {

// Only the first two lines of the version file matter; a server that sends
// more than this is not read further.
constexpr std::size_t kVersionFileLimit = 64 * 1024;
constexpr int kChunkSize = 128;

std::string VersionFileUrl() { return StreamUrl(CatalogueBase() + "version.txt"); }
std::string UpdateArchiveUrl() { return ServerRoot() + "/download/" + kUpdateArchiveName; }

// The body of a fresh GET of the version file, as bytes; empty when the
// server answers with an error page ("500 Internal Server Error" would read
// as version 500).
std::string ReadVersionFile() {
  auto stream = OpenGetStream(VersionFileUrl());
  if (!stream || !IsSuccessStatus(stream->StatusCode())) return "";
  std::string bytes;
  stream->ReadAll(&bytes, kVersionFileLimit);  // what arrived is used even after a failure
  return bytes;
}

// In strict mode the version file must be signed: a forged one could offer
// any archive as an update.  Empty when it may be used.
std::string VersionFileRefusal(const std::string& bytes) {
  if (!trust::StrictMode()) return "";
  const std::string signature = FetchSignatureText(CatalogueBase() + "version.txt");
  if (signature.empty()) return "its signature file cannot be had";
  return trust::CheckSignature(signature, bytes);
}

// Saves the update archive; in strict mode only when its signature checks
// out (a refused one is deleted and the user told).  The DownloadFile result,
// or kRefused.
int SaveUpdateArchive(const std::string& target) {
  if (!trust::StrictMode()) return DownloadFile(UpdateArchiveUrl(), target, nullptr, kChunkSize);
  std::string why;
  const int result = FetchSigned(UpdateArchiveUrl(), target, &why);
  if (result == kRefused) {
    LogLine("Signature check failed - <" + std::string(kUpdateArchiveName) + "> deleted: " + why);
    tk::Notify((messages.size() > 27 ? messages[27] : std::string()) + "\n" + why, true);
  }
  return result;
}

// The version as shown to the user and kept: without the CR (or blanks) that
// a file with CR LF line ends leaves at the end of the line.
std::string CleanVersion(const std::string& version) {
  std::string v = version;
  while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t')) v.pop_back();
  return v;
}

}  // namespace

long long VersionNumber(const std::string& version) {
  const std::string digits = runtime::ReplaceAll(version, ".", "");
  std::size_t i = 0;
  while (i < digits.size() && (digits[i] == ' ' || digits[i] == '\t')) ++i;
  bool negative = false;
  if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) negative = digits[i++] == '-';
  long long value = 0;
  for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
    int d = digits[i] - '0';
    value = value > (LLONG_MAX - d) / 10 ? LLONG_MAX : value * 10 + d;
  }
  return negative ? -value : value;
}

void CheckVersion() {
  LogLine("Check version");
  {
    // Opened only to learn whether the server answers at all.
    auto probe = OpenGetStream(VersionFileUrl());
    if (!probe) {
      tk::Notify("Unable to connect to site", false);
      LogLine("Unable to connect to site");
      return;
    }
  }

  const std::string bytes = ReadVersionFile();
  if (std::string why = VersionFileRefusal(bytes); !why.empty()) {
    ReportRefusedFile("version.txt", why);
    return;
  }
  const std::string text = runtime::DecodeWholeText(bytes);
  std::vector<std::string> lines = runtime::Split(text + "\n", "\n");
  const std::string remote = lines[0];
  const std::string remoteApp = lines.size() > 1 ? lines[1] : "";

  LogLine("Remote Text    : " + text);
  LogLine("Remote Version : " + remote);
  LogLine("App    Version : " + remoteApp);
  LogLine("Local  Version : " + programVersion);

  const long long localNumber = VersionNumber(programVersion);
  const long long remoteNumber = VersionNumber(remote);
  const long long appNumber = VersionNumber(APPVERSION);
  const long long remoteAppNumber = VersionNumber(remoteApp);

  LogLine("Application...");
  LogLine("Local  version : " + APPVERSION + " " + std::to_string(appNumber));
  LogLine("Remote version : " + remoteApp + " " + std::to_string(remoteAppNumber));
  LogLine(std::string(43, '-'));

  if (remoteNumber <= localNumber) return;

  const std::string offered = CleanVersion(remote);
  const std::string question = (messages.size() > 49 ? messages[49] : std::string()) + " (" +
                               offered + ") ?";
  if (tk::Proceed(question, false)) {
    LogLine("Downloading new version (" + remote + ")");
    const std::string target = runtime::Fs().CurrentFolder() + "/" + kUpdateArchiveName;
    int result = SaveUpdateArchive(target);
    LogLine("Copied: " + std::to_string(result));
    if (result == 1) {
      tk::Notify("The new version " + offered + " has been saved as\n" + target +
                     "\nClose the program and unpack the archive to update it.",
                 false);
    }
  }
  programVersion = offered;
}

void ResetVersionCheck() { programVersion = kProgramVersion; }

}  // namespace corvane
