// A scripted HTTP server on 127.0.0.1 for tests, running on its own threads
// (one per connection) inside the test process.
//
//   LoopbackServer server;                       // listens on a free port
//   server.Serve("/a.txt", "hello");             // HEAD and GET of a file
//   server.On("HEAD", "/r", Reply().Send("HTTP/1.0 302\r\nLocation: " +
//                                        server.Url("/a.txt") + "\r\n\r\n"));
//   server.On("GET", "/slow", Reply().Send(headers).Pause(50).Send(body));
//   ... client calls with server.Url("/a.txt") ...
//   server.RequestLines()  -> {"HEAD /a.txt HTTP/1.0", "GET /a.txt HTTP/1.0"}
//   server.Requests()[0].bytes -> every byte the server received on that connection
//
// Matching: a request is answered by the rules for its exact method and path
// (the request line's first two words).  Several rules for one method and
// path answer successive requests in order; the last one repeats.  Without a
// rule the answer is Otherwise() (by default "HTTP/1.0 404 Not Found" with no
// headers, so size queries fail).  A reply's steps run in order; after the
// last step the connection is closed unless the reply hangs.
//
// The server reads a request up to its empty line (or 64 KiB, or the client
// closing, or 2 s of silence) before answering.  The destructor (or Stop)
// wakes every pause and hang, closes every connection and joins the threads.
// Runs on POSIX sockets and on Winsock.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::testing {

class Reply {
 public:
  // Sends the bytes as they are.
  Reply& Send(std::string bytes);
  // Sends the bytes one at a time with a pause after each.
  Reply& SendSlowly(std::string bytes, int pause_ms);
  // Sends the bytes `times` times over (a huge answer without holding it in
  // memory); stops early when the client goes away.
  Reply& Repeat(std::string bytes, long long times);
  Reply& Pause(int ms);
  // Keeps the connection open without a byte until the server stops.
  Reply& Hang();
  // Closes with a reset (RST) instead of an orderly close: a dropped connection.
  Reply& Reset();
  // Closes normally now (also what happens after the last step).
  Reply& Close();

  struct Step {
    enum Kind { kSend, kSlow, kPause, kHang, kReset, kClose, kRepeat } kind;
    std::string bytes;
    int ms = 0;
    long long times = 0;
  };
  const std::vector<Step>& Steps() const { return steps_; }

 private:
  std::vector<Step> steps_;
};

// "HTTP/1.0 200 OK", "Content-Length: <size of body>", extra header lines
// (each ending in CR LF), the empty line and the body.
Reply OkReply(const std::string& body, const std::string& extra_headers = "");
// The same headers without the body (the answer to HEAD).
Reply HeadReply(long long length, const std::string& extra_headers = "");
// A redirect: "HTTP/1.0 302 Found" with "Location: <location>" and no body.
Reply RedirectReply(const std::string& location);

class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string Root() const;
  // Root() + path
  std::string Url(const std::string& path) const;

  void On(const std::string& method, const std::string& path, Reply reply);
  // Answers every request for method and path with what make returns for
  // the request's bytes (a server that reads its headers, such as Range);
  // make runs on the connection's thread.  Takes precedence over On.
  void Answer(const std::string& method, const std::string& path,
              std::function<Reply(const std::string& request)> make);
  // HEAD answers HeadReply(body size), GET answers OkReply(body).
  void Serve(const std::string& path, const std::string& body);
  void Otherwise(Reply reply);

  struct Request {
    std::string method, path;  // from the request line
    std::string bytes;         // everything received on the connection
  };
  // One entry per connection that sent something, in order of acceptance.
  std::vector<Request> Requests() const;
  // The first line of each request ("HEAD /a.txt HTTP/1.0").
  std::vector<std::string> RequestLines() const;
  // Connections accepted so far.
  int Connections() const;

  void Stop();

 private:
  void AcceptLoop();
  void Handle(int fd, std::size_t index);
  Reply Choose(const std::string& method, const std::string& path, const std::string& request);
  bool WaitOrStop(int ms);  // false when stopping

  int listener_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::map<std::string, std::vector<Reply>> rules_;
  std::map<std::string, std::function<Reply(const std::string&)>> makers_;
  std::map<std::string, std::size_t> used_;
  Reply otherwise_;
  std::vector<Request> requests_;
  std::vector<int> open_fds_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace corvane::testing
