// A Transport without a network: every connection is an in-memory byte
// stream whose answer a function scripts.  For tests that need no real
// server and for fuzz targets that feed arbitrary bytes to the HTTP client.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "runtime/socket.h"

namespace corvane::runtime {

class MemoryTransport : public Transport {
 public:
  struct Answer {
    bool refuse = false;  // the connection cannot be made
    std::string bytes;    // what the peer sends
    bool hang = false;    // after the bytes: neither data nor closure, ever
  };
  // Gets the host, the port and the connection number (0 for the first).
  using Script = std::function<Answer(const std::string& host, int port, int index)>;

  // Every connection answers these bytes and then closes.
  explicit MemoryTransport(std::string bytes);
  explicit MemoryTransport(Script script);

  std::unique_ptr<Socket> Connect(const std::string& host, int port, int timeout_ms,
                                  const std::function<void()>& idle, std::string* error) override;

  // One record per connection attempt, in order.
  struct Record {
    std::string host;
    int port = 0;
    std::string sent;  // every byte the client sent
  };
  const std::deque<Record>& Records() const { return records_; }

 private:
  Script script_;
  std::deque<Record> records_;  // stable addresses: open sockets write into them
};

}  // namespace corvane::runtime
