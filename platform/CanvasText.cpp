// Canvas text: fonts, alignment, justification, TextOut and ExtTextOut.
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/Canvas.h"
#include "platform/CanvasFont.h"
#include "platform/CanvasGeometry.h"

namespace platform {

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

constexpr QChar kBreakChar = u' ';

// A piece of the text drawn at its own position: `x` pixels from the start.
struct Run {
  std::int64_t x;
  qsizetype start;
  qsizetype length;
};

// Lays the text out as GDI does: each character at a whole pixel, by its own
// advance (or the one given in dx), break characters taking their share of
// the justification extra. Returns the total width; fills `runs` (one per
// character) when it is not null.
std::int64_t Layout(const ResolvedFont& font, const QString& text, std::span<const int> dx,
                    int extra, int breaks, std::vector<Run>* runs) {
  const qsizetype n = text.size();
  const bool justify = dx.empty() && breaks > 0 && extra != 0;
  int breakIndex = 0;
  std::int64_t x = 0;
  for (qsizetype i = 0; i < n; ++i) {
    if (runs) runs->push_back({x, i, 1});
    const auto index = static_cast<std::size_t>(i);
    std::int64_t advance = index < dx.size() ? dx[index] : font.Advance(text[i]);
    if (justify && text[i] == kBreakChar) advance += geometry::BreakExtra(extra, breaks, breakIndex++);
    x += advance;
  }
  return x;
}

QRect ToQRect(const Rect& r) {
  const std::int64_t l = std::min(r.left, r.right), t = std::min(r.top, r.bottom);
  const std::int64_t w = std::int64_t{std::max(r.left, r.right)} - l;
  const std::int64_t h = std::int64_t{std::max(r.top, r.bottom)} - t;
  return QRect(static_cast<int>(l), static_cast<int>(t),
               static_cast<int>(std::min<std::int64_t>(w, INT32_MAX)),
               static_cast<int>(std::min<std::int64_t>(h, INT32_MAX)));
}

}  // namespace

const Canvas::FontCache& Canvas::Font() const {
  if (!font_) font_ = std::make_unique<FontCache>(FontCache{ResolvedFont(state_.font, device_)});
  return *font_;
}

LogFont Canvas::SelectFont(const LogFont& font) {
  LogFont previous = std::exchange(state_.font, font);
  font_.reset();
  return previous;
}

COLORREF Canvas::SetTextColor(COLORREF color) {
  return std::exchange(state_.textColor, color & 0xFFFFFF);
}

unsigned Canvas::SetTextAlign(unsigned flags) { return std::exchange(state_.textAlign, flags); }

void Canvas::SetTextJustification(int extra, int breakCount) {
  if (breakCount <= 0) {
    state_.justifyExtra = 0;
    state_.justifyBreaks = 0;
    return;
  }
  state_.justifyExtra = extra;
  state_.justifyBreaks = breakCount;
}

Size Canvas::GetTextExtent(std::string_view text) const {
  const ResolvedFont& font = Font().font;
  const std::int64_t width = Layout(font, DecodeWindows1252(text), {}, state_.justifyExtra,
                                    state_.justifyBreaks, nullptr);
  return {static_cast<std::int32_t>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX)),
          font.metrics().height};
}

TextMetrics Canvas::GetTextMetrics() const { return Font().font.metrics(); }

void Canvas::TextOut(int x, int y, std::string_view text) { DrawText(x, y, 0, nullptr, text, {}); }

void Canvas::ExtTextOut(int x, int y, unsigned options, const Rect* rect, std::string_view text,
                        std::span<const int> dx) {
  DrawText(x, y, options, rect, text, dx);
}

