#include "net/http_client.h"

#include <climits>

#include "log/activity_log.h"
#include "net/connection_problem.h"
#include "net/debug_channel.h"
#include "net/html_tag.h"
#include "net/tls_socket.h"
#include "runtime/socket.h"
#include "runtime/text.h"

namespace corvane {
namespace {

HttpLimits& Limits() {
  static HttpLimits limits;
  return limits;
}

// Why a connection could not be had.  A time-out counts as a broken
// exchange (callers that follow redirects give up); the others are the
// ordinary "no stream".
enum class NoLink { kNone, kRefused, kTimedOut };

// "8080" -> 8080; anything that is not a port number gives 0.
int ParsePort(const std::string& text) {
  long long n = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n <= 65535; ++i) n = n * 10 + (text[i] - '0');
  return i == 0 || n > 65535 ? 0 : static_cast<int>(n);
}

// Host names with blanks, controls or NUL bytes could only reach some other
// host than the one the request names.
bool PlausibleHostName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c < 33 || c == 127) return false;
  return true;
}

// Where one exchange goes: the scheme, the host text as the URL gives it
// ("name" or "name:port"), and the port (80, or 443 over TLS, by default).
struct Address {
  bool tls = false;
  std::string host, name;
  int port = 0;
};

Address ParseHost(const std::string& host, bool tls) {
  Address a;
  a.tls = tls;
  a.host = host;
  a.name = host;
  a.port = tls ? 443 : 80;
  std::size_t colon = host.find(':');
  if (colon != std::string::npos) {
    a.name = host.substr(0, colon);
    a.port = ParsePort(host.substr(colon + 1));
  }
  return a;
}

// The Host line names the port only when it is not the scheme's own.
std::string HostLine(const Address& a) {
  return a.port == (a.tls ? 443 : 80) ? a.name : a.host;
}

// Opens a connection to the address, in TLS for https.  A TLS failure is
// one the user can act on (a certificate, a server that is no TLS server):
// it is reported as a connection problem, not only to the debug channel.
std::unique_ptr<HttpStream> Connect(const Address& address, NoLink* why) {
  const HttpLimits& limits = Limits();
  *why = NoLink::kRefused;
  if (!PlausibleHostName(address.name) || address.port == 0) return nullptr;
  std::string error;
  std::string name = runtime::EncodeLatin1(address.name);
  auto socket = runtime::Net().Connect(name, address.port, limits.connect_ms, &HttpStream::KeepWindowAlive, &error);
  if (socket && address.tls) {
    socket = StartTls(std::move(socket), name, limits.tls_handshake_ms, &HttpStream::KeepWindowAlive, &error);
    if (!socket) {
      ReportConnectionProblem(error);
      if (error.find("timed out") != std::string::npos) *why = NoLink::kTimedOut;
      return nullptr;
    }
  }
  if (!socket) {
    if (error == "time-out") *why = NoLink::kTimedOut;
    DebugText("connect " + address.host + ": " + error);
    return nullptr;
  }
  *why = NoLink::kNone;
  return std::make_unique<HttpStream>(std::move(socket), limits.read_idle_ms, limits.max_line_bytes,
                                      limits.max_header_bytes);
}

// Three lines: the request line, the host line and a bare CR LF.  Only the
// resumption of a kept partial download adds a fourth, its Range line.
bool SendRequest(HttpStream& stream, const std::string& method, const std::string& path, const Address& address,
                 long long range_from = -1) {
  std::vector<std::string> lines{method + " " + path + " HTTP/1.0", "Host: " + HostLine(address)};
  if (range_from >= 0) lines.push_back("Range: bytes=" + std::to_string(range_from) + "-");
  lines.emplace_back();
  return stream.WriteLines(lines);
}

struct SizeAnswer {
  long long size = -1;
  bool broken = false;  // a wait timed out or the response was unreadable
};

