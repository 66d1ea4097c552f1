#pragma once
// The pattern library: lithology fill patterns, records of 206 bytes, pattern
// number n = record n (compiled logs use 0 to 250).
#include <cstdint>
#include <set>
#include <span>
#include <string>

#include "core/LibraryFile.h"

class PlotCookie;

#pragma pack(push, 1)
// One stroke of a pattern or symbol: a segment in library units.
struct LibraryStroke {
  int8_t x1, y1, x2, y2;
};

// A pattern record exactly as it lies in the file.
struct PatternData {
  static constexpr int kMaxStrokes = 50;
  uint16_t stroke_count;  // 0 to 50
  uint16_t tile_width;    // pattern units
  uint16_t tile_height;   // pattern units
  LibraryStroke strokes[kMaxStrokes];  // relative to the tile origin
  // The strokes in use: the first stroke_count, never more than 50 (a larger
  // count in a damaged file is cut).
  std::span<const LibraryStroke> used_strokes() const {
    return {strokes, stroke_count < kMaxStrokes ? stroke_count : size_t{kMaxStrokes}};
  }
};
#pragma pack(pop)
static_assert(sizeof(PatternData) == 206);

class PatternLibrary {
 public:
  static constexpr std::size_t kRecordSize = sizeof(PatternData);

  // Opens the library; a missing file is reported through `cookie` as error
  // 1034 with "File Name = " + path and leaves the library unopened. A file
  // that exists but cannot be read throws FileError.
  PatternLibrary(const std::string& path, PlotCookie& cookie);

  // Loads pattern n into current(). A number at or beyond the records is
  // reported through `cookie` as error 1037 "Pattern = n" (once per number
  // until the next begin_page) and keeps the buffer. Throws FileError when the
  // library is unopened (103, naming the missing file) or n is negative (100).
  void read(int32_t n, PlotCookie& cookie);
  // A new page: numbers already reported are reported again.
  void begin_page() { reported_.clear(); }

  const PatternData& current() const { return current_; }
  bool is_open() const { return file_.is_open(); }
  int32_t record_count() const { return file_.record_count(); }
  const std::string& path() const { return path_; }

 private:
  LibraryFile file_;
  std::string path_;
  PatternData current_{};
  std::set<int32_t> reported_;  // numbers shown as error 1037 on this page
};
