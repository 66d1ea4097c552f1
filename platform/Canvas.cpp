// Canvas: state, lines, shapes, fills, pixels, clipping and blits. Text is in
// CanvasText.cpp, regions in CanvasRegion.cpp.
#include "platform/Canvas.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPaintDevice>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/CanvasFont.h"
#include "platform/CanvasGeometry.h"

namespace platform {

using geometry::kSafeMargin;

COLORREF ColorRefFromQRgb(std::uint32_t rgb) {
  return MakeRGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

std::uint32_t QRgbFromColorRef(COLORREF c) {
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Ellipses and arcs whose box reaches beyond this are drawn as polygons of
// our own (QPainter's curve flattening works in fixed point).
constexpr double kCurveLimit = 4.0e6;
constexpr int kHugeCurveSteps = 4096;
// Pens wider than this would show the edges where shapes are cut.
constexpr int kMaxPenWidth = 65536;

// GDI's cosmetic dash patterns: on, off, ... in pixels.
std::span<const int> DashPattern(int style) {
  static constexpr int kDash[] = {18, 6};
  static constexpr int kDot[] = {3, 3};
  static constexpr int kDashDot[] = {9, 6, 3, 6};
  static constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH: return kDash;
    case PS_DOT: return kDot;
    case PS_DASHDOT: return kDashDot;
    case PS_DASHDOTDOT: return kDashDotDot;
    default: return {};
  }
}

// Whether step c of a styled line falls on a dash.
bool OnDash(std::span<const int> pattern, std::int64_t c) {
  if (pattern.empty()) return true;
  int period = 0;
  for (int len : pattern) period += len;
  std::int64_t phase = c % period;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (phase < pattern[i]) return i % 2 == 0;
    phase -= pattern[i];
  }
  return false;
}

QPen MakeQPen(const Pen& pen, const QColor& color) {
  if (pen.style == PS_NULL) return QPen(Qt::NoPen);
  if (pen.width > 1) {
    // A geometric pen: centred, round ends and joins, always solid.
    return QPen(color, std::min(pen.width, kMaxPenWidth), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin);
  }
  // The cosmetic pen: one pixel, the last pixel of a line left out (flat
  // cap), GDI's dash lengths in pixels.
  QPen q(color, 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  q.setCosmetic(true);
  switch (pen.style) {
    case PS_DASH: q.setDashPattern({18, 6}); break;
    case PS_DOT: q.setDashPattern({3, 3}); break;
    case PS_DASHDOT: q.setDashPattern({9, 6, 3, 6}); break;
    case PS_DASHDOTDOT: q.setDashPattern({9, 3, 3, 3, 3, 3}); break;
    default: break;  // solid, and unknown styles
  }
  return q;
}

Qt::BrushStyle HatchPattern(int hatch) {
  switch (hatch) {
    case HS_HORIZONTAL: return Qt::HorPattern;
    case HS_VERTICAL: return Qt::VerPattern;
    case HS_FDIAGONAL: return Qt::FDiagPattern;
    case HS_BDIAGONAL: return Qt::BDiagPattern;
    case HS_CROSS: return Qt::CrossPattern;
    case HS_DIAGCROSS: return Qt::DiagCrossPattern;
    default: return Qt::HorPattern;
  }
}

QBrush MakeQBrush(const Brush& brush, const QColor& color) {
  switch (brush.style) {
    case BS_SOLID: return QBrush(color);
    case BS_HATCHED: return QBrush(color, HatchPattern(brush.hatch));
    case BS_PATTERN:
      if (brush.pattern && !brush.pattern->isNull()) return QBrush(*brush.pattern);
      return QBrush(Qt::NoBrush);
    default: return QBrush(Qt::NoBrush);
  }
}

// A GDI box with its corners in either order, as left <= right, top <= bottom.
struct Box {
  std::int64_t left, top, right, bottom;
};

Box Normalised(int l, int t, int r, int b) {
  return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

std::int64_t Clamp(std::int64_t v, double lo, double hi) {
  return std::clamp<std::int64_t>(v, static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi));
}

// The box cut to the safe box (its cut edges then lie outside the surface).
Box CutToSafe(Box b, const QRectF& safe) {
  return {Clamp(b.left, safe.left(), safe.right()), Clamp(b.top, safe.top(), safe.bottom()),
          Clamp(b.right, safe.left(), safe.right()), Clamp(b.bottom, safe.top(), safe.bottom())};
}

bool Meets(const Box& b, const QRectF& safe) {
  return b.right >= safe.left() && b.left <= safe.right() && b.bottom >= safe.top() &&
         b.top <= safe.bottom();
}

bool FitsCurveLimit(const Box& b) {
  return b.left > -kCurveLimit && b.right < kCurveLimit && b.top > -kCurveLimit &&
         b.bottom < kCurveLimit;
}

QPainter::CompositionMode MixMode(int rop2) {
  switch (rop2) {
    case R2_WHITE: return QPainter::RasterOp_SetDestination;
    case R2_BLACK: return QPainter::RasterOp_ClearDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

}  // namespace

struct Canvas::QtObjects {
  QPen pen;
  QBrush brush;
  bool penDirty = true;
  bool brushDirty = true;
  QPolygon points;  // reused between calls
  QPolygon dashPixels, gapPixels;
  QPen pixelPen{QColor(0, 0, 0), 0};

  // A one-pixel pen of the colour (rebuilt only when the colour changes).
  const QPen& PixelPen(const QColor& color) {
    if (pixelPen.color() != color) {
      pixelPen = QPen(color, 0);
      pixelPen.setCosmetic(true);
    }
    return pixelPen;
  }
};

// --- Construction -----------------------------------------------------------

Canvas::Canvas(QImage* image) : image_(image), device_(image), qt_(std::make_unique<QtObjects>()) {
  if (image_ && image_->dotsPerMeterX() > 0)
    resolution_ = static_cast<int>(std::lround(image_->dotsPerMeterX() * 0.0254));
}

Canvas::Canvas(QPaintDevice* device) : device_(device), qt_(std::make_unique<QtObjects>()) {
  if (device_ && device_->logicalDpiX() > 0) resolution_ = device_->logicalDpiX();
}

Canvas::Canvas(QPainter* activePainter)
    : painter_(activePainter), qt_(std::make_unique<QtObjects>()) {
  device_ = painter_ ? painter_->device() : nullptr;
  if (device_ && device_->devType() == QInternal::Image) image_ = static_cast<QImage*>(device_);
  if (device_ && device_->logicalDpiX() > 0) resolution_ = device_->logicalDpiX();
  if (painter_) {
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->setClipping(false);
  }
}

Canvas::~Canvas() { EndPaint(); }

void Canvas::SetResolution(int pixelsPerInch) {
  if (pixelsPerInch > 0) resolution_ = pixelsPerInch;
}

int Canvas::Width() const { return device_ ? device_->width() : 0; }
int Canvas::Height() const { return device_ ? device_->height() : 0; }

QPainter* Canvas::Painter() { return &P(); }

QPainter& Canvas::P() {
  if (!painter_) {
    painter_ = new QPainter;
    ownsPainter_ = true;
    if (device_) painter_->begin(device_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    ApplyClip();
  }
  return *painter_;
}

void Canvas::EndPaint() {
  if (ownsPainter_ && painter_) {
    if (painter_->isActive()) painter_->end();
    delete painter_;
    painter_ = nullptr;
    ownsPainter_ = false;
  }
}

COLORREF Canvas::NearestColor(COLORREF color) const {
  color &= 0xFFFFFF;
  if (isPrinter_ && nearestRule_) return nearestRule_(color) & 0xFFFFFF;
  return color;
}

void Canvas::SetNearestColorRule(std::function<COLORREF(COLORREF)> rule) {
  nearestRule_ = std::move(rule);
}

QRectF Canvas::SafeBox() const {
  return QRectF(-kSafeMargin, -kSafeMargin, Width() + 2 * kSafeMargin,
                Height() + 2 * kSafeMargin);
}

bool Canvas::Inactive() const { return state_.rop2 == R2_NOP || ClippedOut() || !device_; }

// --- State ------------------------------------------------------------------

void Canvas::SetPen(const Pen& pen) {
  state_.pen = pen;
  qt_->penDirty = true;
}

void Canvas::SetBrush(const Brush& brush) {
  state_.brush = brush;
  qt_->brushDirty = true;
}

COLORREF Canvas::SetBkColor(COLORREF color) {
  return std::exchange(state_.bkColor, color & 0xFFFFFF);
}

int Canvas::SetBkMode(int mode) {
  if (mode != OPAQUE && mode != TRANSPARENT) return state_.bkMode;
  return std::exchange(state_.bkMode, mode);
}

int Canvas::SetROP2(int mode) {
  qt_->penDirty = qt_->brushDirty = true;
  return std::exchange(state_.rop2, mode);
}

int Canvas::SetPolyFillMode(int mode) {
  if (mode != ALTERNATE && mode != WINDING) return state_.polyFillMode;
  return std::exchange(state_.polyFillMode, mode);
}

int Canvas::SetStretchBltMode(int mode) { return std::exchange(state_.stretchMode, mode); }

Point Canvas::SetBrushOrg(int x, int y) { return std::exchange(state_.brushOrigin, Point{x, y}); }

int Canvas::SaveDC() {
  saved_.push_back(state_);
  return static_cast<int>(saved_.size());
}

bool Canvas::RestoreDC(int level) {
  const auto count = static_cast<std::int64_t>(saved_.size());
  const std::int64_t target = level < 0 ? count + level + 1 : level;  // 1-based level
  if (level == 0 || target < 1 || target > count) return false;
  state_ = saved_[static_cast<std::size_t>(target - 1)];
  saved_.resize(static_cast<std::size_t>(target - 1));
  qt_->penDirty = qt_->brushDirty = true;
  font_.reset();
  ApplyClip();
  return true;
}

// Pen, brush, background and mix mode of the state onto the painter, for
// lines and shapes.
void Canvas::PrepareShape(bool withPen, bool withBrush) {
  QPainter& p = P();
  // Targets other than images ignore raster operations: paint R2_WHITE and
  // R2_BLACK in their colours there.
  const bool rasterOps = image_ != nullptr;
  auto mixColor = [&](COLORREF c) {
    if (!rasterOps && state_.rop2 == R2_WHITE) return ToQColor(kWhite);
    if (!rasterOps && state_.rop2 == R2_BLACK) return ToQColor(kBlack);
    return ToQColor(c);
  };
  if (qt_->penDirty) {
    qt_->pen = MakeQPen(state_.pen, mixColor(state_.pen.color));
    qt_->penDirty = false;
  }
  if (qt_->brushDirty) {
    qt_->brush = MakeQBrush(state_.brush, mixColor(state_.brush.color));
    qt_->brushDirty = false;
  }
  p.setPen(withPen ? qt_->pen : QPen(Qt::NoPen));
  p.setBrush(withBrush ? qt_->brush : QBrush(Qt::NoBrush));
  p.setBrushOrigin(state_.brushOrigin.x, state_.brushOrigin.y);
  p.setBackground(ToQColor(state_.bkColor));
  p.setBackgroundMode(state_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
  p.setCompositionMode(rasterOps ? MixMode(state_.rop2) : QPainter::CompositionMode_SourceOver);
}

// A brush of its own for FillRect and FillRgn: no pen, no mix mode.
void Canvas::PrepareFill(const Brush& brush) {
  QPainter& p = P();
  p.setPen(Qt::NoPen);
  p.setBrush(MakeQBrush(brush, ToQColor(brush.color)));
  p.setBrushOrigin(state_.brushOrigin.x, state_.brushOrigin.y);
  p.setBackground(ToQColor(state_.bkColor));
  p.setBackgroundMode(state_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// --- Lines ------------------------------------------------------------------

Point Canvas::MoveTo(int x, int y) { return std::exchange(state_.position, Point{x, y}); }

void Canvas::LineTo(int x, int y) {
  const Point from = std::exchange(state_.position, Point{x, y});
  const Point pair[2] = {from, Point{x, y}};
  StrokePoints(pair);
}

// An open path through the points with the current pen: dashes run on round
// corners, the final pixel is left out. Segments far off the surface are cut.
void Canvas::StrokePoints(std::span<const Point> points) {
  if (points.size() < 2 || state_.pen.style == PS_NULL || Inactive()) return;
  if (image_ && state_.pen.width <= 1) {
    WalkPixels(points);
    return;
  }
  PrepareShape(true, false);
  QPainter& p = P();
  const QRectF safe = SafeBox();
  bool inside = true;
  for (const Point& pt : points) {
    if (pt.x < safe.left() || pt.x > safe.right() || pt.y < safe.top() || pt.y > safe.bottom()) {
      inside = false;
      break;
    }
  }
  if (inside) {
    if (points.size() == 2) {
      p.drawLine(QPoint(points[0].x, points[0].y), QPoint(points[1].x, points[1].y));
      return;
    }
    QPolygon& poly = qt_->points;
    poly.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
      poly[static_cast<qsizetype>(i)] = QPoint(points[i].x, points[i].y);
    p.drawPolyline(poly);
    return;
  }
  // Cut piece by piece; consecutive uncut pieces stay one run.
  QPolygonF run;
  for (std::size_t i = 1; i < points.size(); ++i) {
    double x0 = points[i - 1].x, y0 = points[i - 1].y, x1 = points[i].x, y1 = points[i].y;
    const bool startCut = !safe.contains(x0, y0);
    if (!geometry::ClipSegment(x0, y0, x1, y1, safe)) continue;
    if (startCut || run.isEmpty()) {
      if (run.size() > 1) p.drawPolyline(run);
      run.clear();
      run.append(QPointF(x0, y0));
    }
    run.append(QPointF(x1, y1));
  }
  if (run.size() > 1) p.drawPolyline(run);
}

// One-pixel lines on images are walked pixel by pixel, as GDI walks them:
// QPainter leaves out the wrong end pixel of lines drawn leftwards or
// upwards. Dashes start at the first point and run on round corners; with an
// opaque background the gaps take the background colour.
std::int64_t Canvas::WalkSegment(Point from, Point to, std::int64_t step, QPolygon& on,
                                 QPolygon& off) const {
  const std::span<const int> pattern = DashPattern(state_.pen.style);
  const QRectF safe = SafeBox();
  const std::int64_t width = Width(), height = Height();
  double x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
  const bool cut = !safe.contains(x0, y0) || !safe.contains(x1, y1);
  if (cut && !geometry::ClipSegment(x0, y0, x1, y1, safe)) return 0;
  // Only the stretch over the surface is walked; the steps before it still
  // count for the dash pattern.
  const std::int64_t ix0 = std::llround(x0), iy0 = std::llround(y0);
  const std::int64_t ix1 = std::llround(x1), iy1 = std::llround(y1);
  geometry::WalkLineWithin(ix0, iy0, ix1, iy1, width, height,
                           [&](std::int64_t i, std::int64_t x, std::int64_t y) {
                             const bool dash = OnDash(pattern, step + i);
                             if (x < 0 || y < 0 || x >= width || y >= height) return;
                             (dash ? on : off)
                                 .append(QPoint(static_cast<int>(x), static_cast<int>(y)));
                           });
  return std::max(ix1 > ix0 ? ix1 - ix0 : ix0 - ix1, iy1 > iy0 ? iy1 - iy0 : iy0 - iy1);
}

void Canvas::WalkPixels(std::span<const Point> points) {
  QtObjects& q = *qt_;
  q.dashPixels.clear();
  q.gapPixels.clear();
  std::int64_t step = 0;
  for (std::size_t i = 1; i < points.size(); ++i)
    step += WalkSegment(points[i - 1], points[i], step, q.dashPixels, q.gapPixels);
  PrepareShape(true, false);
  QPainter& p = P();
  p.setBrush(Qt::NoBrush);
  if (!q.dashPixels.isEmpty()) {
    p.setPen(q.PixelPen(q.pen.color()));
    p.drawPoints(q.dashPixels);
  }
  if (state_.bkMode == OPAQUE && !q.gapPixels.isEmpty()) {
    p.setPen(q.PixelPen(ToQColor(state_.bkColor)));
    p.drawPoints(q.gapPixels);
  }
}

void Canvas::Polyline(std::span<const Point> points) { StrokePoints(points); }

void Canvas::Strokes(std::span<const Segment> segments) {
  const bool oneColour = state_.pen.style == PS_NULL || DashPattern(state_.pen.style).empty() ||
                         state_.bkMode != OPAQUE;
  if (!(image_ && state_.pen.width <= 1 && state_.rop2 == R2_COPYPEN && oneColour)) {
    for (const Segment& s : segments) {
      if (s.from == s.to) {
        SetPixel(s.from.x, s.from.y, state_.pen.color);
      } else {
        MoveTo(s.from.x, s.from.y);
        LineTo(s.to.x, s.to.y);
      }
    }
    return;
  }
  // Every pixel below takes the pen colour, so their order does not matter.
  QtObjects& q = *qt_;
  q.dashPixels.clear();
  q.gapPixels.clear();
  const bool lines = state_.pen.style != PS_NULL && !Inactive();
  const bool pixels = device_ && !ClippedOut();
  const int width = Width(), height = Height();
  for (const Segment& s : segments) {
    if (s.from == s.to) {
      // SetPixel: on the surface, within the clip (the painter's clip below).
      if (pixels && s.from.x >= 0 && s.from.y >= 0 && s.from.x < width && s.from.y < height)
        q.dashPixels.append(QPoint(s.from.x, s.from.y));
      continue;
    }
    state_.position = s.to;
    if (lines) WalkSegment(s.from, s.to, 0, q.dashPixels, q.gapPixels);
  }
  if (q.dashPixels.isEmpty()) return;
  PrepareShape(true, false);
  QPainter& p = P();
  p.setBrush(Qt::NoBrush);
  p.setPen(q.PixelPen(ToQColor(state_.pen.color)));
  p.drawPoints(q.dashPixels);
}

// --- Shapes -----------------------------------------------------------------

void Canvas::Polygon(std::span<const Point> points) {
  if (points.size() < 2 || Inactive()) return;
  PrepareShape(true, true);
  QPainter& p = P();
  const Qt::FillRule rule = state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
  QPolygon& poly = qt_->points;
  poly.resize(static_cast<qsizetype>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i)
    poly[static_cast<qsizetype>(i)] = QPoint(points[i].x, points[i].y);
  const QRectF safe = SafeBox();
  // Point by point: QPolygon::boundingRect() of far-apart points has a width
  // beyond int (signed overflow inside QRect::width()).
  const bool inside = std::all_of(points.begin(), points.end(), [&](const Point& pt) {
    return pt.x >= safe.left() && pt.x <= safe.right() && pt.y >= safe.top() &&
           pt.y <= safe.bottom();
  });
  if (inside) {
    p.drawPolygon(poly, rule);
    return;
  }
  const QPolygonF cut = geometry::ClipPolygon(QPolygonF(poly), safe);
  if (cut.size() >= 2) p.drawPolygon(cut, rule);
}

void Canvas::PolyPolygon(std::span<const Point> points, std::span<const int> counts) {
  if (Inactive()) return;
  const QRectF safe = SafeBox();
  QPainterPath path;
  path.setFillRule(state_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  std::size_t next = 0;
  for (int count : counts) {
    if (count < 0 || static_cast<std::size_t>(count) > points.size() - next) break;
    QPolygonF poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i) poly.append(QPointF(points[next + i].x, points[next + i].y));
    next += static_cast<std::size_t>(count);
    if (!geometry::InsideBox(poly, safe)) poly = geometry::ClipPolygon(poly, safe);
    if (poly.size() < 2) continue;
    path.addPolygon(poly);
    path.closeSubpath();
  }
  if (path.isEmpty()) return;
  PrepareShape(true, true);
  P().drawPath(path);
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
  if (Inactive()) return;
  Box b = Normalised(left, top, right, bottom);
  if (b.right - b.left < 1 || b.bottom - b.top < 1) return;
  const QRectF safe = SafeBox();
  if (!Meets(b, safe)) return;
  // The pen's outline runs on the outermost pixels, left..right-1; without a
  // pen the fill stops one pixel short of right and bottom.
  b = CutToSafe({b.left, b.top, b.right - 1, b.bottom - 1}, safe);
  const QRect r(static_cast<int>(b.left), static_cast<int>(b.top),
                static_cast<int>(b.right - b.left), static_cast<int>(b.bottom - b.top));
  if (state_.pen.style == PS_NULL) {
    if (r.width() < 1 || r.height() < 1) return;
    PrepareShape(false, true);
    P().drawRect(r);
    return;
  }
  PrepareShape(true, true);
  P().drawRect(r);
}

void Canvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                       int cornerHeight) {
  if (Inactive()) return;
  const Box b = Normalised(left, top, right, bottom);
  if (b.right - b.left < 2 || b.bottom - b.top < 2) return;
  if (!Meets(b, SafeBox())) return;
  if (!FitsCurveLimit(b)) {
    Rectangle(left, top, right, bottom);
    return;
  }
  const QRectF r(b.left + 0.5, b.top + 0.5, b.right - b.left - 1.0, b.bottom - b.top - 1.0);
  const double rx = std::clamp(std::abs(static_cast<double>(cornerWidth)) / 2.0, 0.0, r.width() / 2);
  const double ry = std::clamp(std::abs(static_cast<double>(cornerHeight)) / 2.0, 0.0, r.height() / 2);
  PrepareShape(state_.pen.style != PS_NULL, true);
  P().drawRoundedRect(r, rx, ry);
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
  if (Inactive()) return;
  const Box b = Normalised(left, top, right, bottom);
  if (b.right - b.left < 1 || b.bottom - b.top < 1) return;
  const QRectF safe = SafeBox();
  if (!Meets(b, safe)) return;
  // A box half a pixel in from each corner covers exactly left..right-1.
  const QRectF r(b.left + 0.5, b.top + 0.5, b.right - b.left - 1.0, b.bottom - b.top - 1.0);
  PrepareShape(state_.pen.style != PS_NULL, true);
  if (FitsCurveLimit(b)) {
    P().drawEllipse(r);
    return;
  }
  const QPolygonF cut =
      geometry::ClipPolygon(geometry::EllipsePoints(r, 0.0, 360.0, kHugeCurveSteps), safe);
  if (cut.size() >= 2) P().drawPolygon(cut);
}

void Canvas::Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DrawArcShape(0, l, t, r, b, xs, ys, xe, ye);
}

void Canvas::Pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DrawArcShape(1, l, t, r, b, xs, ys, xe, ye);
}

void Canvas::Chord(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DrawArcShape(2, l, t, r, b, xs, ys, xe, ye);
}

// kind 0 arc, 1 pie, 2 chord.
void Canvas::DrawArcShape(int kind, int left, int top, int right, int bottom, int xs, int ys,
                          int xe, int ye) {
  if (Inactive()) return;
  const Box b = Normalised(left, top, right, bottom);
  if (b.right - b.left < 1 || b.bottom - b.top < 1) return;
  const QRectF safe = SafeBox();
  if (!Meets(b, safe)) return;
  if (kind == 0 && state_.pen.style == PS_NULL) return;
  const QRectF r(b.left + 0.5, b.top + 0.5, b.right - b.left - 1.0, b.bottom - b.top - 1.0);
  const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
  const double a1 = geometry::ArcAngle(cx, cy, r.width() / 2, r.height() / 2, xs, ys);
  const double a2 = geometry::ArcAngle(cx, cy, r.width() / 2, r.height() / 2, xe, ye);
  // Doubled offsets from the centre keep the direction test in integers.
  const std::int64_t sum_x = b.left + b.right, sum_y = b.top + b.bottom;
  const bool full = geometry::SameDirection(2 * std::int64_t{xs} - sum_x, 2 * std::int64_t{ys} - sum_y,
                                            2 * std::int64_t{xe} - sum_x, 2 * std::int64_t{ye} - sum_y);
  const double sweep = full ? 360.0 : geometry::ArcSweep(a1, a2);
  PrepareShape(state_.pen.style != PS_NULL, kind != 0);
  QPainter& p = P();
  if (FitsCurveLimit(b)) {
    QPainterPath path;
    if (kind == 1) {
      path.moveTo(r.center());
      path.arcTo(r, a1, sweep);
      path.closeSubpath();
    } else {
      path.arcMoveTo(r, a1);
      path.arcTo(r, a1, sweep);
      if (kind == 2) path.closeSubpath();
    }
    p.drawPath(path);
    return;
  }
  QPolygonF points = geometry::EllipsePoints(r, a1, sweep, kHugeCurveSteps);
  if (kind == 0) {
    std::vector<Point> ints;  // only for arcs beyond millions of pixels
    for (const QPointF& q : points)
      ints.push_back({static_cast<std::int32_t>(std::clamp(q.x(), -2.0e9, 2.0e9)),
                      static_cast<std::int32_t>(std::clamp(q.y(), -2.0e9, 2.0e9))});
    StrokePoints(ints);
    return;
  }
  if (kind == 1) points.prepend(r.center());
  const QPolygonF cut = geometry::ClipPolygon(points, safe);
  if (cut.size() >= 2) p.drawPolygon(cut);
}

// --- Fills ------------------------------------------------------------------

void Canvas::FillRect(const Rect& rect, const Brush& brush) {
  if (ClippedOut() || !device_ || brush.style == BS_HOLLOW) return;
  Box b = Normalised(rect.left, rect.top, rect.right, rect.bottom);
  const QRectF safe = SafeBox();
  if (b.right <= b.left || b.bottom <= b.top || !Meets(b, safe)) return;
  b = CutToSafe(b, safe);
  PrepareFill(brush);
  P().drawRect(QRect(static_cast<int>(b.left), static_cast<int>(b.top),
                     static_cast<int>(b.right - b.left), static_cast<int>(b.bottom - b.top)));
}

void Canvas::FillRect(const Rect& rect) { FillRect(rect, state_.brush); }

void Canvas::FillRgn(const Region& region, const Brush& brush) {
  if (ClippedOut() || !device_ || region.IsEmpty() || brush.style == BS_HOLLOW) return;
  QPainter& p = P();
  PrepareFill(brush);
  p.save();
  p.setClipRegion(region.qt(), state_.hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
  p.drawRect(region.qt().boundingRect());
  p.restore();
}

void Canvas::PatBlt(int x, int y, int width, int height, std::uint32_t rop) {
  if (ClippedOut() || !device_) return;
  const std::int64_t x2 = std::int64_t{x} + width, y2 = std::int64_t{y} + height;
  Box b{std::min<std::int64_t>(x, x2), std::min<std::int64_t>(y, y2),
        std::max<std::int64_t>(x, x2), std::max<std::int64_t>(y, y2)};
  const QRectF safe = SafeBox();
  if (b.right <= b.left || b.bottom <= b.top || !Meets(b, safe)) return;
  b = CutToSafe(b, safe);
  const QRect r(static_cast<int>(b.left), static_cast<int>(b.top),
                static_cast<int>(b.right - b.left), static_cast<int>(b.bottom - b.top));
  switch (rop) {
    case PATCOPY: FillRect({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}); return;
    case BLACKNESS: FillRect({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()},
                             Brush{BS_SOLID, kBlack, HS_HORIZONTAL, nullptr});
      return;
    case WHITENESS: FillRect({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()},
                             Brush{BS_SOLID, kWhite, HS_HORIZONTAL, nullptr});
      return;
    case DSTINVERT:
      if (!image_) return;  // only images can invert
      PrepareFill(Brush{BS_SOLID, kWhite, HS_HORIZONTAL, nullptr});
      P().setCompositionMode(QPainter::RasterOp_NotDestination);
      P().drawRect(r);
      return;
    default: return;
  }
}

// --- Pixels -----------------------------------------------------------------

COLORREF Canvas::SetPixel(int x, int y, COLORREF color) {
  if (!device_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return CLR_INVALID;
  if (state_.hasClip && !state_.clip.Contains(x, y)) return CLR_INVALID;
  QPainter& p = P();
  QPen pen(ToQColor(color), 0);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.drawPoint(x, y);
  return NearestColor(color);
}

COLORREF Canvas::GetPixel(int x, int y) const {
  if (!image_ || x < 0 || y < 0 || x >= image_->width() || y >= image_->height())
    return CLR_INVALID;
  if (state_.hasClip && !state_.clip.Contains(x, y)) return CLR_INVALID;
  return ColorRefFromQRgb(image_->pixel(x, y));
}

// --- Clipping ---------------------------------------------------------------

void Canvas::ApplyClip() {
  if (!painter_) return;
  if (state_.hasClip)
    painter_->setClipRegion(state_.clip.qt());
  else
    painter_->setClipping(false);
}

int Canvas::SelectClipRgn(const Region* region) {
  if (region) {
    state_.clip = *region;
    state_.hasClip = true;
  } else {
    state_.clip = Region();
    state_.hasClip = false;
  }
  ApplyClip();
  return state_.hasClip ? state_.clip.Kind() : SIMPLEREGION;
}

int Canvas::IntersectClipRect(int left, int top, int right, int bottom) {
  const Region rect = Region::FromRect(left, top, right, bottom);
  state_.clip = state_.hasClip ? state_.clip.Intersected(rect) : rect;
  state_.hasClip = true;
  ApplyClip();
  return state_.clip.Kind();
}

int Canvas::ExcludeClipRect(int left, int top, int right, int bottom) {
  const Region rect = Region::FromRect(left, top, right, bottom);
  const Region base = state_.hasClip ? state_.clip : Region::FromRect(0, 0, Width(), Height());
  state_.clip = base.Subtracted(rect);
  state_.hasClip = true;
  ApplyClip();
  return state_.clip.Kind();
}

Rect Canvas::GetClipBox() const {
  if (!state_.hasClip) return {0, 0, Width(), Height()};
  return state_.clip.Box();
}

// --- Bitmaps ----------------------------------------------------------------

QImage Canvas::CreateCompatibleBitmap(int width, int height) {
  constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;  // 256 MB of pixels
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxPixels) return QImage();
  QImage bitmap(width, height, QImage::Format_RGB32);
  if (!bitmap.isNull()) bitmap.fill(Qt::black);
  return bitmap;
}

void Canvas::BitBlt(int x, int y, int width, int height, const QImage& source, int sx, int sy,
                    std::uint32_t rop) {
  Blit(x, y, width, height, source, sx, sy, width, height, rop);
}

void Canvas::StretchBlt(int x, int y, int width, int height, const QImage& source, int sx, int sy,
                        int sourceWidth, int sourceHeight, std::uint32_t rop) {
  Blit(x, y, width, height, source, sx, sy, sourceWidth, sourceHeight, rop);
}

void Canvas::StretchDIBits(int x, int y, int width, int height, int sx, int sy, int sourceWidth,
                           int sourceHeight, const QImage& source, std::uint32_t rop) {
  Blit(x, y, width, height, source, sx, sy, sourceWidth, sourceHeight, rop);
}

void Canvas::Blit(int x, int y, int width, int height, const QImage& source, int sx, int sy,
                  int sw, int sh, std::uint32_t rop) {
  if (ClippedOut() || !device_ || width == 0 || height == 0) return;
  if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT) {
    PatBlt(x, y, width, height, rop);
    return;
  }
  if (source.isNull() || sw == 0 || sh == 0) return;
  // Mirroring: a negative extent on one side only flips the picture.
  const bool flipX = (width < 0) != (sw < 0);
  const bool flipY = (height < 0) != (sh < 0);
  double dl = std::min<double>(x, double(x) + width), dr = std::max<double>(x, double(x) + width);
  double dt = std::min<double>(y, double(y) + height), db = std::max<double>(y, double(y) + height);
  double sl = std::min<double>(sx, double(sx) + sw), sr = std::max<double>(sx, double(sx) + sw);
  double st = std::min<double>(sy, double(sy) + sh), sb = std::max<double>(sy, double(sy) + sh);
  // Only the source pixels seen on the surface are drawn, each whole, so
  // huge destinations cost nothing and partly hidden pictures do not shift.
  const double vl = std::max(dl, 0.0), vr = std::min(dr, double(Width()));
  const double vt = std::max(dt, 0.0), vb = std::min(db, double(Height()));
  if (vl >= vr || vt >= vb) return;
  const double kx = (sr - sl) / (dr - dl), ky = (sb - st) / (db - dt);  // source per dest
  // Visible source span on one axis, widened to whole pixels, and the
  // destination span those whole pixels cover.
  auto span = [](double d0, double d1, double v0, double v1, double s0, double s1, double k,
                 bool flip, double& outD0, double& outD1, double& outS0, double& outS1) {
    double a = flip ? s1 - (v1 - d0) * k : s0 + (v0 - d0) * k;
    double b = flip ? s1 - (v0 - d0) * k : s0 + (v1 - d0) * k;
    a = std::max(std::floor(a), s0);
    b = std::min(std::ceil(b), s1);
    outS0 = a;
    outS1 = b;
    outD0 = flip ? d0 + (s1 - b) / k : d0 + (a - s0) / k;
    outD1 = flip ? d0 + (s1 - a) / k : d0 + (b - s0) / k;
    (void)d1;
  };
  double tl, tr, tt, tb, il, ir, it, ib;
  span(dl, dr, vl, vr, sl, sr, kx, flipX, tl, tr, il, ir);
  span(dt, db, vt, vb, st, sb, ky, flipY, tt, tb, it, ib);
  if (il >= ir || it >= ib) return;
  QPainter& p = P();
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform, state_.stretchMode == HALFTONE);
  QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
  if (image_) {
    switch (rop) {
      case SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; break;
      case SRCAND: mode = QPainter::RasterOp_SourceAndDestination; break;
      case SRCINVERT: mode = QPainter::RasterOp_SourceXorDestination; break;
      case NOTSRCCOPY: mode = QPainter::RasterOp_NotSource; break;
      default: break;
    }
  } else {
    mode = QPainter::CompositionMode_SourceOver;
  }
  p.setCompositionMode(mode);
  // Bitmaps have no transparency here: an alpha channel is dropped.
  const QImage opaque =
      source.hasAlphaChannel() ? source.convertToFormat(QImage::Format_RGB32) : source;
  const double big = 1 << 22;
  if (tl >= -big && tr <= big && tt >= -big && tb <= big) {
    const QRectF target(tl, tt, tr - tl, tb - tt);
    if (flipX || flipY) {
      p.translate(flipX ? tl + tr : 0.0, flipY ? tt + tb : 0.0);
      p.scale(flipX ? -1.0 : 1.0, flipY ? -1.0 : 1.0);
    }
    p.drawImage(target, opaque, QRectF(il, it, ir - il, ib - it));
  } else {
    // One source pixel spans more than the painter can take: the few
    // visible ones are drawn one by one, cut to the surface.
    const QRectF surface(-1, -1, Width() + 2.0, Height() + 2.0);
    for (double j = it; j < ib; ++j) {
      const double y0 = flipY ? dt + (sb - j - 1) / ky : dt + (j - st) / ky;
      for (double i = il; i < ir; ++i) {
        const double x0 = flipX ? dl + (sr - i - 1) / kx : dl + (i - sl) / kx;
        const QRectF cell = QRectF(x0, y0, 1.0 / kx, 1.0 / ky).intersected(surface);
        if (!cell.isEmpty()) p.drawImage(cell, opaque, QRectF(i, j, 1, 1));
      }
    }
  }
  p.restore();
}

}  // namespace platform
