#include "runtime/memory_transport.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace corvane::runtime {
namespace {

class MemorySocket : public Socket {
 public:
  MemorySocket(MemoryTransport::Answer answer, std::string* sent)
      : answer_(std::move(answer)), sent_(sent) {}

  bool Send(const void* data, std::size_t size) override {
    if (closed_) return false;
    sent_->append(static_cast<const char*>(data), size);
    return true;
  }

  long long Receive(void* data, std::size_t size) override {
    if (closed_) return -1;
    std::size_t n = std::min(size, Left());
    if (n == 0) return 0;  // a hanging peer is never readable, so only closure gets here
    std::memcpy(data, answer_.bytes.data() + position_, n);
    position_ += n;
    return static_cast<long long>(n);
  }

  int WaitReadable(int wait_ms) override {
    if (closed_) return -1;
    if (Left() > 0 || !answer_.hang) return 1;
    // A peer that went quiet: let the caller's wait pass for real, briefly.
    if (wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(wait_ms, 5)));
    return 0;
  }

  long long Available() override { return closed_ ? -1 : static_cast<long long>(Left()); }

  void Close() override { closed_ = true; }

 private:
  std::size_t Left() const { return answer_.bytes.size() - position_; }

  MemoryTransport::Answer answer_;
  std::string* sent_;
  std::size_t position_ = 0;
  bool closed_ = false;
};

}  // namespace

MemoryTransport::MemoryTransport(std::string bytes)
    : script_([bytes = std::move(bytes)](const std::string&, int, int) { return Answer{false, bytes, false}; }) {}

MemoryTransport::MemoryTransport(Script script) : script_(std::move(script)) {}

std::unique_ptr<Socket> MemoryTransport::Connect(const std::string& host, int port, int,
                                                 const std::function<void()>&, std::string* error) {
  int index = static_cast<int>(records_.size());
  records_.push_back(Record{host, port, {}});
  Answer answer = script_ ? script_(host, port, index) : Answer{true, {}, false};
  if (answer.refuse) {
    if (error) *error = "refused";
    return nullptr;
  }
  return std::make_unique<MemorySocket>(std::move(answer), &records_.back().sent);
}

}  // namespace corvane::runtime
