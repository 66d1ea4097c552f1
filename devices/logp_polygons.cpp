// Polygon fills of the canvas device: curves filled against a baseline
// (plot_polyfill, plot_color_polygon) and the shading between two curves
// (plot_filled_polygon).
#include <array>

#include "core/FileError.h"
#include "devices/FillStyle.h"
#include "devices/logp_object.h"

using platform::COLORREF;
using platform::Point;

namespace {

// Long curves are drawn in bands of at most this many points, each closed
// along the vertical baseline through the first point.
constexpr int kPiecePoints = 100;

}  // namespace

// The pattern, its scales and the outline flag are not drawn by this device.
void logp_object::plot_polyfill(int32_t pattern, double x_scale, double y_scale,
                                uint8_t outline, PointGroup& points) {
  plot_point_polygon(false, 0, points);
}

void logp_object::plot_color_polygon(int32_t pattern, uint8_t outline, double x_scale,
                                     double y_scale, int32_t color, PointGroup& points) {
  plot_point_polygon(true, color, points);
}

void logp_object::plot_point_polygon(bool colored, int32_t color, PointGroup& points) {
  platform::Pen pen = canvas->GetPen();
  if (monochrome) pen.color = platform::kBlack;
  const int previous_style = pen.style;
  if (colored) pen.style = platform::PS_NULL;  // no outline
  canvas->SetPen(pen);

  const platform::Brush saved_brush = canvas->GetBrush();
  const COLORREF fill =
      colored ? checked_color(color) : checked_canvas_color(saved_brush.color);
  platform::Brush solid;
  solid.color = fill;
  canvas->SetBrush(solid);
  canvas->SetBkMode(platform::OPAQUE);
  canvas->SetBkColor(colored ? saved_brush.color : fill);
  select_body_clip();

  // Two more for the closing corner and the first point.
  std::array<Point, kPiecePoints + 2> piece;
  int count = 0;
  auto finish = [&] {
    platform::Brush restored = saved_brush;
    restored.style = platform::BS_HOLLOW;  // the canvas brush is clear afterwards
    canvas->SetBrush(restored);
    canvas->SetBkMode(platform::TRANSPARENT);
    canvas->SetBkColor(platform::kWhite);
    if (colored) {
      platform::Pen back = canvas->GetPen();
      back.style = previous_style;
      canvas->SetPen(back);
    }
  };
  try {
    for (gd::Point p; points.next(p);) {
      piece[count++] = Point{px(p.x), row(p.y)};
      if (count < kPiecePoints) continue;
      // A full piece: close it along the baseline and start the next band at
      // the corner (first x, last y).
      const Point first = piece[0], last = piece[count - 1];
      const Point corner{first.x, last.y};
      piece[count] = corner;
      piece[count + 1] = first;
      canvas->Polygon(std::span<const Point>(piece.data(), count + 2));
      piece[0] = corner;
      piece[1] = last;
      count = 2;
    }
    if (count > 0) canvas->Polygon(std::span<const Point>(piece.data(), count));
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void logp_object::plot_filled_polygon(const FilledPolygonStyle& rec, PointGroup& a_points,
                                      PointGroup& b_points) {
  group_a_.clear();
  group_b_.clear();
  for (gd::Point p; a_points.next(p);) group_a_.push_back({px(p.x), row(p.y)});
  for (gd::Point p; b_points.next(p);) group_b_.push_back({px(p.x), row(p.y)});
  if (group_a_.size() < 3 && group_b_.size() < 3) return;

  auto polygon_region = [this](const std::vector<Point>& pts) {
    if (pts.size() < 3) return platform::Region();
    return platform::Region::FromPolygon(pts, platform::WINDING, body_clip.Box())
        .Intersected(body_clip);
  };
  platform::Region a = polygon_region(group_a_);
  platform::Region b = polygon_region(group_b_);
  const platform::Region overlap = a.Intersected(b);
  a = a.Subtracted(overlap);
  b = b.Subtracted(overlap);

  const platform::Brush saved_brush = canvas->GetBrush();
  canvas->SetBkColor(platform::kWhite);
  canvas->SetBkMode(platform::OPAQUE);
  auto fill = [this](const platform::Region& region, uint8_t style, int32_t color) {
    if (region.IsEmpty() || FillStyleIsNone(style)) return;
    canvas->FillRgn(region, FillStyleBrush(style, static_cast<COLORREF>(color) & 0xFFFFFF));
  };
  fill(a, rec.brush_a, rec.fill_a);
  fill(b, rec.brush_b, rec.fill_b);
  fill(overlap, rec.overlap_brush, rec.overlap_fill);
  platform::Brush clear = saved_brush;
  clear.style = platform::BS_HOLLOW;
  canvas->SetBrush(clear);

  // Outlines: the curve only, from the second point to the third from last;
  // the first and the last two points are the baseline corners.
  select_body_clip();
  auto outline = [this](const std::vector<Point>& pts, uint8_t style, int32_t color,
                        int32_t width) {
    if (style == platform::PS_NULL || pts.size() < 4) return;
    const COLORREF ink = monochrome ? platform::kBlack : static_cast<COLORREF>(color) & 0xFFFFFF;
    int64_t counter = 0;
    for (size_t i = 1; i + 3 < pts.size(); ++i)
      styled_line(pts[i], pts[i + 1], width, ink, style, counter);
  };
  outline(group_a_, rec.pen_style_a, rec.outline_a, rec.width_a);
  outline(group_b_, rec.pen_style_b, rec.outline_b, rec.width_b);
}
