#include "support/control_line.h"

namespace corvane::testing {

std::string AskControlLine(runtime::Socket& socket, const std::string& request, int timeout_ms) {
  const std::string line = request + "\n";
  if (!socket.Send(line.data(), line.size())) return "";
  std::string answer;
  for (int waited = 0; answer.find('\n') == std::string::npos && waited < timeout_ms; waited += 20) {
    if (socket.WaitReadable(20) <= 0) continue;
    char buffer[256];
    long long n = socket.Receive(buffer, sizeof buffer);
    if (n <= 0) return "";
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  return answer.find('\n') == std::string::npos ? "" : answer;
}

}  // namespace corvane::testing
