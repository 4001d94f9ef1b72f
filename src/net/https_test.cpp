// The HTTP client over TLS against a real TLS server (Python's ssl module)
// with certificates made by the openssl command: good ones carry the
// exchange byte for byte; every bad one fails within its bounds, says why in
// the activity log and leaves no file.
#include <chrono>
#include <ostream>

#include "log/activity_log.h"
#include "net/connection_problem.h"
#include "net/flaky_file_server.h"
#include "net/http_test_fixture.h"
#include "net/tls_socket.h"
#include "net/tls_test_server.h"
#include "net/trust_roots.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"

namespace corvane {
namespace {

using testing::LoopbackServer;
using testing::Reply;
using testing::TlsFront;

constexpr int kHandshakeMs = 800;

class HttpsTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    std::string missing = testing::MissingTlsTool();
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
    if (testing::TestCertificates().empty()) GTEST_SKIP() << "the test certificates could not be made";
    // Room for a handshake on a busy machine; the silent server costs it whole.
    HttpLimits limits = GetHttpLimits();
    limits.tls_handshake_ms = kHandshakeMs;
    SetHttpLimits(limits);
    runtime::SetEnv("CORVANE_CA_FILE", testing::TestCertificates() + "/ca.pem");
    ReadRecordsWithGcmOpener(true);
    OpenLog(dir_ / "log.txt");
    TakeConnectionProblem();
  }
  void TearDown() override {
    ResetLog();
    runtime::UnsetEnv("CORVANE_CA_FILE");
    ForgetTrustedRoots();
    HttpTest::TearDown();
  }
  std::string Log() const { return dir_.Read("log.txt"); }
  static std::string Url(const std::string& host, int port, const std::string& path) {
    return "https://" + host + ":" + std::to_string(port) + path;
  }
};

const std::string kPackage = [] {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7 % 251);
  return bytes;
}();

TEST_F(HttpsTest, GoodCertificateCarriesTheExchangeByteForByte) {
  server_.Serve("/pkg.zip", kPackage);
  TlsFront front(server_.Port(), {"good"});
  ASSERT_TRUE(front.Ready());
  // An address is matched against the certificate's IP entry, a name (sent
  // as SNI) against its DNS entry; the records are read by GcmOpener (the
  // server picks AES-GCM) and by mbedTLS.
  for (const bool own_reading : {true, false})
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    SCOPED_TRACE(host + (own_reading ? ", GcmOpener" : ", mbedTLS"));
    ReadRecordsWithGcmOpener(own_reading);
    const std::string url = Url(host, front.Port(0), "/pkg.zip");
    EXPECT_EQ(FileSizeRemote(url), static_cast<long long>(kPackage.size()));
    EXPECT_EQ(ResolveLocation(url), url);
    EXPECT_EQ(CheckRemoteFile(url), 1);
    EXPECT_EQ(DownloadFile(url, dir_ / "plain.zip", nullptr, 128), 1);
    EXPECT_EQ(DownloadFile(url, dir_ / "progress.zip", [](float) {}, 128), 1);
    EXPECT_TRUE(dir_.Read("plain.zip") == kPackage);
    EXPECT_TRUE(dir_.Read("progress.zip") == kPackage);
  }
  // The Host line names the port, which is not 443.
  const auto requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests[0].bytes.find("\r\nHost: 127.0.0.1:" + std::to_string(front.Port(0)) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(Log().find("HTTPS:"), std::string::npos);
}

TEST_F(HttpsTest, ADamagedRecordIsRefused) {
  server_.Serve("/pkg.zip", kPackage);
  TlsFront front(server_.Port(), {"tamper"});
  ASSERT_TRUE(front.Ready());
  const std::string url = Url("127.0.0.1", front.Port(0), "/pkg.zip");
  for (const bool own_reading : {true, false}) {
    SCOPED_TRACE(own_reading ? "GcmOpener" : "mbedTLS");
    ReadRecordsWithGcmOpener(own_reading);
    // Each connection's first record of the answer has one bit flipped.
    EXPECT_EQ(FileSizeRemote(url), -1);
    EXPECT_NE(DownloadFile(url, dir_ / "pkg.zip", nullptr, 128), 1);
    EXPECT_FALSE(dir_.Exists("pkg.zip"));
  }
  EXPECT_FALSE(server_.Requests().empty());  // the handshakes passed
}

struct BadServer {
  const char* server;  // a certificate name, "cut", "plain" or "silent"
  const char* host;
  const char* log_text;
};

const BadServer kBadServers[] = {
    {"wronghost", "127.0.0.1", "the certificate of 127.0.0.1 is for another host name"},
    {"wronghost", "localhost", "the certificate of localhost is for another host name"},
    {"expired", "127.0.0.1", "the certificate of 127.0.0.1 has expired"},
    {"selfsigned", "127.0.0.1", "the certificate of 127.0.0.1 is not trusted"},
    {"unknownca", "127.0.0.1", "the certificate of 127.0.0.1 is not trusted"},
    {"plain", "127.0.0.1", "the TLS handshake with 127.0.0.1 failed (the server does not answer in TLS)"},
    {"cut", "127.0.0.1", "the TLS handshake with 127.0.0.1 failed (the connection was closed)"},
    {"silent", "127.0.0.1", "the TLS handshake with 127.0.0.1 timed out"},
};