SizeAnswer QuerySize(const std::string& url) {
  std::string host, path;
  if (!SplitWebUrl(url, &host, &path)) {
    DebugText("---No slash");
    return {};
  }
  NoLink why;
  Address address = ParseHost(host, IsHttpsUrl(url));
  auto stream = Connect(address, &why);
  if (!stream) {
    DebugText("FileSizeRemote---TCP: No stream");
    return {-1, why == NoLink::kTimedOut};
  }
  if (!SendRequest(*stream, "HEAD", path, address)) {
    DebugText("FileSizeRemote---send failed");
    return {};
  }
  // The headers end at the empty line: some servers send the whole file
  // after it even to HEAD, and that is no header.
  std::string line;
  long long redirect_length = -1;
  bool relocated = false;
  while (!stream->AtEnd()) {
    if (!stream->ReadHeaderLine(&line) || line.empty()) break;
    const bool redirect = IsRedirectStatus(stream->StatusCode());
    if (line.find("Content-Length:") != std::string::npos) {
      if (!redirect) return {HeaderNumber(line), false};
      if (redirect_length < 0) redirect_length = HeaderNumber(line);
    }
    if (redirect && line.find("Location:") != std::string::npos) relocated = true;
  }
  if (stream->Failed()) {
    DebugText("FileSizeRemote---" + stream->FailureReason());
    return {-1, true};
  }
  // The length of a redirect is that of its own little page, not the file's.
  if (relocated) {
    DebugText("FileSizeRemote---redirected");
    return {};
  }
  return {redirect_length, false};
}

class Resolver {
 public:
  std::string Resolve(const std::string& url, int depth) {
    if (broken_) return "-1";
    if (depth >= Limits().max_redirect_depth) return GiveUp("ResolveLocation---too many redirects");
    std::string host, path;
    if (!SplitWebUrl(url, &host, &path)) return "-1";
    if (!Spend()) return "-1";
    NoLink why;
    Address address = ParseHost(host, IsHttpsUrl(url));
    auto stream = Connect(address, &why);
    if (!stream) {
      DebugText("TCP - No stream");
      if (why == NoLink::kTimedOut) broken_ = true;
      return "-1";
    }
    if (!SendRequest(*stream, "HEAD", path, address)) return "-1";
    std::string line;
    while (!stream->AtEnd()) {
      if (!stream->ReadHeaderLine(&line) || line.empty()) break;
      if (line.find("Location:") == std::string::npos) continue;
      std::string candidate = HeaderValue(line);
      // Leaving TLS would hand the file to anyone on the way: never followed.
      if (address.tls && runtime::ToLower(candidate.substr(0, 7)) == "http://") {
        LogLine("HTTPS: the redirect from <" + url + "> to <" + candidate + "> is refused (it leaves HTTPS)");
        continue;
      }
      if (Size(candidate) > 0) return candidate;
      if (broken_) return "-1";
      std::string deeper = Resolve(candidate, depth + 1);
      if (broken_) return "-1";
      if (Size(deeper) > 0) return deeper;
      if (broken_) return "-1";
    }
    if (stream->Failed()) return GiveUp("ResolveLocation---" + stream->FailureReason());
    return url;
  }

 private:
  long long Size(const std::string& url) {
    if (!Spend()) return -1;
    SizeAnswer a = QuerySize(url);
    if (a.broken) broken_ = true;
    return a.size;
  }

  // Counts one request against the budget; false (and the whole resolution
  // fails) when it is used up.
  bool Spend() {
    if (++requests_ <= Limits().max_resolve_requests) return true;
    GiveUp("ResolveLocation---too many requests");
    return false;
  }

  std::string GiveUp(const std::string& why) {
    if (!broken_) DebugText(why);
    broken_ = true;
    return "-1";
  }

  bool broken_ = false;
  int requests_ = 0;
};

enum class GetFailure { kNone, kNoConnection, kBroken };

