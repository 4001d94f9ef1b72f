#include "support/minisign_tool.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "runtime/environment.h"
#include "support/control_line.h"
#include "runtime/socket.h"
#include "runtime/text.h"

namespace corvane::testing {

namespace {

#ifndef _WIN32
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
#endif

#ifdef _WIN32
// The Debian tool runs on the Linux side only: the wine runner starts
// tests/support/minisign_service.py and names its port in
// CORVANE_MINISIGN_CONTROL; a request is a line of tab-separated fields.
int ServicePort() { return static_cast<int>(runtime::ToInt(runtime::GetEnv("CORVANE_MINISIGN_CONTROL"))); }

bool Ask(const std::string& request) {
  if (ServicePort() <= 0) return false;
  auto socket = runtime::Net().Connect("127.0.0.1", ServicePort(), 5000, {}, nullptr);
  if (!socket) return false;
  return AskControlLine(*socket, request, 30000) == "ok\n";
}
#else
bool Run(const std::string& command) { return std::system((command + " </dev/null >/dev/null 2>&1").c_str()) == 0; }
#endif

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return in ? s.str() : std::string();
}

}  // namespace

bool MinisignTool::Available() {
#ifdef _WIN32
  return ServicePort() > 0;
#else
  static const bool available = Run("minisign -v");
  return available;
#endif
}

MinisignTool::MinisignTool(const std::string& folder, const std::string& prefix)
    : public_file_(folder + "/" + prefix + ".pub"), secret_file_(folder + "/" + prefix + ".sec") {
#ifdef _WIN32
  Ask("G\t" + public_file_ + "\t" + secret_file_);
#else
  Run("minisign -G -f -W -p " + Quote(public_file_) + " -s " + Quote(secret_file_));
#endif
}

std::string MinisignTool::PublicKeyLine() const {
  std::string text = ReadAll(public_file_);
  std::size_t start = text.find('\n');
  if (start == std::string::npos) return "";
  std::string line = text.substr(start + 1);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

std::string MinisignTool::Sign(const std::string& path, bool legacy, const std::string& trusted_comment) const {
#ifdef _WIN32
  if (!Ask("S\t" + secret_file_ + "\t" + path + "\t" + (legacy ? "1" : "0") + "\t" + trusted_comment)) return "";
  return ReadAll(path + ".minisig");
#else
  std::string command = "minisign -S -s " + Quote(secret_file_) + " -m " + Quote(path);
  if (legacy) command += " -l";
  if (!trusted_comment.empty()) command += " -t " + Quote(trusted_comment);
  if (!Run(command)) return "";
  return ReadAll(path + ".minisig");
#endif
}

bool MinisignTool::Verifies(const std::string& path) const {
#ifdef _WIN32
  return Ask("V\t" + public_file_ + "\t" + path);
#else
  return Run("minisign -V -p " + Quote(public_file_) + " -m " + Quote(path));
#endif
}

}  // namespace corvane::testing