TEST_F(HttpsTest, BadServersFailInTimeWithTheirReasonAndLeaveNoFile) {
  server_.Serve("/pkg.zip", kPackage);
  std::vector<std::string> names;
  for (const BadServer& bad : kBadServers)
    if (std::string(bad.server) != "silent") names.push_back(bad.server);
  TlsFront front(server_.Port(), names);
  ASSERT_TRUE(front.Ready());
  LoopbackServer silent;  // takes the connection and never answers the handshake
  silent.Otherwise(Reply().Hang());
  std::size_t next = 0;
  for (const BadServer& bad : kBadServers) {
    SCOPED_TRACE(std::string(bad.server) + " as " + bad.host);
    const int port = std::string(bad.server) == "silent" ? silent.Port() : front.Port(next++);
    const std::string url = Url(bad.host, port, "/pkg.zip");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FileSizeRemote(url), -1);
    EXPECT_EQ(DownloadFile(url, dir_ / "pkg.zip", nullptr, 128), -1);
    EXPECT_EQ(OpenGetStream(StreamUrl(url)), nullptr);
    // Three handshakes at most (two size queries and a GET), each bounded.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * kHandshakeMs + 1500));
    EXPECT_FALSE(dir_.Exists("pkg.zip"));
    EXPECT_FALSE(dir_.Exists("pkg.zip.part"));
    EXPECT_NE(Log().find("HTTPS: " + std::string(bad.log_text)), std::string::npos) << Log();
    EXPECT_EQ(TakeConnectionProblem().rfind("HTTPS: " + std::string(bad.log_text), 0), 0u);
  }
  // Nothing reached the plain server behind the TLS servers.
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpsTest, RedirectsStayOnHttps) {
  TlsFront front(server_.Port(), {"good"});
  ASSERT_TRUE(front.Ready());
  const std::string secure = Url("127.0.0.1", front.Port(0), "/f");
  server_.Serve("/f", "file");
  server_.On("HEAD", "/up", testing::RedirectReply(secure));
  server_.On("HEAD", "/down", testing::RedirectReply(server_.Url("/f")));
  // https to https is followed; https to http is refused and logged.
  EXPECT_EQ(ResolveLocation(Url("127.0.0.1", front.Port(0), "/up")), secure);
  const std::string down = Url("127.0.0.1", front.Port(0), "/down");
  EXPECT_EQ(ResolveLocation(down), down);
  EXPECT_NE(Log().find("HTTPS: the redirect from <" + down + "> to <" + server_.Url("/f") + "> is refused"),
            std::string::npos)
      << Log();
  // Plain HTTP may move up to HTTPS.
  server_.On("HEAD", "/secure", testing::RedirectReply(secure));
  EXPECT_EQ(ResolveLocation(server_.Url("/secure")), secure);
}

// A trust store that cannot be read: every certificate is untrusted, and
// the log says which store was missing.
class UnreadableFs : public runtime::FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::optional<std::string> ReadFile(const std::string& p) override {
    const bool store = p.ends_with("/ca-certificates.crt") || p.ends_with("/ca.pem");
    return store ? std::nullopt : t_.ReadFile(p);
  }
};

TEST_F(HttpsTest, UnreadableTrustStoresAreLoggedAndTrustNothing) {
  server_.Serve("/f", "file");
  TlsFront front(server_.Port(), {"good"});
  ASSERT_TRUE(front.Ready());
  UnreadableFs fs(runtime::Fs());
  runtime::SetFs(&fs);
  ForgetTrustedRoots();
  EXPECT_EQ(FileSizeRemote(Url("127.0.0.1", front.Port(0), "/f")), -1);
  runtime::SetFs(nullptr);
  ForgetTrustedRoots();
  const std::string log = Log();
#ifndef _WIN32
  EXPECT_NE(log.find("HTTPS: no trusted root certificates could be read from /etc/ssl/certs/ca-certificates.crt"),
            std::string::npos)
      << log;
#endif
  EXPECT_NE(log.find("(CORVANE_CA_FILE) cannot be read"), std::string::npos) << log;
  EXPECT_NE(log.find("the certificate of 127.0.0.1 is not trusted"), std::string::npos) << log;
}

// A cut inside TLS: the part is kept and the rest asked for in a new TLS
// exchange with its Range line.
TEST_F(HttpsTest, ACutTransferResumesOverTls) {
  testing::FlakyFile file;
  file.body = kPackage;
  file.cuts = {100000};
  file.Install(server_, "/pkg.zip");
  TlsFront front(server_.Port(), {"good"});
  ASSERT_TRUE(front.Ready());
  const std::string url = Url("127.0.0.1", front.Port(0), "/pkg.zip");
  std::vector<long long> kept;
  for (int result : {0, 1}) {
    Resume resume;
    EXPECT_EQ(DownloadFile(url, dir_ / "pkg.zip", [](float) {}, 128, nullptr, &resume), result);
    kept.push_back(resume.kept);
  }
  EXPECT_EQ(kept, (std::vector<long long>{0, 100000}));
  EXPECT_TRUE(dir_.Read("pkg.zip") == kPackage);
  EXPECT_EQ(testing::FlakyFile::RangeLines(server_), (std::vector<std::string>{"", "Range: bytes=100000-"}));
}

TEST(Ipv4BytesTest, OnlyDottedQuadsAreAddresses) {
  struct Case {
    const char* host;
    std::string bytes;
  };
  const Case cases[] = {
      {"127.0.0.1", std::string("\x7f\0\0\x01", 4)},
      {"255.255.255.255", "\xff\xff\xff\xff"},
      {"localhost", ""},
      {"1.2.3", ""},
      {"1.2.3.4.5", ""},
      {"1.2.3.256", ""},
      {"1.2.3.4x", ""},
      {"1..3.4", ""},
      {"1234.1.1.1", ""},
      {"10.0.0.1.example.org", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Ipv4Bytes(c.host), c.bytes) << c.host;
}

}  // namespace
}  // namespace corvane
