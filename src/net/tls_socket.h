// TLS over a connected socket, with mbedTLS: TLS 1.2 or later, the server's
// certificate chain verified against the trusted roots (net/trust_roots.h),
// and the host checked: a host name against the certificate's names (and
// sent as SNI), an IPv4 address against the IP entries of its
// subjectAltName.  There is no way to skip any of it: a connection either
// passes every check or is not made.
//
// The result is a runtime::Socket again, so the HTTP exchange above it reads
// and writes exactly as over plain TCP, with the same bounded waits.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/socket.h"

namespace corvane {

// Runs the handshake over plain (a connected socket, taken over) with host
// (the name or address that was asked for, without port), waiting at most
// timeout_ms for the server; idle is called while waiting (may be empty).
// The encrypted socket on success.  Null on failure, with a text the user
// can act on in *error that names the host: the certificate is not trusted,
// has expired or is not valid yet, is for another host name; the handshake
// failed (and why) or timed out.
std::unique_ptr<runtime::Socket> StartTls(std::unique_ptr<runtime::Socket> plain, const std::string& host,
                                          int timeout_ms, const std::function<void()>& idle,
                                          std::string* error);

// Whether the records of an AES-GCM connection are read with GcmOpener
// (net/gcm_opener.h) rather than by mbedTLS: on by default; tests turn it
// off to check mbedTLS's reading too.
void ReadRecordsWithGcmOpener(bool enabled);

// The four bytes of a dotted IPv4 address ("127.0.0.1"); empty when host is
// anything else (a name).
std::string Ipv4Bytes(const std::string& host);

}  // namespace corvane
