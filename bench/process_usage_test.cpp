#include "process_usage.h"

#include <gtest/gtest.h>

#include <ctime>
#include <cstring>
#include <memory>

namespace corvane::bench {
namespace {

const char kStatus[] =
    "Name:\tbench\n"
    "VmPeak:\t  300000 kB\n"
    "VmHWM:\t    9000 kB\n"
    "VmRSS:\t    8000 kB\n"
    "RssAnon:\t    5000 kB\n"
    "Threads:\t1\n";

TEST(StatusFieldKib, ReadsWholeFieldsOnly) {
  EXPECT_EQ(StatusFieldKib(kStatus, "VmRSS"), 8000);
  EXPECT_EQ(StatusFieldKib(kStatus, "VmHWM"), 9000);
  // "HWM" and "Anon" are tails of other fields, not fields.
  EXPECT_EQ(StatusFieldKib(kStatus, "HWM"), -1);
  EXPECT_EQ(StatusFieldKib(kStatus, "Anon"), -1);
  // A count without the kB unit is not a size.
  EXPECT_EQ(StatusFieldKib(kStatus, "Threads"), -1);
  EXPECT_EQ(StatusFieldKib("VmRSS:\t12", "VmRSS"), -1);
  EXPECT_EQ(StatusFieldKib("", "VmRSS"), -1);
}

TEST(PeakResident, ResetForgetsMemoryReleasedBeforeAndSeesNewMemory) {
  if (!ResetPeakResident()) GTEST_SKIP() << "the kernel does not let the peak be reset";
  const long long kBlockKib = 48 * 1024;
  {
    auto block = std::make_unique<char[]>(kBlockKib * 1024);
    std::memset(block.get(), 1, kBlockKib * 1024);  // touched, so resident
    EXPECT_GE(PeakResidentKib(), kBlockKib);
  }
  ASSERT_TRUE(ResetPeakResident());
  const long long baseline = ResidentKib();
  // The block is gone: a fresh peak must not remember it.
  EXPECT_LT(PeakResidentKib() - baseline, kBlockKib / 2);
  {
    auto block = std::make_unique<char[]>(kBlockKib * 1024);
    std::memset(block.get(), 2, kBlockKib * 1024);
  }
  EXPECT_GE(PeakResidentKib() - baseline, kBlockKib * 3 / 4);
}

TEST(ProcessorTime, AgreesWithTheCLibrarysClock) {
  const double before = OwnCpuMs();
  const std::clock_t start = std::clock();
  ASSERT_GE(before, 0);
  volatile unsigned long long sum = 0;
  while (std::clock() - start < CLOCKS_PER_SEC * 30 / 1000) sum = sum + 1;  // 30 ms of work
  const double used = OwnCpuMs() - before;
  EXPECT_GE(used, 20);
  EXPECT_LE(used, 300);
  EXPECT_GE(ChildrenCpuMs(), 0);
}

}  // namespace
}  // namespace corvane::bench
