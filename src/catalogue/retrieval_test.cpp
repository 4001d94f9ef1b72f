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
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::LoopbackServer;

const std::string kBase = "/download/corvane/";

class RetrievalTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    toolkit_ = std::make_unique<testing::HeadlessToolkit>();
    SetServerRoot(server_.Root());
  }
  void TearDown() override {
    ResetWidgets();
    toolkit_.reset();
    CatalogueTest::TearDown();
  }

  tk::HeadlessBackend& ui() { return toolkit_->backend(); }

  // The paths of the GET requests the server received, in order.
  std::vector<std::string> Gets() const {
    std::vector<std::string> paths;
    for (const auto& r : server_.Requests()) {
      if (r.method == "GET") paths.push_back(r.path);
    }
    return paths;
  }

  // The progress window of the info download, while it is open.
  static tk::Gadget* ProgressWindow() {
    for (tk::Gadget* g : tk::AllGadgets()) {
      if (g->kind() == tk::Kind::Window && !g->freed() &&
          g->Text().rfind("Updating....", 0) == 0) {
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
  std::unique_ptr<testing::HeadlessToolkit> toolkit_;
};

TEST_F(RetrievalTest, InfoDownloadFetchesTheFourFilesOfARecordInLowerCase) {
  LANGUAGE = "ITALIANO";
  server_.Serve(kBase + "abc.italiano.txt", "Descrizione");
  server_.Serve(kBase + "abc.english.txt", "Description");
  server_.Serve(kBase + "abc.info.italiano.txt", "info it");
  server_.Serve(kBase + "abc.info.english.txt", "info en");
  tprogram::Add("Abc", "The ABC tool", "http://x/abc.zip", "", "");

  FetchProgramInfo();

  EXPECT_THAT(Gets(), ElementsAre(
      // description: the HTML check, then the download
      kBase + "abc.italiano.txt", kBase + "abc.italiano.txt",
      kBase + "abc.english.txt", kBase + "abc.english.txt",
      kBase + "abc.info.italiano.txt", kBase + "abc.info.italiano.txt",
      kBase + "abc.info.english.txt", kBase + "abc.info.english.txt"));
  EXPECT_EQ(dir_.Read("lang/abc.italiano.txt"), "Descrizione");
  EXPECT_EQ(dir_.Read("lang/abc.english.txt"), "Description");
  EXPECT_EQ(dir_.Read("lang/abc.info.italiano.txt"), "info it");
  EXPECT_EQ(dir_.Read("lang/abc.info.english.txt"), "info en");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("Download info ITALIANO"));
  EXPECT_THAT(log, Contains("FileSize: 11 of " + server_.Url(kBase + "abc.italiano.txt")));
  EXPECT_THAT(log, Contains("Check for INFO files...ABC"));
  EXPECT_EQ(ProgressWindow(), nullptr) << "the progress window is closed afterwards";
}

TEST_F(RetrievalTest, ProgressWindowShowsTheRecordInHandAndTheShareDone) {
  server_.Serve(kBase + "a.english.txt", "a");
  server_.Serve(kBase + "b.english.txt", "b");
  tprogram::Add("a", "Alpha", "", "", "");
  tprogram::Add("b", "Beta", "", "", "");
  std::vector<std::string> labels;
  std::vector<double> shares;
  ui().SetPumpCallback([&] {
    tk::Gadget* window = ProgressWindow();
    if (!window) return;
    EXPECT_EQ(window->Text(), "Updating....ENGLISH");
    for (tk::Gadget* child : window->children()) {
      if (child->kind() == tk::Kind::Label &&
          (labels.empty() || labels.back() != child->Text())) {
        labels.push_back(child->Text());
      }
      if (child->kind() == tk::Kind::Progress &&
          (shares.empty() || shares.back() != child->Progress())) {
        shares.push_back(child->Progress());
      }
    }
  });
  FetchProgramInfo();
  EXPECT_THAT(labels, ElementsAre("Alpha info downloading...", "Beta info downloading..."));
  EXPECT_THAT(shares, ElementsAre(0.0, 0.5, 1.0));
}

TEST_F(RetrievalTest, MissingOrHtmlDescriptionsAreSkippedWithTheirOtherFiles) {
  server_.On("HEAD", kBase + "page.english.txt", testing::HeadReply(30));
  server_.On("GET", kBase + "page.english.txt",
             testing::OkReply("<!doctype x>\n<HTML><body>Not here</body></HTML>\n"));
  server_.Serve(kBase + "page.info.english.txt", "never fetched");
  server_.Serve(kBase + "ok.english.txt", "fine");
  tprogram::Add("none", "A none", "", "", "");
  tprogram::Add("page", "B page", "", "", "");
  tprogram::Add("ok", "C ok", "", "", "");

  FetchProgramInfo();

  EXPECT_FALSE(dir_.Exists("lang/page.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/page.info.english.txt"));
  EXPECT_EQ(dir_.Read("lang/ok.english.txt"), "fine");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("File: none.english.txt not found...0 3"));
  EXPECT_THAT(log, Contains("File: page.english.txt not found...1 3"));
  EXPECT_THAT(log, Not(Contains("Check for INFO files...PAGE")));
}

