// Text operations of the canvas device: the current font, one-line texts,
// labels, header and footer texts with page numbers, paragraphs and
// dimension texts.
//
// The canvas font (the canvas's selected LogFont and its text colour) is the
// current font. Its size in points is derived from its height at the
// device's resolution, so a label that sets a pixel height changes the size
// later paragraphs start from. Rotated or resized fonts live for one
// operation: FontSwap puts the canvas font back however the operation ends.
#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "core/FileError.h"
#include "devices/TextFormat.h"
#include "devices/logp_object.h"

using device_math::AddChecked;
using device_math::MulDiv;
using device_math::Narrow;
using device_math::RoundChecked;
using platform::LogFont;

namespace {

// Selects a font for the life of the object, then restores the one before.
class FontSwap {
 public:
  FontSwap(platform::Canvas& canvas, const LogFont& font)
      : canvas_(canvas), previous_(canvas.SelectFont(font)) {}
  ~FontSwap() { canvas_.SelectFont(previous_); }
  FontSwap(const FontSwap&) = delete;
  FontSwap& operator=(const FontSwap&) = delete;

 private:
  platform::Canvas& canvas_;
  LogFont previous_;
};

// Size in points of a font height at `resolution` (the inverse of the
// height rule below; a positive cell height gives a negative size).
int32_t SizeOfHeight(int32_t height, int32_t resolution) {
  return -MulDiv(height, 72, resolution);
}

int32_t HeightOfSize(int32_t points, int32_t resolution) {
  return -MulDiv(points, resolution, 72);
}

// Escapement in tenths of a degree for whole degrees.
int32_t Escapement(int32_t angle) { return Narrow(int64_t{angle} * 10); }

// A font for `angle` made from the canvas font's properties.
LogFont RotatedFont(const LogFont& canvas_font, int32_t angle) {
  LogFont f;
  f.height = canvas_font.height;
  f.width = 0;
  f.escapement = Escapement(angle);
  f.orientation = 0;
  f.weight = canvas_font.weight >= platform::FW_BOLD ? platform::FW_BOLD : platform::FW_NORMAL;
  f.italic = canvas_font.italic;
  f.underline = canvas_font.underline;
  f.strikeOut = canvas_font.strikeOut;
  f.charSet = platform::DEFAULT_CHARSET;
  f.outPrecision = 0;
  f.clipPrecision = 0;
  f.quality = 0;
  f.pitchAndFamily = canvas_font.pitchAndFamily & 3;
  f.faceName = canvas_font.faceName;
  return f;
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

double Radians(int32_t degrees) { return degrees * std::numbers::pi / 180.0; }

void SetBrushClear(platform::Canvas& canvas) {
  platform::Brush brush = canvas.GetBrush();
  brush.style = platform::BS_HOLLOW;
  canvas.SetBrush(brush);
}

int32_t TextWidth(const platform::Canvas& canvas, std::string_view text) {
  return canvas.GetTextExtent(text).cx;
}
int32_t TextHeight(const platform::Canvas& canvas, std::string_view text) {
  return canvas.GetTextExtent(text).cy;
}

// Height of the canvas font as the current size in points gives it.
void SetCanvasFontHeight(logp_object& device, int32_t height) {
  LogFont f = device.canvas->GetFont();
  f.height = height;
  device.canvas->SelectFont(f);
}

void SetCanvasFontSize(logp_object& device, int32_t points) {
  SetCanvasFontHeight(device, HeightOfSize(points, device.resolution));
}

}  // namespace

void logp_object::set_font(std::string_view face, int32_t size, uint8_t style, int32_t color) {
  if (canvas == nullptr) return;
  LogFont f = canvas->GetFont();
  f.faceName = std::string(face.substr(0, 40));
  f.height = HeightOfSize(size, resolution);
  f.width = 0;
  f.escapement = 0;
  f.orientation = 0;
  f.weight = (style & 1) ? platform::FW_BOLD : platform::FW_NORMAL;
  f.italic = (style & 2) != 0;
  f.underline = (style & 4) != 0;
  f.strikeOut = (style & 8) != 0;
  canvas->SelectFont(f);
  canvas->SetTextColor(static_cast<platform::COLORREF>(color));
}

void logp_object::plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                            int32_t alignment, uint8_t adjust, std::string_view text) {
  apply_monochrome_pen();
  int32_t column = px(x);
  int32_t line_row = row(y);
  if (adjust) {
    const int32_t third = TextHeight(*canvas, text) / 3;
    if (vertical)
      column = AddChecked(column, third);
    else
      line_row = AddChecked(line_row, third);
  }
  LogFont font = canvas->GetFont();
  if (vertical) {
    // Turned a quarter clockwise: the text runs down the page.
    font.escapement = -900;
    font.orientation = -900;
  }
  FontSwap swap(*canvas, font);
  canvas->SetBkColor(platform::kWhite);
  canvas->SetBkMode(transparent ? platform::TRANSPARENT : platform::OPAQUE);
  canvas->SetTextAlign(static_cast<unsigned>(alignment));
  select_body_clip();
  canvas->TextOut(column, line_row, text);
  remove_clip();
  canvas->SetTextAlign(platform::TA_LEFT | platform::TA_TOP);
}

