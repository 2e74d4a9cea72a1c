// An RGB picture in memory and its output as a PNG file.
#ifndef ZV_FORMS_PNG_WRITER_H_
#define ZV_FORMS_PNG_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zv {

// Width x height pixels, row by row from the top, three bytes (red, green,
// blue) per pixel. Colours go in and out as 0x00BBGGRR.
class RgbImage {
 public:
  RgbImage() = default;
  // Requires width, height >= 0. Every pixel starts as `fill`.
  RgbImage(int32_t width, int32_t height, uint32_t fill = 0);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool Contains(int64_t x, int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  // Requires Contains(x, y).
  uint32_t Pixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t color);
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> bytes_;
};

// Writes `image` to `path` as an 8-bit RGB PNG. On failure returns false and
// puts the reason in `*error`; a partly written file may remain.
bool WritePng(const RgbImage& image, const std::string& path,
              std::string* error);

}  // namespace zv

#endif  // ZV_FORMS_PNG_WRITER_H_
