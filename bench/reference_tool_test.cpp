#include "reference_tool.h"

#include <gtest/gtest.h>

namespace corvane::bench {
namespace {

TEST(RunTool, KeepsOutputAndExitCodeAndCountsFailureAsFailure) {
  const std::string sh = LocateTool("sh");
  ASSERT_FALSE(sh.empty());
  ToolRun good = RunTool(sh + " -c \"printf 0.25\"");
  EXPECT_TRUE(good.ok);
  EXPECT_EQ(good.output, "0.25");
  EXPECT_GE(good.wall_ms, 0);
  EXPECT_GE(good.cpu_ms, 0);

  ToolRun bad = RunTool(sh + " -c \"printf partial; echo why >&2; exit 3\"");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.exit_code, 3);
  EXPECT_EQ(bad.output, "partial");
  EXPECT_NE(bad.errors.find("why"), std::string::npos);

  EXPECT_FALSE(RunTool("no-such-tool-anywhere --version").ok);
  EXPECT_TRUE(LocateTool("no-such-tool-anywhere").empty());
}

}  // namespace
}  // namespace corvane::bench
