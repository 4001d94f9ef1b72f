// TCP connections, behind an interface so tests and fuzz targets can put an
// in-memory byte stream (runtime/memory_transport.h) where the network was.
//
// A Transport opens connections; Net() is the one the program uses (the
// machine's TCP stack by default).  A Socket is one open connection.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace corvane::runtime {

class Socket {
 public:
  virtual ~Socket() = default;
  // Sends every byte (blocking); false when the connection failed.
  virtual bool Send(const void* data, std::size_t size) = 0;
  // Receives up to size bytes: the count (> 0), 0 when the peer has closed,
  // -1 on error.  Blocks until data or closure; call after WaitReadable.
  virtual long long Receive(void* data, std::size_t size) = 0;
  // Waits up to wait_ms (0: the zero-wait readiness test) for data or closure:
  // 1 readable, 0 not yet, -1 error.
  virtual int WaitReadable(int wait_ms) = 0;
  // Bytes that can be received without blocking; -1 on error.
  virtual long long Available() = 0;
  // Idempotent; later calls of the others fail.
  virtual void Close() = 0;
};

class Transport {
 public:
  virtual ~Transport() = default;
  // Connects to host (a name or an address) and port, waiting at most
  // timeout_ms (name lookup included).  While waiting, idle is called every
  // few milliseconds (may be empty).  Null on failure, with the reason in
  // *error when error is not null ("unknown host", "refused", "time-out").
  virtual std::unique_ptr<Socket> Connect(const std::string& host, int port, int timeout_ms,
                                          const std::function<void()>& idle,
                                          std::string* error) = 0;
};

// The machine's TCP stack.
std::unique_ptr<Transport> MakeTcpTransport();

// The transport the program uses.
Transport& Net();
// Replaces it (tests, fuzzing); null restores the real one.  The caller keeps ownership.
void SetNet(Transport* transport);

}  // namespace corvane::runtime
