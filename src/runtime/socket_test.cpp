#include "runtime/socket.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/loopback_server.h"

namespace corvane::runtime {
namespace {

TEST(SocketTest, ReadinessAvailableBytesAndClosure) {
  testing::LoopbackServer server;
  server.Otherwise(testing::Reply().Send("hello"));
  std::string error;
  auto s = MakeTcpTransport()->Connect("127.0.0.1", server.Port(), 2000, {}, &error);
  ASSERT_NE(s, nullptr) << error;
  ASSERT_TRUE(s->Send("GET / HTTP/1.0\r\n\r\n", 18));
  ASSERT_EQ(s->WaitReadable(2000), 1);
  char buf[16];
  long long got = 0;
  while (got < 5 && s->WaitReadable(2000) == 1) {
    long long n = s->Receive(buf + got, sizeof buf - got);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_EQ(std::string(buf, got), "hello");
  // The server has closed: readable, nothing available, Receive answers 0.
  ASSERT_EQ(s->WaitReadable(2000), 1);
  EXPECT_EQ(s->Available(), 0);
  EXPECT_EQ(s->Receive(buf, sizeof buf), 0);
  s->Close();
  EXPECT_EQ(s->WaitReadable(0), -1);
  EXPECT_FALSE(s->Send("x", 1));
}

TEST(SocketTest, RefusedAndUnresolvableConnectionsFailWithinTheirBound) {
  int dead_port;
  {
    testing::LoopbackServer gone;
    dead_port = gone.Port();
  }
  auto transport = MakeTcpTransport();
  std::string error;
  EXPECT_EQ(transport->Connect("127.0.0.1", dead_port, 2000, {}, &error), nullptr);
  EXPECT_EQ(error, "refused");
  EXPECT_EQ(transport->Connect("127.0.0.1", 0, 2000, {}, &error), nullptr);
  EXPECT_EQ(transport->Connect("", 80, 2000, {}, &error), nullptr);

  // A lookup that may have to wait for a name server is still cut off at the bound.
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transport->Connect("no-such-host.invalid", 80, 300, {}, &error), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

}  // namespace
}  // namespace corvane::runtime
