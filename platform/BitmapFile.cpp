#include "platform/BitmapFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

namespace platform {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

enum Compression : std::uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiJpeg = 4,
  kBiPng = 5,
};

[[noreturn]] void Fail(const std::string& what) {
  throw PictureError("Invalid bitmap: " + what);
}

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::int32_t LeS32(const std::uint8_t* p) { return std::int32_t(Le32(p)); }

// The fields of any of the info header versions, widened.
struct DibInfo {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: top-down rows
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t sizeImage = 0;
  std::uint32_t clrUsed = 0;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
  bool core = false;                     // OS/2 1.x: 3-byte colour entries
  std::size_t tableOffset = 0;           // colour table, from the info header
};

bool KnownHeaderSize(std::uint32_t size) {
  switch (size) {
    case 16: case 40: case 52: case 56: case 64: case 108: case 124:
      return true;
    default:
      return false;
  }
}

DibInfo ReadInfoHeader(std::span<const std::uint8_t> info) {
  if (info.size() < 4) Fail("the information header is cut short");
  DibInfo h;
  h.headerSize = Le32(info.data());
  const std::uint8_t* p = info.data();
  if (h.headerSize == 12) {
    if (info.size() < 12) Fail("the information header is cut short");
    h.core = true;
    h.width = Le16(p + 4);
    h.height = Le16(p + 6);
    h.planes = Le16(p + 8);
    h.bitCount = Le16(p + 10);
  } else if (KnownHeaderSize(h.headerSize)) {
    if (info.size() < h.headerSize) Fail("the information header is cut short");
    h.width = LeS32(p + 4);
    h.height = LeS32(p + 8);
    h.planes = Le16(p + 12);
    h.bitCount = Le16(p + 14);
    if (h.headerSize >= 40) {
      h.compression = Le32(p + 16);
      h.sizeImage = Le32(p + 20);
      h.clrUsed = Le32(p + 32);
    }
    if (h.headerSize >= 52) h.masks = {Le32(p + 40), Le32(p + 44), Le32(p + 48)};
  } else {
    Fail("the information header has an unknown size (" + std::to_string(h.headerSize) +
         " bytes)");
  }
  h.tableOffset = h.headerSize;
  return h;
}

bool IsOs2Version2(const DibInfo& h) { return h.headerSize == 16 || h.headerSize == 64; }

void CheckMask(std::uint32_t mask, int bitCount) {
  if (mask == 0) Fail("a colour mask is empty");
  if (bitCount < 32 && (mask >> bitCount) != 0) Fail("a colour mask lies outside the pixel");
  const std::uint32_t shifted = mask >> std::countr_zero(mask);
  if ((shifted & (shifted + 1)) != 0) Fail("a colour mask is not contiguous");
}

// Checks the header fields against each other; fills in default masks.
void Validate(DibInfo& h, std::span<const std::uint8_t> info) {
  if (h.planes != 1) Fail("the number of colour planes is not 1");
  if (h.width <= 0) Fail("the width is not positive");
  if (h.height == 0) Fail("the height is zero");
  switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
      break;
    default:
      Fail(std::to_string(h.bitCount) + " bits per pixel are not supported");
  }
  if (IsOs2Version2(h) && (h.compression == 3 || h.compression == 4))
    Fail("OS/2 Huffman and RLE24 compression are not supported");
  switch (h.compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (h.bitCount != 8) Fail("RLE8 compression needs 8 bits per pixel");
      break;
    case kBiRle4:
      if (h.bitCount != 4) Fail("RLE4 compression needs 4 bits per pixel");
      break;
    case kBiBitfields:
      if (h.bitCount != 16 && h.bitCount != 32) Fail("bit fields need 16 or 32 bits per pixel");
      break;
    case kBiJpeg:
    case kBiPng:
      Fail("JPEG and PNG compressed bitmaps are not supported");
    default:
      Fail("compression " + std::to_string(h.compression) + " is not supported");
  }
  if ((h.compression == kBiRle8 || h.compression == kBiRle4) && h.height < 0)
    Fail("a compressed bitmap cannot be stored top-down");
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  if (!PictureSizeAllowed(std::uint64_t(h.width), std::uint64_t(rows)))
    Fail("the picture is too large (" + std::to_string(h.width) + " x " + std::to_string(rows) +
         " pixels)");

  if (h.compression == kBiBitfields) {
    if (h.headerSize == 40) {
      if (info.size() < 52) Fail("the colour masks are cut short");
      h.masks = {Le32(info.data() + 40), Le32(info.data() + 44), Le32(info.data() + 48)};
      h.tableOffset = 52;
    }
  } else if (h.bitCount == 16) {
    h.masks = {0x7C00, 0x03E0, 0x001F};
  } else if (h.bitCount == 32) {
    h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }
  if (h.bitCount == 16 || h.bitCount == 32) {
    for (std::uint32_t m : h.masks) CheckMask(m, h.bitCount);
    if ((h.masks[0] & h.masks[1]) || (h.masks[0] & h.masks[2]) || (h.masks[1] & h.masks[2]))
      Fail("colour masks overlap");
  }
}

