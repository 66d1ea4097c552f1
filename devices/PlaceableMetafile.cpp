#include "devices/PlaceableMetafile.h"

#include "platform/PictureError.h"

namespace placeable_metafile {

namespace {

void Put16(std::vector<uint8_t>& out, std::size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
  Put16(out, at, static_cast<uint16_t>(v));
  Put16(out, at + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

std::vector<uint8_t> WithPlaceableHeader(std::span<const uint8_t> data, uint32_t declared_bytes,
                                         uint16_t width, uint16_t height,
                                         uint16_t units_per_inch) {
  if (data.size() < kMetafileHeaderBytes)
    throw platform::PictureError("The embedded metafile is shorter than a metafile header");
  std::vector<uint8_t> out(kHeaderBytes + data.size(), 0);
  Put32(out, 0, kKey);
  Put16(out, 4, 0);  // handle
  Put16(out, 6, 0);  // bounding box left, top, right, bottom
  Put16(out, 8, 0);
  Put16(out, 10, width);
  Put16(out, 12, height);
  Put16(out, 14, units_per_inch);
  Put32(out, 16, 0);  // reserved
  uint16_t checksum = 0;
  for (std::size_t i = 0; i < 20; i += 2) checksum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
  Put16(out, 20, checksum);
  std::copy(data.begin(), data.end(), out.begin() + kHeaderBytes);
  // The size field counts 16-bit words.
  Put32(out, kHeaderBytes + 6, declared_bytes / 2);
  return out;
}

}  // namespace placeable_metafile
