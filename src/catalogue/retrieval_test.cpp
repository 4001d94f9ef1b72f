#include "catalogue/retrieval.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue_test_fixture.h"
#include "catalogue/program_list_reader.h"
#include "support/headless_fixture.h"
#include "support/loopback_server.h"
#include "widgets/tapplication.h"

namespace corvane {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::LoopbackServer;

const std::string kBase = "/download/corvane/";

class RetrievalTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    SetServerRoot(server_.Root());
  }
  void TearDown() override {
    ResetWidgets();
    CatalogueTest::TearDown();
  }
  tk::HeadlessBackend& ui() { return toolkit_.backend(); }

  std::vector<std::string> Gets() const {
    std::vector<std::string> paths;
    for (const auto& r : server_.Requests()) {
      if (r.method == "GET") paths.push_back(r.path);
    }
    return paths;
  }
  static tk::Gadget* ProgressWindow() {
    for (tk::Gadget* g : tk::AllGadgets()) {
      if (g->kind() == tk::Kind::Window && !g->freed() && g->Text().rfind("Updating....", 0) == 0) {
        return g;
      }
    }
    return nullptr;
  }
  // A main window with one registered button, to see DisableAll/EnableAll.
  tk::Gadget* MakeMainWindow() {
    mainApp = tapplication::Create("Corvane 1.33", 10, 10, 670, 510, 525);
    return mainApp->AddButton("Go", 10, 10, 80, 24, 0, "53");
  }

  LoopbackServer server_;
  testing::HeadlessToolkit toolkit_;
};

TEST_F(RetrievalTest, InfoDownloadFetchesTheFourFilesOfARecordInLowerCase) {
  LANGUAGE = "ITALIANO";
  for (const char* name : {"abc.italiano.txt", "abc.english.txt", "abc.info.italiano.txt",
                           "abc.info.english.txt"}) {
    server_.Serve(kBase + name, std::string("text of ") + name);
  }
  tprogram::Add("Abc", "The ABC tool", "http://x/abc.zip", "", "");
  tk::Gadget* button = MakeMainWindow();
  std::vector<std::string> labels;
  bool disabled = false;
  ui().SetPumpCallback([&] {
    disabled = disabled || !button->Enabled();
    if (tk::Gadget* window = ProgressWindow()) labels.push_back(window->children()[0]->Text());
  });

  FetchProgramInfo();

  // Each file: the HTML check, then the download.
  EXPECT_THAT(Gets(), ElementsAre(kBase + "abc.italiano.txt", kBase + "abc.italiano.txt",
                                  kBase + "abc.english.txt", kBase + "abc.english.txt",
                                  kBase + "abc.info.italiano.txt", kBase + "abc.info.italiano.txt",
                                  kBase + "abc.info.english.txt", kBase + "abc.info.english.txt"));
  EXPECT_EQ(dir_.Read("lang/abc.info.english.txt"), "text of abc.info.english.txt");
  EXPECT_THAT(LoggedTexts(), Contains("Check for INFO files...ABC"));
  EXPECT_THAT(labels, Contains("The ABC tool info downloading..."));
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(ProgressWindow(), nullptr);
}

TEST_F(RetrievalTest, MissingHtmlAndFailingDescriptionsAreSkipped) {
  server_.On("HEAD", kBase + "page.english.txt", testing::HeadReply(30));
  server_.On("GET", kBase + "page.english.txt", testing::OkReply("<p>\n<HTML><body>x</body>\n"));
  server_.Serve(kBase + "page.info.english.txt", "never fetched");
  // Announces 10 bytes and always comes up short.
  server_.On("HEAD", kBase + "bad.english.txt", testing::HeadReply(10));
  server_.On("GET", kBase + "bad.english.txt",
             testing::Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nhalf\n"));
  server_.Serve(kBase + "ok.english.txt", "fine");
  for (const char* id : {"none", "page", "bad", "ok"}) tprogram::Add(id, std::string("_") + id, "", "", "");

  FetchProgramInfo();  // records in list order: bad, none, ok, page

  EXPECT_FALSE(dir_.Exists("lang/page.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/page.info.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/bad.english.txt"));
  EXPECT_EQ(dir_.Read("lang/ok.english.txt"), "fine");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("File: none.english.txt not found...1 4"));
  EXPECT_THAT(log, Contains("File: page.english.txt not found...3 4"));
  EXPECT_EQ(std::count(log.begin(), log.end(), "FileSize: 10 of " + server_.Url(kBase + "bad.english.txt")),
            kInfoDownloadAttempts);
  EXPECT_THAT(log, Contains("File: bad.english.txt download failed, skipped..."));
}

TEST_F(RetrievalTest, ClosingTheProgressWindowEndsTheRunAfterTheRecordInHand) {
  for (const char* id : {"one", "two"}) {
    server_.Serve(kBase + std::string(id) + ".english.txt", id);
    tprogram::Add(id, id, "", "", "");
  }
  ui().SetPumpCallback([&] {
    if (tk::Gadget* window = ProgressWindow()) ui().CloseWindow(window);
  });
  FetchProgramInfo();
  EXPECT_TRUE(dir_.Exists("lang/one.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/two.english.txt"));
  EXPECT_EQ(tk::QueueLength(), 0u);
}

