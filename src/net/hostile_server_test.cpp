// Every operation of the HTTP client against servers that misbehave: they
// close early, lie about sizes, never end a line, stop talking, trickle,
// redirect in circles or away from plain HTTP, and flood the headers.  For
// each server the client must give the result its rules give, return within
// its bounded waits with bounded memory, keep the window's messages flowing
// and never put a partial file where a good one stood.
#include <chrono>
#include <climits>
#include <functional>
#include <ostream>
#include <string>

#include "net/http_test_fixture.h"
#include "runtime/file_system.h"
#include "runtime/memory_stats.h"

namespace corvane {
namespace {

using testing::HeadReply;
using testing::LoopbackServer;
using testing::RedirectReply;
using testing::Reply;

constexpr int kReadIdleMs = 250;
// The longest the window may go unserved: well inside one bounded wait.
constexpr int kLongestPumpGapMs = 200;
constexpr const char* kSelf = "<the argument>";

// What the client's rules give for one server; kSelf stands for the URL
// that was asked for.
struct Expected {
  long long size;
  std::string resolved;
  int check;
  int plain;     // DownloadFile without progress
  int progress;  // DownloadFile with progress
  bool stream;   // OpenGetStream answers a stream
  bool body_ok;  // the stream's body reads to its end
  std::string body;
};

struct HostileCase {
  const char* name;
  std::function<void(LoopbackServer&)> script;  // rules for "/f" (and any others)
  Expected expected;
  long long seconds_per_operation = 3;
};

std::string Bytes(std::size_t n, char c) { return std::string(n, c); }
std::string Head(const std::string& length_line) { return "HTTP/1.0 200 OK\r\n" + length_line + "\r\n\r\n"; }
// Text with NUL bytes written as '~' for readability.
std::string WithNuls(std::string text) {
  for (char& c : text)
    if (c == '~') c = '\0';
  return text;
}

const std::string kBody = "hello world!";
const std::string kFillerLine = "X-Filler: " + Bytes(88, 'f') + "\r\n";  // 100 bytes
constexpr long long kHundredMegabytes = 100LL << 20;

const HostileCase kCases[] = {
    {"ClosesBeforeAnyHeader",
     [](LoopbackServer& s) { s.Otherwise(Reply().Close()); },
     {-1, kSelf, 0, -1, -1, true, true, ""}},
    {"ClosesMidBody",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", HeadReply(1000));
       s.On("GET", "/f", Reply().Send(Head("Content-Length: 1000") + Bytes(500, 'x')).Close());
     },
     {1000, kSelf, 1, 0, 0, true, true, Bytes(500, 'x')}},
    {"BodyOneByteShort",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", HeadReply(300));
       s.On("GET", "/f", Reply().Send(Head("Content-Length: 300") + Bytes(299, 's')));
     },
     {300, kSelf, 1, 0, 0, true, true, Bytes(299, 's')}},
    {"BodyOneByteLong",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", HeadReply(300));
       s.On("GET", "/f", Reply().Send(Head("Content-Length: 300") + Bytes(301, 'l')));
     },
     {300, kSelf, 1, 0, 0, true, true, Bytes(301, 'l')}},
    {"EndlessHeaderLine",
     [](LoopbackServer& s) {
       s.Otherwise(Reply().Send("HTTP/1.0 200 OK\r\nX-Endless: ").Repeat(Bytes(4096, 'a'), 1 << 20));
     },
     {-1, "-1", 0, -1, -1, false, false, ""}},
    {"HeadersThenSilence",
     [](LoopbackServer& s) { s.Otherwise(Reply().Send("HTTP/1.0 200 OK\r\nServer: mute\r\n").Hang()); },
     {-1, "-1", 0, -1, -1, false, false, ""}},
    {"BodyNeverComes",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", HeadReply(5));
       s.On("GET", "/f", Reply().Send(Head("Content-Length: 5")).Hang());
     },
     {5, kSelf, 0, 0, 0, true, false, ""}},
    {"ByteByByteButAlive",
     [](LoopbackServer& s) {
       // 8 ms between bytes: each answer takes longer than the read limit in
       // all, but no single gap comes near it.
       s.On("HEAD", "/f", Reply().SendSlowly(Head("Content-Length: 12"), 8));
       s.On("GET", "/f", Reply().SendSlowly(Head("Content-Length: 12") + kBody, 8));
     },
     {12, kSelf, 1, 1, 1, true, true, kBody}},
    {"EndlessBody",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", HeadReply(5));
       s.On("GET", "/f", Reply().Send(Head("Content-Length: 5")).Repeat(Bytes(65536, 'b'), 1 << 20));
     },
     {5, kSelf, 0, 0, 0, true, false, ""}},
    {"RedirectLoop",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", RedirectReply(s.Url("/g")));
       s.On("HEAD", "/g", RedirectReply(s.Url("/f")));
     },
     {-1, "-1", 0, -1, -1, true, true, ""}},
    {"RelativeLocation",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", RedirectReply("/g"));
       s.Serve("/g", kBody);
     },
     {-1, kSelf, 0, -1, -1, true, true, ""}},
    // The location is followed over TLS, and this plain server never
    // answers the handshake: a time-out, which ends the resolution.
    {"LocationToHttps",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", RedirectReply("https://127.0.0.1:" + std::to_string(s.Port()) + "/g"));
       s.Serve("/g", kBody);
     },
     {-1, "-1", 0, -1, -1, true, true, ""}},
    {"NulLineEnds",
     [](LoopbackServer& s) {
       s.On("HEAD", "/f", Reply().Send(WithNuls("HTTP/1.0 200 OK~Content-Length: 12~~")));
       s.On("GET", "/f", Reply().Send(WithNuls("HTTP/1.0 200 OK~Content-Length: 12~~") + kBody));
     },
     {12, kSelf, 1, 1, 1, true, true, kBody}},
    {"CarriageReturnLineEnds",
     [](LoopbackServer& s) {
       // CR bytes are dropped, so the whole answer is one header line and
       // no body ever starts; the length read from it is 0.
       s.On("HEAD", "/f", Reply().Send("HTTP/1.0 200 OK\rContent-Length: 0\r\r"));
       s.On("GET", "/f", Reply().Send("HTTP/1.0 200 OK\rContent-Length: 0\r\r" + kBody));
     },
     {0, kSelf, 1, 0, 0, true, true, ""}},
    {"NegativeContentLength",
     [](LoopbackServer& s) { s.Otherwise(Reply().Send(Head("Content-Length: -5") + "hello")); },
     {-5, kSelf, 0, -1, -1, true, true, "hello"}},
    {"EnormousContentLength",
     [](LoopbackServer& s) { s.Otherwise(Reply().Send(Head("Content-Length: 99999999999999999999999") + "hello")); },
     {LLONG_MAX, kSelf, 1, 0, 0, true, true, "hello"}},
    {"ContentLengthPast32Bits",
     // 2^32 + 5: a length cut to 32 bits would accept the 5 bytes.
     [](LoopbackServer& s) { s.Otherwise(Reply().Send(Head("Content-Length: 4294967301") + "hello")); },
     {4294967301LL, kSelf, 1, 0, 0, true, true, "hello"}},
    {"HundredMegabytesOfHeaders",
     [](LoopbackServer& s) {
       s.Otherwise(Reply()
                       .Send("HTTP/1.0 200 OK\r\n")
                       .Repeat(kFillerLine, kHundredMegabytes / static_cast<long long>(kFillerLine.size()))
                       .Send("Content-Length: 12\r\n\r\n" + kBody));
     },
     // Far past the header limit: the exchange is broken, whatever follows.
     {-1, "-1", 0, -1, -1, false, false, ""}},
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileServerTest : public HttpTest, public ::testing::WithParamInterface<HostileCase> {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    HttpLimits limits = GetHttpLimits();
    limits.read_idle_ms = kReadIdleMs;
    limits.max_header_bytes = 1 << 20;
    limits.max_checked_body_bytes = 1 << 20;
    SetHttpLimits(limits);
    GetParam().script(server_);
    // Samples the heap while the client is busy (its pumps are the only
    // moments the test gets control).
    ui().SetPumpCallback([this] {
      auto now = std::chrono::steady_clock::now();
      if (now - last_sample_ < std::chrono::milliseconds(10)) return;
      last_sample_ = now;
      peak_ = std::max(peak_, runtime::ReleaseFreeMemory().in_use);
      // Walking the heap is slow under wine: its time is the test's, not
      // the client's.
      sampling_ += std::chrono::steady_clock::now() - now;
    });
  }
  void TearDown() override {
    ui().SetPumpCallback({});
    HttpTest::TearDown();
  }

  // Runs one operation and checks what every operation owes: it returns
  // within its bounded waits, the window was pumped at short intervals and
  // the heap stayed small.
  template <typename Operation>
  auto Bounded(const char* what, Operation operation) {
    SCOPED_TRACE(what);
    ui().ResetPumpStats();
    peak_ = baseline_ = runtime::ReleaseFreeMemory().in_use;
    last_sample_ = {};
    sampling_ = {};
    auto start = std::chrono::steady_clock::now();
    auto result = operation();
    auto elapsed = std::chrono::steady_clock::now() - start - sampling_;
    EXPECT_LT(elapsed, std::chrono::seconds(GetParam().seconds_per_operation));
    EXPECT_LT(ui().LongestPumpGapRealMs(), kLongestPumpGapMs) << "the window went unserved";
    EXPECT_LT(peak_ - baseline_, 16LL << 20) << "memory grew with the answer";
    return result;
  }

  // DownloadFile over a previous good copy, which only a complete download may replace.
  int Download(bool with_progress) {
    dir_.Write("pkg.zip", previous_);
    int result = Bounded(with_progress ? "DownloadFile with progress" : "DownloadFile", [&] {
      return DownloadFile(Url(), dir_ / "pkg.zip", with_progress ? ProgressCallback([](float) {}) : nullptr,
                          128);
    });
    EXPECT_EQ(dir_.Read("pkg.zip"), result == 1 ? GetParam().expected.body : previous_);
    EXPECT_FALSE(dir_.HasTemporaries());
    return result;
  }

  std::string Url() const { return server_.Url("/f"); }
  std::string StreamUrlOfF() const { return "http::127.0.0.1:" + std::to_string(server_.Port()) + "/f"; }

  const std::string previous_ = "the previous, complete package";
  long long baseline_ = 0, peak_ = 0;
  std::chrono::steady_clock::time_point last_sample_;
  std::chrono::steady_clock::duration sampling_{};
};

