// The HTTP client's reading of responses: status lines, headers, line ends,
// lengths, locations and bodies, over the in-memory transport.
//
// Input: byte 0 holds the options (bits 0-3: bytes per receive, 0 = all at
// once; bit 4: the disk fills up after byte 1 x 16 bytes; bits 5-6: the line
// limit; bit 7: the download chunk is 1 byte instead of 128); the rest is the
// answers, separated by "\n<=>\n", connection i getting answer i modulo
// their count.
//
// Every operation runs on each input.  Checked: results lie in their ranges;
// a resolved address is the argument, "-1" or a location the server sent;
// a failed download leaves the previous file as it was and no partial file;
// every request sent is exactly three CR LF lines to a plausible host.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/http_client.h"
#include "runtime/memory_transport.h"
#include "runtime/socket.h"
#include "runtime/temporary_file.h"
#include "runtime/text.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

namespace {

const std::string kUrl = "http://fuzz.example/dir/f.bin";
const std::string kTarget = "/mem/download/f.bin";
const std::string kPrevious = "the previous complete file";

// Hands out at most `piece` bytes per receive, so lines and headers are cut
// at every possible place.
class TrickleSocket : public runtime::Socket {
 public:
  TrickleSocket(std::unique_ptr<runtime::Socket> inner, std::size_t piece) : inner_(std::move(inner)), piece_(piece) {}
  bool Send(const void* data, std::size_t size) override { return inner_->Send(data, size); }
  long long Receive(void* data, std::size_t size) override {
    return inner_->Receive(data, piece_ ? std::min(size, piece_) : size);
  }
  int WaitReadable(int wait_ms) override { return inner_->WaitReadable(wait_ms); }
  long long Available() override { return inner_->Available(); }
  void Close() override { inner_->Close(); }

 private:
  std::unique_ptr<runtime::Socket> inner_;
  std::size_t piece_;
};

class TrickleTransport : public runtime::Transport {
 public:
  TrickleTransport(runtime::MemoryTransport& inner, std::size_t piece) : inner_(inner), piece_(piece) {}
  std::unique_ptr<runtime::Socket> Connect(const std::string& host, int port, int timeout_ms,
                                           const std::function<void()>& idle, std::string* error) override {
    auto socket = inner_.Connect(host, port, timeout_ms, idle, error);
    if (!socket) return nullptr;
    return std::make_unique<TrickleSocket>(std::move(socket), piece_);
  }

 private:
  runtime::MemoryTransport& inner_;
  std::size_t piece_;
};

std::vector<std::string> Answers(const std::string& bytes) {
  std::vector<std::string> answers = runtime::Split(bytes, "\n<=>\n");
  if (answers.size() > 8) answers.resize(8);
  return answers;
}

void CheckRequests(const runtime::MemoryTransport& transport) {
  for (const auto& record : transport.Records()) {
    for (unsigned char c : record.host) FUZZ_CHECK(c >= 33 && c != 127);
    if (record.sent.empty()) continue;
    const std::string& s = record.sent;
    FUZZ_CHECK(s.rfind("HEAD ", 0) == 0 || s.rfind("GET ", 0) == 0);
    std::size_t first = s.find("\r\n");
    FUZZ_CHECK(first != std::string::npos);
    FUZZ_CHECK(s.compare(first + 2, 6, "Host: ") == 0);
    std::size_t second = s.find("\r\n", first + 2);
    FUZZ_CHECK(second != std::string::npos && second + 4 == s.size() && s.compare(second, 4, "\r\n\r\n") == 0);
    // No line end of the server's making reaches the request.
    FUZZ_CHECK(s.substr(0, first).find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(s.substr(first + 2, second - first - 2).find_first_of("\r\n") == std::string::npos);
  }
}

void CheckDownload(fuzz::MemoryFileSystem& fs, int result) {
  FUZZ_CHECK(result >= -1 && result <= 1);
  const std::string* now = fs.Get(kTarget);
  FUZZ_CHECK(now != nullptr);
  if (result != 1) FUZZ_CHECK(*now == kPrevious);
  // No temporary is left beside the target.
  for (const std::string& name : fs.ListFolder("/mem/download").value_or(std::vector<std::string>{}))
    FUZZ_CHECK(!runtime::IsTemporaryName(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  fuzz::FuzzRun run;
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  const std::uint8_t options = data[0];
  const std::vector<std::string> answers = Answers(std::string(reinterpret_cast<const char*>(data + 2), size - 2));

  HttpLimits limits;
  limits.connect_ms = 50;
  limits.read_idle_ms = 50;
  limits.max_resolve_requests = 30;
  static const std::size_t kLineLimits[] = {64, 1024, 65536, std::size_t{1} << 20};
  limits.max_line_bytes = kLineLimits[(options >> 5) & 3];
  limits.max_header_bytes = 64 * 1024;
  limits.max_checked_body_bytes = 64 * 1024;
  limits.message_interval_ms = 1000;
  SetHttpLimits(limits);

  runtime::MemoryTransport memory([&answers](const std::string&, int, int index) {
    return runtime::MemoryTransport::Answer{false, answers[static_cast<std::size_t>(index) % answers.size()], false};
  });
  TrickleTransport transport(memory, options & 15);
  runtime::SetNet(&transport);

  const long long size_result = FileSizeRemote(kUrl);
  (void)size_result;

  const std::string resolved = ResolveLocation(kUrl);
  if (resolved != "-1" && resolved != kUrl) {
    // CR bytes never reach a line, so look for it with them taken out.
    bool sent = false;
    for (const std::string& a : answers)
      sent = sent || runtime::ReplaceAll(a, "\r", "").find(runtime::EncodeLatin1(resolved)) != std::string::npos;
    FUZZ_CHECK(sent);
  }

  const int check = CheckRemoteFile(kUrl);
  FUZZ_CHECK(check >= -1 && check <= 1);

  fs.Put(kTarget, kPrevious);
  if (options & 16) fs.SetWriteBudget(static_cast<long long>(data[1]) * 16);
  CheckDownload(fs, DownloadFile(kUrl, "", nullptr, 128));
  fs.Put(kTarget, kPrevious);
  if (options & 16) fs.SetWriteBudget(static_cast<long long>(data[1]) * 16);
  bool fractions_ok = true;
  int with_progress = DownloadFile(
      kUrl, "", [&fractions_ok](float f) { fractions_ok = fractions_ok && std::isfinite(f) && f >= 0; },
      (options & 128) ? 1 : 128);
  FUZZ_CHECK(fractions_ok);
  CheckDownload(fs, with_progress);
  fs.SetWriteBudget(-1);

  if (auto stream = OpenGetStream(StreamUrl(kUrl))) {
    std::string line;
    for (int i = 0; i < 1000 && !stream->AtEnd(); ++i)
      if (!stream->ReadLine(&line)) break;
  }

  CheckRequests(memory);
  runtime::SetNet(nullptr);
  return 0;
}
