// The program's HTTP/1.0 client: the size of a remote file, the address that
// really serves it, whether it is a text file, and downloads.  One exchange
// per connection; no keep-alive, no chunked decoding.  The
// "Content-Length:" and "Location:" headers (matched with their exact letter
// case, anywhere on the line) and the sizes decide, with the status code read
// once from the status line (HttpStream::StatusCode): a body is kept only
// from a 2xx answer, and a 3xx answer with a location is a redirect, never a
// file.  Every exchange reads the headers only up to the empty line.
//
// Address forms:
//   web URL    "http://" + host + path; host may be "name:port" (default 80).
//              "https://" + host + path: the same exchange inside TLS
//              (net/tls_socket.h; default port 443).
//   stream URL the web URL with '\' turned to '/' and "://" to "::", i.e.
//              "http::" + host + path (see StreamUrl); only GET uses it.
// The Host line names the port only when it is not the scheme's default.
// A TLS failure (certificate, handshake) is a connection problem the user
// can act on: it goes to the activity log (net/connection_problem.h).
//
// Every operation opens its own connection and closes it before it returns.
// Waiting is bounded (see HttpLimits); while it waits, and after each header
// line of a size query and each chunk of a download, the toolkit is let
// process its pending window messages, so the window stays alive.  Other
// failure texts go to the debug channel (net/debug_channel.h) only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/http_stream.h"