void logp_object::plot_label(double x, double y, double /*unused*/, double size,
                             std::string_view text, int32_t angle, LabelSizeMode size_mode,
                             uint8_t /*flag*/) {
  using Mode = LabelSizeMode;
  const bool centred_across = size_mode == Mode::LogUnitsCentred || size_mode == Mode::PointsCentred;
  const bool centred_down = size_mode == Mode::LogUnitsMiddle || size_mode == Mode::PointsMiddle;
  apply_monochrome_pen();
  SetBrushClear(*canvas);
  canvas->SetBkMode(platform::TRANSPARENT);
  int32_t column = px(x);
  int32_t line_row = row(y);

  if (angle == 0) {
    if (size_mode <= Mode::LogUnitsMiddle)
      SetCanvasFontHeight(*this, RoundChecked(size * scale_y));
    else if (size_mode <= Mode::PointsMiddle)
      SetCanvasFontSize(*this, RoundChecked(size));
    if (centred_across) column = AddChecked(column, -(TextWidth(*canvas, text) / 2));
    if (centred_down) line_row = AddChecked(line_row, -(TextHeight(*canvas, text) / 2));
    select_body_clip();
    canvas->TextOut(column, line_row, text);
    return;
  }

  // Turned labels take their size in points, a size in log units too (its
  // pixel height read as points: kept, logs are laid out with it); the
  // centred-across modes keep the size of the text before, and the centred
  // ones move down by half the text's width along the turn.
  if (size_mode == Mode::LogUnits || size_mode == Mode::LogUnitsMiddle)
    SetCanvasFontSize(*this, RoundChecked(size * scale_y));
  else if (size_mode == Mode::Points || size_mode == Mode::PointsMiddle)
    SetCanvasFontSize(*this, RoundChecked(size));
  if (centred_down) {
    const int32_t half = TextWidth(*canvas, text) / 2;
    line_row = AddChecked(line_row, RoundChecked(std::sin(Radians(angle)) * half));
  }
  FontSwap swap(*canvas, RotatedFont(canvas->GetFont(), angle));
  select_body_clip();
  canvas->TextOut(column, line_row, text);
}

void logp_object::plot_page_text(double x, double y, uint8_t section, std::string_view text,
                                 int32_t angle, int32_t /*extra*/) {
  int32_t line_row = 0;
  if (!section_row(section, y, line_row)) return;
  int32_t column = px(x);
  apply_monochrome_pen();
  SetBrushClear(*canvas);

  // Reused from record to record: header texts come on every page.
  static thread_local std::string shown;
  text_format::SubstitutePageNumbers(text, int64_t{page_index} + 1, int64_t{last_page} + 1,
                                     shown);
  select_section_clip();
  canvas->SetBkMode(platform::TRANSPARENT);
  if (angle == 0) {
    canvas->TextOut(column, line_row, shown);
    return;
  }
  FontSwap swap(*canvas, RotatedFont(canvas->GetFont(), angle));
  const unsigned previous_align = canvas->SetTextAlign(platform::TA_LEFT | platform::TA_TOP);
  const double r = Radians(angle);
  if (angle < 0)
    column = AddChecked(column, -RoundChecked(std::sin(r) * TextHeight(*canvas, shown)));
  else
    line_row = AddChecked(line_row, RoundChecked(std::sin(r) * TextWidth(*canvas, shown)));
  canvas->TextOut(column, line_row, shown);
  canvas->SetTextAlign(previous_align);
}

