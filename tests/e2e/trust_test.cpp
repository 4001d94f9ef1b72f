// Strict mode end to end: a catalogue signed at test time by the real
// minisign command, served from loopback, read by the whole application on
// the headless backend.  Good files install; a tampered list file, package or
// update archive is caught and the verified state is kept.
#include "e2e/app_harness.h"

#include "app/after_event.h"
#include "app/download_page.h"
#include "app/download_run.h"
#include "app/start_page.h"
#include "app/startup.h"
#include "catalogue/tprogram.h"
#include "install/install_page.h"
#include "maintenance/version_check.h"
#include "support/minisign_tool.h"
#include "support/zip_builder.h"
#include "trust/sha256.h"
#include "widgets/tmultibutton.h"

namespace corvane::testing {
namespace {

const std::string kList = "/download/corvane/win32.app.english.txt";

struct SignedProgram {
  std::string id, name;
  std::vector<std::string> paths;
  std::string sha256;  // "" for no SHA256= line
};

class TrustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!MinisignTool::Available()) GTEST_SKIP() << "the minisign command is not available";
    signer_ = std::make_unique<MinisignTool>(keys_.path());
    HttpLimits limits = GetHttpLimits();
    limits.message_interval_ms = 0;
    SetHttpLimits(limits);
    app.server.Serve("/download/corvane/languages.txt", "english.lang\r\n");
    app.server.Serve("/download/corvane/english.lang", EmbeddedEnglish());
    ServeSigned("/download/corvane/version.txt", "1.33\r\n0.99\r\n");
    app.PrepareHome();
    trustKeyFiles = {signer_->PublicKeyFile()};
  }

  // A real ZIP package holding one file.
  std::string Package(const std::string& file, const std::string& text) {
    const std::string path = keys_ / ("pkg-" + file + ".zip");
    EXPECT_TRUE(WriteZip(path, {{file, text}}));
    return keys_.Read("pkg-" + file + ".zip");
  }

  std::string CatalogueText(const std::vector<SignedProgram>& programs) {
    std::string text;
    for (const SignedProgram& p : programs) {
      std::string urls;
      for (const std::string& path : p.paths) urls += (urls.empty() ? "" : "|") + app.server.Url(path);
      text += "[" + p.id + "]\r\nNAME=" + p.name + "\r\nURL=" + urls + "\r\nDESC=d\r\nPATH=/mod\r\n" +
              (p.sha256.empty() ? "" : "SHA256=" + p.sha256 + "\r\n") + "[/]\r\n";
    }
    return text;
  }

  // Serves bytes at path with the signature minisign makes of them.
  std::string ServeSigned(const std::string& path, const std::string& bytes, MinisignTool* signer = nullptr) {
    const std::string local = keys_ / ("signed" + std::to_string(++signed_));
    keys_.Write("signed" + std::to_string(signed_), bytes);
    const std::string signature = (signer ? signer : signer_.get())->Sign(local, signed_ % 2 == 0);
    EXPECT_FALSE(signature.empty());
    app.server.Serve(path, bytes);
    app.server.Serve(path + ".minisig", signature);
    return signature;
  }

  void TickAllAndDownload() {
    for (int i = 0; i < programChooser->CountItems(); ++i) programChooser->SetItemStatus(i, 1);
    app.ui->Click(goToDownloadButton);
    app.Turn();
    app.ui->Click(downloadButton);
    app.Turn();
    for (int i = 0; i < 60 && downloading; ++i) app.Turn();
    ASSERT_FALSE(downloading);
  }

  void Install() {
    app.ui->Click(goToInstallButton);
    app.Turn();
    app.ui->Click(installButton);
    app.Turn();
  }

  std::string RowLine(int row) { return packageChooser->array[std::size_t(row)]->label->Text(); }
  bool OutputHas(const std::string& text) { return installOutput->Text().find(text) != std::string::npos; }

  AppHarness app;
  TempDir keys_;
  std::unique_ptr<MinisignTool> signer_;
  int signed_ = 0;
};

