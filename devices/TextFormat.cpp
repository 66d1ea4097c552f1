#include "devices/TextFormat.h"

#include <algorithm>

#include "devices/DeviceMath.h"

namespace text_format {

namespace {

// Replaces the first `field` in `text` by `number`; false when there is none.
bool ReplaceFirst(std::string& text, std::string_view field, int64_t number) {
  const std::size_t at = text.find(field);
  if (at == std::string::npos) return false;
  text.replace(at, field.size(), std::to_string(number));
  return true;
}

}  // namespace

void SubstitutePageNumbers(std::string_view text, int64_t page_number, int64_t page_count,
                           std::string& out) {
  out.assign(text);
  ReplaceFirst(out, "#p", page_number);
  ReplaceFirst(out, "#t", page_count);
}

std::string_view ParagraphText(std::string_view text) {
  const std::size_t end = text.find('\0');
  return end == std::string_view::npos ? text : text.substr(0, end);
}

int32_t CountParagraphLines(std::string_view text) {
  return static_cast<int32_t>(std::count(text.begin(), text.end(), '\r'));
}

bool ParagraphLines::Next(std::string_view& line) {
  const std::size_t end = rest_.find('\r');
  if (end == std::string_view::npos) return false;
  line = rest_.substr(0, end);
  rest_.remove_prefix(end + 1);
  // Blanks and control characters at the end are not drawn.
  while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.remove_suffix(1);
  return true;
}

Margins ParagraphMargins(int32_t resolution, bool shrink, bool fixed) {
  using device_math::RoundChecked;
  if (fixed) {
    const int32_t m = RoundChecked(0.05 * resolution);
    return {m, m};
  }
  if (shrink) return {RoundChecked(0.1 * resolution), RoundChecked(0.025 * resolution)};
  return {RoundChecked(0.05 * resolution), 0};
}

int32_t CountBlanks(std::string_view line) {
  return static_cast<int32_t>(std::count(line.begin(), line.end(), ' '));
}

}  // namespace text_format
