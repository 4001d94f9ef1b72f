// A real, independently written web server for tests: Python's http.server
// serving a folder on a free loopback port, for as long as the object lives.
//
//   WebServer web(dir / "site");
//   if (!web.Available()) GTEST_SKIP() << "python3 is not installed";
//   ASSERT_GT(web.Port(), 0) << "the web server did not start";
//   DownloadFile(web.Url("/a.txt"), ...);
#pragma once

#include <memory>
#include <string>

#include "runtime/process.h"

namespace corvane::testing {

class WebServer {
 public:
  explicit WebServer(const std::string& folder);
  // False when python3 cannot be found (nothing was started).
  bool Available() const { return available_; }
  // The port the server listens on; 0 when it did not start.
  int Port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string Root() const;
  std::string Url(const std::string& path) const { return Root() + path; }

 private:
  bool available_ = false;
  int port_ = 0;
  std::unique_ptr<runtime::Process> process_;  // the server ends with it
};

}  // namespace corvane::testing
