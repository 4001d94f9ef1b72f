// The files the catalogue server signs (the list files, version.txt and
// Corvane.zip) and how they are taken in strict mode (trust/trusted_keys.h):
// a file F is vouched for by F + ".minisig" beside it on the server, and is
// stored only after the signature checked out, so a refused file never
// replaces the copy that was verified before.
#pragma once

#include <string>

namespace corvane {

// Suffix of a file that is stored but not yet checked.
inline constexpr const char* kUnverifiedSuffix = ".unverified";

// The text of web_url + ".minisig" (64 KiB at most); empty when it cannot
// be had.
std::string FetchSignatureText(const std::string& web_url);

// Downloads web_url to target + kUnverifiedSuffix, checks it against the
// server's signature and the trusted keys, and on success renames it over
// target and keeps the signature as target + ".minisig".
// Returns 1 when stored; 0 when the download itself failed (nothing stored);
// kRefused when refused, with the reason in *why (nothing stored, target as
// it was).
inline constexpr int kRefused = -2;
int FetchSigned(const std::string& web_url, const std::string& target, std::string* why);

// Empty when bytes, read from the local file path, verify with the stored
// signature path + ".minisig"; otherwise the reason.
std::string CheckStoredSignature(const std::string& path, const std::string& bytes);

// Logs that file was refused and why; the first refusal of a run is also
// shown in a box that names the catalogue server and the reason.
void ReportRefusedFile(const std::string& file, const std::string& why);
// Lets the next refusal show its box again.
void ResetRefusalReports();

}  // namespace corvane
