#pragma once
// Short forms of the records the demonstration log writes, over TflWriter:
// one call per record, with the record's fields in their natural order.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/TflWriter.h"

namespace demo {

struct Pt {
  double x, y;
};

class Drawing {
 public:
  explicit Drawing(tfl::TflWriter& writer) : w_(writer) {}
  tfl::TflWriter& writer() { return w_; }

  // Pen state.
  void color(int32_t c);
  void pen_style(uint8_t style);
  void pen_width(int32_t width);
  void pen(int32_t c, uint8_t style, int32_t width);
  void font(std::string_view face, int32_t points, uint8_t style = 0);  // record 25
  void font(std::string_view face, int32_t points, uint8_t style, int32_t c);  // record 204

  // Body records (log coordinates).
  void line(double x1, double y1, double x2, double y2);
  void polyline(std::span<const Pt> points);
  void styled_polyline(std::span<const Pt> points, int32_t width, int32_t c, uint8_t style);
  void vector_text(double x, double y, double char_w, double char_h, std::string_view text,
                   int32_t angle = 90);
  void label(double x, double y, double size, uint8_t size_mode, std::string_view text,
             int32_t angle = 0);
  void text(double x, double y, std::string_view text, int32_t alignment = 0,
            bool vertical = false, bool transparent = true);
  void paragraph(double x1, double y1, double x2, double y2, std::string_view text,
                 bool shrink = true);

  // Section records (x in units, y in inches from the section's top).
  void section_line(uint8_t section, double x1, double y1, double x2, double y2);
  void section_box(uint8_t section, double x1, double y1, double x2, double y2);
  // Record 102 for texts of up to 60 characters, 1020 for longer ones.
  void page_text(uint8_t section, double x, double y, std::string_view text, int32_t angle = 0);
  void fill(uint8_t section, double x1, double y1, double x2, double y2, int32_t c);

 private:
  tfl::TflWriter& w_;
};

// The records of a point group from points.
std::vector<tfl::PointRecord> PointGroup(std::span<const Pt> points);

}  // namespace demo
