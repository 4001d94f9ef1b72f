#include "support/loopback_server.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace corvane::testing {
namespace {

constexpr std::size_t kMaxRequest = 64 * 1024;
constexpr int kRequestSilenceMs = 2000;

// The few socket calls that differ between POSIX and Winsock.  Sockets are
// kept as int: Winsock's handles are small numbers too.
#ifdef _WIN32
using Length = int;
SOCKET Native(int fd) { return static_cast<SOCKET>(fd); }
bool StartSockets() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
int NewStreamSocket() {
  SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}
void CloseSocket(int fd) { ::closesocket(Native(fd)); }
void ShutdownSocket(int fd) { ::shutdown(Native(fd), SD_BOTH); }
// 1 readable, 0 not within ms, -1 error.
int WaitReadable(int fd, int ms) {
  WSAPOLLFD p{Native(fd), POLLRDNORM, 0};
  int r = ::WSAPoll(&p, 1, ms);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
long long ReceiveSome(int fd, char* buf, std::size_t size) {
  return ::recv(Native(fd), buf, static_cast<int>(size), 0);
}
long long SendSome(int fd, const char* p, std::size_t n) { return ::send(Native(fd), p, static_cast<int>(n), 0); }
bool Interrupted() { return false; }
// Winsock's accept does not wake when another thread shuts the listener, so
// it is polled and the stop flag checked between polls.
template <typename Stopping>
int AcceptOne(int listener, Stopping stopping) {
  for (;;) {
    int ready = WaitReadable(listener, 20);
    if (ready < 0 || stopping()) return -1;
    if (ready == 0) continue;
    SOCKET s = ::accept(Native(listener), nullptr, nullptr);
    if (s != INVALID_SOCKET) return static_cast<int>(s);
    if (::WSAGetLastError() != WSAECONNRESET) return -1;
  }
}
#else
using Length = socklen_t;
bool StartSockets() { return true; }
int NewStreamSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
void CloseSocket(int fd) { ::close(fd); }
void ShutdownSocket(int fd) { ::shutdown(fd, SHUT_RDWR); }
int WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  int r = ::poll(&p, 1, ms);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
long long ReceiveSome(int fd, char* buf, std::size_t size) { return ::recv(fd, buf, size, 0); }
long long SendSome(int fd, const char* p, std::size_t n) { return ::send(fd, p, n, MSG_NOSIGNAL); }
bool Interrupted() { return errno == EINTR; }
template <typename Stopping>
int AcceptOne(int listener, Stopping) {
  for (;;) {
    int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) return fd;
    if (errno != EINTR && errno != ECONNABORTED) return -1;  // the listener was shut down
  }
}
#endif

bool SendAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    long long w = SendSome(fd, p, n);
    if (w < 0 && Interrupted()) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool RequestComplete(const std::string& bytes) {
  return bytes.find("\r\n\r\n") != std::string::npos || bytes.find("\n\n") != std::string::npos;
}

}  // namespace

Reply& Reply::Send(std::string bytes) {
  steps_.push_back({Step::kSend, std::move(bytes), 0});
  return *this;
}
Reply& Reply::SendSlowly(std::string bytes, int pause_ms) {
  steps_.push_back({Step::kSlow, std::move(bytes), pause_ms});
  return *this;
}
Reply& Reply::Repeat(std::string bytes, long long times) {
  steps_.push_back({Step::kRepeat, std::move(bytes), 0, times});
  return *this;
}
Reply& Reply::Pause(int ms) {
  steps_.push_back({Step::kPause, {}, ms});
  return *this;
}
Reply& Reply::Hang() {
  steps_.push_back({Step::kHang, {}, 0});
  return *this;
}
Reply& Reply::Reset() {
  steps_.push_back({Step::kReset, {}, 0});
  return *this;
}
Reply& Reply::Close() {
  steps_.push_back({Step::kClose, {}, 0});
  return *this;
}

Reply HeadReply(long long length, const std::string& extra_headers) {
  return Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n" + extra_headers +
                      "\r\n");
}

Reply OkReply(const std::string& body, const std::string& extra_headers) {
  return Reply().Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
                      extra_headers + "\r\n" + body);
}

Reply RedirectReply(const std::string& location) {
  return Reply().Send("HTTP/1.0 302 Found\r\nLocation: " + location + "\r\n\r\n");
}

LoopbackServer::LoopbackServer() {
  otherwise_ = Reply().Send("HTTP/1.0 404 Not Found\r\n\r\n");
  if (!StartSockets()) return;
  listener_ = NewStreamSocket();
  if (listener_ < 0) return;
#ifndef _WIN32
  // (On Windows the same option would let another program take the port.)
  int one = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  Length len = sizeof a;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    CloseSocket(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() { Stop(); }

std::string LoopbackServer::Root() const { return "http://127.0.0.1:" + std::to_string(port_); }
std::string LoopbackServer::Url(const std::string& path) const { return Root() + path; }

void LoopbackServer::On(const std::string& method, const std::string& path, Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_[method + " " + path].push_back(std::move(reply));
}

void LoopbackServer::Serve(const std::string& path, const std::string& body) {
  On("HEAD", path, HeadReply(static_cast<long long>(body.size())));
  On("GET", path, OkReply(body));
}

void LoopbackServer::Otherwise(Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  otherwise_ = std::move(reply);
}

std::vector<LoopbackServer::Request> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Request> out;
  for (const Request& r : requests_)
    if (!r.bytes.empty()) out.push_back(r);
  return out;
}

std::vector<std::string> LoopbackServer::RequestLines() const {
  std::vector<std::string> lines;
  for (const Request& r : Requests()) {
    std::size_t end = r.bytes.find_first_of("\r\n");
    lines.push_back(r.bytes.substr(0, end));
  }
  return lines;
}

int LoopbackServer::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(requests_.size());
}

void LoopbackServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    for (int fd : open_fds_) ShutdownSocket(fd);
  }
  wake_.notify_all();
  if (listener_ >= 0) ShutdownSocket(listener_);
  if (acceptor_.joinable()) acceptor_.join();
  if (listener_ >= 0) CloseSocket(listener_);
  listener_ = -1;
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
}

bool LoopbackServer::WaitOrStop(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (ms < 0) {
    wake_.wait(lock, [this] { return stopping_; });
    return false;
  }
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    int fd = AcceptOne(listener_, [this] {
      std::lock_guard<std::mutex> lock(mutex_);
      return stopping_;
    });
    if (fd < 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      CloseSocket(fd);
      return;
    }
    std::size_t index = requests_.size();
    requests_.push_back({});
    open_fds_.push_back(fd);
    workers_.emplace_back([this, fd, index] { Handle(fd, index); });
  }
}

void LoopbackServer::Answer(const std::string& method, const std::string& path,
                            std::function<Reply(const std::string& request)> make) {
  std::lock_guard<std::mutex> lock(mutex_);
  makers_[method + " " + path] = std::move(make);
}

Reply LoopbackServer::Choose(const std::string& method, const std::string& path, const std::string& request) {
  std::function<Reply(const std::string&)> make;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto maker = makers_.find(method + " " + path);
    if (maker != makers_.end()) make = maker->second;
  }
  if (make) return make(request);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = rules_.find(method + " " + path);
  if (it == rules_.end()) return otherwise_;
  std::size_t& used = used_[it->first];
  const Reply& r = it->second[std::min(used, it->second.size() - 1)];
  ++used;
  return r;
}

void LoopbackServer::Handle(int fd, std::size_t index) {
  std::string received;
  char buf[4096];
  while (!RequestComplete(received) && received.size() < kMaxRequest) {
    if (WaitReadable(fd, kRequestSilenceMs) <= 0) break;
    long long n = ReceiveSome(fd, buf, sizeof buf);
    if (n <= 0) break;
    received.append(buf, static_cast<std::size_t>(n));
  }
  std::string line = received.substr(0, received.find_first_of("\r\n"));
  std::string method = line.substr(0, line.find(' '));
  std::size_t first = line.find(' ');
  std::string path;
  if (first != std::string::npos) {
    std::size_t second = line.find(' ', first + 1);
    path = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_[index] = {method, path, received};
  }

  if (!received.empty()) {
    Reply reply = Choose(method, path, received);
    for (const Reply::Step& s : reply.Steps()) {
      bool go_on = true;
      switch (s.kind) {
        case Reply::Step::kSend:
          go_on = SendAll(fd, s.bytes.data(), s.bytes.size());
          break;
        case Reply::Step::kSlow:
          for (std::size_t i = 0; go_on && i < s.bytes.size(); ++i)
            go_on = SendAll(fd, &s.bytes[i], 1) && WaitOrStop(s.ms);
          break;
        case Reply::Step::kRepeat: {
          // Whole copies sent some 64 KiB at a time: one send per copy made
          // the server, not the client, the slow side under wine.
          const long long per_block = std::max<long long>(1, 65536 / std::max<std::size_t>(s.bytes.size(), 1));
          std::string block;
          for (long long i = 0; i < per_block; ++i) block += s.bytes;
          for (long long left = s.times; go_on && left > 0; left -= per_block) {
            const long long copies = std::min(left, per_block);
            go_on = SendAll(fd, block.data(), static_cast<std::size_t>(copies) * s.bytes.size());
          }
          break;
        }
        case Reply::Step::kPause:
          go_on = WaitOrStop(s.ms);
          break;
        case Reply::Step::kHang:
          WaitOrStop(-1);
          go_on = false;
          break;
        case Reply::Step::kReset: {
          linger hard{1, 0};
          ::setsockopt(fd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
          go_on = false;
          break;
        }
        case Reply::Step::kClose:
          go_on = false;
          break;
      }
      if (!go_on) break;
    }
  }
  // Whatever the client sent after its request also belongs to the record.
  for (;;) {
    if (WaitReadable(fd, 0) <= 0) break;
    long long n = ReceiveSome(fd, buf, sizeof buf);
    if (n <= 0) break;
    std::lock_guard<std::mutex> lock(mutex_);
    requests_[index].bytes.append(buf, static_cast<std::size_t>(n));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  open_fds_.erase(std::remove(open_fds_.begin(), open_fds_.end(), fd), open_fds_.end());
  CloseSocket(fd);
}

}  // namespace corvane::testing
