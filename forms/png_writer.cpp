#include "forms/png_writer.h"

#include <png.h>

#include <cstring>

namespace zv {

RgbImage::RgbImage(int32_t width, int32_t height, uint32_t fill)
    : width_(width), height_(height) {
  bytes_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0; i < bytes_.size(); i += 3) {
    bytes_[i] = static_cast<uint8_t>(fill & 0xFF);
    bytes_[i + 1] = static_cast<uint8_t>((fill >> 8) & 0xFF);
    bytes_[i + 2] = static_cast<uint8_t>((fill >> 16) & 0xFF);
  }
}

uint32_t RgbImage::Pixel(int32_t x, int32_t y) const {
  size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) +
              static_cast<size_t>(x)) * 3;
  return static_cast<uint32_t>(bytes_[i]) |
         (static_cast<uint32_t>(bytes_[i + 1]) << 8) |
         (static_cast<uint32_t>(bytes_[i + 2]) << 16);
}

void RgbImage::SetPixel(int32_t x, int32_t y, uint32_t color) {
  size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) +
              static_cast<size_t>(x)) * 3;
  bytes_[i] = static_cast<uint8_t>(color & 0xFF);
  bytes_[i + 1] = static_cast<uint8_t>((color >> 8) & 0xFF);
  bytes_[i + 2] = static_cast<uint8_t>((color >> 16) & 0xFF);
}

bool WritePng(const RgbImage& image, const std::string& path,
              std::string* error) {
  if (image.width() <= 0 || image.height() <= 0) {
    *error = "an empty picture cannot be written as PNG";
    return false;
  }
  // The simplified libpng interface reports failures in the structure
  // instead of jumping out of the call.
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width());
  png.height = static_cast<png_uint_32>(image.height());
  png.format = PNG_FORMAT_RGB;
  int ok = png_image_write_to_file(&png, path.c_str(), 0, image.bytes().data(),
                                   image.width() * 3, nullptr);
  if (!ok) {
    *error = std::string("cannot write ") + path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  png_image_free(&png);
  return true;
}

}  // namespace zv
