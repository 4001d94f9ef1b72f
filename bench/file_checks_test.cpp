#include "file_checks.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane::bench {
namespace {

TEST(SameFile, ComparesEveryByteAcrossBlocks) {
  testing::TempDir dir;
  std::string big(3 * (1 << 20) + 5, 'x');
  dir.Write("a", big);
  dir.Write("b", big);
  EXPECT_TRUE(SameFile(dir / "a", dir / "b"));
  big[2 * (1 << 20) + 1] = 'y';  // one byte in the third block
  dir.Write("b", big);
  EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
  dir.Write("c", big.substr(1));
  EXPECT_FALSE(SameFile(dir / "b", dir / "c"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
  dir.Write("empty1", "");
  dir.Write("empty2", "");
  EXPECT_TRUE(SameFile(dir / "empty1", dir / "empty2"));
}

TEST(SameTree, FindsMissingExtraAndChangedFilesAtAnyDepth) {
  testing::TempDir dir;
  for (const char* side : {"a", "b"}) {
    dir.Write(std::string(side) + "/top.txt", "top");
    dir.Write(std::string(side) + "/x/y/deep.bin", "deep bytes");
  }
  std::string difference;
  EXPECT_TRUE(SameTree(dir / "a", dir / "b", &difference)) << difference;
  const TreeFigures figures = MeasureTree(dir / "a");
  EXPECT_EQ(figures.files, 2);
  EXPECT_EQ(figures.bytes, 13);

  dir.Write("b/x/y/deep.bin", "deep bytez");
  EXPECT_FALSE(SameTree(dir / "a", dir / "b", &difference));
  EXPECT_NE(difference.find("x/y/deep.bin"), std::string::npos);

  dir.Write("b/x/y/deep.bin", "deep bytes");
  dir.Write("b/x/extra.txt", "more");
  EXPECT_FALSE(SameTree(dir / "a", dir / "b", &difference));
  EXPECT_NE(difference.find("x/extra.txt"), std::string::npos);
}

}  // namespace
}  // namespace corvane::bench
