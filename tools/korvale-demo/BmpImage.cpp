#include "BmpImage.h"

#include <stdexcept>

namespace demo {

RgbImage::RgbImage(int width, int height, Pixel fill) : width_(width), height_(height) {
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
    throw std::invalid_argument("RgbImage: unreasonable size");
  pixels_.assign(static_cast<size_t>(width) * height, fill);
}

void RgbImage::set(int x, int y, Pixel c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

namespace {
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(v & 0xFF);
  out.push_back(v >> 8);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}
}  // namespace

std::vector<uint8_t> EncodeBmp(const RgbImage& image) {
  const uint32_t row_bytes = (static_cast<uint32_t>(image.width()) * 3 + 3) & ~3u;
  const uint32_t pixel_bytes = row_bytes * static_cast<uint32_t>(image.height());
  const uint32_t offset = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(offset + pixel_bytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + pixel_bytes);
  Put32(out, 0);  // reserved
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(image.width()));
  Put32(out, static_cast<uint32_t>(image.height()));  // positive: bottom-up
  Put16(out, 1);                                      // planes
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixel_bytes);
  Put32(out, 3780);  // 96 dpi in pixels per metre
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.width(); ++x) {
      const Pixel c = image.at(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (uint32_t pad = static_cast<uint32_t>(image.width()) * 3; pad < row_bytes; ++pad)
      out.push_back(0);
  }
  return out;
}

}  // namespace demo
