// The machine's own trusted root certificates, which TLS connections verify
// servers against.  Where they live differs by system: Debian keeps one PEM
// bundle (package ca-certificates), Windows keeps its ROOT certificate store.
#pragma once

#include <string>
#include <vector>

namespace corvane::runtime {

// The trusted roots: each element is either a PEM text (one or many
// certificates) or one certificate in DER form.  *source names where they
// came from, for log lines.  Empty when the store is missing or cannot be
// read (then *source names what was tried).
std::vector<std::string> SystemRootCertificates(std::string* source);

}  // namespace corvane::runtime
