#include "bench_stats.h"

#include <gtest/gtest.h>

namespace corvane::bench {
namespace {

TEST(Median, TakesTheMiddleOfUnsortedRunsAndAveragesAnEvenCount) {
  EXPECT_DOUBLE_EQ(Median({900, 100, 500, 300, 700}), 500);
  EXPECT_DOUBLE_EQ(Median({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(Median({7}), 7);
  EXPECT_DOUBLE_EQ(Median({}), 0);
  // One wild run on a busy machine does not move it.
  EXPECT_DOUBLE_EQ(Median({10, 11, 12, 13, 5000}), 12);
}

TEST(TableLine, StatesVerdictOnlyForRowsWithTarget) {
  EXPECT_EQ(TableLine({"Download", "1.0 s", "curl 0.9 s", "1.11", "<= 1.25", true}),
            "| Download | 1.0 s | curl 0.9 s | 1.11 | <= 1.25 | yes |");
  EXPECT_EQ(TableLine({"Extract", "2.0 s", "unzip 1.0 s", "2.00", "<= 1.2", false}),
            "| Extract | 2.0 s | unzip 1.0 s | 2.00 | <= 1.2 | **no** |");
  // Information rows: empty cells become "-", and no verdict is given even
  // when the flag says otherwise.
  EXPECT_EQ(TableLine({"Processor time", "3.0 ms", "", "", "", true}), "| Processor time | 3.0 ms | - | - | - | - |");
}

TEST(Format, RoundsFiguresForTheTable) {
  EXPECT_EQ(FormatMs(812.44), "812.4 ms");
  EXPECT_EQ(FormatMs(12345), "12.35 s");
  EXPECT_EQ(FormatRatio(1.1649), "1.16");
  EXPECT_EQ(FormatKib(1536), "1.50 MiB");
}

}  // namespace
}  // namespace corvane::bench
