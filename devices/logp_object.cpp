// The canvas device: construction, target, coordinate mapping, clipping and
// the colour and pen rules shared by all drawing operations.
#include "devices/logp_object.h"

#include <QImage>
#include <algorithm>
#include <cmath>

#include "core/FileError.h"
#include "devices/StyledLine.h"

using device_math::MulDiv;
using device_math::Narrow;
using device_math::RoundChecked;
using device_math::TruncChecked;
using platform::COLORREF;

logp_object::logp_object(Libraries& libraries) : gd_object(libraries) {
  // Scales until a header is given (nothing is drawn before that).
  header.x_units_per_inch = 1.0;
  header.y_units_per_inch = 50.0;
}

logp_object::~logp_object() = default;

// --- Target ------------------------------------------------------------------

void logp_object::set_canvas(platform::Canvas* target) {
  own_canvas_.reset();
  canvas = target;
}

void logp_object::set_canvas(QImage* image) {
  own_canvas_ = std::make_unique<platform::Canvas>(image);
  canvas = own_canvas_.get();
}

void logp_object::set_canvas(QPaintDevice* device, bool printer) {
  own_canvas_ = std::make_unique<platform::Canvas>(device);
  own_canvas_->SetIsPrinter(printer);
  canvas = own_canvas_.get();
}

bool logp_object::is_printer() const { return canvas != nullptr && canvas->IsPrinter(); }

void logp_object::set_target_resolution(int32_t dpi_x, int32_t dpi_y) {
  resolution = dpi_y;
  scale_x = dpi_x / header.x_units_per_inch;
  scale_y = resolution / header.y_units_per_inch;
  page_height_px = RoundChecked(resolution * header.page_height);
  page_width_px = RoundChecked(dpi_x * header.page_width);
  if (canvas) canvas->SetResolution(dpi_y);
}

// --- Mapping -----------------------------------------------------------------

int32_t logp_object::px(double x) const { return TruncChecked(x * scale_x + 0.5); }

int64_t logp_object::unclamped_row(double y) const {
  const int32_t strip = RoundChecked(body_origin_y - (y - header.y_min) * scale_y);
  return static_cast<int64_t>(strip) - static_cast<int64_t>(page_index) * page_height_px;
}

int32_t logp_object::row(double y) const {
  return static_cast<int32_t>(std::clamp<int64_t>(unclamped_row(y), -pixel_limit, pixel_limit));
}

bool logp_object::section_row(uint8_t section, double y, int32_t& out) const {
  if (section == static_cast<uint8_t>(page_kind)) {
    out = RoundChecked(resolution * y);
    return true;
  }
  if (section == tfl::kFooter && has_footer) {
    out = Narrow(static_cast<int64_t>(footer_top) + RoundChecked(resolution * y));
    return true;
  }
  return false;
}

std::optional<gd_object::Window> logp_object::visible_window() const {
  if (!(scale_x != 0 && std::isfinite(scale_x) && scale_y != 0 && std::isfinite(scale_y)))
    return std::nullopt;
  const platform::Rect box = body_clip.Box();
  if (box.IsEmpty()) return Window{1, 0, 1, 0};  // nothing of the body shows
  // A line just outside still shows its width; two pixels more for rounding.
  const double margin = (canvas ? std::max(canvas->GetPen().width, 1) : 1) + 2.0;
  // Inverse of px and row: column c is x = c / scale_x; row r is
  // y = y_min + (body_origin_y - page_index * page_height_px - r) / scale_y.
  const double x1 = (box.left - margin) / scale_x, x2 = (box.right + margin) / scale_x;
  const double origin = static_cast<double>(body_origin_y) -
                        static_cast<double>(page_index) * static_cast<double>(page_height_px);
  const double y1 = header.y_min + (origin - (box.top - margin)) / scale_y;
  const double y2 = header.y_min + (origin - (box.bottom + margin)) / scale_y;
  return Window{std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2)};
}

// --- Clipping ----------------------------------------------------------------

void logp_object::select_body_clip() { canvas->SelectClipRgn(&body_clip); }

