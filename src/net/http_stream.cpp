#include "net/http_stream.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <string_view>

#include "net/http_client.h"
#include "runtime/text.h"
#include "toolkit/toolkit.h"

namespace corvane {
namespace {

// Larger than any chunk the program asks for, so a 128-byte read is a copy
// out of memory rather than a system call.
constexpr std::size_t kBufferSize = std::size_t{1} << 18;
// Longest single socket wait before the window gets its messages processed.
constexpr int kWaitSliceMs = 5;

using Steady = std::chrono::steady_clock;

// The headers a resumed download judges its answer by (HeaderField).
constexpr const char* kKeptFields[] = {"ETag", "Last-Modified", "Content-Range"};

long long ElapsedMs(Steady::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - since).count();
}

std::string TrimBelow33(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) < 33) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) < 33) --e;
  return text.substr(b, e - b);
}

}  // namespace

std::string HeaderValue(const std::string& line) {
  std::size_t colon = line.find(':');
  return colon == std::string::npos ? std::string() : TrimBelow33(line.substr(colon + 1));
}

long long HeaderNumber(const std::string& line) {
  std::string v = HeaderValue(line);
  std::size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
  long long n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
    int digit = v[i] - '0';
    // A hostile length must not overflow: it saturates instead.
    n = n > (LLONG_MAX - digit) / 10 ? LLONG_MAX : n * 10 + digit;
  }
  return negative ? -n : n;
}

int StatusLineCode(const std::string& line) {
  if (line.compare(0, 5, "HTTP/") != 0) return 0;
  std::size_t i = line.find(' ', 5);
  if (i == std::string::npos) return 0;
  while (i < line.size() && line[i] == ' ') ++i;
  int code = 0;
  std::size_t digits = 0;
  // Only three digits make a code; a longer run is counted, never summed, so
  // a hostile status line cannot overflow.
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i, ++digits)
    if (digits < 3) code = code * 10 + (line[i] - '0');
  return digits == 3 ? code : 0;
}

HttpStream::HttpStream(std::unique_ptr<runtime::Socket> socket, int read_idle_ms, std::size_t max_line_bytes,
                       std::size_t max_header_bytes)
    : socket_(std::move(socket)),
      read_idle_ms_(read_idle_ms),
      max_line_bytes_(max_line_bytes),
      max_header_bytes_(max_header_bytes),
      buffer_(new char[kBufferSize]) {}

HttpStream::~HttpStream() { Close(); }

void HttpStream::Close() {
  if (socket_) socket_->Close();
  closed_ = true;
}

void HttpStream::Fail(const char* reason) {
  if (!failed_) failure_ = reason;
  failed_ = true;
  Close();
}

void HttpStream::KeepWindowAlive() {
  static Steady::time_point last{};
  int interval = GetHttpLimits().message_interval_ms;
  Steady::time_point now = Steady::now();
  if (interval > 0 && now - last < std::chrono::milliseconds(interval)) return;
  last = now;
  tk::ProcessMessages();
}

bool HttpStream::WriteLines(const std::vector<std::string>& lines) {
  if (closed_ || !socket_) return false;
  std::string bytes = runtime::WriteLines(lines);
  return socket_->Send(bytes.data(), bytes.size());
}

bool HttpStream::Fill() {
  if (failed_ || closed_) return false;
  if (begin_ < end_) return true;
  if (peer_closed_) return false;
  begin_ = end_ = 0;
  Steady::time_point start = Steady::now();
  for (;;) {
    long long left = read_idle_ms_ - ElapsedMs(start);
    int ready = socket_->WaitReadable(static_cast<int>(std::clamp<long long>(left, 0, kWaitSliceMs)));
    if (ready < 0) {
      Fail("receive error");
      return false;
    }
    if (ready > 0) {
      long long n = socket_->Receive(buffer_.get(), kBufferSize);
      if (n > 0) {
        end_ = static_cast<std::size_t>(n);
        // A peer that trickles its bytes never lets the wait above run dry;
        // the window must still get its turn.
        KeepWindowAlive();
        return true;
      }
      if (n == 0) {
        peer_closed_ = true;
        Close();
        return false;
      }
      Fail("receive error");
      return false;
    }
    KeepWindowAlive();
    if (ElapsedMs(start) >= read_idle_ms_) {
      Fail("time-out");
      return false;
    }
  }
}

