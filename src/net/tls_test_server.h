// HTTPS test servers: certificates made with the openssl command by
// tests/support/make_test_certs.sh (once per test program), and
// tests/support/tls_front.py, Python's ssl module in front of a scripted
// loopback server, so the answers are scripted as for plain HTTP.
//
// A test program that cannot start those tools (the Windows build under
// wine) finds them made and running by its runner instead: the folder in
// CORVANE_TEST_CERTS, and tls_front.py's control port in
// CORVANE_TLS_FRONT_CONTROL.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/environment.h"
#include "runtime/socket.h"
#include "runtime/process.h"
#include "runtime/text.h"
#include "support/control_line.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// Empty when a tool the servers need is missing (the test then skips).
inline std::string MissingTlsTool() {
  if (!runtime::GetEnv("CORVANE_TLS_FRONT_CONTROL").empty() && !runtime::GetEnv("CORVANE_TEST_CERTS").empty())
    return "";
  for (const char* tool : {"python3", "openssl", "bash"})
    if (runtime::FindProgram(tool).empty()) return tool;
  return "";
}

// The folder with ca.pem and the servers' NAME.pem / NAME.key; empty when
// they could not be made.
inline const std::string& TestCertificates() {
  static TempDir folder;
  static std::string made = [] {
    const std::string given = runtime::GetEnv("CORVANE_TEST_CERTS");
    if (!given.empty()) return given;
    auto maker = runtime::StartProcess("bash \"" + SourceDir() + "/tests/support/make_test_certs.sh\" \"" +
                                       folder.path() + "\"");
    for (int waited = 0; maker && maker->Running() && waited < 60000; waited += 50) maker->WaitForOutput(50);
    return folder.Exists("good.pem") && folder.Exists("selfsigned.pem") ? folder.path() : std::string();
  }();
  return made;
}

// One tls_front.py process; its servers stop with it.
class TlsFront {
 public:
  // names: certificate names, or "cut" / "plain" (see tls_front.py).
  TlsFront(int backend_port, const std::vector<std::string>& names) {
    const std::string control = runtime::GetEnv("CORVANE_TLS_FRONT_CONTROL");
    if (!control.empty()) {
      AskRunningFront(static_cast<int>(runtime::ToInt(control)), backend_port, names);
      return;
    }
    std::string command = "python3 -u \"" + SourceDir() + "/tests/support/tls_front.py\" " +
                          std::to_string(backend_port) + " \"" + TestCertificates() + "\"";
    for (const auto& name : names) command += " " + name;
    process_ = runtime::StartProcess(command);
    std::string output;
    for (int waited = 0; process_ && process_->Running() && waited < 10000; waited += 20) {
      process_->WaitForOutput(20);
      char buffer[256];
      for (long long n; (n = process_->ReadOutput(buffer, sizeof buffer)) > 0;) output.append(buffer, n);
      std::size_t at = output.find("ports ");
      if (at == std::string::npos || output.find('\n', at) == std::string::npos) continue;
      TakePorts(output.substr(at + 6, output.find('\n', at) - at - 6));
      break;
    }
  }
  bool Ready() const { return !ports_.empty(); }
  int Port(std::size_t i) const { return i < ports_.size() ? ports_[i] : 0; }

 private:
  void TakePorts(const std::string& list) {
    for (const std::string& port : runtime::Split(list, " "))
      if (!port.empty()) ports_.push_back(static_cast<int>(runtime::ToInt(port)));
  }

  // The servers of a front already running; they live while control_ is open.
  void AskRunningFront(int control_port, int backend_port, const std::vector<std::string>& names) {
    control_ = runtime::Net().Connect("127.0.0.1", control_port, 5000, {}, nullptr);
    if (!control_) return;
    std::string request = std::to_string(backend_port);
    for (const auto& name : names) request += " " + name;
    const std::string answer = AskControlLine(*control_, request, 10000);
    if (answer.rfind("ports ", 0) == 0) TakePorts(answer.substr(6, answer.find('\n') - 6));
  }

  std::unique_ptr<runtime::Socket> control_;
  std::unique_ptr<runtime::Process> process_;
  std::vector<int> ports_;
};

}  // namespace corvane::testing
