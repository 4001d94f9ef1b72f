// TCP over POSIX sockets.  Connecting is non-blocking underneath so that the
// wait can be bounded and the caller's idle function keeps running; a host
// name is looked up on a short-lived helper thread for the same reason (the
// C library's lookup cannot be interrupted).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "runtime/call_with_deadline.h"
#include "runtime/socket.h"

namespace corvane::runtime {
namespace {

// Longest single wait before the idle function runs again.
constexpr int kIdleSliceMs = 5;


void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

class TcpSocket : public Socket {
 public:
  explicit TcpSocket(int fd) : fd_(fd) {}
  ~TcpSocket() override { Close(); }

  bool Send(const void* data, std::size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      if (fd_ < 0) return false;
      ssize_t n = ::send(fd_, p, size, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  long long Receive(void* data, std::size_t size) override {
    if (fd_ < 0) return -1;
    for (;;) {
      ssize_t n = ::recv(fd_, data, size, 0);
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }

  int WaitReadable(int wait_ms) override {
    if (fd_ < 0) return -1;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, wait_ms < 0 ? 0 : wait_ms);
    if (r < 0) return errno == EINTR ? 0 : -1;
    if (r == 0) return 0;
    // Hang-up and errors count as readable: the next Receive reports them.
    return 1;
  }

  long long Available() override {
    if (fd_ < 0) return -1;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
  }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

addrinfo* Resolve(const std::string& host, int port, Steady::time_point deadline,
                  const std::function<void()>& idle, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  std::string service = std::to_string(port);

  // Addresses need no lookup.
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &result) == 0) return result;

  hints.ai_flags = AI_NUMERICSERV;
  struct Found {
    int status = 0;
    addrinfo* list = nullptr;
  };
  Found found;
  CallOutcome outcome = CallWithDeadline<Found>(
      [host, service, hints] {
        Found f;
        f.status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &f.list);
        return f;
      },
      [](Found& late) {
        if (late.list) ::freeaddrinfo(late.list);
      },
      deadline, idle, kIdleSliceMs, &found);
  if (outcome == CallOutcome::kTimedOut) {
    SetError(error, "time-out");
    return nullptr;
  }
  if (outcome != CallOutcome::kDone || found.status != 0 || !found.list) {
    if (found.list) ::freeaddrinfo(found.list);
    SetError(error, "unknown host");
    return nullptr;
  }
  return found.list;
}

// Connects one address without blocking past the deadline; the socket or -1.
int ConnectOne(const addrinfo& a, Steady::time_point deadline, const std::function<void()>& idle,
               std::string* error) {
  int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC, a.ai_protocol);
  if (fd < 0) {
    SetError(error, "no socket");
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int r;
  do {
    r = ::connect(fd, a.ai_addr, a.ai_addrlen);
  } while (r < 0 && errno == EINTR);
  if (r < 0 && errno != EINPROGRESS) {
    SetError(error, "refused");
    ::close(fd);
    return -1;
  }
  while (r < 0) {
    long long left = MsLeft(deadline);
    if (left <= 0) {
      SetError(error, "time-out");
      ::close(fd);
      return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kIdleSliceMs)));
    if (ready > 0) {
      int so_error = 0;
      socklen_t len = sizeof so_error;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len);
      if (so_error != 0) {
        SetError(error, "refused");
        ::close(fd);
        return -1;
      }
      r = 0;
    } else if (idle) {
      idle();
    }
  }
  // Back to blocking: reads are always preceded by a readiness wait, and a
  // bounded send keeps a peer that never reads from holding us forever.
  ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  long long left = std::max<long long>(MsLeft(deadline), 1000);
  timeval send_limit{static_cast<time_t>(left / 1000), static_cast<suseconds_t>((left % 1000) * 1000)};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send_limit, sizeof send_limit);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

class TcpTransport : public Transport {
 public:
  std::unique_ptr<Socket> Connect(const std::string& host, int port, int timeout_ms,
                                  const std::function<void()>& idle, std::string* error) override {
    if (host.empty() || port <= 0 || port > 65535) {
      SetError(error, "unknown host");
      return nullptr;
    }
    Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    addrinfo* addresses = Resolve(host, port, deadline, idle, error);
    if (!addresses) return nullptr;
    int fd = -1;
    for (addrinfo* a = addresses; a && fd < 0; a = a->ai_next) fd = ConnectOne(*a, deadline, idle, error);
    ::freeaddrinfo(addresses);
    if (fd < 0) return nullptr;
    return std::make_unique<TcpSocket>(fd);
  }
};

}  // namespace

std::unique_ptr<Transport> MakeTcpTransport() { return std::make_unique<TcpTransport>(); }

}  // namespace corvane::runtime
