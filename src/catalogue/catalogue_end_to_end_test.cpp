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
#include "runtime/process.h"
#include "support/headless_fixture.h"

namespace corvane {
namespace {

using ::testing::ElementsAre;

// Port 0 lets the system pick a free port; the server prints the one it got.
int StartWebServer(const std::string& folder, std::unique_ptr<runtime::Process>* process) {
  *process = runtime::StartProcess("python3 -u -m http.server 0 --bind 127.0.0.1 --directory \"" +
                                   folder + "\"");
  std::string output;
  for (int waited = 0; *process && (*process)->Running() && waited < 10000; waited += 50) {
    (*process)->WaitForOutput(50);
    char buffer[256];
    for (long long n; (n = (*process)->ReadOutput(buffer, sizeof buffer)) > 0;) output.append(buffer, n);
    std::size_t at = output.find(" port ");  // "Serving HTTP on 127.0.0.1 port 41093 (http://..."
    if (at != std::string::npos && output.find('(', at) != std::string::npos) {
      return static_cast<int>(runtime::ToInt(output.substr(at + 6)));
    }
  }
  return 0;
}

class CatalogueEndToEnd : public CatalogueTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CatalogueEndToEnd, CatalogueServedByAWebServerIsFetchedReadAndDescribed) {
  if (runtime::FindProgram("python3").empty()) GTEST_SKIP() << "python3 is not installed";
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
  std::unique_ptr<runtime::Process> process;  // the server ends with it
  const int port = StartWebServer(dir_ / "site", &process);
  ASSERT_GT(port, 0) << "the web server did not start";
  std::unique_ptr<testing::TlsFront> front;
  if (https) {
    front = std::make_unique<testing::TlsFront>(port, std::vector<std::string>{"good"});
    ASSERT_TRUE(front->Ready());
    runtime::SetEnv("CORVANE_CA_FILE", testing::TestCertificates() + "/ca.pem");
  }
  SetServerRoot(https ? "https://127.0.0.1:" + std::to_string(front->Port(0)) : "http://127.0.0.1:" + std::to_string(port));
  testing::HeadlessToolkit toolkit;
  LANGUAGE = "ITALIANO";

  FetchProgramList();
  LoadProgramList();
  ASSERT_THAT(FullNames(), ElementsAre("Debugger", "Editor Tarnic"));
  EXPECT_THAT(programList[1]->urls, ElementsAre("http://f.test/editor.zip", "http://m.test/editor.zip"));
  EXPECT_EQ(programList[1]->path, "\\tools\\editor");
  EXPECT_EQ(programList[1]->Longdesc, "");

  FetchProgramInfo();
  LoadProgramList();
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(programList[0]->Longdesc, "dbg.italiano.txt \xC3\xA8");
  EXPECT_EQ(programList[1]->Longdesc, "editor.italiano.txt \xC3\xA8");
  EXPECT_EQ(dir_.Read("lang/editor.info.english.txt"), dir_.Read(site + "editor.info.english.txt"));
  EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), dir_.Read(site + "win32.app.english.txt"));
  EXPECT_TRUE(toolkit.backend().Boxes().empty());
  runtime::UnsetEnv("CORVANE_CA_FILE");
}

INSTANTIATE_TEST_SUITE_P(Schemes, CatalogueEndToEnd, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

}  // namespace
}  // namespace corvane
