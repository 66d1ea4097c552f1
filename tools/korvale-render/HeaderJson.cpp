#include "HeaderJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at s[i] (shortest form, no
// surrogates, at most U+10FFFF), or 0 when none starts there.
size_t Utf8SequenceAt(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    char buf[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += s[i++];
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else if (c < 0x80) {
      out += s[i++];
    } else if (const size_t length = Utf8SequenceAt(s, i)) {
      out.append(s, i, length);
      i += length;
    } else {
      std::snprintf(buf, sizeof buf, "\\udc%02x", c);  // not UTF-8: the byte, escaped
      out += buf;
      ++i;
    }
  }
  return out + "\"";
}

// A number, or null for values JSON cannot hold (NaN, infinite).
std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  // The shortest text that reads back as the same double (0.8, not
  // 0.80000000000000004).
  char buf[32];
  auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

std::string FindHitJson(int32_t page, double depth, int32_t x, int32_t y, int32_t width,
                        int32_t height, const std::string& text) {
  return "{\"page\":" + std::to_string(page) + ",\"depth\":" + JsonNumber(depth) +
         ",\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) +
         ",\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
         ",\"text\":" + JsonString(text) + "}";
}

std::string HeaderJson(const std::string& file, uint16_t version, int32_t pages,
                       const tfl::Header& h) {
  std::string j = "{";
  auto field = [&j](const char* name, const std::string& value) {
    if (j.size() > 1) j += ", ";
    j += "\"";
    j += name;
    j += "\": ";
    j += value;
  };
  field("file", JsonString(file));
  field("version", std::to_string(version));
  field("pages", std::to_string(pages));
  field("x_min", JsonNumber(h.x_min));
  field("x_max", JsonNumber(h.x_max));
  field("y_min", JsonNumber(h.y_min));
  field("y_max", JsonNumber(h.y_max));
  field("first_header_height", JsonNumber(h.first_header_height));
  field("repeat_header_height", JsonNumber(h.repeat_header_height));
  field("footer_height", JsonNumber(h.footer_height));
  field("section_gap", JsonNumber(h.section_gap));
  field("paged", h.paged ? "true" : "false");
  field("page_height", JsonNumber(h.page_height));
  field("page_width", JsonNumber(h.page_width));
  field("x_units_per_inch", JsonNumber(h.x_units_per_inch));
  field("y_units_per_inch", JsonNumber(h.y_units_per_inch));
  field("datum", JsonNumber(h.datum));
  return j + "}";
}
