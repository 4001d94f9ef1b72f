#include "net/trust_roots.h"

#include <mbedtls/x509_crt.h>

#include <memory>
#include <string>

#include "log/activity_log.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/trust_store.h"

namespace corvane {
namespace {

struct Roots {
  Roots() { mbedtls_x509_crt_init(&chain); }
  ~Roots() { mbedtls_x509_crt_free(&chain); }
  mbedtls_x509_crt chain;
  int count = 0;
  std::string ca_file;  // CORVANE_CA_FILE when loaded
};

std::unique_ptr<Roots>& Loaded() {
  static std::unique_ptr<Roots> roots;
  return roots;
}

// Adds the certificates of one blob (PEM text or DER); how many were taken.
int Add(mbedtls_x509_crt* chain, const std::string& blob) {
  int before = 0;
  for (const mbedtls_x509_crt* c = chain; c && c->version != 0; c = c->next) ++before;
  if (blob.find("-----BEGIN ") != std::string::npos) {
    // The PEM parser wants the terminating NUL counted; certificates it
    // cannot read are skipped, the others kept.
    mbedtls_x509_crt_parse(chain, reinterpret_cast<const unsigned char*>(blob.c_str()), blob.size() + 1);
  } else {
    mbedtls_x509_crt_parse_der(chain, reinterpret_cast<const unsigned char*>(blob.data()), blob.size());
  }
  int after = 0;
  for (const mbedtls_x509_crt* c = chain; c && c->version != 0; c = c->next) ++after;
  return after - before;
}

std::unique_ptr<Roots> Load(const std::string& ca_file) {
  auto roots = std::make_unique<Roots>();
  roots->ca_file = ca_file;
  std::string source;
  std::vector<std::string> system = runtime::SystemRootCertificates(&source);
  for (const std::string& blob : system) roots->count += Add(&roots->chain, blob);
  if (roots->count == 0)
    LogLine("HTTPS: no trusted root certificates could be read from " + source +
            " (on Debian: install the package ca-certificates)");
  if (!ca_file.empty()) {
    std::optional<std::string> pem = runtime::Fs().ReadFile(ca_file);
    int added = pem ? Add(&roots->chain, *pem) : 0;
    if (!pem)
      LogLine("HTTPS: the CA file <" + ca_file + "> (CORVANE_CA_FILE) cannot be read");
    else if (added == 0)
      LogLine("HTTPS: the CA file <" + ca_file + "> (CORVANE_CA_FILE) holds no readable certificate");
    roots->count += added;
  }
  return roots;
}

}  // namespace

mbedtls_x509_crt* TrustedRoots() {
  std::string ca_file = runtime::GetEnv("CORVANE_CA_FILE");
  std::unique_ptr<Roots>& roots = Loaded();
  if (!roots || roots->ca_file != ca_file) roots = Load(ca_file);
  return &roots->chain;
}

int TrustedRootCount() {
  TrustedRoots();
  return Loaded()->count;
}

void ForgetTrustedRoots() { Loaded().reset(); }

}  // namespace corvane