void logp_object::select_section_clip() { canvas->SelectClipRgn(nullptr); }

void logp_object::remove_clip() { canvas->SelectClipRgn(nullptr); }

// --- Colour and pen rules ------------------------------------------------------

COLORREF logp_object::checked_color(int32_t color) {
  if (color < 0) throw RangeError();
  return static_cast<COLORREF>(color);
}

COLORREF logp_object::checked_canvas_color(COLORREF color) {
  if (color & 0x80000000u) throw RangeError();
  return color;
}

void logp_object::apply_ink_rule(InkRule rule) {
  const bool nearest_white_check = rule != InkRule::SectionLines;
  const bool dashed_brush_rule = rule != InkRule::Patterns;
  platform::Pen pen = canvas->GetPen();
  if (monochrome) {
    pen.color = platform::kBlack;
  } else if (nearest_white_check && canvas->IsPrinter() &&
             (canvas->NearestColor(pen.color) & 0xFFFFFF) == platform::kWhite) {
    // Too pale for the printer: it would vanish on white paper.
    pen.color = platform::kBlack;
  }
  canvas->SetPen(pen);
  platform::Brush brush = canvas->GetBrush();
  brush.color = pen.color;
  if (dashed_brush_rule && pen.style != platform::PS_SOLID) {
    brush.color = platform::kWhite;
    brush.style = platform::BS_HOLLOW;
  }
  canvas->SetBrush(brush);
}

void logp_object::apply_monochrome_pen() {
  platform::Pen pen = canvas->GetPen();
  if (monochrome) pen.color = platform::kBlack;
  canvas->SetPen(pen);
  platform::Brush brush = canvas->GetBrush();
  brush.color = pen.color;
  canvas->SetBrush(brush);
}

int32_t logp_object::pen_pixels(int32_t width) const {
  const int32_t w = MulDiv(std::max(width, 1), line_unit, settings.screen_ppi);
  if (w < 0 || w > kMaxPenPixels) throw RangeError();
  return w;
}

void logp_object::styled_line(platform::Point from, platform::Point to, int32_t width,
                              COLORREF color, int style, int64_t& counter) {
  if (width < 0 || width > kMaxPenPixels) throw RangeError();
  platform::Brush brush = canvas->GetBrush();
  brush.style = platform::BS_SOLID;
  brush.color = color;
  canvas->SetBrush(brush);

  platform::Pen pen = canvas->GetPen();
  if (style == platform::PS_SOLID) {
    pen.color = color;
    pen.width = width;
    pen.style = platform::PS_SOLID;
    canvas->SetPen(pen);
    canvas->MoveTo(from.x, from.y);
    canvas->LineTo(to.x, to.y);
    return;
  }
  if (style < 1 || style > 4) return;  // style 5 (none) and unknown codes

  pen.style = platform::PS_NULL;
  canvas->SetPen(pen);
  const int32_t half = width / 2;
  const int32_t period = styled_line::Period(width);
  // Pixels further off the visible area than the stamp reaches cannot show.
  const platform::Rect box = canvas->GetClipBox();
  const int64_t margin = static_cast<int64_t>(width) + 2;
  const styled_line::Window window{box.left - margin, box.top - margin, box.right + margin,
                                   box.bottom + margin};
  styled_line::Walk(from.x, from.y, to.x, to.y, window, counter,
                    [&](int32_t x, int32_t y, int64_t c) {
                      if (!styled_line::PixelOn(style, c, period)) return;
                      if (half < 1) {
                        canvas->SetPixel(x, y, color);
                      } else if (width == 2) {
                        canvas->FillRect(platform::Rect{x, y, x + 2, y + 2}, brush);
                      } else {
                        const int32_t odd = width % 2;
                        canvas->Ellipse(x - half - odd, y - half - odd, x + half + 1,
                                        y + half + 1);
                      }
                    });
  pen.style = style;
  canvas->SetPen(pen);
}

void logp_object::current_pen_line(platform::Point from, platform::Point to, int64_t& counter) {
  const platform::Pen& pen = canvas->GetPen();
  styled_line(from, to, pen.width, pen.color, pen.style, counter);
}
