#include "LibraryWriter.h"

namespace libgen {
namespace {

void PutWord(std::vector<std::uint8_t>& out, size_t at, int value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void PutStrokes(std::vector<std::uint8_t>& out, size_t at, const std::vector<Stroke>& strokes) {
  for (const Stroke& s : strokes) {
    for (int v : {s.x1, s.y1, s.x2, s.y2}) out[at++] = static_cast<std::uint8_t>(v & 0xFF);
  }
}

}  // namespace

std::vector<std::uint8_t> BuildPatternLibrary(const std::vector<SourceRecord>& records) {
  std::vector<std::uint8_t> out(static_cast<size_t>(kPatternRecords) * kPatternRecordSize, 0);
  for (int n = 0; n < kPatternRecords; ++n) {
    size_t base = static_cast<size_t>(n) * kPatternRecordSize;
    PutWord(out, base + 2, kBlankTile);
    PutWord(out, base + 4, kBlankTile);
  }
  for (const SourceRecord& r : records) {
    size_t base = static_cast<size_t>(r.number) * kPatternRecordSize;
    PutWord(out, base, static_cast<int>(r.strokes.size()));
    PutWord(out, base + 2, r.tileWidth);
    PutWord(out, base + 4, r.tileHeight);
    PutStrokes(out, base + 6, r.strokes);
  }
  return out;
}

std::vector<std::uint8_t> BuildSymbolLibrary(const std::vector<SourceRecord>& records) {
  std::vector<std::uint8_t> out(static_cast<size_t>(kSymbolRecords) * kSymbolRecordSize, 0);
  for (const SourceRecord& r : records) {
    size_t base = static_cast<size_t>(r.number) * kSymbolRecordSize;
    PutWord(out, base, static_cast<int>(r.strokes.size()));
    PutStrokes(out, base + 2, r.strokes);
  }
  return out;
}

}  // namespace libgen
