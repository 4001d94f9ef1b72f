// Signatures made by the real minisign command, checked by our reader and
// verifier: both forms pass, any changed byte fails, damaged files are refused
// with their reason.
#include "trust/minisign.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include "runtime/text.h"
#include "support/minisign_tool.h"
#include "support/temp_dir.h"

namespace corvane::trust {
namespace {

using testing::MinisignTool;
using testing::TempDir;

const std::string kData = "[ALPHA]\r\nNAME=Alpha\r\nURL=http://example.org/alpha.zip\r\n[/]\r\n";

std::vector<std::string> SplitLines(const std::string& text) { return runtime::Split(text, "\n"); }
std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

// The base64 line with one bit of the decoded byte at offset changed.
std::string FlipDecoded(const std::string& line, std::size_t offset) {
  std::vector<unsigned char> raw(line.size());
  std::size_t length = 0;
  sodium_base642bin(raw.data(), raw.size(), line.data(), line.size(), nullptr, &length, nullptr,
                    sodium_base64_VARIANT_ORIGINAL);
  raw[offset] ^= 0x01;
  std::string out(sodium_base64_ENCODED_LEN(length, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(out.data(), out.size(), raw.data(), length, sodium_base64_VARIANT_ORIGINAL);
  out.resize(out.size() - 1);  // its NUL
  return out;
}

class MinisignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!MinisignTool::Available()) GTEST_SKIP() << "the minisign command is not available";
    signer_ = std::make_unique<MinisignTool>(dir_.path());
    dir_.Write("list.txt", kData);
    std::string why;
    auto key = ParsePublicKey(signer_->PublicKeyLine(), &why);
    ASSERT_TRUE(key) << why;
    key_ = *key;
  }
  std::string Verify(const std::string& signature_text, const std::string& data) {
    std::string why;
    auto signature = ParseSignature(signature_text, &why);
    if (!signature) return "parse: " + why;
    return VerifySignature(*signature, key_, data, &why) ? "" : why;
  }
  TempDir dir_;
  std::unique_ptr<MinisignTool> signer_;
  PublicKey key_;
};

TEST_F(MinisignTest, BothFormsVerifyAndAnyChangedByteFails) {
  for (bool legacy : {false, true}) {
    SCOPED_TRACE(legacy ? "legacy" : "pre-hashed");
    const std::string sig = signer_->Sign(dir_ / "list.txt", legacy, "timestamp:1 file:list.txt");
    ASSERT_FALSE(sig.empty());
    std::vector<std::string> lines = SplitLines(sig);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Verify(sig, kData), "");
    std::string why;
    EXPECT_TRUE(VerifyFileSignature(*ParseSignature(sig, &why), key_, dir_ / "list.txt", &why)) << why;

    std::string changed = kData;
    changed[5] ^= 0x20;
    struct Case {
      const char* what;
      std::string signature;
      std::string data;
      std::string reason;
    };
    auto with_line = [&](std::size_t index, const std::string& text) {
      std::vector<std::string> l = lines;
      l[index] = text;
      return JoinLines(l);
    };
    const Case cases[] = {
        {"file byte", sig, changed, "the signature does not match the file"},
        {"signature byte", with_line(1, FlipDecoded(lines[1], 20)), kData, "the signature does not match the file"},
        {"trusted comment", with_line(2, lines[2] + "x"), kData, "the signature of the trusted comment does not match"},
        {"global signature byte", with_line(3, FlipDecoded(lines[3], 7)), kData,
         "the signature of the trusted comment does not match"},
        {"key id byte", with_line(1, FlipDecoded(lines[1], 3)), kData, "signed with another key"},
    };
    for (const Case& c : cases) {
      std::string result = Verify(c.signature, c.data);
      EXPECT_EQ(result.substr(0, c.reason.size()), c.reason) << c.what;
    }
  }
}

