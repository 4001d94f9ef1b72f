#include <vector>

#include "net/http_test_fixture.h"
#include "runtime/file_system.h"
#include "support/web_server.h"

namespace corvane {
namespace {

using testing::HeadReply;
using testing::OkReply;
using testing::Reply;

class DownloadTest : public HttpTest {
 protected:
  // A previous good copy that a failed download must leave as it is.
  void PutPreviousCopy() { dir_.Write("pkg.zip", previous_); }
  void ExpectPreviousCopyKept() {
    EXPECT_EQ(dir_.Read("pkg.zip"), previous_);
    EXPECT_FALSE(dir_.HasTemporaries());
  }
  int Download(bool with_progress) {
    auto progress = [this](float f) { fractions_.push_back(f); };
    return DownloadFile(server_.Url("/pkg.zip"), dir_ / "pkg.zip",
                        with_progress ? ProgressCallback(progress) : ProgressCallback(), 128);
  }

  std::string previous_ = "the previous, complete file";
  std::vector<float> fractions_;
};

TEST_F(DownloadTest, GetRequestIsExactAndHonoursThePort) {
  server_.Serve("/pkg.zip", "zip bytes");
  EXPECT_EQ(Download(false), 1);
  EXPECT_EQ(dir_.Read("pkg.zip"), "zip bytes");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "HEAD");
  EXPECT_EQ(requests[1].bytes, "GET /pkg.zip HTTP/1.0\r\n" + HostLine() + "\r\n");
}

TEST_F(DownloadTest, ProgressGrowsByTheRequestedChunk) {
  std::string body(1000, 'x');
  server_.Serve("/pkg.zip", body);
  EXPECT_EQ(Download(true), 1);
  EXPECT_EQ(dir_.Read("pkg.zip"), body);
  EXPECT_EQ(server_.RequestLines(),
            (std::vector<std::string>{"HEAD /pkg.zip HTTP/1.0", "HEAD /pkg.zip HTTP/1.0", "GET /pkg.zip HTTP/1.0"}));
  ASSERT_GE(fractions_.size(), 8u);
  for (std::size_t i = 0; i < fractions_.size(); ++i) EXPECT_FLOAT_EQ(fractions_[i], 0.128f * (i + 1));
  EXPECT_GT(fractions_.back(), 1.0f);
}

TEST_F(DownloadTest, EmptyBodyWithZeroLengthGivesAnEmptyFile) {
  server_.Serve("/pkg.zip", "");
  EXPECT_EQ(Download(true), 1);
  EXPECT_EQ(dir_.Read("pkg.zip"), "");
  EXPECT_TRUE(fractions_.empty());
}

TEST_F(DownloadTest, OneByteShortFailsAndKeepsThePreviousFile) {
  PutPreviousCopy();
  server_.On("HEAD", "/pkg.zip", HeadReply(10));
  server_.On("GET", "/pkg.zip", Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n123456789"));
  EXPECT_EQ(Download(true), 0);
  ExpectPreviousCopyKept();
  // Without progress the announced length decides the same way.
  EXPECT_EQ(Download(false), 0);
  ExpectPreviousCopyKept();
}

TEST_F(DownloadTest, DroppedConnectionKeepsThePreviousFileByteIdentical) {
  PutPreviousCopy();
  std::string body(300 * 1024, 'n');
  server_.On("HEAD", "/pkg.zip", HeadReply(static_cast<long long>(body.size())));
  server_.On("GET", "/pkg.zip",
             Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                          body.substr(0, body.size() / 2)).Reset());
  EXPECT_EQ(Download(true), 0);
  ExpectPreviousCopyKept();
  EXPECT_EQ(Download(false), 0);
  ExpectPreviousCopyKept();
}

TEST_F(DownloadTest, AnswerClosedBeforeItsHeadersEndedReplacesNothing) {
  PutPreviousCopy();
  server_.On("HEAD", "/pkg.zip", HeadReply(5));
  server_.On("GET", "/pkg.zip", Reply().Close());
  server_.On("GET", "/pkg.zip", Reply().Send("HTTP/1.0 200 OK\r\nServer: x"));
  EXPECT_EQ(Download(false), 0);
  ExpectPreviousCopyKept();
  EXPECT_EQ(Download(false), 0);
  ExpectPreviousCopyKept();
}

TEST_F(DownloadTest, OnlyATwoHundredAnswerIsEverStored) {
  const std::string page = "<html><head><title>Error</title></head></html>\n";
  struct Case {
    std::string head;
    int result;
  } cases[] = {
      {"HTTP/1.0 404 File not found", 0},
      {"HTTP/1.1 500 Internal Server Error", 0},
      {"HTTP/1.1 301 Moved Permanently\r\nLocation: " + server_.Url("/elsewhere.zip"), -1},
      {"HTTP/1.0 302 Found\r\nLocation: /relative.zip", -1},
      {"Not an HTTP answer", 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = "/case" + std::to_string(n++) + "/pkg.zip";
    const std::string headers = c.head + "\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n";
    server_.On("HEAD", path, Reply().Send(headers));
    server_.On("GET", path, Reply().Send(headers + page));
    for (bool with_progress : {false, true}) {
      PutPreviousCopy();
      ProgressCallback progress = with_progress ? ProgressCallback([](float) {}) : nullptr;
      EXPECT_EQ(DownloadFile(server_.Url(path), dir_ / "pkg.zip", progress, 128), c.result)
          << c.head << (with_progress ? " with progress" : "");
      ExpectPreviousCopyKept();
    }
  }
}

TEST_F(DownloadTest, WhatARealWebServerLacksReplacesNothing) {
  dir_.Write("site/here.txt", "present\n");
  dir_.Write("site/folder/inside.txt", "inside");
  testing::WebServer web(dir_ / "site");
  if (!web.Available()) GTEST_SKIP() << "python3 is not installed";
  ASSERT_GT(web.Port(), 0) << "the web server did not start";
  // Its 404 page carries a length, so the size query answers; a folder named
  // without its slash is a redirect that carries a length of 0.
  EXPECT_GT(FileSizeRemote(web.Url("/missing.zip")), 0);
  EXPECT_EQ(FileSizeRemote(web.Url("/folder")), -1);
  EXPECT_EQ(CheckRemoteFile(web.Url("/missing.txt")), 0);
  for (const std::string path : {"/missing.zip", "/folder"}) {
    for (bool with_progress : {false, true}) {
      PutPreviousCopy();
      ProgressCallback progress = with_progress ? ProgressCallback([](float) {}) : nullptr;
      EXPECT_LE(DownloadFile(web.Url(path), dir_ / "pkg.zip", progress, 128), 0) << path;
      ExpectPreviousCopyKept();
    }
  }
  EXPECT_EQ(DownloadFile(web.Url("/here.txt"), dir_ / "pkg.zip", [](float) {}, 128), 1);
  EXPECT_EQ(dir_.Read("pkg.zip"), "present\n");
}

TEST_F(DownloadTest, PlainCopyWithoutAnnouncedLengthRunsToTheClose) {
  server_.On("HEAD", "/pkg.zip", HeadReply(5));
  server_.On("GET", "/pkg.zip", Reply().Send("HTTP/1.0 200 OK\r\n\r\nhello"));
  EXPECT_EQ(Download(false), 1);
  EXPECT_EQ(dir_.Read("pkg.zip"), "hello");
}

TEST_F(DownloadTest, ABodyThatStopsMidwayTimesOutAndKeepsThePreviousFile) {
  PutPreviousCopy();
  server_.On("HEAD", "/pkg.zip", HeadReply(10));
  server_.On("GET", "/pkg.zip", Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n12345").Hang());
  EXPECT_EQ(Download(true), 0);
  ExpectPreviousCopyKept();
}

TEST_F(DownloadTest, FailuresBeforeTheTransfer) {
  EXPECT_EQ(DownloadFile("", dir_ / "x", nullptr, 128), 0);
  EXPECT_EQ(Download(true), -1);  // the size query fails: nothing opened
  EXPECT_EQ(server_.RequestLines(), std::vector<std::string>{"HEAD /pkg.zip HTTP/1.0"});

  // Sized without "http://", but never fetched: no GET is sent.
  server_.Serve("/pkg.zip", "data");
  std::string bare = "127.0.0.1:" + std::to_string(server_.Port()) + "/pkg.zip";
  EXPECT_EQ(DownloadFile(bare, dir_ / "pkg.zip", nullptr, 128), 0);
  EXPECT_EQ(DownloadFile(bare, dir_ / "pkg.zip", [](float) {}, 128), 0);
  for (const auto& line : server_.RequestLines()) EXPECT_EQ(line.rfind("GET", 0), std::string::npos) << line;
  EXPECT_FALSE(dir_.Exists("pkg.zip"));

  // The local folder does not exist.
  EXPECT_EQ(DownloadFile(server_.Url("/pkg.zip"), dir_ / "no/such/folder/pkg.zip", nullptr, 128), 0);
}

TEST_F(DownloadTest, EmptyLocalPathMeansTheDownloadFolder) {
  std::string before = runtime::Fs().CurrentFolder();
  dir_.Write("download/.keep", "");
  ASSERT_TRUE(runtime::Fs().ChangeFolder(dir_.path()));
  server_.Serve("/files/tool.zip", "tool");
  int result = DownloadFile(server_.Url("/files/tool.zip"), "", [](float) {}, 128);
  runtime::Fs().ChangeFolder(before);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(dir_.Read("download/tool.zip"), "tool");
}

// Fails every write after the first `budget` bytes of one file.
class FullDisk : public runtime::FileSystemWrapper {
 public:
  FullDisk(runtime::FileSystem& real, std::size_t budget) : FileSystemWrapper(real), budget_(budget) {}
  std::unique_ptr<runtime::WriteStream> OpenWrite(const std::string& path) override {
    auto inner = t_.OpenWrite(path);
    if (!inner) return nullptr;
    return std::make_unique<Limited>(std::move(inner), budget_);
  }

 private:
  class Limited : public runtime::WriteStream {
   public:
    Limited(std::unique_ptr<runtime::WriteStream> inner, std::size_t budget)
        : inner_(std::move(inner)), left_(budget) {}
    bool Write(const void* data, std::size_t size) override {
      if (size > left_) {
        inner_->Write(data, left_);
        left_ = 0;
        return ok_ = false;
      }
      left_ -= size;
      return inner_->Write(data, size) && ok_;
    }
    bool Close() override { return inner_->Close() && ok_; }

   private:
    std::unique_ptr<runtime::WriteStream> inner_;
    std::size_t left_;
    bool ok_ = true;
  };
  std::size_t budget_;
};

TEST_F(DownloadTest, AFullDiskFailsCleanlyAndKeepsThePreviousFile) {
  PutPreviousCopy();
  server_.Serve("/pkg.zip", std::string(20000, 'd'));
  FullDisk disk(runtime::Fs(), 5000);
  runtime::SetFs(&disk);
  int with_progress = Download(true);
  int plain = Download(false);
  runtime::SetFs(nullptr);
  EXPECT_EQ(with_progress, 0);
  EXPECT_EQ(plain, 0);
  ExpectPreviousCopyKept();
}

}  // namespace
}  // namespace corvane
