#include "bench_options.h"

#include <gtest/gtest.h>

namespace corvane::bench {
namespace {

char* Arg(const char* text) { return const_cast<char*>(text); }

TEST(BenchOptions, ReadsPairsAndRefusesStrayOrIncompleteArguments) {
  char* good[] = {Arg("bench"), Arg("--work"), Arg("/tmp/x"), Arg("--runs"), Arg("7"), Arg("--mib"), Arg("ten")};
  BenchOptions options;
  std::string error;
  ASSERT_TRUE(options.Parse(7, good, &error)) << error;
  EXPECT_EQ(options.Text("work"), "/tmp/x");
  EXPECT_EQ(options.Text("server", "none"), "none");
  EXPECT_EQ(options.Number("runs", 5), 7);
  EXPECT_EQ(options.Number("mib", 256), 256);      // not a number: the default
  EXPECT_EQ(options.Number("runs", 5, 10), 5);     // below the minimum: the default

  char* stray[] = {Arg("bench"), Arg("work"), Arg("/tmp/x")};
  EXPECT_FALSE(BenchOptions().Parse(3, stray, &error));
  EXPECT_NE(error.find("work"), std::string::npos);
  char* missing[] = {Arg("bench"), Arg("--runs")};
  EXPECT_FALSE(BenchOptions().Parse(2, missing, &error));
  EXPECT_NE(error.find("--runs"), std::string::npos);
}

}  // namespace
}  // namespace corvane::bench
