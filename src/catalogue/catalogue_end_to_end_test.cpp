// The catalogue fetched from a real, independently written web server:
// Python's http.server on a free loopback port, serving a catalogue folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalogue/catalogue_test_fixture.h"
#include "catalogue/program_list_reader.h"
#include "catalogue/retrieval.h"
#include "runtime/process.h"
#include "support/headless_fixture.h"

namespace corvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// python3 -m http.server on port 0 (the system picks a free one), serving
// folder; the port is read from the line the server prints when it starts.
class PythonWebServer {
 public:
  explicit PythonWebServer(const std::string& folder) {
    process_ = runtime::StartProcess("python3 -u -m http.server 0 --bind 127.0.0.1 --directory \"" +
                                     folder + "\"");
    if (!process_) return;
    std::string output;
    for (int waited = 0; waited < 10000 && port_ == 0 && process_->Running(); waited += 50) {
      process_->WaitForOutput(50);
      char buffer[256];
      long long n;
      while ((n = process_->ReadOutput(buffer, sizeof buffer)) > 0) output.append(buffer, n);
      // "Serving HTTP on 127.0.0.1 port 41093 (http://127.0.0.1:41093/) ..."
      std::size_t at = output.find(" port ");
      if (at != std::string::npos && output.find('(', at) != std::string::npos) {
        port_ = static_cast<int>(runtime::ToInt(output.substr(at + 6)));
      }
    }
  }
  int Port() const { return port_; }

 private:
  std::unique_ptr<runtime::Process> process_;  // terminated when destroyed
  int port_ = 0;
};

using CatalogueEndToEnd = CatalogueTest;

TEST_F(CatalogueEndToEnd, CatalogueServedByAWebServerIsFetchedReadAndDescribed) {
  if (runtime::FindProgram("python3").empty()) GTEST_SKIP() << "python3 is not installed";
  const std::string site = "site/download/corvane/";
  dir_.Write(site + "win32.app.italiano.txt",
             "; catalogo\r\n"
             "[Editor]\r\nNAME=Editor Tarnic\r\nURL=http://files.test/editor.zip|http://mirror.test/editor.zip\r\n"
             "DESC=Un editor\r\nAUTHOR=Anna\r\nLICENSE=zlib\r\nWEB=http://editor.test\r\n"
             "PATH=\\tools\\editor\r\n[/]\r\n"
             "[dbg]\r\nNAME=Debugger\r\nURL=http://files.test/dbg.exe\r\nDESC=Un debugger\r\n[/]\r\n");
  dir_.Write(site + "win32.app.english.txt",
             "[Editor]\r\nNAME=Tarnic Editor\r\nURL=http://files.test/editor.zip\r\n[/]\r\n");
  dir_.Write(site + "editor.italiano.txt", "Editor per Tarnic.\r\n");
  dir_.Write(site + "editor.english.txt", "Editor for Tarnic.\r\n");
  dir_.Write(site + "editor.info.italiano.txt", "info");
  dir_.Write(site + "editor.info.english.txt", "info en");
  dir_.Write(site + "dbg.italiano.txt", "\xEF\xBB\xBF" "Debugger \xC3\xA8 qui.");
  dir_.Write(site + "dbg.english.txt", "Debugger here.");
  dir_.Write(site + "dbg.info.italiano.txt", "i");
  dir_.Write(site + "dbg.info.english.txt", "e");

  PythonWebServer server(dir_ / "site");
  ASSERT_GT(server.Port(), 0) << "the web server did not start";
  SetServerRoot("http://127.0.0.1:" + std::to_string(server.Port()));
  testing::HeadlessToolkit toolkit;
  LANGUAGE = "ITALIANO";

  FetchProgramList();
  EXPECT_EQ(dir_.Read("data/win32.app.italiano.txt"), dir_.Read(site + "win32.app.italiano.txt"));
  EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), dir_.Read(site + "win32.app.english.txt"));

  LoadProgramList();
  ASSERT_THAT(FullNames(), ElementsAre("Debugger", "Editor Tarnic"));
  const tprogram& editor = *programList[1];
  EXPECT_EQ(editor.name, "EDITOR");
  EXPECT_THAT(editor.urls, ElementsAre("http://files.test/editor.zip", "http://mirror.test/editor.zip"));
  EXPECT_EQ(editor.author, "Anna");
  EXPECT_EQ(editor.path, "\\tools\\editor");
  EXPECT_EQ(editor.Longdesc, "") << "no description before the info download";

  FetchProgramInfo();
  for (const char* name : {"editor.italiano.txt", "editor.english.txt", "editor.info.italiano.txt",
                           "editor.info.english.txt", "dbg.italiano.txt", "dbg.english.txt",
                           "dbg.info.italiano.txt", "dbg.info.english.txt"}) {
    EXPECT_EQ(dir_.Read(std::string("lang/") + name), dir_.Read(site + name)) << name;
  }

  LoadProgramList();
  ASSERT_EQ(programList.size(), 2u);
  EXPECT_EQ(programList[0]->Longdesc, "Debugger \xC3\xA8 qui.");
  EXPECT_EQ(programList[1]->Longdesc, "Editor per Tarnic.\r\n");
  EXPECT_THAT(toolkit.backend().Boxes(), IsEmpty());
}

}  // namespace
}  // namespace corvane
