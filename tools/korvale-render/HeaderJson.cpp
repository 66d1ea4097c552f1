#include "HeaderJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;  // bytes above 127 pass as they are
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