TEST_F(TrustTest, SignedCatalogueInstallsVerifiedPackagesAndRefusesUnhashedOnes) {
  const std::string alpha = Package("alpha.mod", "alpha module");
  app.server.Serve("/files/alpha.zip", alpha);
  app.server.Serve("/files/beta.zip", Package("beta.mod", "beta module"));
  ServeSigned(kList, CatalogueText({{"ALPHA", "Alpha", {"/files/alpha.zip"}, trust::Sha256Hex(alpha)},
                                    {"BETA", "Beta", {"/files/beta.zip"}, ""}}));
  app.Start();
  EXPECT_NE(app.Window()->StatusText().find("catalogue: win32 packages - signed"), std::string::npos);
  ASSERT_EQ(programChooser->CountItems(), 2);
  ASSERT_TRUE(app.ui->Leave(programChooser->array[1]->panel));
  app.Turn();
  EXPECT_EQ(verifiedLabel->Text(), "Not verified");
  ASSERT_TRUE(app.ui->Leave(programChooser->array[0]->panel));
  app.Turn();
  EXPECT_EQ(verifiedLabel->Text(), "Verified: signed catalogue and SHA-256 checksum");

  TickAllAndDownload();
  EXPECT_EQ(app.home.Read("download/alpha.zip"), alpha);
  EXPECT_FALSE(app.home.Exists("download/beta.zip"));
  EXPECT_TRUE(app.LogHas("Beta: no checksum in a signed catalogue"));
  const std::vector<std::string> requests = app.server.RequestLines();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /files/beta.zip HTTP/1.0"), 0);

  Install();
  ASSERT_EQ(packageChooser->CountItems(), 1);
  EXPECT_EQ(RowLine(0), "ZIP - Verified: signed catalogue and SHA-256 checksum");
  EXPECT_EQ(app.home.Read("tarnic/mod/alpha/alpha.mod"), "alpha module");
  EXPECT_TRUE(app.ui->Boxes().empty());
}

TEST_F(TrustTest, TamperedListFileIsNotStoredAndThePreviousVerifiedOneStaysInUse) {
  // The copy a previous run verified and kept, with its signature.
  const std::string previous = CatalogueText({{"OLD", "Old but verified", {"/files/old.zip"}, std::string(64, 'a')}});
  const std::string signature = ServeSigned(kList, previous);
  app.home.Write("data/win32.app.english.txt", previous);
  app.home.Write("data/win32.app.english.txt.minisig", signature);
  // The server now hands out a list with a changed byte under a good
  // signature of something else.
  app.server.Serve(kList, runtime::ReplaceAll(previous, "Old but", "Evil and"));

  app.Start();
  ASSERT_EQ(programList.size(), 1u);
  EXPECT_EQ(programList[0]->fullname, "Old but verified");
  EXPECT_EQ(app.home.Read("data/win32.app.english.txt"), previous);
  EXPECT_FALSE(app.home.Exists("data/win32.app.english.txt.unverified"));
  EXPECT_TRUE(app.LogHas("Signature check failed - <win32.app.english.txt> refused: the signature does not match"));
  // One box for the start-up, naming the server and the reason.
  ASSERT_EQ(app.ui->Boxes().size(), 1u);
  const std::string box = app.ui->Boxes()[0].text;
  EXPECT_NE(box.find(app.server.Root()), std::string::npos) << box;
  EXPECT_NE(box.find("the signature does not match the file"), std::string::npos) << box;

  // A stored copy that no longer verifies is not used either.
  app.home.Write("data/win32.app.english.txt", runtime::ReplaceAll(previous, "Old", "Odd"));
  app.ui->Click(updateListButton);
  app.Turn();
  EXPECT_TRUE(programList.empty());
  EXPECT_TRUE(app.LogHas("Stored list file <data/win32.app.english.txt> not verified"));
}

