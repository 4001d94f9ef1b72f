#include "toolkit/fltk/line_breaks.h"

#include <gtest/gtest.h>

namespace corvane::tk::fltk {
namespace {

// CR LF, a lone CR, a CR before a CR LF, an LF before a CR and a CR at the end.
const std::string kMixed = "one\r\ntwo\rthree\r\r\nfour\n\rfive\r";

TEST(LineBreaksTest, EveryKindOfLineEndIsShownAsOneLineFeed) {
  EXPECT_EQ(ShownText(kMixed), "one\ntwo\nthree\n\nfour\n\nfive\n");
  EXPECT_EQ(ShownText("plain\ntext"), "plain\ntext");
  EXPECT_EQ(ShownText(""), "");
}

TEST(LineBreaksTest, AppendingPiecesShowsTheSameAsShowingTheWhole) {
  // A CR LF split between two appends (an output line written in parts) must
  // not become two line breaks.
  for (std::size_t split = 0; split <= kMixed.size(); ++split) {
    const std::string before = kMixed.substr(0, split);
    EXPECT_EQ(ShownText(before) + ShownAppend(before, kMixed.substr(split)), ShownText(kMixed))
        << "split at " << split;
  }
}

TEST(LineBreaksTest, OffsetsTranslateBetweenStoredAndShownText) {
  const std::string text = "ab\r\ncd\ref";
  // stored: a b CR LF c d CR e f;  shown: a b LF c d LF e f
  EXPECT_EQ(ShownOffset(text, 2), 2u);  // the CR of the CR LF
  EXPECT_EQ(ShownOffset(text, 3), 2u);  // between CR and LF: the same break
  EXPECT_EQ(ShownOffset(text, 4), 3u);
  EXPECT_EQ(ShownOffset(text, 7), 6u);  // past the lone CR
  EXPECT_EQ(ShownOffset(text, 9), 8u);
  EXPECT_EQ(ShownOffset(text, 50), 8u);
  EXPECT_EQ(StoredOffset(text, 2), 2u);  // a break starts at its CR
  EXPECT_EQ(StoredOffset(text, 3), 4u);
  EXPECT_EQ(StoredOffset(text, 6), 7u);
  EXPECT_EQ(StoredOffset(text, 8), 9u);
  EXPECT_EQ(StoredOffset(text, 50), 9u);
  for (std::size_t shown = 0; shown <= 8; ++shown) EXPECT_EQ(ShownOffset(text, StoredOffset(text, shown)), shown);
}

}  // namespace
}  // namespace corvane::tk::fltk
