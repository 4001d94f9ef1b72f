#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

#include "support/temp_dir.h"
#include "toolkit/toolkit.h"

namespace corvane::tk {
namespace {

// A PNG of w x h pixels where pixel (x, y) is (x, y, 200, 255).
std::string MakePng(int w, int h) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = 200;
      p[3] = 255;
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr));
  std::string bytes(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr));
  bytes.resize(size);
  return bytes;
}

TEST(PictureTest, LoadsAPngFileIntoRgba) {
  testing::TempDir dir;
  dir.Write("gfx/logo.png", MakePng(5, 3));
  PicturePtr pic = LoadPicture(dir / "gfx/logo.png");
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->width, 5);
  EXPECT_EQ(pic->height, 3);
  const std::uint8_t* last = &pic->rgba[(2 * 5 + 4) * 4];
  EXPECT_EQ(last[0], 4);
  EXPECT_EQ(last[1], 2);
  EXPECT_EQ(last[2], 200);
  EXPECT_EQ(last[3], 255);
}

TEST(PictureTest, MissingOrDamagedFilesGiveNull) {
  testing::TempDir dir;
  std::string png = MakePng(4, 4);
  dir.Write("cut.png", png.substr(0, png.size() / 2));
  dir.Write("text.png", "not a picture at all");
  EXPECT_EQ(LoadPicture(dir / "absent.png"), nullptr);
  EXPECT_EQ(LoadPicture(dir / "cut.png"), nullptr);
  EXPECT_EQ(LoadPicture(dir / "text.png"), nullptr);
  EXPECT_EQ(LoadPicture("incbin::gfx/no-such-picture.png"), nullptr);
  EXPECT_EQ(LoadPicture(""), nullptr);
}

TEST(PictureTest, IconStripIsCutIntoSquaresOfItsHeight) {
  testing::TempDir dir;
  dir.Write("icons.png", MakePng(24, 8));
  IconStripPtr strip = LoadIconStrip(dir / "icons.png");
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->count, 3);
  EXPECT_EQ(strip->size, 8);
  PicturePtr third = IconAt(strip, 2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->width, 8);
  EXPECT_EQ(third->height, 8);
  EXPECT_EQ(third->rgba[0], 16);  // its first pixel is column 16 of the strip
  EXPECT_EQ(third->rgba[(7 * 8 + 7) * 4 + 0], 23);
  EXPECT_EQ(third->rgba[(7 * 8 + 7) * 4 + 1], 7);
  EXPECT_EQ(IconAt(strip, 3), nullptr);
  EXPECT_EQ(IconAt(strip, -1), nullptr);
  EXPECT_EQ(IconAt(nullptr, 0), nullptr);
  dir.Write("tall.png", MakePng(4, 8));
  EXPECT_EQ(LoadIconStrip(dir / "tall.png"), nullptr);
}

}  // namespace
}  // namespace corvane::tk