TEST_F(RetrievalTest, EmptyCatalogueIsReportedAndLeavesTheMainWindowEnabled) {
  tk::Gadget* button = MakeMainWindow();
  FetchProgramInfo();
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].text, "No info about programs!");
  EXPECT_FALSE(ui().Boxes()[0].serious);
  EXPECT_THAT(LoggedTexts(), Contains("No info about programs."));
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(ProgressWindow(), nullptr);
}

TEST_F(RetrievalTest, IdentifierThatWouldLeaveTheLangFolderIsNeverFetched) {
  tprogram::Add("../evil", "Evil", "", "", "");
  FetchProgramInfo();
  EXPECT_EQ(server_.Connections(), 0);
  EXPECT_THAT(LoggedTexts(), Contains("File: ../evil.english.txt unsafe name, skipped..."));
}

TEST_F(RetrievalTest, ListFileIsFetchedOnlyWhileMissing) {
  LANGUAGE = "ITALIANO";
  server_.Serve(kBase + "win32.app.italiano.txt", "[b]\nNAME=Bi\n[/]\n");
  server_.Serve(kBase + "win32.app.english.txt", "[b]\nNAME=Be\n[/]\n");
  FetchProgramList();
  EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), "[b]\nNAME=Be\n[/]\n");
  EXPECT_THAT(LoggedTexts(), Contains("File 1 : win32.app.italiano.txt 1"));
  EXPECT_THAT(LoggedTexts(), Contains("File 2 : win32.app.english.txt 1"));
  const int connections = server_.Connections();
  FetchProgramList();
  LoadProgramList();
  EXPECT_EQ(server_.Connections(), connections);
  EXPECT_THAT(FullNames(), ElementsAre("Bi"));
  EXPECT_THAT(ui().Boxes(), IsEmpty());
}

TEST_F(RetrievalTest, AStoredListFileThatIsNoCatalogueIsFetchedAgain) {
  const std::string good = "[e]\nNAME=E\n[/]\n";
  server_.Serve(kBase + "win32.app.english.txt", good);
  const std::string error_page = "<!DOCTYPE HTML>\n<html lang=\"en\">\n<body>Error response</body></html>\n";
  for (const std::string& stored : {std::string(), std::string("\r\n"), error_page}) {
    for (void (*load)() : {&FetchProgramList, &LoadProgramList}) {
      dir_.Write("data/win32.app.english.txt", stored);
      load();
      EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), good) << stored;
    }
  }
  EXPECT_THAT(FullNames(), ElementsAre("E"));
  EXPECT_THAT(ui().Boxes(), IsEmpty());
}

TEST_F(RetrievalTest, EnglishListFileIsFetchedTwiceByTheLoad) {
  server_.Serve(kBase + "win32.app.english.txt", "[e]\nNAME=E\n[/]\n");
  LoadProgramList();
  EXPECT_THAT(Gets(), ElementsAre(kBase + "win32.app.english.txt", kBase + "win32.app.english.txt"));
  EXPECT_THAT(FullNames(), ElementsAre("E"));
}

TEST_F(RetrievalTest, UnreachableServerIsReportedAndLeavesTheCatalogueEmpty) {
  server_.Stop();
  tprogram::Add("old", "Old", "", "", "");
  FetchProgramList();
  LoadProgramList();
  EXPECT_TRUE(programList.empty());
  ASSERT_EQ(ui().Boxes().size(), 2u);
  EXPECT_EQ(ui().Boxes()[1].text, "Unable to connect to the site!");
  EXPECT_FALSE(ui().Boxes()[1].serious);
  auto log = LoggedTexts();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Error - cannot connect to the site"), 2);
  EXPECT_THAT(log, Contains("File 1 : win32.app.english.txt -1"));
}

TEST_F(RetrievalTest, IsDownloadedLooksForTheLastPartOfTheAddress) {
  dir_.Write("download/tool.zip", "zip");
  dir_.Write("download/Mixed.ZIP", "zip");
  dir_.Write("download/folder.zip/inside", "not a package");
  const DownloadedFiles listed;  // one listing answers as the single lookups do
  const struct {
    const char* url;
    int downloaded;
  } kCases[] = {{"http://h/files/tool.zip", 1},  {"http://h/files/other.zip", 0}, {"http://h/files/", 0},
                {"http://h/files/mixed.zip", 1}, {"http://h/folder.zip", 0}};
  for (const auto& c : kCases) {
    ProgramPtr p = tprogram::Add("t", "T", c.url, "", "");
    EXPECT_EQ(IsDownloaded(p), c.downloaded) << c.url;
    EXPECT_EQ(listed.Has(*p), c.downloaded == 1) << c.url;
  }
}

}  // namespace
}  // namespace corvane
