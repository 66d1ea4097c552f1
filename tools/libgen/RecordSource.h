#pragma once
// Reader for the text sources of the pattern and symbol libraries
// (data/patterns.txt, data/symbols.txt). The format is described in
// data/README.md; in short:
//
//   # comment
//   pattern 12 Limestone          (or: symbol 65 A)
//     tile 24 12                  (patterns only: tile width and height)
//     poly x,y x,y ...            open polyline: one stroke per pair of points
//     loop x,y x,y x,y ...        closed polyline
//     dots x,y x,y ...            one point stroke per point
//     ring x,y r                  small polygon approximating a circle
//
// Errors carry the file name and line number so the author can find them.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace libgen {

struct Stroke {
  int x1, y1, x2, y2;
};

struct SourceRecord {
  int number = -1;
  std::string name;
  int line = 0;  // line of the header, for messages
  int tileWidth = 0;
  int tileHeight = 0;
  std::vector<Stroke> strokes;
};

enum class LibraryKind { Pattern, Symbol };

class SourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Limits shared by the reader and the writer.
inline constexpr int kMaxStrokes = 50;
inline constexpr int kPatternRecords = 251;  // patterns 0..250
inline constexpr int kSymbolRecords = 326;   // record 0 unused, symbols 1..325

// Parses the whole source text; throws SourceError naming origin:line.
std::vector<SourceRecord> ParseRecordSource(const std::string& text, LibraryKind kind,
                                            const std::string& origin);

// The ring directive's polygon, exposed for the tests of the tool.
std::vector<Stroke> RingStrokes(int cx, int cy, int r);

}  // namespace libgen