// Number of colour table entries stored in the data (not all need be used).
std::uint64_t StoredTableEntries(const DibInfo& h) {
  if (h.core) return h.bitCount <= 8 ? (1u << h.bitCount) : 0;
  if (h.clrUsed != 0) return h.clrUsed;
  return h.bitCount <= 8 ? (1u << h.bitCount) : 0;
}

using Palette = std::array<QRgb, 256>;

Palette ReadPalette(std::span<const std::uint8_t> table, std::uint64_t entries, std::size_t entrySize,
                    DibColors colors) {
  Palette palette;
  palette.fill(qRgb(0, 0, 0));
  const std::uint64_t used = std::min<std::uint64_t>(entries, palette.size());
  for (std::uint64_t i = 0; i < used; ++i) {
    const std::uint8_t* e = table.data() + i * entrySize;
    if (colors == DibColors::PaletteIndices) {
      const int level = Le16(e) & 0xFF;
      palette[i] = qRgb(level, level, level);
    } else {
      palette[i] = qRgb(e[2], e[1], e[0]);
    }
  }
  return palette;
}

// One colour channel of a masked pixel, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  std::uint64_t max = 0;

  explicit Channel(std::uint32_t m)
      : mask(m), shift(std::countr_zero(m)), bits(std::popcount(m)),
        max((std::uint64_t(1) << std::popcount(m)) - 1) {}
  int Get(std::uint32_t pixel) const {
    const std::uint64_t v = (pixel & mask) >> shift;
    if (bits >= 8) return int(v >> (bits - 8));
    return int((v * 255 + max / 2) / max);
  }
};

void DecodeUncompressed(const DibInfo& h, std::span<const std::uint8_t> pixels,
                        const Palette& palette, QImage& image) {
  const int width = int(h.width);
  const int rows = image.height();
  const std::uint64_t stride = ((std::uint64_t(h.width) * h.bitCount + 31) / 32) * 4;
  if (pixels.size() / stride < std::uint64_t(rows)) Fail("the pixel data is cut short");
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* src = pixels.data() + std::uint64_t(r) * stride;
    const int y = h.height < 0 ? r : rows - 1 - r;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    switch (h.bitCount) {
      case 1:
        for (int x = 0; x < width; ++x) out[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < width; ++x)
          out[x] = palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
        break;
      case 8:
        for (int x = 0; x < width; ++x) out[x] = palette[src[x]];
        break;
      case 16:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t px = Le16(src + 2 * x);
          out[x] = qRgb(red.Get(px), green.Get(px), blue.Get(px));
        }
        break;
      case 24:
        for (int x = 0; x < width; ++x) out[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 32:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t px = Le32(src + 4 * x);
          out[x] = qRgb(red.Get(px), green.Get(px), blue.Get(px));
        }
        break;
    }
  }
}

// Walks an RLE4/RLE8 stream, calling put(x, row-from-bottom, index) for every
// pixel it sets. Throws on any run or delta that leaves the picture, so a
// first pass without output validates the data before anything is allocated.
template <typename Put>
void WalkRle(std::span<const std::uint8_t> d, int width, int height, bool rle4, Put put) {
  std::int64_t x = 0, y = 0;
  std::size_t i = 0;
  const std::size_t n = d.size();
  auto checkRun = [&](std::int64_t count) {
    if (y >= height) Fail("the RLE data runs past the last row");
    if (x + count > width) Fail("an RLE run passes the end of a row");
  };
  while (i + 1 < n) {
    const int count = d[i];
    const int value = d[i + 1];
    i += 2;
    if (count > 0) {  // encoded run
      checkRun(count);
      for (int k = 0; k < count; ++k) {
        const int index = rle4 ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value;
        put(int(x + k), int(y), index);
      }
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      if (i + 2 > n) Fail("an RLE delta is cut short");
      const int dx = d[i], dy = d[i + 1];
      i += 2;
      if (x + dx > width || y + dy > height) Fail("an RLE delta leaves the picture");
      x += dx;
      y += dy;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const std::size_t bytes = rle4 ? (std::size_t(value) + 1) / 2 : std::size_t(value);
      if (bytes > n - i) Fail("an RLE absolute run is cut short");
      checkRun(value);
      for (int k = 0; k < value; ++k) {
        const std::uint8_t b = d[i + (rle4 ? std::size_t(k) / 2 : std::size_t(k))];
        const int index = rle4 ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b;
        put(int(x + k), int(y), index);
      }
      x += value;
      i += std::min(n - i, (bytes + 1) & ~std::size_t(1));
    }
  }
}

