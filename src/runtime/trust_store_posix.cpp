// The system bundle of Debian's ca-certificates, read through the file system
// layer (so tests can make it unreadable).
#include "runtime/file_system.h"
#include "runtime/trust_store.h"

namespace corvane::runtime {

std::vector<std::string> SystemRootCertificates(std::string* source) {
  static constexpr const char* kBundle = "/etc/ssl/certs/ca-certificates.crt";
  if (source) *source = kBundle;
  std::optional<std::string> pem = Fs().ReadFile(kBundle);
  if (!pem || pem->empty()) return {};
  return {std::move(*pem)};
}

}  // namespace corvane::runtime