TEST_F(TrustTest, SwappedAndTamperedPackagesAreCaughtAtDownloadAndAtInstall) {
  const std::string alpha = Package("alpha.mod", "alpha module");
  const std::string gamma = Package("gamma.mod", "gamma module");
  const std::string forged = Package("gamma.mod", "forged module");
  // A man in the middle on the first mirror swaps alpha's bytes; gamma's
  // only server hands out a forged package.
  app.server.Serve("/mitm/alpha.zip", Package("alpha.mod", "swapped module"));
  app.server.Serve("/files/alpha.zip", alpha);
  app.server.Serve("/files/gamma.zip", forged);
  ServeSigned(kList, CatalogueText({{"ALPHA", "Alpha", {"/mitm/alpha.zip", "/files/alpha.zip"}, trust::Sha256Hex(alpha)},
                                    {"GAMMA", "Gamma", {"/files/gamma.zip"}, trust::Sha256Hex(gamma)}}));
  app.home.Write("download/gamma.zip", gamma);  // a good copy from before
  app.Start();
  TickAllAndDownload();
  EXPECT_EQ(app.home.Read("download/alpha.zip"), alpha);  // the next mirror, after the mismatches
  EXPECT_EQ(app.home.Read("download/gamma.zip"), gamma);  // never replaced by the forged one
  EXPECT_TRUE(app.LogHas("Checksum mismatch <" + app.server.Url("/files/gamma.zip") + "> expected " +
                         trust::Sha256Hex(gamma) + " received " + trust::Sha256Hex(forged)));
  EXPECT_TRUE(app.LogHas("Change URL...<" + app.server.Url("/files/alpha.zip") + ">"));
  EXPECT_TRUE(app.LogHas("Tried 3 times! No way...."));

  // The forged package put into download/ by hand is refused at install;
  // the other one goes on.
  app.home.Write("download/gamma.zip", forged);
  Install();
  EXPECT_TRUE(OutputHas("Gamma: Checksum mismatch - package refused")) << installOutput->Text();
  EXPECT_TRUE(app.LogHas("Package refused - Gamma: Checksum mismatch - package refused"));
  EXPECT_FALSE(app.home.Exists("tarnic/mod/gamma/gamma.mod"));
  EXPECT_EQ(app.home.Read("tarnic/mod/alpha/alpha.mod"), "alpha module");
}

TEST_F(TrustTest, UnsignedVersionFileAndForeignUpdateArchiveAreRefused) {
  app.server.Serve(kList, "");  // no list signature: refused, nothing stored
  app.server.Serve("/download/corvane/version.txt", "1.40\r\n");  // its signature is of 1.33
  app.Start();
  EXPECT_TRUE(app.LogHas("<version.txt> refused: the signature does not match the file"));
  EXPECT_EQ(app.BoxesShown(tk::BoxKind::Proceed, "A new version is available.\nDownload it? (1.40) ?"), 0);
  EXPECT_TRUE(programList.empty());
  ASSERT_EQ(app.ui->Boxes().size(), 1u) << app.ui->Boxes()[1].text;  // one box for the whole start-up

  MinisignTool other(keys_.path(), "other");
  ServeSigned("/download/corvane/version.txt", "1.40\r\n");
  ServeSigned("/download/Corvane.zip", "update archive", &other);
  app.home.Write("Corvane.zip", "the archive saved before");
  app.ui->ClearBoxes();
  CheckVersion();
  EXPECT_EQ(app.home.Read("Corvane.zip"), "the archive saved before");
  EXPECT_FALSE(app.home.Exists("Corvane.zip.unverified"));
  ASSERT_EQ(app.ui->Boxes().size(), 2u);  // the offer, then the refusal
  EXPECT_NE(app.ui->Boxes()[1].text.find("signed with a key that is not trusted"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
