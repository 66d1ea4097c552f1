// Library symbols on the canvas device.
#include <cmath>

#include "core/Libraries.h"
#include "devices/logp_object.h"

void logp_object::plot_symbol(double x, double y, double device_a, uint16_t symbol, double width,
                              double height, double device_b) {
  if (!SymbolLibrary::InNumberRange(symbol)) return;  // not a symbol: nothing to draw
  libraries().symbol.read(symbol, cookie());
  apply_monochrome_pen();
  const int32_t cx = px(x), cy = row(y);
  select_body_clip();
  draw_symbol(width, cx, cy);
}

void logp_object::plot_symbol_ex(double x, double y, double device_a, uint16_t symbol,
                                 double width, double height, double device_b, uint8_t section) {
  if (!SymbolLibrary::InNumberRange(symbol)) return;
  int32_t cy = 0;
  if (!section_row(section, y, cy)) return;
  libraries().symbol.read(symbol, cookie());
  apply_monochrome_pen();
  const int32_t cx = px(x);
  select_section_clip();
  draw_symbol(width, cx, cy);
}

// The loaded symbol about (cx, cy), `width` inches wide (ten tenths from the
// centre to the edge). Drawing stops at the first point beyond 32 bits.
void logp_object::draw_symbol(double width, int32_t cx, int32_t cy) {
  const double s = width * resolution / 10.0;
  auto fits = [](double v) { return std::isfinite(v) && v >= -2147483648.0 && v <= 2147483647.0; };
  for (const LibraryStroke& stroke : libraries().symbol.current().used_strokes()) {
    const double x1 = std::nearbyint(cx + stroke.x1 * s), y1 = std::nearbyint(cy - stroke.y1 * s);
    const double x2 = std::nearbyint(cx + stroke.x2 * s), y2 = std::nearbyint(cy - stroke.y2 * s);
    if (!fits(x1) || !fits(y1) || !fits(x2) || !fits(y2)) return;
    canvas->MoveTo(static_cast<int32_t>(x1), static_cast<int32_t>(y1));
    canvas->LineTo(static_cast<int32_t>(x2), static_cast<int32_t>(y2));
  }
}
