#include "catalogue/package_check.h"

#include "log/activity_log.h"
#include "settings/messages.h"
#include "trust/sha256.h"
#include "trust/trusted_keys.h"

namespace corvane {

namespace {

std::string Message(int n) { return n < static_cast<int>(messages.size()) ? messages[std::size_t(n)] : ""; }

bool HasHashKey(const tprogram& program) {
  return program.sha256.find_first_not_of(" \t") != std::string::npos;
}

}  // namespace

std::string ExpectedSha256(const tprogram& program) { return trust::NormaliseSha256(program.sha256); }

std::string PackageRefusal(const tprogram& program) {
  // A value that is not a hash cannot be checked: taking the package
  // unchecked would ignore what the publisher asked for.
  if (HasHashKey(program) && ExpectedSha256(program).empty()) return "the catalogue's checksum is not a SHA-256";
  if (trust::StrictMode() && !HasHashKey(program)) return Message(28);
  return "";
}

bool IsVerified(const tprogram& program) {
  return program.signed_list == 1 && !ExpectedSha256(program).empty();
}

std::string VerificationText(const tprogram& program) { return Message(IsVerified(program) ? 22 : 23); }

std::string CheckStoredPackage(const tprogram& program, const std::string& path) {
  std::string refusal = PackageRefusal(program);
  if (refusal.empty()) {
    const std::string expected = ExpectedSha256(program);
    if (expected.empty()) return "";
    const std::string found = trust::Sha256OfFile(path);
    if (found == expected) return "";
    LogLine("Checksum mismatch <" + path + "> expected " + expected + " received " + found);
    refusal = Message(29);
  }
  const std::string line = program.fullname + ": " + refusal;
  LogLine("Package refused - " + line);
  return line;
}

}  // namespace corvane
