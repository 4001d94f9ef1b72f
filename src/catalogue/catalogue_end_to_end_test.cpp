// The catalogue fetched from a real, independently written web server:
// Python's http.server on a free loopback port, serving a catalogue folder,
// in plain HTTP and behind a TLS server with a private CA.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalogue/catalogue_test_fixture.h"
#include "catalogue/program_list_reader.h"
#include "catalogue/retrieval.h"
#include "net/tls_test_server.h"
#include "support/headless_fixture.h"
#include "support/web_server.h"

namespace corvane {
namespace {

using ::testing::ElementsAre;

using CatalogueEndToEnd = CatalogueTest;
// Plain HTTP, and HTTPS through a TLS server in front of the same web server.
class CatalogueEndToEndSchemes : public CatalogueTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CatalogueEndToEndSchemes, CatalogueServedByAWebServerIsFetchedReadAndDescribed) {
  const bool https = GetParam();
  if (https && !testing::MissingTlsTool().empty()) GTEST_SKIP() << testing::MissingTlsTool() << " is not installed";
  const std::string site = "site/download/corvane/";
  dir_.Write(site + "win32.app.italiano.txt",
             "[Editor]\r\nNAME=Editor Tarnic\r\nURL=http://f.test/editor.zip|http://m.test/editor.zip\r\n"
             "AUTHOR=Anna\r\nPATH=\\tools\\editor\r\n[/]\r\n"
             "[dbg]\r\nNAME=Debugger\r\nURL=http://f.test/dbg.exe\r\nDESC=Un debugger\r\n[/]\r\n");
  dir_.Write(site + "win32.app.english.txt", "[Editor]\r\nNAME=Tarnic Editor\r\n[/]\r\n");
  for (const char* id : {"editor", "dbg"}) {
    for (const char* kind : {".italiano.txt", ".english.txt", ".info.italiano.txt", ".info.english.txt"}) {
      dir_.Write(site + id + kind, std::string("\xEF\xBB\xBF") + id + kind + " \xC3\xA8");
    }
  }
  testing::WebServer web(dir_ / "site");
  if (!web.Available()) GTEST_SKIP() << "python3 is not installed";
  ASSERT_GT(web.Port(), 0) << "the web server did not start";
  std::unique_ptr<testing::TlsFront> front;
  if (https) {
    front = std::make_unique<testing::TlsFront>(web.Port(), std::vector<std::string>{"good"});
    ASSERT_TRUE(front->Ready());
    runtime::SetEnv("CORVANE_CA_FILE", testing::TestCertificates() + "/ca.pem");
  }
  SetServerRoot(https ? "https://127.0.0.1:" + std::to_string(front->Port(0)) : web.Root());
  testing::HeadlessToolkit toolkit;
  LANGUAGE = "ITALIANO";

  FetchProgramList();
  LoadProgramList();
  ASSERT_THAT(FullNames(), ElementsAre("Debugger", "Editor Tarnic"));
  EXPECT_THAT(programList[1]->urls, ElementsAre("http://f.test/editor.zip", "http://m.test/editor.zip"));
  EXPECT_EQ(programList[1]->path, "\\tools\\editor");
  EXPECT_EQ(LongDescription(*programList[1]), "");

  FetchProgramInfo();
  LoadProgramList();
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(LongDescription(*programList[0]), "dbg.italiano.txt \xC3\xA8");
  EXPECT_EQ(LongDescription(*programList[1]), "editor.italiano.txt \xC3\xA8");
  EXPECT_EQ(dir_.Read("lang/editor.info.english.txt"), dir_.Read(site + "editor.info.english.txt"));
  EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), dir_.Read(site + "win32.app.english.txt"));
  EXPECT_TRUE(toolkit.backend().Boxes().empty());
  runtime::UnsetEnv("CORVANE_CA_FILE");
}

INSTANTIATE_TEST_SUITE_P(Schemes, CatalogueEndToEndSchemes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

TEST_F(CatalogueEndToEnd, AListFileTheWebServerLacksIsNeitherStoredNorKept) {
  const std::string site = "site/download/corvane/";
  dir_.Write(site + "win32.app.english.txt", "[e]\r\nNAME=E\r\n[/]\r\n");
  testing::WebServer web(dir_ / "site");
  if (!web.Available()) GTEST_SKIP() << "python3 is not installed";
  ASSERT_GT(web.Port(), 0) << "the web server did not start";
  SetServerRoot(web.Root());
  testing::HeadlessToolkit toolkit;
  LANGUAGE = "FRANCAIS";

  // The server answers 404 with an HTML page and its length.
  FetchProgramList();
  EXPECT_FALSE(dir_.Exists("data/win32.app.francais.txt"));
  ASSERT_EQ(toolkit.backend().Boxes().size(), 1u);
  EXPECT_EQ(toolkit.backend().Boxes()[0].text, "Unable to connect to the site!");

  // Such a page kept by an older version gives way once the server has the file.
  dir_.Write("data/win32.app.francais.txt", "<html><head><title>Error response</title></head></html>\r\n");
  dir_.Write(site + "win32.app.francais.txt", "[f]\r\nNAME=F\r\n[/]\r\n");
  LoadProgramList();
  EXPECT_THAT(FullNames(), ElementsAre("F"));
}

}  // namespace
}  // namespace corvane
