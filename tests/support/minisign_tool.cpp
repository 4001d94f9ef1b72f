#include "support/minisign_tool.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace corvane::testing {

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool Run(const std::string& command) { return std::system((command + " </dev/null >/dev/null 2>&1").c_str()) == 0; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return in ? s.str() : std::string();
}

}  // namespace

bool MinisignTool::Available() {
#ifdef _WIN32
  return false;  // the Debian tool runs on the Linux side only
#else
  static const bool available = Run("minisign -v");
  return available;
#endif
}

MinisignTool::MinisignTool(const std::string& folder, const std::string& prefix)
    : public_file_(folder + "/" + prefix + ".pub"), secret_file_(folder + "/" + prefix + ".sec") {
  Run("minisign -G -f -W -p " + Quote(public_file_) + " -s " + Quote(secret_file_));
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
  std::string command = "minisign -S -s " + Quote(secret_file_) + " -m " + Quote(path);
  if (legacy) command += " -l";
  if (!trusted_comment.empty()) command += " -t " + Quote(trusted_comment);
  if (!Run(command)) return "";
  return ReadAll(path + ".minisig");
}

bool MinisignTool::Verifies(const std::string& path) const {
  return Run("minisign -V -p " + Quote(public_file_) + " -m " + Quote(path));
}

}  // namespace corvane::testing
