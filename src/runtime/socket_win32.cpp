// TCP over Winsock.  Connecting runs non-blocking underneath so the wait can
// be bounded and the caller's idle function keeps running; the socket is
// blocking again afterwards (reads always follow a zero-wait select).  A
// host name is looked up on a short-lived helper thread, since the system's
// lookup cannot be interrupted.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
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

timeval Timeval(long long ms) {
  timeval t;
  t.tv_sec = static_cast<long>(ms / 1000);
  t.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return t;
}

// Winsock is started once for the life of the process.
bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

class WinsockSocket : public Socket {
 public:
  explicit WinsockSocket(SOCKET s) : s_(s) {}
  ~WinsockSocket() override { Close(); }

  bool Send(const void* data, std::size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      if (s_ == INVALID_SOCKET) return false;
      int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 20));
      int n = ::send(s_, p, chunk, 0);
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  long long Receive(void* data, std::size_t size) override {
    if (s_ == INVALID_SOCKET) return -1;
    int n = ::recv(s_, static_cast<char*>(data), static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

  int WaitReadable(int wait_ms) override {
    if (s_ == INVALID_SOCKET) return -1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s_, &readable);
    fd_set failed = readable;
    timeval limit = Timeval(wait_ms < 0 ? 0 : wait_ms);
    int r = ::select(0, &readable, nullptr, &failed, &limit);
    if (r == SOCKET_ERROR) return -1;
    // Closure and errors count as readable: the next Receive reports them.
    return r > 0 ? 1 : 0;
  }

  long long Available() override {
    if (s_ == INVALID_SOCKET) return -1;
    u_long n = 0;
    if (::ioctlsocket(s_, FIONREAD, &n) != 0) return -1;
    return static_cast<long long>(n);
  }

  void Close() override {
    if (s_ != INVALID_SOCKET) ::closesocket(s_);
    s_ = INVALID_SOCKET;
  }

 private:
  SOCKET s_;
};

addrinfo* Resolve(const std::string& host, int port, Steady::time_point deadline,
                  const std::function<void()>& idle, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  std::string service = std::to_string(port);

  // Addresses need no lookup.
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &result) == 0) return result;

  hints.ai_flags = 0;
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

// Connects one address without waiting past the deadline; the socket or
// INVALID_SOCKET.
SOCKET ConnectOne(const addrinfo& a, Steady::time_point deadline, const std::function<void()>& idle,
                  std::string* error) {
  SOCKET s = ::WSASocketW(a.ai_family, a.ai_socktype, a.ai_protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) s = ::socket(a.ai_family, a.ai_socktype, a.ai_protocol);
  if (s == INVALID_SOCKET) {
    SetError(error, "no socket");
    return INVALID_SOCKET;
  }
  u_long non_blocking = 1;
  ::ioctlsocket(s, FIONBIO, &non_blocking);
  if (::connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) != 0) {
    if (::WSAGetLastError() != WSAEWOULDBLOCK) {
      SetError(error, "refused");
      ::closesocket(s);
      return INVALID_SOCKET;
    }
    while (true) {
      long long left = MsLeft(deadline);
      if (left <= 0) {
        SetError(error, "time-out");
        ::closesocket(s);
        return INVALID_SOCKET;
      }
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_SET(s, &writable);
      failed = writable;
      timeval slice = Timeval(std::min<long long>(left, kIdleSliceMs));
      int ready = ::select(0, nullptr, &writable, &failed, &slice);
      if (ready == SOCKET_ERROR || (ready > 0 && FD_ISSET(s, &failed))) {
        SetError(error, "refused");
        ::closesocket(s);
        return INVALID_SOCKET;
      }
      if (ready > 0) break;
      if (idle) idle();
    }
  }
  u_long blocking = 0;
  ::ioctlsocket(s, FIONBIO, &blocking);
  // A bounded send keeps a peer that never reads from holding us forever.
  DWORD send_limit = static_cast<DWORD>(std::max<long long>(MsLeft(deadline), 1000));
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send_limit), sizeof send_limit);
  BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return s;
}

class WinsockTransport : public Transport {
 public:
  std::unique_ptr<Socket> Connect(const std::string& host, int port, int timeout_ms,
                                  const std::function<void()>& idle, std::string* error) override {
    if (!WinsockReady()) {
      SetError(error, "no socket");
      return nullptr;
    }
    if (host.empty() || port <= 0 || port > 65535) {
      SetError(error, "unknown host");
      return nullptr;
    }
    Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    addrinfo* addresses = Resolve(host, port, deadline, idle, error);
    if (!addresses) return nullptr;
    SOCKET s = INVALID_SOCKET;
    for (addrinfo* a = addresses; a && s == INVALID_SOCKET; a = a->ai_next) s = ConnectOne(*a, deadline, idle, error);
    ::freeaddrinfo(addresses);
    if (s == INVALID_SOCKET) return nullptr;
    return std::make_unique<WinsockSocket>(s);
  }
};

}  // namespace

std::unique_ptr<Transport> MakeTcpTransport() {
  WinsockReady();
  return std::make_unique<WinsockTransport>();
}

}  // namespace corvane::runtime
