// PNG pictures and icon strips, decoded with libpng's simplified reader.
#include <png.h>

#include <cstring>

#include "runtime/file_system.h"
#include "toolkit/toolkit.h"

namespace corvane::tk {
namespace {

// Bigger pictures are refused so that a damaged or hostile file cannot make
// the program allocate gigabytes.
constexpr png_uint_32 kMaxSide = 8192;

}  // namespace

PicturePtr DecodePicture(const std::string& bytes, const std::string& source) {
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    return nullptr;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    png_image_free(&image);
    return nullptr;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_RGBA;
  auto picture = std::make_shared<Picture>();
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->source = source;
  picture->rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return picture;
}

PicturePtr LoadPicture(const std::string& path) {
  if (path.empty()) return nullptr;
  auto bytes = runtime::Fs().ReadFile(path);
  if (!bytes) return nullptr;
  return DecodePicture(*bytes, path);
}

IconStripPtr LoadIconStrip(const std::string& path) {
  PicturePtr picture = LoadPicture(path);
  if (!picture || picture->width < picture->height) return nullptr;
  auto strip = std::make_shared<IconStrip>();
  strip->image = picture;
  strip->size = picture->height;
  strip->count = picture->width / picture->height;
  return strip;
}

PicturePtr IconAt(const IconStripPtr& strip, int index) {
  if (!strip || !strip->image || index < 0 || index >= strip->count) return nullptr;
  const Picture& all = *strip->image;
  const int size = strip->size;
  auto icon = std::make_shared<Picture>();
  icon->width = size;
  icon->height = size;
  icon->source = all.source + "#" + std::to_string(index);
  icon->rgba.resize(static_cast<std::size_t>(size) * size * 4);
  for (int row = 0; row < size; ++row) {
    const std::uint8_t* from = all.rgba.data() + (static_cast<std::size_t>(row) * all.width + index * size) * 4;
    std::memcpy(icon->rgba.data() + static_cast<std::size_t>(row) * size * 4, from,
                static_cast<std::size_t>(size) * 4);
  }
  return icon;
}

}  // namespace corvane::tk