TEST_F(RetrievalTest, DescriptionThatKeepsFailingIsTriedALimitedNumberOfTimes) {
  // The size query and the HTML check succeed, but every download comes up
  // short of its announced length.
  server_.On("HEAD", kBase + "bad.english.txt", testing::HeadReply(10));
  server_.On("GET", kBase + "bad.english.txt",
             testing::Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nhalf\n"));
  server_.Serve(kBase + "good.english.txt", "good");
  tprogram::Add("bad", "A bad", "", "", "");
  tprogram::Add("good", "B good", "", "", "");

  FetchProgramInfo();

  auto log = LoggedTexts();
  EXPECT_EQ(std::count(log.begin(), log.end(),
                       "FileSize: 10 of " + server_.Url(kBase + "bad.english.txt")),
            kInfoDownloadAttempts);
  EXPECT_THAT(log, Contains("File: bad.english.txt download failed, skipped..."));
  EXPECT_FALSE(dir_.Exists("lang/bad.english.txt"));
  EXPECT_EQ(dir_.Read("lang/good.english.txt"), "good");
}

TEST_F(RetrievalTest, ClosingTheProgressWindowEndsTheRunAfterTheRecordInHand) {
  for (const char* id : {"one", "two", "three"}) {
    server_.Serve(kBase + std::string(id) + ".english.txt", id);
    tprogram::Add(id, std::string("Program ") + id, "", "", "");
  }
  bool closed = false;
  ui().SetPumpCallback([&] {
    if (tk::Gadget* window = ProgressWindow(); window && !closed) {
      closed = ui().CloseWindow(window);
    }
  });
  FetchProgramInfo();
  ASSERT_TRUE(closed);
  // Records are taken in list order: "Program one", "Program three", ...
  EXPECT_TRUE(dir_.Exists("lang/one.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/three.english.txt"));
  EXPECT_FALSE(dir_.Exists("lang/two.english.txt"));
  EXPECT_EQ(tk::QueueLength(), 0u) << "the close of the progress window is not left queued";
}

TEST_F(RetrievalTest, MainWindowIsDisabledDuringTheInfoDownloadAndEnabledAfter) {
  tk::Gadget* button = MakeMainWindow();
  server_.Serve(kBase + "a.english.txt", "a");
  tprogram::Add("a", "Alpha", "", "", "");
  bool disabled_during = false;
  ui().SetPumpCallback([&] { disabled_during = disabled_during || !button->Enabled(); });
  FetchProgramInfo();
  EXPECT_TRUE(disabled_during);
  EXPECT_TRUE(button->Enabled());
}

TEST_F(RetrievalTest, EmptyCatalogueIsReportedAndLeavesTheMainWindowEnabled) {
  tk::Gadget* button = MakeMainWindow();
  FetchProgramInfo();
  ASSERT_EQ(ui().Boxes().size(), 1u);
  EXPECT_EQ(ui().Boxes()[0].kind, tk::BoxKind::Notify);
  EXPECT_EQ(ui().Boxes()[0].text, "No info about programs!");
  EXPECT_FALSE(ui().Boxes()[0].serious);
  EXPECT_THAT(LoggedTexts(), Contains("No info about programs."));
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(ProgressWindow(), nullptr);
  EXPECT_EQ(server_.Connections(), 0);
}

TEST_F(RetrievalTest, IdentifierThatWouldLeaveTheLangFolderIsNeverFetched) {
  server_.Serve(kBase + "../evil.english.txt", "x");
  tprogram::Add("../evil", "Evil", "", "", "");
  FetchProgramInfo();
  EXPECT_EQ(server_.Connections(), 0);
  EXPECT_FALSE(dir_.Exists("evil.english.txt"));
  EXPECT_THAT(LoggedTexts(), Contains("File: ../evil.english.txt unsafe name, skipped..."));
}

TEST_F(RetrievalTest, PresentListFileIsNeverFetchedAgain) {
  LANGUAGE = "ITALIANO";
  dir_.Write("data/win32.app.italiano.txt", "[a]\nNAME=A\n[/]\n");
  server_.Serve(kBase + "win32.app.italiano.txt", "[b]\nNAME=B\n[/]\n");
  FetchProgramList();
  LoadProgramList();
  EXPECT_EQ(server_.Connections(), 0);
  EXPECT_THAT(FullNames(), ElementsAre("A"));
}

TEST_F(RetrievalTest, MissingListFileIsFetchedWithTheEnglishOne) {
  LANGUAGE = "ITALIANO";
  server_.Serve(kBase + "win32.app.italiano.txt", "[b]\nNAME=Bi\n[/]\n");
  server_.Serve(kBase + "win32.app.english.txt", "[b]\nNAME=Be\n[/]\n");
  FetchProgramList();
  EXPECT_EQ(dir_.Read("data/win32.app.italiano.txt"), "[b]\nNAME=Bi\n[/]\n");
  EXPECT_EQ(dir_.Read("data/win32.app.english.txt"), "[b]\nNAME=Be\n[/]\n");
  auto log = LoggedTexts();
  EXPECT_THAT(log, Contains("Download Application List...ITALIANO"));
  EXPECT_THAT(log, Contains("File 1 : win32.app.italiano.txt 1"));
  EXPECT_THAT(log, Contains("File 2 : win32.app.english.txt 1"));
  EXPECT_THAT(ui().Boxes(), IsEmpty());
}

TEST_F(RetrievalTest, EnglishListFileIsFetchedTwice) {
  server_.Serve(kBase + "win32.app.english.txt", "[e]\nNAME=E\n[/]\n");
  LoadProgramList();
  EXPECT_THAT(Gets(), ElementsAre(kBase + "win32.app.english.txt", kBase + "win32.app.english.txt"));
  EXPECT_THAT(FullNames(), ElementsAre("E"));
  EXPECT_THAT(LoggedTexts(), Not(Contains(HasSubstr("File 1 :"))));
}

TEST_F(RetrievalTest, UnreachableServerIsReportedAndLeavesTheCatalogueEmpty) {
  server_.Stop();  // nothing listens on its port any more
  tprogram::Add("old", "Old", "", "", "");
  FetchProgramList();
  LoadProgramList();
  EXPECT_TRUE(programList.empty());
  ASSERT_EQ(ui().Boxes().size(), 2u);
  for (const auto& box : ui().Boxes()) {
    EXPECT_EQ(box.kind, tk::BoxKind::Notify);
    EXPECT_EQ(box.text, "Unable to connect to the site!");
    EXPECT_FALSE(box.serious);
  }
  auto log = LoggedTexts();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Error - cannot connect to the site"), 2);
  EXPECT_THAT(log, Contains("File 1 : win32.app.english.txt -1"));
}

TEST_F(RetrievalTest, BrokenListDownloadLeavesNoFileBehind) {
  server_.On("HEAD", kBase + "win32.app.english.txt", testing::HeadReply(100));
  server_.On("GET", kBase + "win32.app.english.txt",
             testing::Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n[a]\nNAME=A\n"));
  FetchProgramList();
  EXPECT_FALSE(dir_.Exists("data/win32.app.english.txt"));
  EXPECT_THAT(LoggedTexts(), Contains("Error - cannot connect to the site"));
}

TEST_F(RetrievalTest, IsDownloadedLooksForTheLastPartOfTheAddressInDownload) {
  dir_.Write("download/tool.zip", "zip");
  auto there = tprogram::Add("t", "T", "http://h/files/tool.zip", "", "");
  auto missing = tprogram::Add("m", "M", "http://h/files/other.zip", "", "");
  auto folder = tprogram::Add("f", "F", "http://h/files/", "", "");
  EXPECT_EQ(IsDownloaded(there), 1);
  EXPECT_EQ(IsDownloaded(missing), 0);
  EXPECT_EQ(IsDownloaded(folder), 0);
  EXPECT_EQ(IsDownloaded(ProgramPtr()), 0);
}

TEST(CatalogueNames, FollowPlatformAndLanguage) {
  platformWin32 = 1;
  LANGUAGE = "ITALIANO";
  EXPECT_EQ(ListFileName(), "win32.app.italiano.txt");
  EXPECT_EQ(EnglishListFileName(), "win32.app.english.txt");
  EXPECT_EQ(DescriptionFileName("ABC"), "abc.italiano.txt");
  EXPECT_EQ(EnglishDescriptionFileName("ABC"), "abc.english.txt");
  EXPECT_EQ(InfoFileName("ABC"), "abc.info.italiano.txt");
  EXPECT_EQ(EnglishInfoFileName("ABC"), "abc.info.english.txt");
  platformLinuxX86 = 1;  // the last flag set wins
  EXPECT_EQ(PlatformName(), "linux_x86");
  platformWin32 = platformLinuxX86 = 0;
  EXPECT_EQ(PlatformName(), "");
  LANGUAGE.clear();
}

}  // namespace
}  // namespace corvane
