#include "maintenance/restart_request.h"

#include <gtest/gtest.h>

#include "runtime/power.h"

namespace corvane {
namespace {

// Each power request as "what:flags:reason" (power-state: suspend and force as 1/0).
std::vector<std::string> Seen(const runtime::RecordingPower& power) {
  std::vector<std::string> seen;
  for (const auto& r : power.requests)
    if (r.what != "privilege") seen.push_back(r.what + ":" + std::to_string(r.flags) + ":" + std::to_string(r.reason));
  return seen;
}

TEST(RestartRequestTest, RequestsCarryTheRightFlagsOnlyWithThePrivilege) {
  runtime::RecordingPower power;
  runtime::SetPower(&power);
  RestartSystem(0), RestartSystem(1), LogOffUser(0), PowerOffSystem(7), SuspendSystem(1), HibernateSystem(0);
  EXPECT_EQ(Seen(power), (std::vector<std::string>{"exit:2:0", "exit:6:0", "exit:0:0", "exit:12:0",
                                                   "power-state:1:1", "power-state:0:0"}));
  power.requests.clear();
  power.grant = false;
  EXPECT_EQ(EnableShutdownPrivilege(), 0);
  EXPECT_EQ(RestartSystem(1), 0);
  EXPECT_EQ(SuspendSystem(1), 0);
  EXPECT_TRUE(Seen(power).empty());
  runtime::SetPower(nullptr);
}

TEST(RestartRequestTest, ThisSystemRefusesThePrivilege) {
  // Safe to ask: here the privilege step fails before any request is made.
  EXPECT_EQ(EnableShutdownPrivilege(), 0);
}

}  // namespace
}  // namespace corvane
