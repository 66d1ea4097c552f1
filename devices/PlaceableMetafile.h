#pragma once
// Embedded metafiles come without the 22-byte placeable header; the device
// puts one in front so the picture has a frame of its target size.
#include <cstdint>
#include <span>
#include <vector>

namespace placeable_metafile {

inline constexpr uint32_t kKey = 0x9AC6CDD7;
inline constexpr std::size_t kHeaderBytes = 22;
inline constexpr std::size_t kMetafileHeaderBytes = 18;

// The metafile `data` behind a placeable header with the bounding box
// (0, 0, width, height) and `units_per_inch`; the metafile header's size
// field (bytes 6 to 9, counted in 16-bit words) is set from `declared_bytes`.
// Throws platform::PictureError when the data is shorter than a metafile
// header.
std::vector<uint8_t> WithPlaceableHeader(std::span<const uint8_t> data, uint32_t declared_bytes,
                                         uint16_t width, uint16_t height,
                                         uint16_t units_per_inch);

}  // namespace placeable_metafile
