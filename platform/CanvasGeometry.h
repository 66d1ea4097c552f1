#pragma once
// Geometry helpers of the Canvas: cutting lines and polygons to a safe box
// before they reach QPainter, and turning GDI's arc end points into angles.
// Pure functions, no painting.

#include <QPolygonF>
#include <QRectF>

#include <algorithm>
#include <cstdint>

namespace platform::geometry {

// Half-width of the coordinate box that shapes are cut to, beyond the
// surface. Larger than any pen, small enough for QPainter's fixed-point
// rasteriser.
constexpr double kSafeMargin = 65536.0;
// Coordinates regions are cut to (regions are built scan line by scan line,
// so a polygon a billion rows tall would take ages).
constexpr int kRegionLimit = 1 << 18;

// Cuts the segment (x0, y0)-(x1, y1) to the box (Liang-Barsky). Returns
// false when nothing of it lies in the box; otherwise the ends are moved
// onto the box where they were outside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const QRectF& box);

// Cuts a closed polygon to the box (Sutherland-Hodgman). Inside the box every
// point keeps its winding number, so both fill rules give the same area
// there; the new edges run along the box.
QPolygonF ClipPolygon(const QPolygonF& polygon, const QRectF& box);

// True when every point lies inside the box.
bool InsideBox(const QPolygonF& polygon, const QRectF& box);

// The parametric angle, in degrees counter-clockwise on screen, at which the
// ray from the centre (cx, cy) through (x, y) meets the ellipse of semi-axes
// a (across) and b (down). That is the angle QPainter's arcs take.
double ArcAngle(double cx, double cy, double a, double b, double x, double y);

// The counter-clockwise sweep from startAngle to endAngle in (0, 360].
double ArcSweep(double startAngle, double endAngle);

// True when the vectors (dx1, dy1) and (dx2, dy2) point the same way (a zero
// vector points every way, as GDI treats an end point on the centre).
bool SameDirection(std::int64_t dx1, std::int64_t dy1, std::int64_t dx2, std::int64_t dy2);

// The pixels that SetTextJustification adds to the break character number
// breakIndex (0-based) of a text: extra / breaks each, truncated toward zero,
// and the remainder one pixel each to the first breaks.
int BreakExtra(int extra, int breaks, int breakIndex);

// Points of the ellipse inscribed in box, from startAngle sweeping sweep
// degrees counter-clockwise (parametric angles), for ellipses too large for
// QPainter. `steps` segments.
QPolygonF EllipsePoints(const QRectF& box, double startAngle, double sweep, int steps);

}  // namespace platform::geometry

namespace platform::geometry {

// Walks the pixels of the line from (x0, y0) to (x1, y1), the end pixel left
// out, one step along the longer axis at a time, and calls visit(x, y) for
// each. The other coordinate is the nearest pixel to the ideal line (ties
// away from the start).
template <typename Visit>
void WalkLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Visit&& visit) {
  const std::int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
  const std::int64_t dy = y1 > y0 ? y1 - y0 : y0 - y1;
  const std::int64_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  if (dx >= dy) {
    for (std::int64_t i = 0; i < dx; ++i)
      visit(x0 + sx * i, y0 + sy * ((2 * i * dy + dx) / (2 * dx)));
  } else {
    for (std::int64_t i = 0; i < dy; ++i)
      visit(x0 + sx * ((2 * i * dx + dy) / (2 * dy)), y0 + sy * i);
  }
}

// WalkLine's pixels restricted to those whose coordinate along the longer
// axis lies in [0, extent of that axis): visit(i, x, y) gets each pixel's
// step number i from the start as well, so dash patterns keep their phase.
// A line reaching far off the surface costs only the surface's size.
template <typename Visit>
void WalkLineWithin(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                    std::int64_t width, std::int64_t height, Visit&& visit) {
  const std::int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
  const std::int64_t dy = y1 > y0 ? y1 - y0 : y0 - y1;
  const std::int64_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  const bool along_x = dx >= dy;
  const std::int64_t steps = along_x ? dx : dy;
  const std::int64_t start = along_x ? x0 : y0, sign = along_x ? sx : sy;
  const std::int64_t extent = along_x ? width : height;
  // start + sign * i in [0, extent)
  std::int64_t first = sign > 0 ? -start : start - extent + 1;
  std::int64_t last = sign > 0 ? extent - start : start + 1;  // exclusive
  first = std::max<std::int64_t>(first, 0);
  last = std::min(last, steps);
  for (std::int64_t i = first; i < last; ++i) {
    if (along_x)
      visit(i, x0 + sx * i, y0 + sy * ((2 * i * dy + dx) / (2 * dx)));
    else
      visit(i, x0 + sx * ((2 * i * dx + dy) / (2 * dy)), y0 + sy * i);
  }
}

}  // namespace platform::geometry
