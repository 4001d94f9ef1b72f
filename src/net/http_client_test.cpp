#include "net/http_client.h"

#include <chrono>

#include "net/http_test_fixture.h"

namespace corvane {
namespace {

using testing::HeadReply;
using testing::RedirectReply;
using testing::Reply;

TEST_F(HttpTest, HeadRequestIsThreeExactLines) {
  server_.Serve("/download/corvane/a.txt", "12345");
  EXPECT_EQ(FileSizeRemote(server_.Url("/download/corvane/a.txt")), 5);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].bytes, "HEAD /download/corvane/a.txt HTTP/1.0\r\n" + HostLine() + "\r\n");
}

TEST_F(HttpTest, SizeComesOnlyFromAnExactContentLengthHeader) {
  struct Case {
    const char* response;
    long long size;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 12 bytes\r\n\r\n", 12},
      {"HTTP/1.0 200 OK\r\ncontent-length: 12\r\n\r\n", -1},
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 7\r\n\r\n", 7},
      {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", 0},
      {"garbage\r\nX-A: 1\r\nContent-Length:\t 42 \r\n\r\n", 42},
      {"HTTP/1.0 200 OK\r\n\r\n", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    server_.On("HEAD", "/f", Reply().Send(c.response));
    EXPECT_EQ(FileSizeRemote(server_.Url("/f")), c.size) << c.response;
  }
}

TEST_F(HttpTest, UrlFormsAndTheirFailures) {
  server_.Serve("/x.txt", "abc");
  std::string host = "127.0.0.1:" + std::to_string(server_.Port());
  // Without "http://" a URL is sized all the same; every "http://" goes.
  EXPECT_EQ(FileSizeRemote(host + "/x.txt"), 3);
  EXPECT_EQ(FileSizeRemote("http://" + host + "/http://x.txt"), 3);
  EXPECT_EQ(server_.RequestLines(), (std::vector<std::string>{"HEAD /x.txt HTTP/1.0", "HEAD /x.txt HTTP/1.0"}));

  EXPECT_EQ(FileSizeRemote("http://" + host), -1);
  EXPECT_TRUE(Debugged("---No slash"));
  EXPECT_EQ(FileSizeRemote("http://127.0.0.1:" + std::to_string(DeadPort()) + "/x.txt"), -1);
  EXPECT_TRUE(Debugged("FileSizeRemote---TCP: No stream"));
  EXPECT_EQ(FileSizeRemote("http://127.0.0.1:notaport/x.txt"), -1);

  EXPECT_EQ(StreamUrl("http://h:81/a\\b/c.zip"), "http::h:81/a/b/c.zip");
}

TEST_F(HttpTest, WindowMessagesAreProcessedAfterEachHeaderLine) {
  server_.On("HEAD", "/f", Reply().Send("A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nContent-Length: 1\r\n\r\n"));
  ui().ResetPumpStats();
  EXPECT_EQ(FileSizeRemote(server_.Url("/f")), 1);
  EXPECT_GE(ui().PumpCount(), 4);
}

TEST_F(HttpTest, LocationIsFollowedToAFileWithASize) {
  server_.On("HEAD", "/old", RedirectReply(server_.Url("/new")));
  server_.Serve("/new", "data");
  EXPECT_EQ(ResolveLocation(server_.Url("/old")), server_.Url("/new"));

  server_.Serve("/plain", "data");
  EXPECT_EQ(ResolveLocation(server_.Url("/plain")), server_.Url("/plain"));  // "http://" kept
}

TEST_F(HttpTest, RelativeAndSecureLocationsNeverSucceed) {
  server_.On("HEAD", "/rel", RedirectReply("/new"));
  server_.On("HEAD", "/tls", RedirectReply("https://127.0.0.1/new"));
  server_.Serve("/new", "data");
  EXPECT_EQ(ResolveLocation(server_.Url("/rel")), server_.Url("/rel"));
  EXPECT_EQ(ResolveLocation(server_.Url("/tls")), server_.Url("/tls"));
  EXPECT_EQ(FileSizeRemote(ResolveLocation(server_.Url("/rel"))), -1);
}

TEST_F(HttpTest, RedirectsAreFollowedTenLevelsDeepAndNoFurther) {
  // /c0 -> /c1 -> ... -> /cN, and /cN has a size.
  auto chain = [&](const std::string& prefix, int n) {
    for (int i = 0; i < n; ++i)
      server_.On("HEAD", prefix + std::to_string(i), RedirectReply(server_.Url(prefix + std::to_string(i + 1))));
    server_.Serve(prefix + std::to_string(n), "end");
  };
  chain("/ten", 10);
  chain("/eleven", 11);
  EXPECT_EQ(ResolveLocation(server_.Url("/ten0")), server_.Url("/ten10"));
  EXPECT_EQ(ResolveLocation(server_.Url("/eleven0")), "-1");

  server_.On("HEAD", "/a", RedirectReply(server_.Url("/b")));
  server_.On("HEAD", "/b", RedirectReply(server_.Url("/a")));
  EXPECT_EQ(ResolveLocation(server_.Url("/a")), "-1");
  EXPECT_EQ(ResolveLocation("http://127.0.0.1:" + std::to_string(DeadPort()) + "/a"), "-1");
  EXPECT_TRUE(Debugged("TCP - No stream"));
}

TEST_F(HttpTest, ManyLocationsPerAnswerAreCutOffByTheRequestBudget) {
  // Each answer names two places that redirect again: 2^10 paths without a budget.
  server_.On("HEAD", "/fan",
             Reply().Send("HTTP/1.0 302\r\nLocation: " + server_.Url("/fan") + "\r\nLocation: " +
                          server_.Url("/fan") + "\r\n\r\n"));
  EXPECT_EQ(ResolveLocation(server_.Url("/fan")), "-1");
  EXPECT_LE(server_.Connections(), GetHttpLimits().max_resolve_requests + 1);
}

// nginx and others put the length of their own little page on a redirect.
Reply RedirectWithLength(const std::string& location) {
  return Reply().Send("HTTP/1.1 301 Moved Permanently\r\nContent-Length: 145\r\nLocation: " + location +
                      "\r\n\r\n");
}

TEST_F(HttpTest, RedirectsCarryingALengthAreFollowedAndNeverSized) {
  server_.On("HEAD", "/a", RedirectWithLength(server_.Url("/b")));
  server_.On("HEAD", "/b", RedirectWithLength(server_.Url("/c")));
  server_.Serve("/c", "data");
  server_.On("HEAD", "/loop1", RedirectWithLength(server_.Url("/loop2")));
  server_.On("HEAD", "/loop2", RedirectWithLength(server_.Url("/loop1")));
  EXPECT_EQ(FileSizeRemote(server_.Url("/a")), -1);
  EXPECT_EQ(CheckRemoteFile(server_.Url("/a")), 0);
  EXPECT_EQ(ResolveLocation(server_.Url("/a")), server_.Url("/c"));
  EXPECT_EQ(ResolveLocation(server_.Url("/loop1")), "-1");
}

TEST_F(HttpTest, AHeadAnswerCarryingTheWholeFileIsReadOnlyToItsEmptyLine) {
  // busybox httpd answers HEAD as it answers GET; the file is far larger
  // than the header limit and holds a line that looks like a header.
  HttpLimits limits = GetHttpLimits();
  limits.max_header_bytes = 16 * 1024;
  SetHttpLimits(limits);
  std::string body = "Location: " + server_.Url("/elsewhere") + "\n";
  while (body.size() < 256 * 1024) body += std::string(99, 'b') + "\n";
  server_.On("HEAD", "/big", testing::OkReply(body));
  server_.On("GET", "/big", testing::OkReply(body));
  const std::string url = server_.Url("/big");
  EXPECT_EQ(FileSizeRemote(url), static_cast<long long>(body.size()));
  EXPECT_EQ(ResolveLocation(url), url);
  EXPECT_EQ(DownloadFile(url, dir_ / "big", [](float) {}, 4096), 1);
  EXPECT_EQ(dir_.Read("big"), body);
  for (const auto& line : server_.RequestLines()) EXPECT_EQ(line.find("/elsewhere"), std::string::npos);
}

TEST_F(HttpTest, StatusCodeIsReadFromTheFirstLineOnly) {
  struct Case {
    const char* line;
    int code;
  } cases[] = {
      {"HTTP/1.0 200 OK", 200}, {"HTTP/1.1 404", 404}, {"HTTP/1.0  302 Found", 302}, {"HTTP/1.0 2000 OK", 0},
      {"HTTP/1.0 20 OK", 0},    {"http/1.0 200 OK", 0}, {"HTTP/1.0", 0},             {"garbage 200", 0},
      {"HTTP/1.0 22949673010000 OK", 0},  // a run of digits that would overflow when summed
  };
  for (const Case& c : cases) EXPECT_EQ(StatusLineCode(c.line), c.code) << c.line;
}

TEST_F(HttpTest, CheckRemoteFileLooksForAnHtmlTagInAnyCase) {
  struct Case {
    const char* body;
    int result;
  } cases[] = {
      {"plain text\nsecond line\n", 1},
      {"<HTML><body>", -1},
      {"first\r\n  <HtMl>\r\nlast", -1},
      {"<ht\rml>", -1},     // CR bytes are dropped before looking
      {"<ht\nml>", 1},      // a tag never spans two lines
      {"<<html>", -1},
      {"<!DOCTYPE HTML>\n<html lang=\"en\">\n<head>", -1},  // an error page with attributes
      {"<htmlx> is not the tag", 1},
      {"", 1},
  };
  for (const Case& c : cases) {
    server_.Serve("/info.txt", c.body);
    EXPECT_EQ(CheckRemoteFile(server_.Url("/info.txt")), c.result) << c.body;
  }
  EXPECT_EQ(CheckRemoteFile(server_.Url("/missing.txt")), 0);
  EXPECT_TRUE(Debugged("---Size <0"));
  // A missing file answered with a sized error page that is no HTML.
  server_.On("HEAD", "/gone.txt", Reply().Send("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\n"));
  server_.On("GET", "/gone.txt", Reply().Send("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nNot found"));
  EXPECT_EQ(CheckRemoteFile(server_.Url("/gone.txt")), 0);
  // The HEAD answers, the GET connection cannot be made: the stream form lacks "::".
  server_.Serve("/x.txt", "<html>");
  EXPECT_EQ(CheckRemoteFile("127.0.0.1:" + std::to_string(server_.Port()) + "/x.txt"), 1);
}

TEST_F(HttpTest, ASilentServerTimesOutWhileTheWindowStaysAlive) {
  server_.Otherwise(Reply().Hang());
  ui().ResetPumpStats();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FileSizeRemote(server_.Url("/f")), -1);
  EXPECT_EQ(ResolveLocation(server_.Url("/f")), "-1");
  EXPECT_EQ(CheckRemoteFile(server_.Url("/f")), 0);
  EXPECT_EQ(DownloadFile(server_.Url("/f"), dir_ / "f", nullptr, 128), -1);
  EXPECT_EQ(OpenGetStream("http::127.0.0.1:" + std::to_string(server_.Port()) + "/f"), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_GT(ui().PumpCount(), 10);
  EXPECT_LT(ui().LongestPumpGapRealMs(), 200);  // the whole wait would be 250
}

TEST_F(HttpTest, AnEndlessHeaderLineFailsTheExchange) {
  std::string endless = "HTTP/1.0 200 OK\r\nX-Pad: " + std::string(200 * 1024, 'a') + "\r\nContent-Length: 5\r\n\r\n";
  server_.On("HEAD", "/f", Reply().Send(endless));
  server_.On("GET", "/f", Reply().Send(endless + "hello"));
  EXPECT_EQ(FileSizeRemote(server_.Url("/f")), -1);
  EXPECT_EQ(OpenGetStream("http::127.0.0.1:" + std::to_string(server_.Port()) + "/f"), nullptr);
}

TEST_F(HttpTest, SlowButSteadyAnswersSucceed) {
  // 40 bytes 15 ms apart take longer than the read limit in all, never between two bytes.
  server_.On("HEAD", "/f", Reply().SendSlowly("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\n", 15));
  EXPECT_EQ(FileSizeRemote(server_.Url("/f")), 3);
}

}  // namespace
}  // namespace corvane
