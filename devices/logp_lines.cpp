// Pen state, lines, arcs, polylines and rectangles of the canvas device.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/FileError.h"
#include "devices/logp_object.h"

using device_math::MulDiv;
using platform::Point;

void logp_object::set_color(int32_t color) {
  // A negative value is kept as it is (the canvas draws its colour bits) so
  // that the fills that take the brush colour can refuse it.
  const platform::COLORREF c = static_cast<platform::COLORREF>(color);
  platform::Pen pen = canvas->GetPen();
  pen.color = c;
  canvas->SetPen(pen);
  platform::Brush brush = canvas->GetBrush();
  brush.color = c;
  canvas->SetBrush(brush);
}

void logp_object::set_pen_style(uint8_t pen_style) {
  platform::Pen pen = canvas->GetPen();
  pen.style = pen_style;
  canvas->SetPen(pen);
}

void logp_object::set_pen_width(int32_t pen_width) {
  platform::Pen pen = canvas->GetPen();
  pen.width = pen_pixels(pen_width);
  canvas->SetPen(pen);
}

void logp_object::plot_arc(double x, double y, double radius, double start_azimuth,
                           double end_azimuth) {
  apply_monochrome_pen();
  if (start_azimuth > end_azimuth) std::swap(start_azimuth, end_azimuth);
  select_body_clip();
  if (body_clip.IsEmpty()) return;
  auto point_at = [&](double azimuth) {
    const double a = (90.0 - azimuth) * std::numbers::pi / 180.0;
    return Point{px(x + radius * std::cos(a)), row(y + radius * std::sin(a))};
  };
  const Point from = point_at(end_azimuth);
  const Point to = point_at(start_azimuth);
  // Counter-clockwise from the end azimuth back to the start azimuth covers
  // the azimuths from start to end clockwise.
  canvas->Arc(px(x - radius), row(y + radius), px(x + radius), row(y - radius), from.x, from.y,
              to.x, to.y);
}

void logp_object::plot_vertical_line(double x) {
  apply_ink_rule(InkRule::Lines);
  const int32_t column = px(x);
  const int32_t top = (header.paged || page_index < 1) ? header_bottom_px : 0;
  const int32_t bottom = header.footer_height >= 0 ? footer_top : row(header.y_min);
  remove_clip();
  int64_t counter = 0;
  current_pen_line({column, top}, {column, bottom}, counter);
}

void logp_object::plot_line(uint8_t section, double x1, double y1, double x2, double y2) {
  int32_t r1 = 0, r2 = 0;
  if (!section_row(section, y1, r1) || !section_row(section, y2, r2)) return;
  apply_ink_rule(InkRule::SectionLines);
  select_section_clip();
  int64_t counter = 0;
  current_pen_line({px(x1), r1}, {px(x2), r2}, counter);
}

void logp_object::plot_vector(double x1, double y1, double x2, double y2) {
  apply_ink_rule(InkRule::Lines);
  Point a{px(x1), row(y1)};
  Point b{px(x2), row(y2)};
  if (a.y > b.y) std::swap(a, b);  // run downwards
  if (b.y < 0 || a.y > page_height_px) return;
  select_body_clip();
  int64_t counter = 0;
  current_pen_line(a, b, counter);
}

void logp_object::plot_polyline(PointGroup& points) {
  apply_monochrome_pen();
  select_body_clip();
  int64_t counter = 0;
  bool have_previous = false;
  Point previous;
  for (gd::Point point; points.next(point);) {
    const Point p{px(point.x), row(point.y)};
    if (have_previous) current_pen_line(previous, p, counter);
    previous = p;
    have_previous = true;
  }
}

void logp_object::plot_styled_polyline(int32_t pen_width, int32_t color, uint8_t pen_style,
                                       VectorGroup& vectors) {
  platform::COLORREF ink = checked_color(color);
  // Every pen on a black-only printout is black, these included.
  if (monochrome) ink = platform::kBlack;
  const int32_t width = MulDiv(pen_width, line_unit, settings.screen_ppi);
  if (width < 0 || width > kMaxPenPixels) throw RangeError();
  select_body_clip();
  int64_t counter = 0;
  for (gd::Vector v; vectors.next(v);) {
    const int32_t r1 = row(v.y1), r2 = row(v.y2);
    if (r2 < 0 || r1 > page_height_px) continue;
    styled_line({px(v.x1), r1}, {px(v.x2), r2}, width, ink, pen_style, counter);
  }
}

void logp_object::plot_rectangle(Rect r) {
  apply_monochrome_pen();
  platform::Brush brush = canvas->GetBrush();
  brush.style = platform::BS_HOLLOW;
  canvas->SetBrush(brush);
  select_body_clip();
  const int32_t x1 = px(r.x1), x2 = px(r.x2), y1 = row(r.y1), y2 = row(r.y2);
  canvas->Rectangle(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}