bool HttpStream::AtEnd() {
  if (failed_ || closed_) return true;
  if (begin_ < end_) return false;
  if (peer_closed_) {
    Close();
    return true;
  }
  int ready = socket_->WaitReadable(0);
  if (ready == 0) return false;
  if (ready > 0 && socket_->Available() > 0) return false;
  // Readable with nothing to read: the peer has closed, or the connection
  // broke.  Receiving tells the two apart (and cannot block now).
  long long n = ready > 0 ? socket_->Receive(buffer_.get(), kBufferSize) : -1;
  if (n > 0) {
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return false;
  }
  if (n < 0) {
    Fail("receive error");
    return true;
  }
  peer_closed_ = true;
  Close();
  return true;
}

bool HttpStream::ReadLine(std::string* line) {
  line->clear();
  line_terminated_ = false;
  last_line_bytes_ = 0;
  if (failed_) return false;
  std::string raw;
  std::size_t consumed = 0;
  for (;;) {
    if (!Fill()) {
      if (failed_) return false;
      break;  // end of the data ends the line
    }
    const char* p = buffer_.get() + begin_;
    std::size_t n = end_ - begin_;
    std::size_t stop = 0;
    while (stop < n && p[stop] != '\n' && p[stop] != '\0') ++stop;
    for (std::size_t i = 0; i < stop; ++i)
      if (p[i] != '\r') raw += p[i];
    consumed += stop;
    last_line_bytes_ = consumed + (stop < n ? 1 : 0);
    if (consumed > max_line_bytes_) {
      Fail("line too long");
      return false;
    }
    if (stop < n) {
      begin_ += stop + 1;
      line_terminated_ = true;
      break;
    }
    begin_ = end_;
  }
  *line = runtime::DecodeLatin1(raw);
  return true;
}

bool HttpStream::ReadHeaderLine(std::string* line) {
  if (!ReadLine(line)) return false;
  header_bytes_ += last_line_bytes_;
  if (header_bytes_ > max_header_bytes_) {
    line->clear();
    Fail("headers too long");
    return false;
  }
  if (!status_line_read_) {
    status_line_read_ = true;
    status_code_ = StatusLineCode(*line);
  }
  KeepWindowAlive();
  return true;
}

long long HttpStream::Read(void* data, std::size_t size) {
  if (size == 0) return failed_ ? -1 : 0;
  if (!Fill()) return failed_ ? -1 : 0;
  std::size_t n = std::min(size, end_ - begin_);
  std::memcpy(data, buffer_.get() + begin_, n);
  begin_ += n;
  return static_cast<long long>(n);
}

bool HttpStream::ReadAll(std::string* bytes, std::size_t max_bytes) {
  bytes->clear();
  while (!AtEnd()) {
    if (!Fill()) break;
    std::size_t n = end_ - begin_;
    if (bytes->size() + n > max_bytes) return false;
    bytes->append(buffer_.get() + begin_, n);
    begin_ = end_;
  }
  return !failed_;
}

bool HttpStream::SkipHeaders() {
  while (!AtEnd()) {
    std::string line;
    if (!ReadHeaderLine(&line)) return false;
    if (line.empty()) {
      headers_complete_ = line_terminated_;
      break;
    }
    KeepField(line);
    if (!has_announced_length_ && line.find("Content-Length:") != std::string::npos) {
      has_announced_length_ = true;
      announced_length_ = HeaderNumber(line);
    }
  }
  return !failed_;
}

void HttpStream::KeepField(const std::string& line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  std::string_view name(line.data(), colon);
  while (!name.empty() && static_cast<unsigned char>(name.front()) < 33) name.remove_prefix(1);
  while (!name.empty() && static_cast<unsigned char>(name.back()) < 33) name.remove_suffix(1);
  for (const char* kept : kKeptFields) {
    if (!runtime::EqualsIgnoreCase(name, kept)) continue;
    for (const auto& field : kept_fields_)
      if (field.first == kept) return;  // the first one counts
    kept_fields_.emplace_back(kept, HeaderValue(line));
    return;
  }
}

std::string HttpStream::HeaderField(const std::string& name) const {
  for (const auto& field : kept_fields_)
    if (runtime::EqualsIgnoreCase(field.first, name)) return field.second;
  return "";
}

}  // namespace corvane