void Canvas::DrawText(int x, int y, unsigned options, const Rect* rect, std::string_view text,
                      std::span<const int> dx) {
  if (!device_) return;
  const ResolvedFont& font = Font().font;
  const TextMetrics& m = font.metrics();
  const QString s = DecodeWindows1252(text);
  std::vector<Run> runs;
  const std::int64_t width =
      Layout(font, s, dx, state_.justifyExtra, state_.justifyBreaks, &runs);

  const unsigned align = state_.textAlign;
  const Point ref = (align & TA_UPDATECP) ? state_.position : Point{x, y};
  // Horizontal: TA_CENTER (6) contains the TA_RIGHT bit, so test it first.
  std::int64_t left = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    left = -(width / 2);
  else if (align & TA_RIGHT)
    left = -width;
  // Vertical: the baseline's offset from the reference point.
  int baseline = m.ascent;
  if ((align & TA_BASELINE) == TA_BASELINE)
    baseline = 0;
  else if (align & TA_BOTTOM)
    baseline = -m.descent;

  const double angle = (state_.font.escapement % 3600) / 10.0;
  if (align & TA_UPDATECP) {
    // The current position moves to the far end of the text along the line
    // (for right alignment to its start; centred text leaves it).
    std::int64_t advance = 0;
    if ((align & TA_CENTER) == TA_CENTER)
      advance = 0;
    else if (align & TA_RIGHT)
      advance = -width;
    else
      advance = width;
    const double rad = angle * 3.14159265358979323846 / 180.0;
    const double nx = ref.x + advance * std::cos(rad), ny = ref.y - advance * std::sin(rad);
    state_.position = {static_cast<std::int32_t>(std::clamp(std::round(nx), -2.0e9, 2.0e9)),
                       static_cast<std::int32_t>(std::clamp(std::round(ny), -2.0e9, 2.0e9))};
  }
  if (textRecorder_) {
    // The cell's corners turned about the reference point as the painter
    // below turns them.
    const double rad = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(rad), sn = std::sin(rad);
    const double xs[2] = {static_cast<double>(left), static_cast<double>(left + width)};
    const double ys[2] = {static_cast<double>(baseline - m.ascent),
                          static_cast<double>(baseline - m.ascent + m.height)};
    double lowX = 1e300, highX = -1e300, lowY = 1e300, highY = -1e300;
    for (const double cx : xs)
      for (const double cy : ys) {
        const double tx = ref.x + cx * c + cy * sn, ty = ref.y - cx * sn + cy * c;
        lowX = std::min(lowX, tx);
        highX = std::max(highX, tx);
        lowY = std::min(lowY, ty);
        highY = std::max(highY, ty);
      }
    const auto whole = [](double v) {
      return static_cast<std::int32_t>(std::clamp(std::round(v), -2.0e9, 2.0e9));
    };
    textRecorder_(text, Rect{whole(lowX), whole(lowY), whole(highX), whole(highY)});
    return;
  }
  if (ClippedOut()) return;

  QPainter& p = P();
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setBackgroundMode(Qt::TransparentMode);
  if (rect) {
    const QRect r = ToQRect(*rect).intersected(SafeBox().toAlignedRect());
    if (options & ETO_OPAQUE) p.fillRect(r, ToQColor(state_.bkColor));
    if (options & ETO_CLIPPED) p.setClipRect(r, state_.hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  // Text that cannot reach the surface is not drawn (its coordinates could
  // be far beyond what the painter handles).
  const double reach = static_cast<double>(std::abs(width)) + m.height + std::abs(left);
  const QRectF safe = SafeBox();
  const bool nearSurface = ref.x > safe.left() - reach && ref.x < safe.right() + reach &&
                           ref.y > safe.top() - reach && ref.y < safe.bottom() + reach &&
                           reach < 4.0e6;
  if (nearSurface && !s.isEmpty()) {
    p.translate(ref.x, ref.y);
    if (angle != 0.0) p.rotate(-angle);
    if (state_.bkMode == OPAQUE)
      p.fillRect(QRect(static_cast<int>(left), baseline - m.ascent, static_cast<int>(width), m.height),
                 ToQColor(state_.bkColor));
    p.setFont(font.qfont());
    p.setPen(ToQColor(state_.textColor));
    const bool lines = state_.font.underline || state_.font.strikeOut;
    for (const Run& run : runs) {
      if (!lines && s[run.start] == kBreakChar) continue;  // no ink to draw
      p.drawText(QPoint(static_cast<int>(left + run.x), baseline), s.mid(run.start, run.length));
    }
  }
  p.restore();
}

}  // namespace platform
