// Test fixture for the HTTP client: a loopback server, a headless toolkit
// (to count the window-message passes), waits shortened so a silent server
// costs a fraction of a second, and the debug texts caught.
#pragma once

#include <string>
#include <vector>

#include "net/debug_channel.h"
#include "net/http_client.h"
#include "support/headless_fixture.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace corvane {

class HttpTest : public testing::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    HttpLimits limits;
    limits.connect_ms = 2000;
    limits.read_idle_ms = 250;
    limits.tls_handshake_ms = 250;
    limits.max_line_bytes = 64 * 1024;
    limits.message_interval_ms = 0;
    SetHttpLimits(limits);
    SetDebugSink([this](const std::string& text) { debug_.push_back(text); });
  }
  void TearDown() override {
    SetDebugSink({});
    SetHttpLimits(HttpLimits{});
    HeadlessTest::TearDown();
  }

  bool Debugged(const std::string& text) const {
    for (const auto& t : debug_)
      if (t == text) return true;
    return false;
  }
  // A port on which nothing listens (a server that has stopped).
  static int DeadPort() {
    testing::LoopbackServer gone;
    return gone.Port();
  }
  std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(server_.Port()) + "\r\n"; }

  testing::LoopbackServer server_;
  testing::TempDir dir_;
  std::vector<std::string> debug_;
};

}  // namespace corvane
