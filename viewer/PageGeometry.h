#pragma once
// Pixel sizes of the page bitmap and the figures the viewer derives from a
// log's page size. Everything here is plain arithmetic on values that come
// from a file, so every conversion to an integer is checked first: a NaN, an
// infinite or a huge page size gives "no size" instead of undefined
// behaviour.
#include <cstdint>
#include <optional>

namespace viewer {

// Largest page bitmap the viewer will try to make: QPainter works in 32-bit
// fixed point and the raster engine gets slow and unreliable beyond 32767
// pixels a side; the byte limit keeps one page image well below the memory
// of an ordinary desktop.
constexpr int kMaxBitmapSide = 32767;
constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;  // 1 GiB at 32 bits a pixel

// The byte limit in force: kMaxBitmapBytes, or what a test set to stand for a
// machine short of memory (nothing: back to kMaxBitmapBytes).
int64_t BitmapByteLimit();
void SetBitmapByteLimitForTests(std::optional<int64_t> bytes);

// The log page and the printer page differ when either side differs by more
// than a hundredth of an inch. NaN sizes count as different.
bool PageSizesDiffer(double logLength, double logWidth, double printerLength,
                     double printerWidth);

// round(pixelsPerInch * inches) to nearest, or nothing when the product is
// not a finite number inside the 32-bit range.
std::optional<int32_t> InchesToPixels(int pixelsPerInch, double inches);

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The bitmap size of a page: both sides rounded to the nearest pixel; nothing
// when a side is not a positive size the viewer can allocate (at most
// kMaxBitmapSide a side and BitmapByteLimit() bytes).
// bytesPerPixel: 4 for the full-colour bitmap, 2 for the reduced one.
std::optional<PixelSize> PageBitmapSize(int pixelsPerInch, double widthInches,
                                        double lengthInches, int bytesPerPixel = 4);

// Whether a page image of this size can be made at all, whatever the
// memory. (A page within these bounds that does not fit in memory is a
// shortage of resources instead.)
enum class PageSizeProblem {
  None,
  Invalid,   // not a finite positive size of at least one pixel a side
  TooLarge,  // a side longer than kMaxBitmapSide (or beyond 32 bits)
};
PageSizeProblem CheckPageSize(int pixelsPerInch, double widthInches, double lengthInches);

// "Required Memory" of the resource warning, in kilobytes: round(w * h *
// planes * bitsPerPixel / 8) / 1024, computed in 64 bits (a large page
// overflows 32-bit arithmetic). Negative inputs count as 0.
int64_t RequiredMemoryKilobytes(int64_t widthPx, int64_t lengthPx, int planes,
                                int bitsPerPixel);

// 2 to the power bits (a 32-bit display shows 4294967296); 0 for bits
// outside 0..63.
uint64_t ColorCount(int bits);

}  // namespace viewer
