#pragma once
// A small 24-bit RGB raster and its Windows bitmap file image (file header,
// 40-byte info header, bottom-up rows padded to four bytes), as compiled
// logs embed logos.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace demo {

struct Pixel {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Pixel&) const = default;
};

class RgbImage {
 public:
  RgbImage(int width, int height, Pixel fill = {255, 255, 255});
  int width() const { return width_; }
  int height() const { return height_; }
  // Row 0 is the top row. Writes outside the image are ignored.
  void set(int x, int y, Pixel c);
  Pixel at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const std::vector<Pixel>& pixels() const { return pixels_; }

 private:
  int width_, height_;
  std::vector<Pixel> pixels_;
};

// The whole .bmp file: "BM", sizes, 40-byte BITMAPINFOHEADER, 24 bits per
// pixel, BI_RGB, 96 dpi, rows from the bottom up.
std::vector<uint8_t> EncodeBmp(const RgbImage& image);

}  // namespace demo
