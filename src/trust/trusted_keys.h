// The keys a catalogue must be signed with, and the one question the rest of
// the program asks of them: does this signature file vouch for these bytes?
//
// Keys come from three places, gathered by LoadTrustedKeys: the CMake option
// CORVANE_TRUSTED_KEYS compiled in (key lines separated by ';'), the file
// "data/trusted-keys.txt" (one key a line, '#' comments) and every
// "--trust-key FILE" (a minisign.pub or a file of key lines).  With none of
// them Corvane works as it always did and calls its catalogue not verified.
// With any of them it is strict: list files, version.txt and Corvane.zip must
// carry a good signature, packages a SHA-256.  A key source that is damaged
// (a missing file, a junk line) is refused whole and logged, but keeps the
// program strict: a broken key file must never turn checking off.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "trust/minisign.h"

namespace corvane::trust {

inline constexpr const char* kTrustedKeysFile = "data/trusted-keys.txt";
inline constexpr const char* kSignatureSuffix = ".minisig";

// Gathers the keys (replacing any gathered before) and logs what was found.
// key_files are read as given (absolute paths, or relative to the current
// folder).
void LoadTrustedKeys(const std::vector<std::string>& key_files);

// True when any key source was given, even one that could not be used.
bool StrictMode();
const std::vector<PublicKey>& TrustedKeys();

// Empty when signature_text is a minisign signature of data made with one
// of the trusted keys; otherwise the reason ("no trusted key" when there is
// none to check with).
std::string CheckSignature(std::string_view signature_text, std::string_view data);
// The same for the file at path.
std::string CheckFileSignature(std::string_view signature_text, const std::string& path);

// Forgets every key: not strict.
void ResetTrust();

}  // namespace corvane::trust
