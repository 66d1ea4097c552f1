#include "viewer/PageGeometry.h"

#include <cmath>
#include <limits>

namespace viewer {
namespace {
std::optional<int64_t> g_byteLimitOverride;
}

int64_t BitmapByteLimit() { return g_byteLimitOverride.value_or(kMaxBitmapBytes); }

void SetBitmapByteLimitForTests(std::optional<int64_t> bytes) { g_byteLimitOverride = bytes; }

bool PageSizesDiffer(double logLength, double logWidth, double printerLength,
                     double printerWidth) {
  // Written as "not within" so that a NaN on either side counts as a mismatch.
  const bool lengthClose = std::fabs(logLength - printerLength) <= 0.01;
  const bool widthClose = std::fabs(logWidth - printerWidth) <= 0.01;
  return !(lengthClose && widthClose);
}

std::optional<int32_t> InchesToPixels(int pixelsPerInch, double inches) {
  const double product = static_cast<double>(pixelsPerInch) * inches;
  if (!std::isfinite(product)) return std::nullopt;
  const double rounded = std::nearbyint(product);
  if (rounded < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::nullopt;
  return static_cast<int32_t>(rounded);
}

std::optional<PixelSize> PageBitmapSize(int pixelsPerInch, double widthInches,
                                        double lengthInches, int bytesPerPixel) {
  const auto w = InchesToPixels(pixelsPerInch, widthInches);
  const auto h = InchesToPixels(pixelsPerInch, lengthInches);
  if (!w || !h) return std::nullopt;
  if (*w < 1 || *h < 1 || *w > kMaxBitmapSide || *h > kMaxBitmapSide) return std::nullopt;
  if (int64_t{*w} * int64_t{*h} * bytesPerPixel > BitmapByteLimit()) return std::nullopt;
  return PixelSize{*w, *h};
}

PageSizeProblem CheckPageSize(int pixelsPerInch, double widthInches, double lengthInches) {
  if (!(widthInches > 0) || !(lengthInches > 0) || !std::isfinite(widthInches) ||
      !std::isfinite(lengthInches))
    return PageSizeProblem::Invalid;
  const auto w = InchesToPixels(pixelsPerInch, widthInches);
  const auto h = InchesToPixels(pixelsPerInch, lengthInches);
  // A side beyond 32 bits, or longer than the longest side we make: more
  // memory would not help.
  if (!w || !h || *w > kMaxBitmapSide || *h > kMaxBitmapSide) return PageSizeProblem::TooLarge;
  if (*w < 1 || *h < 1) return PageSizeProblem::Invalid;
  return PageSizeProblem::None;
}

int64_t RequiredMemoryKilobytes(int64_t widthPx, int64_t lengthPx, int planes,
                                int bitsPerPixel) {
  if (widthPx <= 0 || lengthPx <= 0 || planes <= 0 || bitsPerPixel <= 0) return 0;
  // Both sides come from InchesToPixels (at most 2^31 each), so bits fit in a
  // double exactly enough and the byte count in 64 bits.
  const long double bits = static_cast<long double>(widthPx) * lengthPx * planes * bitsPerPixel;
  const long double bytes = std::nearbyint(bits / 8.0L);
  if (bytes >= static_cast<long double>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max() / 1024;
  return static_cast<int64_t>(bytes) / 1024;
}

uint64_t ColorCount(int bits) {
  if (bits < 0 || bits > 63) return 0;
  return uint64_t{1} << bits;
}

}  // namespace viewer
