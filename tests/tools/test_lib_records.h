#pragma once
// Test-side reading of the built library files, written straight from the
// record layouts (independent of the program's own readers and of the
// compiler that wrote them).
#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace libtest {

inline constexpr size_t kPatternRecordSize = 206;
inline constexpr size_t kSymbolRecordSize = 202;

struct Stroke {
  int x1, y1, x2, y2;
  bool IsDot() const { return x1 == x2 && y1 == y2; }
};

struct Pattern {
  int strokeCount = 0;
  int tileWidth = 0;
  int tileHeight = 0;
  std::vector<Stroke> strokes;
};

struct Symbol {
  int strokeCount = 0;
  std::vector<Stroke> strokes;
};

inline int Word(const unsigned char* p) { return p[0] | (p[1] << 8); }

inline std::vector<Stroke> Strokes(const unsigned char* p, int count) {
  std::vector<Stroke> out;
  for (int i = 0; i < count && i < 50; ++i, p += 4)
    out.push_back({static_cast<int8_t>(p[0]), static_cast<int8_t>(p[1]),
                   static_cast<int8_t>(p[2]), static_cast<int8_t>(p[3])});
  return out;
}

inline std::string BinFile(const std::string& name) { return testfiles::BinDir() + "/" + name; }

inline std::vector<Pattern> ReadPatterns(const std::vector<unsigned char>& bytes) {
  std::vector<Pattern> out;
  for (size_t at = 0; at + kPatternRecordSize <= bytes.size(); at += kPatternRecordSize) {
    const unsigned char* r = bytes.data() + at;
    out.push_back({Word(r), Word(r + 2), Word(r + 4), Strokes(r + 6, Word(r))});
  }
  return out;
}

inline std::vector<Symbol> ReadSymbols(const std::vector<unsigned char>& bytes) {
  std::vector<Symbol> out;
  for (size_t at = 0; at + kSymbolRecordSize <= bytes.size(); at += kSymbolRecordSize) {
    const unsigned char* r = bytes.data() + at;
    out.push_back({Word(r), Strokes(r + 2, Word(r))});
  }
  return out;
}

}  // namespace libtest
