#include "catalogue/signed_files.h"

#include "log/activity_log.h"
#include "net/http_client.h"
#include "runtime/file_system.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "toolkit/toolkit.h"
#include "trust/trusted_keys.h"

namespace corvane {

namespace {

constexpr std::size_t kSignatureLimit = 64 * 1024;
constexpr int kChunkSize = 128;
bool refusalShown = false;

}  // namespace

std::string FetchSignatureText(const std::string& web_url) {
  auto stream = OpenGetStream(StreamUrl(web_url + trust::kSignatureSuffix));
  if (!stream || !IsSuccessStatus(stream->StatusCode())) return "";
  std::string bytes;
  if (!stream->ReadAll(&bytes, kSignatureLimit)) return "";
  return bytes;
}

int FetchSigned(const std::string& web_url, const std::string& target, std::string* why) {
  runtime::FileSystem& fs = runtime::Fs();
  const std::string staged = target + kUnverifiedSuffix;
  fs.DeleteFile(staged);
  if (DownloadFile(web_url, staged, nullptr, kChunkSize) != 1) {
    fs.DeleteFile(staged);
    return 0;
  }
  const std::string signature = FetchSignatureText(web_url);
  *why = signature.empty() ? "its signature file (" + web_url + trust::kSignatureSuffix + ") cannot be had"
                           : trust::CheckFileSignature(signature, staged);
  if (why->empty() && !fs.Rename(staged, target)) *why = "it cannot be stored as <" + target + ">";
  if (!why->empty()) {
    fs.DeleteFile(staged);
    return kRefused;
  }
  // Without this copy the file is only fetched and checked again next time.
  fs.WriteFile(target + trust::kSignatureSuffix, signature);
  return 1;
}

std::string CheckStoredSignature(const std::string& path, const std::string& bytes) {
  auto signature = runtime::Fs().ReadFile(path + trust::kSignatureSuffix);
  if (!signature) return "it has no stored signature";
  return trust::CheckSignature(*signature, bytes);
}

void ReportRefusedFile(const std::string& file, const std::string& why) {
  LogLine("Signature check failed - <" + file + "> refused: " + why);
  if (refusalShown) return;
  refusalShown = true;
  const std::string lead = messages.size() > 26 ? messages[26] : "";
  tk::Notify(lead + "\n" + ServerRoot() + "\n" + file + ": " + why, true);
}

void ResetRefusalReports() { refusalShown = false; }

}  // namespace corvane