namespace corvane {

// "http://host:8080/a\b" -> "http::host:8080/a/b".
std::string StreamUrl(const std::string& web_url);

// Whether the web URL starts with "https://" (any letter case).
bool IsHttpsUrl(const std::string& web_url);

// Splits a web URL: a leading "https://" or else every "http://" removed,
// host = text before the first '/', path = the rest from that '/'.  False
// (outputs untouched) when no '/'.
bool SplitWebUrl(const std::string& web_url, std::string* host, std::string* path);

// Size in bytes from the "Content-Length:" header of a HEAD response (the
// number after the line's first ':'; "12 bytes" gives 12, no digits give 0,
// a 404 with a length gives that length).  -1 on every failure: no '/' in
// the URL, no connection, no such header, a redirect (3xx with "Location:",
// whatever length it carries), a time-out, an over-long line or more header
// bytes than HttpLimits allows.
long long FileSizeRemote(const std::string& web_url);

// The URL that serves the file: the first "Location:" candidate of the HEAD
// response whose size is above 0 (following the candidate's own redirects,
// which have no size),
// else the argument exactly as given (with its "http://").  "-1" when the
// URL has no '/', no connection can be made, a wait times out, or the
// redirects go deeper than 10 levels (a loop) or take more than 100 requests.
// Relative locations never succeed.  From an https:// URL, an http://
// location is refused (logged as a downgrade) and the next one is tried.
std::string ResolveLocation(const std::string& web_url);

// 1 when the file's size can be had and its body has no line containing
// "<html>" in any letter case (also 1 when the GET connection cannot be made
// at all); -1 when such a line was seen; 0 when the size query fails (below
// 0), the GET answer is not 2xx, the GET exchange fails midway (time-out,
// receive error) or the body runs past HttpLimits::max_checked_body_bytes
// without such a line (reading stops there).
int CheckRemoteFile(const std::string& web_url);

// Called after each chunk of a download with received / total: received is
// the bytes of the file so far (a resumed transfer starts at the bytes it
// kept, see Resume) and grows by the requested chunk size (so the last call
// may exceed 1.0).
using ProgressCallback = std::function<void(float fraction)>;

// Downloads web_url into local_path (empty: the program folder + "/download/"
// + the URL's last path element).  The data goes to a temporary file beside it and
// is renamed over local_path only when complete, so a previous local file is
// never replaced by a broken one, and no partial file is left behind.
//   Without progress: plain copy; complete when the headers ended with their
//   empty line, the body was read to its end and, if the GET response
//   announced a Content-Length, the sizes agree.
//   With progress: reads chunk_size bytes at most per step (values below 1
//   count as 1), calls progress after each; complete when the headers ended
//   with their empty line and the file's size equals the size from a second
//   HEAD query.
// A body that runs past the size it must have ends the transfer at once.  A
// GET answered with a status outside 2xx (an error page, a redirect) stores
// nothing.  A local file that cannot be created or written (a full disk) and
// an error status are also written to the activity log: the user can act on
// those.
// Returns 1 when downloaded and complete; 0 on failure (empty URL, no GET
// connection, a URL without "http://", a status outside 2xx, local file not
// writable, a write error, a size mismatch, a time-out); -1 when the first
// size query fails (below 0) and nothing was opened.
int DownloadFile(const std::string& web_url, const std::string& local_path,
                 const ProgressCallback& progress, int chunk_size);

// A download whose bytes must hash to a known SHA-256.  The hash is taken as
// the bytes arrive (no second pass over the file, no memory beyond the copy
// buffer).  A transfer that is otherwise complete but hashes to anything else
// is a failure: the temporary file is removed, the previous local file stays,
// "Checksum mismatch" is logged with both hashes, and mismatch is set.
struct BodyCheck {
  std::string expected_sha256;  // 64 lower-case hex digits; empty: not checked
  std::string received_sha256;  // set whenever the whole body was hashed
  bool mismatch = false;
};
int DownloadFile(const std::string& web_url, const std::string& local_path,
                 const ProgressCallback& progress, int chunk_size, BodyCheck* check);

// A download with progress that survives a broken connection.  Its bytes go
// to "<local file>.part" with a note beside it (net/partial_download.h)
// instead of a temporary file; a transfer that fails for the network's sake
// (cut off, timed out, a server error) keeps them, and so does one ended by
// an exception out of the progress callback.  The next call for the same
// local file sends "Range: bytes=N-" (the only request with a fourth line)
// and appends when the answer is 206 with a Content-Range of exactly the
// rest, the size the note holds and the note's ETag / Last-Modified.  Any
// other answer restarts from zero: a 200 brings the whole file; a 416, a
// lying Content-Range or a changed validator discard the part and a plain
// GET follows.  A size query that no longer gives the note's size discards
// it too.  With a BodyCheck the kept bytes are hashed first, so the hash
// covers the whole file; a mismatch discards the part.  A write error
// discards it (its last bytes cannot be trusted).  Without progress, and for
// a local name that itself ends in ".part" or ".part.note", nothing is kept.
struct Resume {
  // Set before the first progress call: bytes of the file this transfer
  // goes on from (0 when it starts from zero).  Bytes received in this
  // transfer are fraction * total - kept.
  long long kept = 0;
  // Called once the answer is accepted, before the first progress call.
  std::function<void(long long kept, long long total)> started;
};
int DownloadFile(const std::string& web_url, const std::string& local_path,
                 const ProgressCallback& progress, int chunk_size, BodyCheck* check, Resume* resume);

// GET on a stream URL: a stream positioned at the first byte of the body (the
// status line and headers read and skipped; the status code kept in the
// stream, whatever it is).  Null when the protocol (the text before "::",
// any case) is not "http" or "https", no connection can be made, or
// the headers cannot be read (time-out, over-long line or headers).  The
// port in the host is honoured.  The caller owns the stream; destroying it
// closes it.
std::unique_ptr<HttpStream> OpenGetStream(const std::string& stream_url);
// The same GET with a fourth line "Range: bytes=<from>-": the caller judges
// the answer (206 and its Content-Range, or a whole file, or an error).
std::unique_ptr<HttpStream> OpenRangeStream(const std::string& stream_url, long long from);

// Bounds on waiting and on memory.  Defaults: connect 15 s, TLS handshake
// 15 s, 30 s without a byte, 10 redirect levels, 1 MiB lines, 4 MiB of
// headers per response, window messages at most every 4 ms.
struct HttpLimits {
  int connect_ms = 15000;
  // The TLS handshake of an https exchange, after the connection is made.
  int tls_handshake_ms = 15000;
  int read_idle_ms = 30000;
  int max_redirect_depth = 10;
  // Connections one ResolveLocation may make in all (a response listing many
  // locations, each redirecting again, would otherwise grow exponentially).
  int max_resolve_requests = 100;
  std::size_t max_line_bytes = std::size_t{1} << 20;
  // Bytes of status line and headers one response may send: past it the
  // exchange fails as a broken one.
  std::size_t max_header_bytes = std::size_t{4} << 20;
  // Body bytes CheckRemoteFile reads at most: it checks small text files,
  // and a body without end must not hold it for ever.
  std::size_t max_checked_body_bytes = std::size_t{64} << 20;
  // Minimum gap between two passes of "process pending window messages"
  // inside loops (0: after every line and chunk).
  int message_interval_ms = 4;
};
const HttpLimits& GetHttpLimits();
// Tests shorten the waits; the values stay until set again.
void SetHttpLimits(const HttpLimits& limits);

}  // namespace corvane
