#include "support/web_server.h"

#include "runtime/text.h"

namespace corvane::testing {

WebServer::WebServer(const std::string& folder) {
  available_ = !runtime::FindProgram("python3").empty();
  if (!available_) return;
  // Port 0 lets the system pick a free port; the server prints the one it got.
  process_ = runtime::StartProcess("python3 -u -m http.server 0 --bind 127.0.0.1 --directory \"" + folder + "\"");
  std::string output;
  for (int waited = 0; process_ && process_->Running() && waited < 10000; waited += 50) {
    process_->WaitForOutput(50);
    char buffer[256];
    for (long long n; (n = process_->ReadOutput(buffer, sizeof buffer)) > 0;) output.append(buffer, n);
    std::size_t at = output.find(" port ");  // "Serving HTTP on 127.0.0.1 port 41093 (http://..."
    if (at != std::string::npos && output.find('(', at) != std::string::npos) {
      port_ = static_cast<int>(runtime::ToInt(output.substr(at + 6)));
      return;
    }
  }
}

std::string WebServer::Root() const { return "http://127.0.0.1:" + std::to_string(port_); }

}  // namespace corvane::testing
