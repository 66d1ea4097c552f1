// Stroke-font text: the glyph of a character is the symbol library's record
// whose number is the character code, drawn as line segments on a cell 5
// glyph units wide and 13 high.
#include <algorithm>
#include <string_view>

#include "core/Libraries.h"
#include "core/gd_object.h"
#include "support/NumUtils.h"

namespace {

constexpr size_t kMaxStrokeText = 60;
constexpr double kCellWidth = 5;
constexpr double kCellHeight = 13;
constexpr double kAdvance = 1.2;  // character widths per character
// The marker characters are not drawn: they raise (grave accent) or lower
// (vertical bar) the next character by half the character height.
constexpr unsigned char kSuperscript = '`';
constexpr unsigned char kSubscript = '|';
constexpr double kInitialLow = 1e27;
constexpr double kInitialHigh = -1e27;

}  // namespace

void gd_object::plot_vector_text(int32_t angle, std::string_view text, double x, double y,
                                 double /*ignored*/, double char_width, double char_height,
                                 bool draw) {
  text = text.substr(0, kMaxStrokeText);
  text_extent = {kInitialLow, kInitialHigh, kInitialLow, kInitialHigh};
  if (text.empty()) return;

  const double rotation = angle;
  double advance = 0;
  unsigned char previous = '+';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == kSuperscript || c == kSubscript) {
      previous = c;
      continue;
    }
    double shift = 0;
    if (previous == kSuperscript) shift = char_height / 2;
    if (previous == kSubscript) shift = -char_height / 2;

    // A character code the library has no symbol number for (0) draws
    // nothing rather than repeating the previous glyph.
    if (SymbolLibrary::InNumberRange(c)) {
      libraries().symbol.read(c, cookie());
      if (c != ' ') {
        for (const LibraryStroke& s : libraries().symbol.current().used_strokes()) {
          double x1 = s.x1 / kCellWidth * char_width + advance;
          double y1 = s.y1 / kCellHeight * char_height + shift;
          double x2 = s.x2 / kCellWidth * char_width + advance;
          double y2 = s.y2 / kCellHeight * char_height + shift;
          RotatePair(rotation, x1, y1, x2, y2);
          x1 += x;
          y1 += y;
          x2 += x;
          y2 += y;
          if (draw) plot_vector(x1, y1, x2, y2);
          text_extent.x_low = std::min({text_extent.x_low, x1, x2});
          text_extent.x_high = std::max({text_extent.x_high, x1, x2});
          text_extent.y_low = std::min({text_extent.y_low, y1, y2});
          text_extent.y_high = std::max({text_extent.y_high, y1, y2});
        }
      }
    }
    advance += kAdvance * char_width;
    previous = c;
  }
}
