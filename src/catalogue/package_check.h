// What the catalogue vouches for about one package: the SHA-256 its record
// gives, whether the package may be fetched or installed at all, and whether
// the user may call it verified (a signed list file and a hash).
#pragma once

#include <string>

#include "catalogue/tprogram.h"

namespace corvane {

// The record's SHA256= value as 64 lower-case hex digits; empty when it has
// none or one that is not 64 hex digits.
std::string ExpectedSha256(const tprogram& program);

// Empty when the package may be downloaded and installed; otherwise the
// reason, for the user: a SHA256= value that is not a hash (in any mode), or
// no hash at all while the catalogue must be signed (strict mode).
std::string PackageRefusal(const tprogram& program);

// True when the record came from a list file whose signature verified and
// carries a hash of its package.
bool IsVerified(const tprogram& program);

// The user's text for IsVerified: message 22 or message 23.
std::string VerificationText(const tprogram& program);

// Checks the stored package file of the record again before it is installed
// (it may have changed since it was downloaded).  Empty when it may be
// installed; otherwise the line for the user (also logged).
std::string CheckStoredPackage(const tprogram& program, const std::string& path);

}  // namespace corvane
