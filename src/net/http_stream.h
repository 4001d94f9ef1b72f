// One HTTP connection being read: buffered bytes and lines over a socket,
// the end-of-response rule, and bounded waits that keep the window alive.
//
// Lines: a line ends at LF, at a NUL byte or at the end of the data; CR bytes
// are dropped wherever they stand; bytes come back as text (Latin-1 decoded
// to UTF-8).  End of response: the peer has closed and no unread byte remains.
//
// Failures (a wait longer than the read limit, a receive error, a line longer
// than the line limit, headers longer than the header limit) put the stream
// into the failed state: every later read answers failure and AtEnd() answers
// true, so loops "until the end" stop.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/socket.h"

namespace corvane {

class HttpStream {
 public:
  // Takes ownership of a connected socket.  read_idle_ms: longest wait for a
  // byte; max_line_bytes: longest line accepted; max_header_bytes: most bytes
  // that ReadHeaderLine (and so SkipHeaders) reads in all.
  HttpStream(std::unique_ptr<runtime::Socket> socket, int read_idle_ms, std::size_t max_line_bytes,
             std::size_t max_header_bytes = static_cast<std::size_t>(-1));
  ~HttpStream();
  HttpStream(const HttpStream&) = delete;
  HttpStream& operator=(const HttpStream&) = delete;

  // Sends the lines in one piece, each as 8-bit bytes followed by CR LF;
  // false on failure.
  bool WriteLines(const std::vector<std::string>& lines);

  // True when the peer has closed and nothing unread remains (the connection
  // is then closed locally), or after a failure or Close().  Never waits.
  bool AtEnd();

  // Reads one line into *line (possibly empty at the end of the data).
  // False on failure (time-out, receive error, line over the limit).
  bool ReadLine(std::string* line);

  // ReadLine for the status line and headers: the bytes of every such line
  // count against the header limit (a server that sends header lines without
  // end would otherwise hold the client for ever), and the window is let
  // process its messages after each line.  The first line read this way is
  // taken as the status line (see StatusCode).  False on failure, "headers
  // too long" included.
  bool ReadHeaderLine(std::string* line);

  // Reads up to size bytes: the count (at least 1 unless the body has ended),
  // 0 at the end, -1 on failure.  Waits only when nothing is buffered.
  long long Read(void* data, std::size_t size);

  // Reads the rest of the body as raw bytes into *bytes; false on failure or
  // when more than max_bytes arrive (the rest is then left unread).
  bool ReadAll(std::string* bytes, std::size_t max_bytes);

  // Skips the status line and headers up to the empty line, remembering the
  // value of a "Content-Length:" header.  False on failure.
  bool SkipHeaders();
  // Whether SkipHeaders saw a "Content-Length:" header, and its value (the
  // first one; -1 when none).
  bool HasAnnouncedLength() const { return has_announced_length_; }
  // Whether SkipHeaders found the empty line that ends the headers (rather
  // than the end of the data): a response cut off before its body.
  bool HeadersComplete() const { return headers_complete_; }
  long long AnnouncedLength() const { return announced_length_; }
  // The value of the first "ETag", "Last-Modified" or "Content-Range"
  // header SkipHeaders saw (name given in any letter case; only these are
  // kept, so that endless headers cost no memory), trimmed; empty when there
  // was none.
  std::string HeaderField(const std::string& name) const;
  // The status code of the response's first line ("HTTP/1.0 404 Not Found"
  // gives 404); 0 while none has been read or when that line is no status
  // line.  Read once, by the first ReadHeaderLine.
  int StatusCode() const { return status_code_; }

  bool Failed() const { return failed_; }
  // Why the stream failed ("time-out", "receive error", "line too long",
  // "headers too long"), or empty.
  const std::string& FailureReason() const { return failure_; }
  void Close();

  // Called while a read waits and between lines/chunks when a loop asks for
  // it; the default lets the toolkit process its pending window messages at
  // most every HttpLimits::message_interval_ms.
  static void KeepWindowAlive();

 private:
  // Makes at least one byte available in the buffer; false at the end or on failure.
  bool Fill();
  void Fail(const char* reason);
  // Remembers a header line's value when HeaderField may be asked for it.
  void KeepField(const std::string& line);

  std::unique_ptr<runtime::Socket> socket_;
  int read_idle_ms_;
  std::size_t max_line_bytes_;
  std::size_t max_header_bytes_;
  std::size_t header_bytes_ = 0;  // consumed by ReadHeaderLine so far
  std::size_t last_line_bytes_ = 0;  // consumed by the last ReadLine
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool closed_ = false, peer_closed_ = false, failed_ = false;
  std::string failure_;
  bool has_announced_length_ = false;
  bool headers_complete_ = false;
  bool line_terminated_ = false;  // the last line read ended at LF or NUL
  bool status_line_read_ = false;
  int status_code_ = 0;
  long long announced_length_ = -1;
  std::vector<std::pair<std::string, std::string>> kept_fields_;  // name as listed, value
};

// The number after the first ':' of a header line, trimmed of code units
// below 33, read as a decimal integer (sign allowed, stops at the first
// non-digit, none gives 0; clamped to the range of long long).
long long HeaderNumber(const std::string& line);
// The text after the first ':' of a header line, trimmed the same way.
std::string HeaderValue(const std::string& line);

// The code of a status line "HTTP/<version> <three digits>[ reason]"; 0 for
// any other line.
int StatusLineCode(const std::string& line);
// 2xx: the body is the resource asked for.  Anything else (an error page, a
// redirect, no status line at all) must never be kept as that resource.
inline bool IsSuccessStatus(int code) { return code >= 200 && code <= 299; }
// 3xx: the answer sends the client elsewhere (with a "Location:" header).
inline bool IsRedirectStatus(int code) { return code >= 300 && code <= 399; }

}  // namespace corvane