void DecodeRle(const DibInfo& h, std::span<const std::uint8_t> data, const Palette& palette,
               QImage& image) {
  const int width = int(h.width), height = image.height();
  const bool rle4 = h.compression == kBiRle4;
  image.fill(palette[0]);
  WalkRle(data, width, height, rle4, [&](int x, int y, int index) {
    reinterpret_cast<QRgb*>(image.scanLine(height - 1 - y))[x] = palette[index];
  });
}

QImage AllocateImage(const DibInfo& h) {
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  QImage image(int(h.width), int(rows), QImage::Format_RGB32);
  if (image.isNull()) Fail("not enough memory for the picture");
  return image;
}

// Decodes from `info` (the info header at offset 0); the pixels start at
// pixelOffset (from the info header) when given, else right after the table.
QImage DecodeDib(std::span<const std::uint8_t> info, std::optional<std::size_t> pixelOffset,
                 DibColors colors) {
  DibInfo h = ReadInfoHeader(info);
  Validate(h, info);
  const std::size_t entrySize = colors == DibColors::PaletteIndices ? 2 : (h.core ? 3 : 4);
  std::uint64_t entries = StoredTableEntries(h);
  const std::size_t tableStart = h.tableOffset;
  if (pixelOffset && *pixelOffset < tableStart) Fail("the pixel data starts inside the header");
  if (pixelOffset && h.core && *pixelOffset > tableStart) {
    // OS/2 files may carry a shorter table: it ends where the pixels start.
    entries = std::min<std::uint64_t>(entries, (*pixelOffset - tableStart) / entrySize);
  }
  const std::size_t afterTable = info.size() - tableStart;
  if (entries > afterTable / entrySize) Fail("the colour table runs past the end of the data");
  const Palette palette = ReadPalette(info.subspan(tableStart), entries, entrySize, colors);

  const std::size_t start = pixelOffset ? *pixelOffset : tableStart + std::size_t(entries) * entrySize;
  if (start > info.size()) Fail("the pixel data lies past the end of the data");
  std::span<const std::uint8_t> pixels = info.subspan(start);

  if (h.compression == kBiRle8 || h.compression == kBiRle4) {
    if (h.sizeImage != 0 && h.sizeImage < pixels.size()) pixels = pixels.first(h.sizeImage);
    const std::int64_t rows = h.height;
    WalkRle(pixels, int(h.width), int(rows), h.compression == kBiRle4, [](int, int, int) {});
    QImage image = AllocateImage(h);
    DecodeRle(h, pixels, palette, image);
    return image;
  }
  const std::uint64_t stride = ((std::uint64_t(h.width) * h.bitCount + 31) / 32) * 4;
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  if (pixels.size() / stride < std::uint64_t(rows)) Fail("the pixel data is cut short");
  QImage image = AllocateImage(h);
  DecodeUncompressed(h, pixels, palette, image);
  return image;
}

}  // namespace

QImage DecodeBitmapFile(std::span<const std::uint8_t> data) {
  if (data.size() < kFileHeaderSize) Fail("the file header is cut short");
  if (data[0] != 'B' || data[1] != 'M') Fail("the file does not start with \"BM\"");
  const std::uint32_t offBits = Le32(data.data() + 10);
  const std::span<const std::uint8_t> info = data.subspan(kFileHeaderSize);
  if (offBits < kFileHeaderSize) Fail("the pixel data starts inside the header");
  return DecodeDib(info, std::size_t(offBits - kFileHeaderSize), DibColors::Rgb);
}

QImage DecodePackedDib(std::span<const std::uint8_t> data, DibColors colors) {
  return DecodeDib(data, std::nullopt, colors);
}

}  // namespace platform
