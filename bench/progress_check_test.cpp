#include "progress_check.h"

#include <gtest/gtest.h>

namespace corvane::bench {
namespace {

// The fraction the client hands over after its k-th read.
float Fraction(long long k, int chunk, long long total) {
  return static_cast<float>(static_cast<double>(k * chunk) / static_cast<double>(total));
}

TEST(ProgressCheck, AcceptsEveryChunkInOrderIncludingShortReadsAndTheOvershoot) {
  const long long total = 1000;  // 8 chunks of 128, the last one past 1.0
  ProgressCheck check(total, 128);
  for (int k = 1; k <= 8; ++k) check.See(Fraction(k, 128, total));
  EXPECT_TRUE(check.Complete());
  EXPECT_GT(check.Last(), 1.0f);

  // Reads that return less than a chunk still count a whole chunk each, so
  // more calls come; that is complete too.
  ProgressCheck short_reads(total, 128);
  for (int k = 1; k <= 11; ++k) short_reads.See(Fraction(k, 128, total));
  EXPECT_TRUE(short_reads.Complete());
  EXPECT_EQ(short_reads.Calls(), 11);
}

TEST(ProgressCheck, NoticesSkippedRepeatedAndMissingChunks) {
  const long long total = 1 << 20;
  ProgressCheck skipped(total, 128);
  for (int k = 1; k <= 8192; ++k)
    if (k != 4000) skipped.See(Fraction(k, 128, total));
  EXPECT_FALSE(skipped.Complete());
  EXPECT_GT(skipped.Wrong(), 0);

  ProgressCheck repeated(total, 128);
  for (int k = 1; k <= 8192; ++k) {
    repeated.See(Fraction(k, 128, total));
    if (k == 10) repeated.See(Fraction(k, 128, total));
  }
  EXPECT_FALSE(repeated.Complete());

  ProgressCheck cut_short(total, 128);
  for (int k = 1; k < 8192; ++k) cut_short.See(Fraction(k, 128, total));
  EXPECT_EQ(cut_short.Wrong(), 0);
  EXPECT_FALSE(cut_short.Complete());
}

TEST(ProgressCheck, EmptyFileWantsNoCallAndAnyBodyShowsAsDone) {
  ProgressCheck empty(0, 128);
  EXPECT_TRUE(empty.Complete());
  empty.See(1.0f);
  EXPECT_TRUE(empty.Complete());
  empty.See(0.5f);
  EXPECT_FALSE(empty.Complete());
}

}  // namespace
}  // namespace corvane::bench
