// Region: GDI's clip regions over QRegion.
#include <algorithm>
#include <vector>

#include "platform/Canvas.h"
#include "platform/CanvasGeometry.h"
#include "platform/PolygonScan.h"

namespace platform {
namespace {

int Limit(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -geometry::kRegionLimit, geometry::kRegionLimit));
}

QRect QtRect(const Rect& r) {
  const int l = Limit(std::min(r.left, r.right)), rr = Limit(std::max(r.left, r.right));
  const int t = Limit(std::min(r.top, r.bottom)), b = Limit(std::max(r.top, r.bottom));
  return QRect(l, t, rr - l, b - t);
}

}  // namespace

Region Region::FromRect(const Rect& r) { return Region(QRegion(QtRect(r))); }

Region Region::FromRect(int left, int top, int right, int bottom) {
  return FromRect(Rect{left, top, right, bottom});
}

Region Region::FromPolygon(std::span<const Point> points, int fillMode) {
  const int lim = geometry::kRegionLimit;
  return FromPolygon(points, fillMode, Rect{-lim, -lim, lim, lim});
}

Region Region::FromPolygon(std::span<const Point> points, int fillMode, const Rect& within) {
  const std::vector<QRect> rects = ScanPolygon(points, fillMode == WINDING, within);
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return Region(region);
}

int Region::Combine(const Region& a, const Region& b, int mode) {
  switch (mode) {
    case RGN_AND: region_ = a.region_.intersected(b.region_); break;
    case RGN_OR: region_ = a.region_.united(b.region_); break;
    case RGN_XOR: region_ = a.region_.xored(b.region_); break;
    case RGN_DIFF: region_ = a.region_.subtracted(b.region_); break;
    case RGN_COPY: region_ = a.region_; break;
    default: return REGION_ERROR;
  }
  return Kind();
}

Region Region::Intersected(const Region& other) const {
  return Region(region_.intersected(other.region_));
}

Region Region::Subtracted(const Region& other) const {
  return Region(region_.subtracted(other.region_));
}

Region Region::United(const Region& other) const { return Region(region_.united(other.region_)); }

void Region::Offset(int dx, int dy) {
  if (region_.isEmpty()) return;
  // A region moved far beyond any surface is as good as empty, and keeping
  // it would let later moves overflow.
  const QRect box = region_.boundingRect();
  const std::int64_t far = std::int64_t{1} << 30;
  const std::int64_t l = std::int64_t{box.left()} + dx, r = std::int64_t{box.right()} + dx;
  const std::int64_t t = std::int64_t{box.top()} + dy, b = std::int64_t{box.bottom()} + dy;
  if (l < -far || r > far || t < -far || b > far) {
    region_ = QRegion();
    return;
  }
  region_.translate(dx, dy);
}

int Region::Kind() const {
  if (region_.isEmpty()) return NULLREGION;
  return region_.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Rect Region::Box() const {
  if (region_.isEmpty()) return {};
  const QRect r = region_.boundingRect();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool Region::Contains(int x, int y) const { return region_.contains(QPoint(x, y)); }

}  // namespace platform
