#include "net/http_stream.h"

#include <climits>

#include <gtest/gtest.h>

#include "net/http_client.h"
#include "runtime/memory_transport.h"

namespace corvane {
namespace {

using runtime::MemoryTransport;

std::unique_ptr<HttpStream> StreamOver(MemoryTransport& transport, std::size_t max_line = 1024) {
  return std::make_unique<HttpStream>(transport.Connect("h", 80, 0, {}, nullptr), 100, max_line);
}

TEST(HttpStreamTest, LinesEndAtLfNulOrTheEndAndDropEveryCr) {
  MemoryTransport transport(std::string("a\r\nb\0c\rd\n\xE9\r", 11));
  auto s = StreamOver(transport);
  std::vector<std::string> lines;
  std::string line;
  while (!s->AtEnd()) {
    ASSERT_TRUE(s->ReadLine(&line));
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "cd", "\xC3\xA9"}));
  EXPECT_FALSE(s->Failed());
}

TEST(HttpStreamTest, ALineOverTheLimitFailsTheStream) {
  MemoryTransport transport(std::string(5000, 'x') + "\nnext\n");
  auto s = StreamOver(transport, 4096);
  std::string line;
  EXPECT_FALSE(s->ReadLine(&line));
  EXPECT_TRUE(s->Failed());
  EXPECT_TRUE(s->AtEnd());
  EXPECT_FALSE(s->ReadLine(&line));
}

TEST(HttpStreamTest, HeadersAreSkippedAndTheBodyReadRaw) {
  MemoryTransport transport(std::string("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nab\0\n", 42));
  auto s = StreamOver(transport);
  ASSERT_TRUE(s->SkipHeaders());
  EXPECT_TRUE(s->HasAnnouncedLength());
  EXPECT_EQ(s->AnnouncedLength(), 4);
  std::string body;
  ASSERT_TRUE(s->ReadAll(&body, 100));
  EXPECT_EQ(body, std::string("ab\0\n", 4));
  EXPECT_TRUE(s->AtEnd());
}

TEST(HttpStreamTest, HeaderNumbers) {
  struct Case {
    const char* line;
    long long value;
  } cases[] = {
      {"Content-Length:\t 7 \x01", 7}, {"Content-Length: abc", 0},
      {"Content-Length: -3", -3},       {"Content-Length: +4", 4},       {"Content-Length", 0},
      {"X: Content-Length: 5", 0},      {"Content-Length: 18446744073709551616", LLONG_MAX},
  };
  for (const Case& c : cases) EXPECT_EQ(HeaderNumber(c.line), c.value) << c.line;
}

TEST(HttpStreamTest, TheHostPartNamesTheConnectionForHeadAndGet) {
  MemoryTransport transport("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc");
  runtime::SetNet(&transport);
  long long size = FileSizeRemote("http://files.example:8080/a");
  auto get = OpenGetStream("HTTP::files.example:8080/a");
  auto get_default = OpenGetStream("http::files.example");
  auto not_http = OpenGetStream("ftp::files.example/a");
  runtime::SetNet(nullptr);

  EXPECT_EQ(size, 3);
  EXPECT_NE(get, nullptr);
  EXPECT_NE(get_default, nullptr);
  EXPECT_EQ(not_http, nullptr);
  ASSERT_EQ(transport.Records().size(), 3u);
  EXPECT_EQ(transport.Records()[1].host, "files.example");
  EXPECT_EQ(transport.Records()[1].port, 8080);
  EXPECT_EQ(transport.Records()[1].sent, "GET /a HTTP/1.0\r\nHost: files.example:8080\r\n\r\n");
  EXPECT_EQ(transport.Records()[2].port, 80);
  EXPECT_EQ(transport.Records()[2].sent, "GET / HTTP/1.0\r\nHost: files.example\r\n\r\n");
}

}  // namespace
}  // namespace corvane
