#pragma once
// Byte images of the two library files: plain arrays of fixed-size records,
// no header. Pattern record (206 bytes): stroke count, tile width, tile height
// (little-endian 16-bit words), then 50 strokes of four signed bytes. Symbol
// record (202 bytes): stroke count, then 50 strokes.
#include <cstdint>
#include <vector>

#include "RecordSource.h"

namespace libgen {

inline constexpr int kPatternRecordSize = 206;
inline constexpr int kSymbolRecordSize = 202;
// A pattern number the source leaves out still needs a usable tile: an empty
// tile of this size (never zero, so a tiling loop always moves on).
inline constexpr int kBlankTile = 10;

std::vector<std::uint8_t> BuildPatternLibrary(const std::vector<SourceRecord>& records);
std::vector<std::uint8_t> BuildSymbolLibrary(const std::vector<SourceRecord>& records);

}  // namespace libgen