TEST_F(MinisignTest, AnotherKeysSignatureFailsAndNamesBothKeys) {
  MinisignTool other(dir_.path(), "other");
  const std::string sig = other.Sign(dir_ / "list.txt");
  const std::string result = Verify(sig, kData);
  EXPECT_NE(result.find("signed with another key"), std::string::npos) << result;
  EXPECT_NE(result.find(KeyIdText(key_.id)), std::string::npos) << result;
  // minisign shows the key id of its public key file the same way.
  EXPECT_NE(dir_.Read("key.pub").find(KeyIdText(key_.id)), std::string::npos);
}

// Key ids are written as minisign writes them in its key files: a
// little-endian number in upper-case hex without leading zeros.
TEST(KeyIdTextTest, ReadsLikeMinisignsKeyFileComment) {
  struct Case {
    KeyId id;
    const char* text;
  };
  const Case cases[] = {
      {{0x76, 0xA6, 0x2F, 0x2C, 0x0C, 0x12, 0x74, 0x14}, "1474120C2C2FA676"},
      {{0x7B, 0xDF, 0x79, 0xE7, 0xEB, 0x3C, 0xBB, 0x01}, "1BB3CEBE779DF7B"},
      {{0x01, 0, 0, 0, 0, 0, 0, 0}, "1"},
      {{}, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyIdText(c.id), c.text);
}

TEST_F(MinisignTest, DamagedSignatureFilesAreRefusedWithTheirReason) {
  const std::string sig = signer_->Sign(dir_ / "list.txt");
  const std::vector<std::string> lines = SplitLines(sig);
  struct Case {
    std::string text;
    std::string reason;
  };
  const Case cases[] = {
      {"", "the signature file is empty"},
      {lines[0], "the signature file ends before its signature"},
      {JoinLines({lines[0], lines[1]}), "the signature file has no trusted comment"},
      {JoinLines({lines[0], lines[1], lines[2]}), "the signature file ends before its global signature"},
      {JoinLines({lines[0], lines[1], "comment: x", lines[3]}), "the signature file has no trusted comment"},
      {JoinLines({lines[1], lines[2], lines[3]}), "the signature file does not start with an untrusted comment"},
      {JoinLines({lines[0], lines[1].substr(0, 40), lines[2], lines[3]}), "the signature "},
      {JoinLines({lines[0], "not*base64", lines[2], lines[3]}), "the signature is not valid base64"},
      {JoinLines({lines[0], lines[1], lines[2], lines[3].substr(4)}), "the global signature "},
      {JoinLines({lines[0], FlipDecoded(lines[1], 1), lines[2], lines[3]}),
       "the signature uses an unknown algorithm"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(ParseSignature(c.text, &why)) << c.text;
    EXPECT_EQ(why.substr(0, c.reason.size()), c.reason) << c.text;
  }
  // CR LF line ends, as a Windows editor may leave them, change nothing.
  EXPECT_EQ(Verify(runtime::ReplaceAll(sig, "\n", "\r\n"), kData), "");
}

TEST_F(MinisignTest, KeyFilesTakeMinisignPubAndKeyLinesAndReportJunkLines) {
  KeyFile pub = ParseKeyFile(dir_.Read("key.pub"));
  ASSERT_EQ(pub.keys.size(), 1u);
  EXPECT_TRUE(pub.errors.empty());
  EXPECT_EQ(pub.keys[0].id, key_.id);

  KeyFile junk = ParseKeyFile("# trusted\r\n" + signer_->PublicKeyLine() + "\r\n\r\nhello world\r\n" +
                              signer_->PublicKeyLine().substr(0, 20) + "\r\n");
  EXPECT_EQ(junk.keys.size(), 1u);
  ASSERT_EQ(junk.errors.size(), 2u);
  EXPECT_EQ(junk.errors[0], "line 4: the public key is not valid base64");
  EXPECT_EQ(junk.errors[1].substr(0, 7), "line 5:");
  // A signature line is no key.
  const std::string sig = signer_->Sign(dir_ / "list.txt");
  EXPECT_EQ(ParseKeyFile(SplitLines(sig)[1]).errors.size(), 1u);
}

}  // namespace
}  // namespace corvane::trust
