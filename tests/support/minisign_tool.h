// The real minisign command for tests: a key pair made at test time in a
// scratch folder, and files signed with it.  Tests never sign by themselves.
//
//   if (!MinisignTool::Available()) GTEST_SKIP() << "minisign is missing";
//   MinisignTool signer(dir.path());
//   std::string sig = signer.Sign(dir / "list.txt");          // pre-hashed form
//   std::string legacy = signer.Sign(dir / "list.txt", true);  // legacy form
#pragma once

#include <string>

namespace corvane::testing {

class MinisignTool {
 public:
  // True when the minisign command runs on this machine.
  static bool Available();

  // Makes a key pair without a password in folder (key.pub, key.sec, each
  // with a prefix when several signers share a folder).
  explicit MinisignTool(const std::string& folder, const std::string& prefix = "key");

  const std::string& PublicKeyFile() const { return public_file_; }
  // The key's base64 line (what "minisign -P" takes).
  std::string PublicKeyLine() const;

  // Signs the file with "minisign -S" (-l for the legacy form), the trusted
  // comment given when not empty; writes path + ".minisig" and returns its
  // text ("" when minisign failed).
  std::string Sign(const std::string& path, bool legacy = false, const std::string& trusted_comment = "") const;

  // True when "minisign -V" accepts the file with this key.
  bool Verifies(const std::string& path) const;

 private:
  std::string public_file_;
  std::string secret_file_;
};

}  // namespace corvane::testing
