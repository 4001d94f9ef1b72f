// The download run reported through a recording observer, against a
// loopback server: the events and their order are what every front-end sees.
#include "engine/download_run.h"

#include <gtest/gtest.h>

#include "install/install_test_fixture.h"
#include "net/flaky_file_server.h"
#include "net/http_client.h"
#include "support/loopback_server.h"

namespace corvane {
namespace {

class Recorder : public DownloadObserver {
 public:
  void RunStarted(int count) override { Add("started " + std::to_string(count)); }
  void FileStarted(int index, int count, const tprogram* r) override {
    Add("file " + std::to_string(index) + "/" + std::to_string(count) + " " + (r ? r->name : "-"));
  }
  void SizeKnown(long long bytes, const std::string&) override { Add("size " + std::to_string(bytes)); }
  void SizeUnknown(int try_number) override { Add("unknown " + std::to_string(try_number)); }
  void Progress(float) override {
    if (events.back() != "progress") Add("progress");
  }
  void UrlChanged(const std::string& url) override { Add("url " + url.substr(url.rfind('/') + 1)); }
  void GaveUp(const tprogram& r) override { Add("gave up " + r.name); }
  void FileDone(int index, int, const tprogram& r) override { Add("done " + std::to_string(index) + " " + r.name); }
  void RunFinished() override { Add("finished"); }
  void RunStopped() override { Add("stopped"); }
  void Add(const std::string& e) { events.push_back(e); }
  std::vector<std::string> events;
};

class DownloadRunTest : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    HttpLimits limits;
    limits.read_idle_ms = 250;
    limits.message_interval_ms = 0;
    SetHttpLimits(limits);
    runtime::Fs().CreateFolder("download");
    server.Serve("/a.zip", "AAAA");
    server.Serve("/b.zip", "BBBBBB");
  }
  void TearDown() override {
    SetHttpLimits(HttpLimits{});
    InScratchFolder::TearDown();
  }
  ProgramPtr Record(const std::string& name, const std::vector<std::string>& paths) {
    auto r = std::make_shared<tprogram>();
    r->name = name;
    for (const std::string& p : paths) r->urls.push_back(server.Url(p));
    r->url = r->urls.front();
    return r;
  }
  // Steps the run to its end (or stop_after steps).
  void Run(DownloadRun& run, std::vector<ProgramPtr> queue, int stop_after = 100) {
    run.Start(std::move(queue));
    for (int i = 0; run.Active() && i < stop_after; ++i) run.Step();
    if (run.Active()) run.Stop();
  }
  testing::LoopbackServer server;
  Recorder seen;
};

TEST_F(DownloadRunTest, ReportsEveryStepInOrder) {
  using V = std::vector<std::string>;
  struct Case {
    const char* what;
    bool endAtLastUrl;
    std::vector<std::vector<std::string>> urls;  // per record
    int stopAfter;
    V events;
  } cases[] = {
      {"two files", false, {{"/a.zip"}, {"/b.zip"}}, 100,
       {"started 2", "file 1/2 A", "size 4", "progress", "done 1 A", "file 2/2 B", "size 6", "progress",
        "done 2 B", "finished"}},
      {"dead first mirror", false, {{"/gone.zip", "/a.zip"}}, 100,
       {"started 1", "file 1/1 A", "unknown 1", "unknown 2", "unknown 3", "unknown 4", "url a.zip", "size 4",
        "progress", "done 1 A", "finished"}},
      {"single dead URL, next record shown with its URL", false, {{"/gone.zip"}, {"/b.zip"}}, 100,
       {"started 2", "file 1/2 A", "unknown 1", "unknown 2", "unknown 3", "unknown 4", "gave up A",
        "file 2/2 B", "url b.zip", "size 6", "progress", "done 2 B", "finished"}},
      {"every mirror dead ends the run when asked", true, {{"/gone.zip", "/gone2.zip"}}, 100,
       {"started 1", "file 1/1 A", "unknown 1", "unknown 2", "unknown 3", "unknown 4", "url gone2.zip",
        "unknown 1", "unknown 2", "unknown 3", "unknown 4", "gave up A", "finished"}},
      {"every mirror dead keeps trying until STOP", false, {{"/gone.zip", "/gone2.zip"}}, 10,
       {"started 1", "file 1/1 A", "unknown 1", "unknown 2", "unknown 3", "unknown 4", "url gone2.zip",
        "unknown 1", "unknown 2", "unknown 3", "unknown 4", "url gone2.zip", "unknown 1", "unknown 2",
        "stopped"}},
      {"empty queue", false, {}, 100, {"started 0", "file 1/0 -", "finished"}},
  };
  for (const Case& c : cases) {
    seen.events.clear();
    std::vector<ProgramPtr> queue;
    const char* names[] = {"A", "B"};
    for (std::size_t i = 0; i < c.urls.size(); ++i) queue.push_back(Record(names[i], c.urls[i]));
    DownloadRun run(seen);
    run.EndAtLastUrl(c.endAtLastUrl);
    Run(run, queue, c.stopAfter);
    EXPECT_EQ(seen.events, c.events) << c.what;
    EXPECT_FALSE(run.Active()) << c.what;
  }
  EXPECT_EQ(dir.Read("download/a.zip"), "AAAA");
  EXPECT_EQ(dir.Read("download/b.zip"), "BBBBBB");
}

TEST_F(DownloadRunTest, AFailedTransferCountsAsAFailedTry) {
  // The size query answers, the body is cut short: each failed transfer is a
  // failed try, so the run gives the file up instead of fetching it for ever.
  server.On("HEAD", "/cut.zip", testing::HeadReply(100));
  server.On("GET", "/cut.zip", testing::Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"));
  DownloadRun run(seen);
  Run(run, {Record("C", {"/cut.zip"})});
  EXPECT_EQ(seen.events.back(), "finished");
  EXPECT_NE(std::find(seen.events.begin(), seen.events.end(), "gave up C"), seen.events.end());
  EXPECT_FALSE(dir.Exists("download/cut.zip"));
  EXPECT_FALSE(dir.HasTemporaries("download"));
}

TEST_F(DownloadRunTest, ABrokenFileResumesAfterStopAndOnTheNextMirror) {
  // The first mirror breaks off at each of these points; the second serves
  // the rest of the same file.
  testing::FlakyFile first, second;
  first.body = second.body = std::string(30000, 'a') + std::string(30000, 'b');
  first.cuts = {20000, 20001, 20002, 20003, 20004};
  first.Install(server, "/m1/pkg.zip");
  second.Install(server, "/m2/pkg.zip");
  struct KeptRecorder : Recorder {
    void TransferStarted(long long kept_bytes, long long) override { kept.push_back(kept_bytes); }
    std::vector<long long> kept;
  } observer;
  DownloadRun run(observer);
  ProgramPtr record = Record("P", {"/m1/pkg.zip", "/m2/pkg.zip"});
  Run(run, {record}, 1);  // STOP after the first, broken, transfer
  EXPECT_TRUE(dir.Exists("download/pkg.zip.part") && !dir.Exists("download/pkg.zip"));
  Run(run, {record});  // "Download now!"
  EXPECT_EQ(observer.kept, (std::vector<long long>{0, 20000, 20001, 20002, 20003, 20004}));
  EXPECT_TRUE(dir.Read("download/pkg.zip") == first.body);
  EXPECT_FALSE(dir.Exists("download/pkg.zip.part"));
  EXPECT_LE(first.sent + second.sent, static_cast<long long>(first.body.size()) * 105 / 100);
}

}  // namespace
}  // namespace corvane