TEST_P(HostileServerTest, EveryOperationGivesItsRuleResultInBoundedTimeAndMemory) {
  const Expected& want = GetParam().expected;
  const std::string resolved_wanted = want.resolved == kSelf ? Url() : want.resolved;

  EXPECT_EQ(Bounded("FileSizeRemote", [&] { return FileSizeRemote(Url()); }), want.size);
  EXPECT_EQ(Bounded("ResolveLocation", [&] { return ResolveLocation(Url()); }), resolved_wanted);
  EXPECT_EQ(Bounded("CheckRemoteFile", [&] { return CheckRemoteFile(Url()); }), want.check);
  EXPECT_EQ(Download(false), want.plain);
  EXPECT_EQ(Download(true), want.progress);

  std::string body;
  bool body_ok = false;
  bool opened = Bounded("OpenGetStream", [&] {
    auto stream = OpenGetStream(StreamUrlOfF());
    if (stream) body_ok = stream->ReadAll(&body, 1 << 20);
    return stream != nullptr;
  });
  EXPECT_EQ(opened, want.stream);
  EXPECT_EQ(body_ok, want.body_ok);
  if (want.body_ok) EXPECT_EQ(body, want.body);

  // A loop of redirects is cut off, never followed for ever; a location that
  // is not plain http:// never leads to a request of its own.
  EXPECT_LT(server_.Connections(), 60);
  for (const std::string& line : server_.RequestLines()) {
    if (std::string(GetParam().name) != "RedirectLoop") EXPECT_EQ(line.find("/g"), std::string::npos) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, HostileServerTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane
