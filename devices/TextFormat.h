#pragma once
// Text arithmetic of the canvas device that needs no canvas: page-number
// fields of header and footer texts, the lines of a paragraph, paragraph
// margins and the shrunk line pitch.
#include <cstdint>
#include <string>
#include <string_view>

namespace text_format {

// Replaces the first "#p" by page_number, then the first "#t" (searched in
// the text as it is after the first replacement) by page_count. Later
// occurrences stay as they are. `out` is reused to spare an allocation per
// record.
void SubstitutePageNumbers(std::string_view text, int64_t page_number, int64_t page_count,
                           std::string& out);

// The text of a paragraph up to its terminating zero byte (if any).
std::string_view ParagraphText(std::string_view text);

// Lines of a paragraph: one per carriage return; the text after the last
// carriage return is not a line.
int32_t CountParagraphLines(std::string_view text);

// Walks the lines of a paragraph: Next gives each line without its carriage
// return and without trailing blanks, and false after the last one.
class ParagraphLines {
 public:
  explicit ParagraphLines(std::string_view text) : rest_(text) {}
  bool Next(std::string_view& line);

 private:
  std::string_view rest_;
};

// Margins between a paragraph's rectangle and its text, in pixels.
struct Margins {
  int32_t x = 0;
  int32_t y = 0;
};
// fixed: 0.05 inch both ways; else shrink: 0.1 inch across, 0.025 inch down;
// else 0.05 inch across and none down.
Margins ParagraphMargins(int32_t resolution, bool shrink, bool fixed);

// Number of blanks (break characters) in a line.
int32_t CountBlanks(std::string_view line);

}  // namespace text_format