void logp_object::plot_paragraph(Rect r, std::string_view raw_text, uint8_t shrink,
                                 uint8_t fixed) {
  apply_monochrome_pen();
  SetBrushClear(*canvas);
  const int32_t x1 = px(r.x1), x2 = px(r.x2), y1 = row(r.y1), y2 = row(r.y2);
  const int32_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int32_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (bottom < body_clip_top || top >= page_height_px) return;

  const text_format::Margins m = text_format::ParagraphMargins(resolution, shrink, fixed);
  const int32_t text_left = AddChecked(left, m.x);
  const int32_t text_top = AddChecked(top, m.y);
  const int32_t text_right = AddChecked(right, -m.x);
  const int32_t text_bottom = AddChecked(bottom, m.y);
  const int64_t available = int64_t{text_right} - text_left;

  const std::string_view text = text_format::ParagraphText(raw_text);
  const int32_t lines = text_format::CountParagraphLines(text);
  if (lines == 0) return;

  LogFont font = canvas->GetFont();
  font.height = HeightOfSize(SizeOfHeight(font.height, resolution), resolution);
  FontSwap swap(*canvas, font);
  const platform::TextMetrics metrics = canvas->GetTextMetrics();
  int64_t pitch = int64_t{metrics.height} + metrics.externalLeading;
  if (shrink && !fixed) {
    const int64_t shrunk = (int64_t{text_bottom} - top) / (int64_t{lines} + 1);
    // A box too small for a pixel per line has no room for any line.
    if (shrunk < 1) return;
    if (shrunk <= pitch) pitch = shrunk;
    if (shrunk < std::abs(int64_t{font.height})) {
      font.height = -static_cast<int32_t>(shrunk);
      canvas->SelectFont(font);  // FontSwap still restores the canvas font
    }
  }
  if (pitch < 1) return;

  // The clip reaches up to the body's top; when the body starts below the
  // text's top (a repeated header above), one more line may show below.
  int64_t clip_bottom = text_bottom;
  if (body_clip_top > text_top) clip_bottom += pitch;
  const platform::Region clip =
      platform::Region::FromRect(left, body_clip_top, right,
                                 static_cast<int32_t>(std::min<int64_t>(clip_bottom, INT32_MAX)))
          .Intersected(body_clip);
  canvas->SelectClipRgn(&clip);
  canvas->SetBkMode(platform::TRANSPARENT);

  const bool repeat_header = settings.repeat_page_header;
  text_format::ParagraphLines walker(text);
  std::string_view line;
  int64_t y = text_top;
  while (walker.Next(line)) {
    if (repeat_header) {
      // Lines hidden under a repeated page header move below it.
      if (y + pitch <= body_clip_top) {
        y += pitch;
        continue;
      }
      if (y < body_clip_top) y = body_clip_top;
      if (y + pitch > page_height_px) break;
    }
    if (y + pitch > text_bottom) break;
    const int64_t width = TextWidth(*canvas, line);
    const int32_t blanks = text_format::CountBlanks(line);
    if (width > available && blanks > 0) {
      // Squeezed into the width by narrowing its blanks.
      canvas->SetTextJustification(static_cast<int32_t>(available - width), blanks);
      canvas->TextOut(text_left, static_cast<int32_t>(y), line);
      canvas->SetTextJustification(0, 0);
    } else {
      canvas->TextOut(text_left, static_cast<int32_t>(y), line);
    }
    y += pitch;
    if (repeat_header ? y + pitch > page_height_px : y > page_height_px) break;
  }
  select_body_clip();
}

logp_object::DimensionText logp_object::dimension_text_layout(Rect r, std::string_view text,
                                                              uint8_t downward) {
  DimensionText d;
  const int32_t x1 = px(r.x1), x2 = px(r.x2), y1 = row(r.y1), y2 = row(r.y2);
  d.left = std::min(x1, x2);
  d.right = std::max(x1, x2);
  d.top = std::min(y1, y2);
  d.bottom = std::max(y1, y2);

  d.font = canvas->GetFont();
  d.font.height = HeightOfSize(SizeOfHeight(d.font.height, resolution), resolution);
  d.font.escapement = d.font.orientation = downward ? -900 : 900;
  FontSwap swap(*canvas, d.font);

  const platform::Size extent = canvas->GetTextExtent(text);
  d.cx = extent.cx;
  d.cy = extent.cy;
  if (text.size() > 1 && d.cx < d.cy) std::swap(d.cx, d.cy);
  if (int64_t{d.right} - d.left < d.cy) d.cy = int64_t{d.right} - d.left - 2;

  d.box_left = (int64_t{d.left} + d.right - d.cy) / 2;
  d.box_right = (int64_t{d.left} + d.right + d.cy) / 2;
  d.box_top = (int64_t{d.top} + d.bottom - d.cx) / 2;
  d.box_bottom = (int64_t{d.top} + d.bottom + d.cx) / 2;
  return d;
}

