#include "trust/sha256.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane::trust {
namespace {

TEST(Sha256Test, KnownDigestsInPiecesAndFromFiles) {
  const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  EXPECT_EQ(Sha256Hex("abc"), abc);
  Sha256 pieces;
  pieces.Update("a", 1);
  pieces.Update("bc", 2);
  EXPECT_EQ(pieces.HexDigest(), abc);

  testing::TempDir dir;
  // Larger than one read block, so the file is hashed in several passes.
  const std::string big(200000, 'x');
  dir.Write("big.bin", big);
  EXPECT_EQ(Sha256OfFile(dir / "big.bin"), Sha256Hex(big));
  EXPECT_EQ(Sha256OfFile(dir / "missing.bin"), "");
}

TEST(Sha256Test, CatalogueHashTextsAreNormalisedOrRefused) {
  const std::string lower = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {lower, lower},
      {" BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\t", lower},
      {lower.substr(1), ""},
      {lower + "0", ""},
      {lower.substr(1) + "g", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NormaliseSha256(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace corvane::trust
