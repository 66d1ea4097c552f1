#pragma once
// The records of the pattern and symbol library files, read whole for the
// sheet renderer (the program itself reads one record at a time).
#include <cstdint>
#include <string>
#include <vector>

namespace libsheet {

struct Stroke {
  int x1, y1, x2, y2;
};

struct PatternRecord {
  int tileWidth = 0;
  int tileHeight = 0;
  std::vector<Stroke> strokes;
};

using SymbolRecord = std::vector<Stroke>;

// Throw std::runtime_error on a missing file or a malformed record.
std::vector<PatternRecord> ReadPatternLibrary(const std::string& path);
std::vector<SymbolRecord> ReadSymbolLibrary(const std::string& path);

}  // namespace libsheet
