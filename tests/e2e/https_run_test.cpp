// The whole program against an HTTPS catalogue server (the scripted server
// behind Python's ssl, a private CA in CORVANE_CA_FILE): start-up, catalogue
// and a download over TLS, and a package server whose certificate names
// another host, given up with the reason on the page and in the log.
#include "app/download_page.h"
#include "app/download_run.h"
#include "app/start_page.h"
#include "e2e/app_harness.h"
#include "install/command_runner.h"
#include "install/install_page.h"
#include "net/tls_test_server.h"

namespace corvane::testing {
namespace {

TEST(HttpsRunTest, CatalogueAndPackagesComeOverTlsAndABadCertificateIsShown) {
  if (!MissingTlsTool().empty()) GTEST_SKIP() << MissingTlsTool() << " is not installed";
  ASSERT_FALSE(TestCertificates().empty());
  runtime::SetEnv("CORVANE_CA_FILE", TestCertificates() + "/ca.pem");
  {
    AppHarness app;
    TlsFront front(app.server.Port(), {"good", "wronghost"});
    ASSERT_TRUE(front.Ready());
    const std::string good = "https://127.0.0.1:" + std::to_string(front.Port(0));
    const std::string wrong = "https://127.0.0.1:" + std::to_string(front.Port(1));
    const std::string package(5000, 'p');
    app.server.Serve("/files/good.zip", package);
    app.ServeStandardFiles();
    app.ServeCatalogue("english", app.Catalogue({{"GOOD", "Good", {good + "/files/good.zip"}},
                                                 {"BAD", "Bad", {wrong + "/files/bad.zip"}}}));
    app.PrepareHome();
    ASSERT_TRUE(runtime::EnterProgramFolder(app.home.path()));
    SetServerRoot(good);
    StartUp();
    ASSERT_NE(mainApp, nullptr);
    EXPECT_EQ(app.home.Read("data/win32.app.english.txt"), app.Catalogue({{"GOOD", "Good", {good + "/files/good.zip"}},
                                                                          {"BAD", "Bad", {wrong + "/files/bad.zip"}}}));
    app.ui->Click(goToDownloadButton);
    app.Turn();
    app.ui->Click(downloadButton);
    app.Turn();
    for (int i = 0; i < 40 && downloading; ++i) app.Turn();

    EXPECT_TRUE(app.home.Read("download/good.zip") == package);
    EXPECT_FALSE(app.home.Exists("download/bad.zip"));
    const std::string reason = "HTTPS: the certificate of 127.0.0.1 is for another host name";
    EXPECT_TRUE(app.LogHas(reason)) << app.Log();
    ASSERT_NE(installOutput, nullptr);
    EXPECT_NE(installOutput->Text().find(reason), std::string::npos) << installOutput->Text();
  }
  runtime::UnsetEnv("CORVANE_CA_FILE");
}

}  // namespace
}  // namespace corvane::testing
