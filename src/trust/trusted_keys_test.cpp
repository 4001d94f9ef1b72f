// Where keys come from and when the program turns strict.
#include "trust/trusted_keys.h"

#include <gtest/gtest.h>

#include "runtime/file_system.h"
#include "support/minisign_tool.h"
#include "support/temp_dir.h"

namespace corvane::trust {
namespace {

using testing::MinisignTool;
using testing::TempDir;

class TrustedKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!MinisignTool::Available()) GTEST_SKIP() << "the minisign command is not available";
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(home_.path()));
    signer_ = std::make_unique<MinisignTool>(keys_.path());
    keys_.Write("list.txt", "catalogue");
    signature_ = signer_->Sign(keys_ / "list.txt");
  }
  void TearDown() override {
    ResetTrust();
    if (!previous_.empty()) runtime::Fs().ChangeFolder(previous_);
  }
  TempDir home_;
  TempDir keys_;
  std::string previous_;
  std::unique_ptr<MinisignTool> signer_;
  std::string signature_;
};

TEST_F(TrustedKeysTest, SourcesDecideStrictnessAndDamagedOnesKeepItStrict) {
  struct Case {
    const char* what;
    std::string keys_file;  // data/trusted-keys.txt, "" for none
    std::vector<std::string> key_files;
    bool strict;
    std::size_t keys;
  };
  const std::string line = signer_->PublicKeyLine();
  const Case cases[] = {
      {"nothing", "", {}, false, 0},
      {"comments only", "# no key yet\r\n\r\n", {}, false, 0},
      {"a key line", "# ours\r\n" + line + "\r\n", {}, true, 1},
      {"a junk line refuses the file", line + "\r\njunk\r\n", {}, true, 0},
      {"--trust-key minisign.pub", "", {signer_->PublicKeyFile()}, true, 1},
      {"--trust-key missing file", "", {keys_ / "absent.pub"}, true, 0},
      {"both", line + "\n", {signer_->PublicKeyFile()}, true, 2},
  };
  for (const Case& c : cases) {
    runtime::Fs().DeleteFile(kTrustedKeysFile);
    if (!c.keys_file.empty()) home_.Write(kTrustedKeysFile, c.keys_file);
    LoadTrustedKeys(c.key_files);
    EXPECT_EQ(StrictMode(), c.strict) << c.what;
    EXPECT_EQ(TrustedKeys().size(), c.keys) << c.what;
    EXPECT_EQ(CheckSignature(signature_, "catalogue").empty(), c.keys > 0) << c.what;
  }
}

TEST_F(TrustedKeysTest, OnlyTrustedKeysVouch) {
  MinisignTool other(keys_.path(), "other");
  const std::string foreign = other.Sign(keys_ / "list.txt");
  LoadTrustedKeys({signer_->PublicKeyFile()});
  EXPECT_EQ(CheckSignature(signature_, "catalogue"), "");
  EXPECT_EQ(CheckFileSignature(signature_, keys_ / "list.txt"), "");
  EXPECT_NE(CheckSignature(foreign, "catalogue").find("not trusted"), std::string::npos);
  EXPECT_NE(CheckSignature(signature_, "catalogue!"), "");
  EXPECT_NE(CheckSignature("", "catalogue"), "");
}

}  // namespace
}  // namespace corvane::trust
