#pragma once
// The symbol library: point symbols and the glyphs of the stroke font,
// records of 202 bytes, symbol number n = record n for n from 1 to 325. The
// glyph of a character is the symbol whose number is the character code.
#include <cstdint>
#include <set>
#include <span>
#include <string>

#include "core/LibraryFile.h"
#include "core/PatternLibrary.h"  // LibraryStroke

#pragma pack(push, 1)
// A symbol record exactly as it lies in the file.
struct SymbolData {
  static constexpr int kMaxStrokes = 50;
  uint16_t stroke_count;  // 0 to 50
  LibraryStroke strokes[kMaxStrokes];
  // The strokes in use: the first stroke_count, never more than 50.
  std::span<const LibraryStroke> used_strokes() const {
    return {strokes, stroke_count < kMaxStrokes ? stroke_count : size_t{kMaxStrokes}};
  }
};
#pragma pack(pop)
static_assert(sizeof(SymbolData) == 202);

class SymbolLibrary {
 public:
  static constexpr std::size_t kRecordSize = sizeof(SymbolData);
  static constexpr int32_t kFirstSymbol = 1;
  static constexpr int32_t kLastSymbol = 325;
  static bool InNumberRange(int32_t n) { return n >= kFirstSymbol && n <= kLastSymbol; }

  // Opens the library; a missing file is reported through `cookie` as error
  // 1035 with "File Name = " + path and leaves the library unopened. A file
  // that exists but cannot be read throws FileError.
  SymbolLibrary(const std::string& path, PlotCookie& cookie);

  // Loads symbol n into current(). Numbers outside 1 to 325 do nothing. A
  // number at or beyond the records is reported through `cookie` as error 1037
  // "Symbol = n" (once per number until the next begin_page) and keeps the
  // buffer. Throws FileError 103, naming the missing file, when the library is
  // unopened and n is in range.
  void read(int32_t n, PlotCookie& cookie);
  // A new page: numbers already reported are reported again.
  void begin_page() { reported_.clear(); }

  const SymbolData& current() const { return current_; }
  bool is_open() const { return file_.is_open(); }
  int32_t record_count() const { return file_.record_count(); }
  const std::string& path() const { return path_; }

 private:
  LibraryFile file_;
  std::string path_;
  SymbolData current_{};
  std::set<int32_t> reported_;  // numbers shown as error 1037 on this page
};