void logp_object::plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                                      uint8_t arrows) {
  const DimensionText d = dimension_text_layout(r, text, downward);
  const int32_t left = d.left, right = d.right, top = d.top, bottom = d.bottom;
  const int64_t cx = d.cx, cy = d.cy;
  const int64_t box_left = d.box_left, box_right = d.box_right, box_top = d.box_top,
                box_bottom = d.box_bottom;
  const LogFont& font = d.font;
  const platform::Region clip = platform::Region::FromRect(left, top, right, bottom)
                                    .Intersected(body_clip);
  canvas->SelectClipRgn(&clip);

  const int64_t a = RoundChecked(0.05 * resolution);
  if (arrows && top + 4 * a < box_top) {
    const int32_t mid = static_cast<int32_t>((int64_t{left} + right) / 2);
    const int32_t half = static_cast<int32_t>(cy / 2);
    const int32_t up_tip = Narrow(top + a), down_tip = Narrow(bottom - a);
    canvas->MoveTo(mid, Narrow(box_top - a));
    canvas->LineTo(mid, up_tip);
    canvas->LineTo(mid - half, Narrow(int64_t{up_tip} + half));
    canvas->MoveTo(mid, up_tip);
    canvas->LineTo(mid + half, Narrow(int64_t{up_tip} + half));
    canvas->MoveTo(mid, Narrow(box_bottom + a));
    canvas->LineTo(mid, down_tip);
    canvas->LineTo(mid - half, Narrow(int64_t{down_tip} - half));
    canvas->MoveTo(mid, down_tip);
    canvas->LineTo(mid + half, Narrow(int64_t{down_tip} - half));
  }

  if (box_right - box_left >= 1 && box_bottom - box_top >= 1) {
    const platform::COLORREF ink = checked_canvas_color(canvas->GetPen().color);
    // Only the part of the box that can show is rendered: the rows from 0
    // down to the bottom of the clip, within the clip's columns.
    const platform::Rect limit = canvas->GetClipBox();
    const int64_t show_left = std::max<int64_t>(box_left, limit.left);
    const int64_t show_right = std::min<int64_t>(box_right, limit.right);
    const int64_t show_top = std::max<int64_t>({box_top, 0, limit.top});
    const int64_t show_bottom = std::min<int64_t>(box_bottom, limit.bottom);
    if (show_right > show_left && show_bottom > show_top) {
      const int32_t w = static_cast<int32_t>(show_right - show_left);
      const int32_t h = static_cast<int32_t>(show_bottom - show_top);
      QImage bitmap = platform::Canvas::CreateCompatibleBitmap(w, h);
      if (bitmap.isNull()) throw RangeError();
      {
        platform::Canvas off(&bitmap);
        off.SetResolution(canvas->Resolution());
        platform::Brush white;
        white.style = platform::BS_SOLID;
        white.color = platform::kWhite;
        off.FillRect(platform::Rect{0, 0, w, h}, white);
        off.SelectFont(font);
        off.SetTextColor(ink);
        off.SetBkColor(platform::kWhite);
        off.SetBkMode(platform::OPAQUE);
        // The text's origin in the box, moved by the part cut away.
        const int64_t origin_x = (downward ? cy : 0) - (show_left - box_left);
        const int64_t origin_y = (downward ? 0 : cx) - (show_top - box_top);
        off.TextOut(ClampToInt32(origin_x), ClampToInt32(origin_y), text);
        off.EndPaint();
      }
      const int32_t dest_x = static_cast<int32_t>(show_left);
      const int32_t dest_y = static_cast<int32_t>(show_top);
      if (is_printer())
        canvas->StretchDIBits(dest_x, dest_y, w, h, 0, 0, w, h, bitmap);
      else
        canvas->BitBlt(dest_x, dest_y, w, h, bitmap, 0, 0);
    }
  }
  select_body_clip();
  canvas->SetTextColor(platform::kBlack);
}
