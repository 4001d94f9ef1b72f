// The certificates TLS connections trust: the system's roots
// (runtime/trust_store.h) plus the PEM file that the environment variable
// CORVANE_CA_FILE names, for catalogue servers with a private CA.
//
// Loaded on first use and kept; loaded again when CORVANE_CA_FILE changes.
// Every problem (a missing or unreadable system store, a CA file that cannot
// be read or holds no certificate) is written to the activity log once per
// load; it is never fatal by itself: with no root at all, every server's
// certificate is simply not trusted.
#pragma once

struct mbedtls_x509_crt;

namespace corvane {

// The chain of trusted roots (possibly empty: then its first entry has no
// version).  Valid until the next call that loads anew.
mbedtls_x509_crt* TrustedRoots();
// How many roots TrustedRoots() holds.
int TrustedRootCount();
// Drops what was loaded, so the next use reads the stores again (tests).
void ForgetTrustedRoots();

}  // namespace corvane