std::unique_ptr<HttpStream> OpenGet(const std::string& stream_url, GetFailure* why, long long range_from = -1) {
  *why = GetFailure::kNoConnection;
  std::size_t mark = stream_url.find("::");
  if (mark == std::string::npos) return nullptr;
  const std::string scheme = runtime::ToLower(stream_url.substr(0, mark));
  if (scheme != "http" && scheme != "https") return nullptr;
  std::string rest = stream_url.substr(mark + 2);
  std::size_t slash = rest.find('/');
  std::string server = slash == std::string::npos ? rest : rest.substr(0, slash);
  std::string file = slash == std::string::npos ? std::string("/") : rest.substr(slash);
  NoLink no_link;
  Address address = ParseHost(server, scheme == "https");
  auto stream = Connect(address, &no_link);
  if (!stream) {
    if (no_link == NoLink::kTimedOut) *why = GetFailure::kBroken;
    return nullptr;
  }
  if (!SendRequest(*stream, "GET", file, address, range_from)) return nullptr;
  if (!stream->SkipHeaders()) {
    DebugText("GET " + stream_url + ": " + stream->FailureReason());
    *why = GetFailure::kBroken;
    return nullptr;
  }
  *why = GetFailure::kNone;
  return stream;
}

}  // namespace

const HttpLimits& GetHttpLimits() { return Limits(); }
void SetHttpLimits(const HttpLimits& limits) { Limits() = limits; }

std::string StreamUrl(const std::string& web_url) {
  return runtime::ReplaceAll(runtime::ReplaceAll(web_url, "\\", "/"), "://", "::");
}

bool IsHttpsUrl(const std::string& web_url) {
  return runtime::ToLower(web_url.substr(0, 8)) == "https://";
}

bool SplitWebUrl(const std::string& web_url, std::string* host, std::string* path) {
  std::string rest = IsHttpsUrl(web_url) ? web_url.substr(8) : runtime::ReplaceAll(web_url, "http://", "");
  std::size_t slash = rest.find('/');
  if (slash == std::string::npos) return false;
  *host = rest.substr(0, slash);
  *path = rest.substr(slash);
  return true;
}

long long FileSizeRemote(const std::string& web_url) { return QuerySize(web_url).size; }

std::string ResolveLocation(const std::string& web_url) { return Resolver().Resolve(web_url, 0); }

int CheckRemoteFile(const std::string& web_url) {
  std::string stream_url = StreamUrl(web_url);
  if (FileSizeRemote(web_url) < 0) {
    DebugText("---Size <0");
    return 0;
  }
  GetFailure why;
  auto stream = OpenGet(stream_url, &why);
  if (!stream) return why == GetFailure::kBroken ? 0 : 1;
  // An error page is no text file of the server's, whatever it holds.
  if (!IsSuccessStatus(stream->StatusCode())) {
    DebugText("CheckRemoteFile---status " + std::to_string(stream->StatusCode()));
    return 0;
  }
  HtmlTagScanner scanner;
  char block[4096];
  std::size_t scanned = 0;
  while (!stream->AtEnd()) {
    long long n = stream->Read(block, sizeof block);
    if (n <= 0) break;
    scanner.Feed(block, static_cast<std::size_t>(n));
    scanned += static_cast<std::size_t>(n);
    if (scanned > Limits().max_checked_body_bytes) {
      DebugText("CheckRemoteFile---body too long");
      return scanner.Found() ? -1 : 0;
    }
  }
  if (stream->Failed()) {
    DebugText("CheckRemoteFile---" + stream->FailureReason());
    return 0;
  }
  return scanner.Found() ? -1 : 1;
}

std::unique_ptr<HttpStream> OpenGetStream(const std::string& stream_url) {
  GetFailure why;
  return OpenGet(stream_url, &why);
}

std::unique_ptr<HttpStream> OpenRangeStream(const std::string& stream_url, long long from) {
  GetFailure why;
  return OpenGet(stream_url, &why, from);
}

}  // namespace corvane
