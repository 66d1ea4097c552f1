#include "Drawing.h"

#include <stdexcept>

namespace demo {

using namespace tfl;

std::vector<PointRecord> PointGroup(std::span<const Pt> points) {
  std::vector<PointRecord> out;
  out.reserve(points.size());
  for (const Pt& p : points) out.push_back({p.x, p.y});
  return out;
}

void Drawing::color(int32_t c) { w_.write(ColorRecord{c}); }
void Drawing::pen_style(uint8_t style) { w_.write(PenStyleRecord{style}); }
void Drawing::pen_width(int32_t width) { w_.write(PenWidthRecord{width}); }

void Drawing::pen(int32_t c, uint8_t style, int32_t width) {
  color(c);
  pen_style(style);
  pen_width(width);
}

void Drawing::font(std::string_view face, int32_t points, uint8_t style) {
  FontRecord r{};
  r.face.assign(face);
  r.size = points;
  r.style = style;
  w_.write(r);
}

void Drawing::font(std::string_view face, int32_t points, uint8_t style, int32_t c) {
  FontColorRecord r{};
  r.face.assign(face);
  r.size = points;
  r.style = style;
  r.color = c;
  w_.write(r);
}

void Drawing::line(double x1, double y1, double x2, double y2) {
  w_.write(VectorRecord{x1, y1, 0, x2, y2, 0});
}

void Drawing::polyline(std::span<const Pt> points) {
  w_.write(PolylineRecord{});
  w_.points(PointGroup(points));
}

void Drawing::styled_polyline(std::span<const Pt> points, int32_t width, int32_t c,
                              uint8_t style) {
  w_.write(StyledPolylineRecord{width, c, style});
  std::vector<VectorRecord> vectors;
  vectors.reserve(points.size());
  for (size_t i = 1; i < points.size(); ++i)
    vectors.push_back({points[i - 1].x, points[i - 1].y, 0, points[i].x, points[i].y, 0});
  w_.vectors(vectors);
}

void Drawing::vector_text(double x, double y, double char_w, double char_h, std::string_view text,
                          int32_t angle) {
  VectorTextRecord r{};
  r.x = x;
  r.y = y;
  r.char_width = char_w;
  r.char_height = char_h;
  r.angle = angle;
  r.text.assign(text);
  w_.write(r);
}

void Drawing::label(double x, double y, double size, uint8_t size_mode, std::string_view text,
                    int32_t angle) {
  LabelRecord r{};
  r.x = x;
  r.y = y;
  r.size = size;
  r.angle = angle;
  r.size_mode = size_mode;
  r.text.assign(text);
  w_.write(r);
}

void Drawing::text(double x, double y, std::string_view text, int32_t alignment, bool vertical,
                   bool transparent) {
  TextRecord r{};
  r.x = x;
  r.y = y;
  r.vertical = vertical;
  r.transparent = transparent;
  r.alignment = alignment;
  r.adjust = 0;
  r.text.assign(text);
  w_.write(r);
}

void Drawing::paragraph(double x1, double y1, double x2, double y2, std::string_view text,
                        bool shrink) {
  ParagraphRecord r{};
  r.rect = {x1, y1, x2, y2};
  r.shrink = shrink;
  r.fixed = 0;
  w_.paragraph(r, text);
}

void Drawing::section_line(uint8_t section, double x1, double y1, double x2, double y2) {
  w_.write(SectionLineRecord{{x1, y1, x2, y2}, section});
}

void Drawing::section_box(uint8_t section, double x1, double y1, double x2, double y2) {
  section_line(section, x1, y1, x2, y1);
  section_line(section, x2, y1, x2, y2);
  section_line(section, x2, y2, x1, y2);
  section_line(section, x1, y2, x1, y1);
}

void Drawing::page_text(uint8_t section, double x, double y, std::string_view text,
                        int32_t angle) {
  if (text.size() <= PString<60>::capacity) {
    PageTextRecord r{};
    r.x = x;
    r.y = y;
    r.angle = angle;
    r.text.assign(text);
    r.section = section;
    w_.write(r);
  } else if (text.size() <= PString<120>::capacity) {
    LongPageTextRecord r{};
    r.x = x;
    r.y = y;
    r.angle = angle;
    r.text.assign(text);
    r.section = section;
    w_.write(r);
  } else {
    throw std::invalid_argument("page text longer than 120 characters");
  }
}

void Drawing::fill(uint8_t section, double x1, double y1, double x2, double y2, int32_t c) {
  w_.write(FillRectangleRecord{{x1, y1, x2, y2}, c, section});
}

}  // namespace demo
