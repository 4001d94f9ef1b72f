#include "trust/trusted_keys.h"

#include <algorithm>

#include "log/activity_log.h"
#include "runtime/file_system.h"

#ifndef CORVANE_TRUSTED_KEYS
#define CORVANE_TRUSTED_KEYS ""
#endif

namespace corvane::trust {

namespace {

std::vector<PublicKey> keys;
bool strict = false;

bool HasContent(const std::string& text) {
  return text.find_first_not_of(" \t\r\n;") != std::string::npos;
}

// Adds the keys of one source, or none of them when any line is junk.
void TakeKeys(const KeyFile& file, const std::string& source) {
  if (!file.errors.empty()) {
    for (const std::string& error : file.errors) LogLine("Trusted keys: " + source + " refused - " + error);
    return;
  }
  if (file.keys.empty()) {
    LogLine("Trusted keys: " + source + " refused - it holds no key");
    return;
  }
  for (const PublicKey& key : file.keys) {
    LogLine("Trusted keys: key " + KeyIdText(key.id) + " from " + source);
    keys.push_back(key);
  }
}

template <typename Check>
std::string CheckWith(std::string_view signature_text, Check check) {
  if (keys.empty()) return "no trusted key to check it with";
  std::string why;
  auto signature = ParseSignature(signature_text, &why);
  if (!signature) return why;
  auto key = std::find_if(keys.begin(), keys.end(), [&](const PublicKey& k) { return k.id == signature->id; });
  if (key == keys.end()) return "signed with a key that is not trusted (key id " + KeyIdText(signature->id) + ")";
  return check(*signature, *key, &why) ? "" : why;
}

}  // namespace

void LoadTrustedKeys(const std::vector<std::string>& key_files) {
  ResetTrust();
  std::string built_in = CORVANE_TRUSTED_KEYS;
  if (HasContent(built_in)) {
    strict = true;
    std::replace(built_in.begin(), built_in.end(), ';', '\n');
    TakeKeys(ParseKeyFile(built_in), "the built-in keys");
  }
  if (auto text = runtime::Fs().ReadFile(kTrustedKeysFile)) {
    // A file of comments alone names no key and asks for nothing.
    KeyFile file = ParseKeyFile(*text);
    if (!file.keys.empty() || !file.errors.empty()) {
      strict = true;
      TakeKeys(file, kTrustedKeysFile);
    }
  }
  for (const std::string& path : key_files) {
    strict = true;
    auto text = runtime::Fs().ReadFile(path);
    if (!text) {
      LogLine("Trusted keys: cannot read <" + path + ">");
      continue;
    }
    TakeKeys(ParseKeyFile(*text), "<" + path + ">");
  }
  if (!strict) {
    LogLine("Trusted keys: none - the catalogue is not verified");
  } else if (keys.empty()) {
    LogLine("Trusted keys: no usable key - every signed file will be refused");
  }
}

bool StrictMode() { return strict; }

const std::vector<PublicKey>& TrustedKeys() { return keys; }

std::string CheckSignature(std::string_view signature_text, std::string_view data) {
  return CheckWith(signature_text, [&](const Signature& s, const PublicKey& k, std::string* why) {
    return VerifySignature(s, k, data, why);
  });
}

std::string CheckFileSignature(std::string_view signature_text, const std::string& path) {
  return CheckWith(signature_text, [&](const Signature& s, const PublicKey& k, std::string* why) {
    return VerifyFileSignature(s, k, path, why);
  });
}

void ResetTrust() {
  keys.clear();
  strict = false;
}

}  // namespace corvane::trust
