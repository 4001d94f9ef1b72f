#include "package_maker.h"

#include <gtest/gtest.h>

#include <set>

#include "runtime/file_system.h"
#include "support/temp_dir.h"
#include "zip/zip_reader.h"

namespace corvane::bench {
namespace {

TEST(PlanPackage, GivesExactlyTheCountAndSizeWithUniqueNames) {
  for (long long total : {5000LL, 104857600LL}) {
    const std::vector<PlannedFile> plan = PlanPackage(2000, total, 7);
    ASSERT_EQ(plan.size(), 2000u);
    long long sum = 0;
    std::set<std::string> names;
    int binaries = 0;
    for (const PlannedFile& f : plan) {
      EXPECT_GE(f.size, 1) << f.name;  // empty entries would not be extracted at all
      sum += f.size;
      names.insert(f.name);
      binaries += f.binary;
    }
    EXPECT_EQ(sum, total);
    EXPECT_EQ(names.size(), plan.size());
    EXPECT_GT(binaries, 200);
    EXPECT_LT(binaries, 800);
  }
  // Fewer bytes than files: one byte each at least.
  long long sum = 0;
  for (const PlannedFile& f : PlanPackage(10, 3, 1)) sum += f.size;
  EXPECT_EQ(sum, 10);
}

TEST(PlanPackage, SameSeedSamePackage) {
  const auto a = PlanPackage(50, 100000, 42), b = PlanPackage(50, 100000, 42), c = PlanPackage(50, 100000, 43);
  ASSERT_EQ(a.size(), b.size());
  bool differs = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name);
    EXPECT_EQ(a[i].size, b[i].size);
    EXPECT_EQ(ContentOf(a[i]), ContentOf(b[i]));
    differs = differs || a[i].size != c[i].size;
  }
  EXPECT_TRUE(differs);
}

TEST(ContentStream, GivesTheSameBytesWhateverThePieceSize) {
  PlannedFile text{"a.tn", 10000, false, 99}, binary{"b.bin", 10000, true, 99};
  for (const PlannedFile& f : {text, binary}) {
    const std::string whole = ContentOf(f);
    ASSERT_EQ(whole.size(), 10000u);
    std::string pieces;
    ContentStream stream(f);
    char buffer[7];
    while (std::size_t n = stream.Next(buffer, sizeof buffer)) pieces.append(buffer, n);
    EXPECT_EQ(pieces, whole);
  }
  EXPECT_NE(ContentOf(text).find("\r\n"), std::string::npos);
}

TEST(WritePackage, WritesAnArchiveWhoseEntriesExtractToThePlannedBytes) {
  testing::TempDir dir;
  const std::vector<PlannedFile> plan = PlanPackage(40, 300000, 5);
  std::string error;
  ASSERT_TRUE(WritePackage(dir / "package.zip", plan, &error)) << error;
  ZipReader zip;
  ASSERT_TRUE(zip.Open(dir / "package.zip"));
  ASSERT_EQ(zip.Count(), 40);
  for (int i = 0; i < zip.Count(); ++i) {
    EXPECT_EQ(zip.Name(i), plan[i].name);
    EXPECT_EQ(zip.Size(i), plan[i].size);
  }
  for (int i : {0, 17, 39}) {
    ASSERT_EQ(zip.ExtractEntry(i, dir / "out.bin", ""), ZipStatus::kOk);
    EXPECT_EQ(dir.Read("out.bin"), ContentOf(plan[i])) << plan[i].name;
  }
}

TEST(WritePackage, ReportsAnArchiveThatCannotBeCreated) {
  testing::TempDir dir;
  std::string error;
  EXPECT_FALSE(WritePackage(dir / "no/such/folder/package.zip", PlanPackage(3, 30, 1), &error));
  EXPECT_NE(error.find("package.zip"), std::string::npos);
}

}  // namespace
}  // namespace corvane::bench
