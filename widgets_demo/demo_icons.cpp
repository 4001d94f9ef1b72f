#include "demo_icons.h"

#include <cstdint>
#include <algorithm>
#include <memory>

namespace corvane::demo {

namespace {

constexpr int kSize = 32;
constexpr int kCount = 6;

struct Rgb8 {
  std::uint8_t r, g, b;
};

// Shape i of the strip: discs, squares and diamonds in two shades each.
bool Inside(int shape, int x, int y) {
  const int cx = x - kSize / 2, cy = y - kSize / 2;
  switch (shape % 3) {
    case 0: return cx * cx + cy * cy <= 13 * 13;
    case 1: return cx >= -12 && cx < 12 && cy >= -12 && cy < 12;
    default: return (cx < 0 ? -cx : cx) + (cy < 0 ? -cy : cy) <= 14;
  }
}

}  // namespace

tk::IconStripPtr DrawIconStrip() {
  static const Rgb8 kColours[kCount] = {{46, 125, 50},  {21, 101, 192}, {230, 81, 0},
                                        {106, 27, 154}, {198, 40, 40},  {0, 131, 143}};
  auto picture = std::make_shared<tk::Picture>();
  picture->width = kSize * kCount;
  picture->height = kSize;
  picture->rgba.assign(static_cast<std::size_t>(picture->width) * kSize * 4, 0);
  picture->source = "demo icons";
  for (int i = 0; i < kCount; ++i) {
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        if (!Inside(i, x, y)) continue;
        // A lighter band across the top half gives the icons some depth.
        const int lift = y < kSize / 2 ? 40 : 0;
        auto* px = &picture->rgba[(static_cast<std::size_t>(y) * picture->width + i * kSize + x) * 4];
        px[0] = static_cast<std::uint8_t>(std::min(255, kColours[i].r + lift));
        px[1] = static_cast<std::uint8_t>(std::min(255, kColours[i].g + lift));
        px[2] = static_cast<std::uint8_t>(std::min(255, kColours[i].b + lift));
        px[3] = 255;
      }
    }
  }
  auto strip = std::make_shared<tk::IconStrip>();
  strip->image = picture;
  strip->count = kCount;
  strip->size = kSize;
  return strip;
}

}  // namespace corvane::demo
