// Test server side of resumed downloads: one file served over a scripted
// loopback server that honours "Range: bytes=N-" and closes each connection
// at the next of a list of cut points, counting every byte it sends.  Its
// fields may change between requests (a new version of the file, a server
// that stops honouring ranges, a lying Content-Range).
#pragma once

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "support/loopback_server.h"

namespace corvane::testing {

class FlakyFile {
 public:
  std::string body;
  std::string etag = "\"v1\"";
  std::vector<long long> cuts;  // ascending offsets of the file where a connection ends
  bool ranges = true;           // false: every GET gets the whole file (200)
  std::string content_range;    // sent instead of the true Content-Range when not empty
  int range_status = 206;       // e.g. 416 for a server that refuses the range
  std::atomic<long long> sent{0};

  // Serves the file at path (HEAD and GET).  The object must outlive the
  // requests made to it.
  void Install(LoopbackServer& server, const std::string& path) {
    server.Answer("HEAD", path, [this](const std::string&) {
      std::lock_guard<std::mutex> lock(mutex_);
      return Reply().Send(Headers("200 OK", Size(), ""));
    });
    server.Answer("GET", path, [this](const std::string& request) { return Get(request); });
  }

  // The Range lines ("" when none) of the GET requests, in order.
  static std::vector<std::string> RangeLines(const LoopbackServer& server) {
    std::vector<std::string> lines;
    for (const auto& r : server.Requests()) {
      if (r.method != "GET") continue;
      const std::size_t at = r.bytes.find("\r\nRange: ");
      lines.push_back(at == std::string::npos ? "" : r.bytes.substr(at + 2, r.bytes.find("\r\n", at + 2) - at - 2));
    }
    return lines;
  }

 private:
  long long Size() const { return static_cast<long long>(body.size()); }
  std::string Headers(const std::string& status, long long length, const std::string& extra) const {
    return "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(length) + "\r\nETag: " + etag + "\r\n" +
           extra + "\r\n";
  }
  Reply Get(const std::string& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    long long from = 0;
    const std::size_t at = request.find("\r\nRange: bytes=");
    if (ranges && at != std::string::npos) from = runtime::ToInt(request.substr(at + 15));
    std::string bytes;
    if (from > 0 && range_status != 206) {
      bytes = Headers(std::to_string(range_status) + " Range Not Satisfiable", 0, "");
    } else {
      long long end = Size();
      for (long long cut : cuts)
        if (cut > from) {
          end = std::min(end, cut);
          break;
        }
      const std::string range = content_range.empty() ? "bytes " + std::to_string(from) + "-" +
                                                            std::to_string(Size() - 1) + "/" + std::to_string(Size())
                                                      : content_range;
      bytes = from > 0 ? Headers("206 Partial Content", Size() - from, "Content-Range: " + range + "\r\n")
                       : Headers("200 OK", Size(), "");
      bytes += body.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(std::max(0LL, end - from)));
    }
    sent += static_cast<long long>(bytes.size());
    return Reply().Send(bytes);
  }

  std::mutex mutex_;
};

}  // namespace corvane::testing
