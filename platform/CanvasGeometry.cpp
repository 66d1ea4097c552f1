#include "platform/CanvasGeometry.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace platform::geometry {

bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const QRectF& box) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  double t0 = 0.0;
  double t1 = 1.0;
  // One boundary of the box: p * t <= q keeps the inside.
  auto edge = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double t = q / p;
    if (p < 0.0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
    return true;
  };
  if (!edge(-dx, x0 - box.left()) || !edge(dx, box.right() - x0) ||
      !edge(-dy, y0 - box.top()) || !edge(dy, box.bottom() - y0))
    return false;
  const double sx = x0;
  const double sy = y0;
  if (t1 < 1.0) {
    x1 = sx + t1 * dx;
    y1 = sy + t1 * dy;
  }
  if (t0 > 0.0) {
    x0 = sx + t0 * dx;
    y0 = sy + t0 * dy;
  }
  return true;
}

namespace {

// One step of Sutherland-Hodgman: keeps the part of the polygon on the inside
// of one box edge.
template <typename Inside, typename Cross>
QPolygonF ClipEdge(const QPolygonF& in, Inside inside, Cross cross) {
  QPolygonF out;
  if (in.isEmpty()) return out;
  out.reserve(in.size() + 4);
  QPointF prev = in.back();
  bool prevIn = inside(prev);
  for (const QPointF& cur : in) {
    const bool curIn = inside(cur);
    if (curIn != prevIn) out.append(cross(prev, cur));
    if (curIn) out.append(cur);
    prev = cur;
    prevIn = curIn;
  }
  return out;
}

QPointF AtX(const QPointF& a, const QPointF& b, double x) {
  const double t = (x - a.x()) / (b.x() - a.x());
  return {x, a.y() + t * (b.y() - a.y())};
}

QPointF AtY(const QPointF& a, const QPointF& b, double y) {
  const double t = (y - a.y()) / (b.y() - a.y());
  return {a.x() + t * (b.x() - a.x()), y};
}

}  // namespace

QPolygonF ClipPolygon(const QPolygonF& polygon, const QRectF& box) {
  const double l = box.left(), r = box.right(), t = box.top(), b = box.bottom();
  QPolygonF p = ClipEdge(polygon, [l](const QPointF& q) { return q.x() >= l; },
                         [l](const QPointF& a, const QPointF& c) { return AtX(a, c, l); });
  p = ClipEdge(p, [r](const QPointF& q) { return q.x() <= r; },
               [r](const QPointF& a, const QPointF& c) { return AtX(a, c, r); });
  p = ClipEdge(p, [t](const QPointF& q) { return q.y() >= t; },
               [t](const QPointF& a, const QPointF& c) { return AtY(a, c, t); });
  p = ClipEdge(p, [b](const QPointF& q) { return q.y() <= b; },
               [b](const QPointF& a, const QPointF& c) { return AtY(a, c, b); });
  return p;
}

bool InsideBox(const QPolygonF& polygon, const QRectF& box) {
  for (const QPointF& p : polygon) {
    if (p.x() < box.left() || p.x() > box.right() || p.y() < box.top() || p.y() > box.bottom())
      return false;
  }
  return true;
}

double ArcAngle(double cx, double cy, double a, double b, double x, double y) {
  // Screen y grows downwards; angles count counter-clockwise as seen.
  const double angle = std::atan2(-(y - cy) * a, (x - cx) * b) * 180.0 / std::numbers::pi;
  return angle < 0.0 ? angle + 360.0 : angle;
}

double ArcSweep(double startAngle, double endAngle) {
  double sweep = std::fmod(endAngle - startAngle, 360.0);
  if (sweep <= 0.0) sweep += 360.0;
  return sweep;
}

bool SameDirection(std::int64_t dx1, std::int64_t dy1, std::int64_t dx2, std::int64_t dy2) {
  if ((dx1 == 0 && dy1 == 0) || (dx2 == 0 && dy2 == 0)) return true;
  // Inputs may be doubled 32-bit coordinates: 128-bit products.
  using Wide = __int128;
  const Wide cross = Wide(dx1) * dy2 - Wide(dy1) * dx2;
  const Wide dot = Wide(dx1) * dx2 + Wide(dy1) * dy2;
  return cross == 0 && dot > 0;
}

int BreakExtra(int extra, int breaks, int breakIndex) {
  if (breaks <= 0 || breakIndex < 0 || breakIndex >= breaks) return 0;
  const int each = extra / breaks;
  const int rest = extra % breaks;  // same sign as extra
  if (breakIndex < std::abs(rest)) return each + (rest < 0 ? -1 : 1);
  return each;
}

QPolygonF EllipsePoints(const QRectF& box, double startAngle, double sweep, int steps) {
  QPolygonF points;
  if (steps < 1) steps = 1;
  points.reserve(steps + 1);
  const double cx = box.center().x(), cy = box.center().y();
  const double a = box.width() / 2.0, b = box.height() / 2.0;
  for (int i = 0; i <= steps; ++i) {
    const double angle = (startAngle + sweep * i / steps) * std::numbers::pi / 180.0;
    points.append(QPointF(cx + a * std::cos(angle), cy - b * std::sin(angle)));
  }
  return points;
}

}  // namespace platform::geometry
