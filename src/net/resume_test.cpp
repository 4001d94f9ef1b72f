// Resumed downloads: a server that cuts the body at chosen points, servers
// that answer a Range request with anything but the rest of the same file,
// the hash over a resumed file, the start-up sweep of parts, and a real web
// server that does ranges (nginx).
#include <memory>
#include <string>
#include <vector>

#include "log/activity_log.h"
#include "net/flaky_file_server.h"
#include "net/http_test_fixture.h"
#include "net/partial_download.h"
#include "runtime/clock.h"
#include "runtime/process.h"
#include "runtime/socket.h"
#include "trust/sha256.h"

namespace corvane {
namespace {

using testing::FlakyFile;

std::string Bytes(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  unsigned state = 2166136261u + static_cast<unsigned>(seed);
  for (char& c : bytes) {
    state = state * 16777619u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

class ResumeTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    OpenLog(dir_ / "log.txt");
  }
  void TearDown() override {
    ResetLog();
    HttpTest::TearDown();
  }
  // One try of the download into dir/pkg.zip, as the download run makes it.
  int Try(const std::string& url, BodyCheck* check = nullptr) {
    Resume resume;
    const int result = DownloadFile(url, dir_ / "pkg.zip", [](float) {}, 128, check, &resume);
    kept_.push_back(resume.kept);
    return result;
  }
  bool NoPartLeft() const { return !dir_.Exists("pkg.zip.part") && !dir_.Exists("pkg.zip.part.note"); }
  std::string Log() const { return dir_.Read("log.txt"); }

  std::vector<long long> kept_;
};

TEST_F(ResumeTest, CutsAreResumedIntoAByteIdenticalFileWithoutResending) {
  const long long size = 1 << 20;
  for (int cuts : {1, 5, 20}) {
    SCOPED_TRACE(std::to_string(cuts) + " cuts");
    testing::LoopbackServer server;
    FlakyFile file;
    file.body = Bytes(size, cuts);
    for (int i = 1; i <= cuts; ++i) file.cuts.push_back(size * i / (cuts + 1) + 17 * i);
    file.Install(server, "/pkg.zip");
    kept_.clear();
    const std::string good = trust::Sha256Hex(file.body);
    int result = 0, tries = 0;
    for (; result != 1 && tries <= cuts + 2; ++tries) {
      BodyCheck check{good};
      result = Try(server.Url("/pkg.zip"), &check);
      if (result != 1) EXPECT_TRUE(dir_.Exists("pkg.zip.part") && dir_.Exists("pkg.zip.part.note"));
      EXPECT_EQ(dir_.Exists("pkg.zip"), result == 1) << "a part looks finished";
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(tries, cuts + 1);
    EXPECT_TRUE(dir_.Read("pkg.zip") == file.body);
    EXPECT_TRUE(NoPartLeft());
    EXPECT_LE(file.sent.load(), size * 105 / 100);
    // Every try asked for exactly the rest, and only then had a fourth line.
    std::vector<std::string> ranges{""};
    std::vector<long long> kept{0};
    for (long long cut : file.cuts) {
      ranges.push_back("Range: bytes=" + std::to_string(cut) + "-");
      kept.push_back(cut);
    }
    EXPECT_EQ(FlakyFile::RangeLines(server), ranges);
    EXPECT_EQ(kept_, kept);
    for (const auto& r : server.Requests())
      if (r.bytes.find("Range") == std::string::npos)
        EXPECT_EQ(r.bytes, r.method + " /pkg.zip HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                               "\r\n\r\n");
    runtime::Fs().DeleteFile(dir_ / "pkg.zip");
  }
}

// After one cut, the second try meets a server that no longer gives the rest
// of the same file: it must start from zero and end with the server's file
// whole, never a mix.
TEST_F(ResumeTest, AnythingButTheRestOfTheSameFileRestartsFromZero) {
  const long long size = 200000;
  struct Case {
    const char* name;
    void (*change)(FlakyFile&);
    std::vector<std::string> ranges;  // of the second try's GETs
    const char* logged;
  } cases[] = {
      {"ignores Range", [](FlakyFile& f) { f.ranges = false; }, {"Range: bytes=100000-"}, "sends the whole file"},
      {"other ETag",
       [](FlakyFile& f) {
         f.body = Bytes(f.body.size(), 99);
         f.etag = "\"v2\"";
       },
       {"Range: bytes=100000-", ""},
       "the ETag changed"},
      {"other size", [](FlakyFile& f) { f.body = Bytes(f.body.size() + 1, 98); }, {""}, "size changed"},
      {"lying Content-Range", [](FlakyFile& f) { f.content_range = "bytes 100010-199999/200000"; },
       {"Range: bytes=100000-", ""}, "Content-Range <bytes 100010-199999/200000>"},
      {"416", [](FlakyFile& f) { f.range_status = 416; }, {"Range: bytes=100000-", ""}, "(416)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::LoopbackServer server;
    FlakyFile file;
    file.body = Bytes(size, 1);
    file.cuts = {size / 2};
    file.Install(server, "/pkg.zip");
    EXPECT_EQ(Try(server.Url("/pkg.zip")), 0);
    c.change(file);
    file.cuts.clear();
    EXPECT_EQ(Try(server.Url("/pkg.zip")), 1);
    EXPECT_TRUE(dir_.Read("pkg.zip") == file.body);
    EXPECT_TRUE(NoPartLeft());
    std::vector<std::string> ranges = FlakyFile::RangeLines(server);
    ranges.erase(ranges.begin());
    EXPECT_EQ(ranges, c.ranges);
    EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
  }
}

TEST_F(ResumeTest, AResumedFileIsHashedWholeAndDiscardedWhenWrong) {
  const long long size = 100000;
  for (bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "kept part damaged" : "kept part sound");
    testing::LoopbackServer server;
    FlakyFile file;
    file.body = Bytes(size, 3);
    file.cuts = {size / 3};
    file.Install(server, "/pkg.zip");
    const std::string good = trust::Sha256Hex(file.body);
    BodyCheck first{good};
    EXPECT_EQ(Try(server.Url("/pkg.zip"), &first), 0);
    if (damaged) {
      std::string part = dir_.Read("pkg.zip.part");
      part[10] ^= 1;
      dir_.Write("pkg.zip.part", part);
    }
    BodyCheck second{good};
    EXPECT_EQ(Try(server.Url("/pkg.zip"), &second), damaged ? 0 : 1);
    EXPECT_EQ(kept_.back(), size / 3);
    EXPECT_EQ(second.mismatch, damaged);
    EXPECT_EQ(second.received_sha256 == good, !damaged);
    EXPECT_TRUE(NoPartLeft());
    EXPECT_EQ(dir_.Exists("pkg.zip"), !damaged);
    runtime::Fs().DeleteFile(dir_ / "pkg.zip");
  }
}

TEST_F(ResumeTest, PartsWithoutANoteOrAWeekOldAreSweptAndNothingElse) {
  for (const char* name : {"a.zip.part", "a.zip.part.note", "b.zip.part", "c.zip.part.note", "user.txt",
                           "notes.partial"})
    dir_.Write(std::string("download/") + name, "x");
  dir_.Write("download/folder.part/inside", "x");
  const std::int64_t now = runtime::RealClock().UnixSeconds();
  const std::string folder = dir_ / "download";
  EXPECT_EQ(SweepPartialDownloads(runtime::Fs(), folder, now, kPartialMaxAgeSeconds).size(), 2u);
  EXPECT_TRUE(dir_.Exists("download/a.zip.part") && dir_.Exists("download/a.zip.part.note"));
  EXPECT_FALSE(dir_.Exists("download/b.zip.part") || dir_.Exists("download/c.zip.part.note"));
  EXPECT_EQ(SweepPartialDownloads(runtime::Fs(), folder, now + kPartialMaxAgeSeconds + 60, kPartialMaxAgeSeconds)
                .size(),
            2u);
  EXPECT_FALSE(dir_.Exists("download/a.zip.part") || dir_.Exists("download/a.zip.part.note"));
  EXPECT_TRUE(dir_.Exists("download/user.txt") && dir_.Exists("download/notes.partial") &&
              dir_.Exists("download/folder.part/inside"));
}

TEST(ContentRange, OnlyOneWholeRangeIsAccepted) {
  struct Case {
    const char* value;
    bool valid;
  } cases[] = {{"bytes 5-9/10", true},   {"bytes 0-0/1", true},     {"bytes 5-9/*", false},
               {"bytes 9-5/10", false},  {"bytes 5-10/10", false},  {"bytes -5-9/10", false},
               {"bytes 5 - 9/10", false}, {"items 5-9/10", false},  {"bytes 5-9/99999999999999999999", false}};
  for (const Case& c : cases) EXPECT_EQ(ParseContentRange(c.value).has_value(), c.valid) << c.value;
}

// nginx, started on a loopback port: its own 206 answers, Content-Range,
// ETag and Last-Modified.  The transfer is cut on our side (an exception out
// of the progress callback, as Ctrl-C on the command line does).  (lighttpd
// would not do: it honours Range only in HTTP/1.1 requests.)
TEST_F(ResumeTest, ARealServerResumesWhatWasCut) {
#ifdef _WIN32
  GTEST_SKIP() << "nginx is started as a Linux program";
#else
  const std::string binary = !runtime::FindProgram("nginx").empty() ? runtime::FindProgram("nginx")
                                                                     : std::string("/usr/sbin/nginx");
  if (runtime::Fs().Kind(binary) != runtime::kFile) GTEST_SKIP() << "nginx is not installed (package nginx-light)";
  const std::string body = Bytes(3 << 20, 5);
  dir_.Write("site/pkg.zip", body);
  dir_.Write("nginx/tmp/.keep", "");
  const int port = DeadPort();
  const std::string temp = dir_ / "nginx/tmp";
  dir_.Write("nginx/nginx.conf", "daemon off;\nmaster_process off;\npid " + (dir_ / "nginx/nginx.pid") +
                                     ";\nerror_log " + (dir_ / "nginx/error.log") + ";\nevents {}\nhttp {\n" +
                                     "access_log off;\nclient_body_temp_path " + temp + ";\nproxy_temp_path " + temp +
                                     ";\nfastcgi_temp_path " + temp + ";\nuwsgi_temp_path " + temp +
                                     ";\nscgi_temp_path " + temp + ";\nserver {\nlisten 127.0.0.1:" +
                                     std::to_string(port) + ";\nroot " + (dir_ / "site") + ";\n}\n}\n");
  auto server = runtime::StartProcess(binary + " -p \"" + (dir_ / "nginx") + "\" -c \"" +
                                      (dir_ / "nginx/nginx.conf") + "\"");
  ASSERT_TRUE(server);
  bool up = false;
  for (int waited = 0; !up && waited < 10000 && server->Running(); waited += 50) {
    up = runtime::Net().Connect("127.0.0.1", port, 1000, {}, nullptr) != nullptr;
    if (!up) server->WaitForOutput(50);
  }
  ASSERT_TRUE(up) << "nginx did not start: " << dir_.Read("nginx/error.log") << server->ErrorOutput();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/pkg.zip";
  struct Cut {};
  const std::string good = trust::Sha256Hex(body);
  int result = 0, tries = 0;
  for (long long stop_at : {400000LL, 1500000LL, 2900000LL, -1LL}) {
    ++tries;
    Resume resume;
    BodyCheck check{good};
    auto progress = [&](float fraction) {
      if (stop_at > 0 && fraction * static_cast<double>(body.size()) >= static_cast<double>(stop_at)) throw Cut{};
    };
    try {
      result = DownloadFile(url, dir_ / "pkg.zip", progress, 128, &check, &resume);
    } catch (const Cut&) {
      EXPECT_TRUE(dir_.Exists("pkg.zip.part") && !dir_.Exists("pkg.zip"));
    }
    if (tries > 1) EXPECT_GT(resume.kept, 0);
  }
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(dir_.Read("pkg.zip") == body);
  EXPECT_TRUE(NoPartLeft());
  EXPECT_EQ(Log().find("starting again"), std::string::npos) << Log();
  server->Terminate();
#endif
}

}  // namespace
}  // namespace corvane
