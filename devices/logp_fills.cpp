// Pattern fills, filled rectangles and brush rectangles of the canvas device.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/FileError.h"
#include "core/Libraries.h"
#include "devices/FillStyle.h"
#include "devices/PatternTiling.h"
#include "devices/logp_object.h"

using device_math::MulDiv;
using device_math::RoundChecked;
using platform::COLORREF;
using platform::Point;

namespace {

constexpr int32_t kLastPattern = 250;  // higher numbers mean "no pattern"
constexpr double kGridInches = 0.02;   // one pattern unit at scale 1
constexpr std::size_t kStrokeBatch = 4096;  // strokes handed to the canvas at once

}  // namespace

void logp_object::plot_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                               uint8_t outline) {
  plot_pattern_fill({r, pattern, x_scale, y_scale, false, 0, 0, 0, outline, std::nullopt});
}

void logp_object::plot_color_pattern(Rect r, int32_t pattern, double x_scale,
                                     double y_scale, int32_t line_width, int32_t background,
                                     int32_t pattern_color, uint8_t outline) {
  plot_pattern_fill({r, pattern, x_scale, y_scale, true, line_width, background, pattern_color,
                     outline, std::nullopt});
}

void logp_object::plot_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                                  uint8_t outline, uint8_t section) {
  plot_pattern_fill({r, pattern, x_scale, y_scale, false, 0, 0, 0, outline, section});
}

void logp_object::plot_color_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                                        int32_t line_width, int32_t background,
                                        int32_t pattern_color, uint8_t outline,
                                        uint8_t section) {
  plot_pattern_fill({r, pattern, x_scale, y_scale, true, line_width, background, pattern_color,
                     outline, section});
}

// The four pattern fills: plain (pen colour) or coloured (own colours), in
// the body (file units, body clip) or in a header/footer section (inches).
// In steps: the area and its clip, the pens, the tiles, then the canvas
// state put back and the outline drawn.
void logp_object::plot_pattern_fill(const PatternFill& f) {
  const bool body = !f.section.has_value();
  if (f.pattern > kLastPattern && f.colored && body) return;  // no pattern, no outline

  // Rectangle ordered and mapped. The corners are copied out first so that
  // std::min/max bind to aligned doubles.
  const double rx1 = f.r.x1, rx2 = f.r.x2, ry1 = f.r.y1, ry2 = f.r.y2;
  const double x1 = std::min(rx1, rx2), x2 = std::max(rx1, rx2);
  const double y1 = std::min(ry1, ry2), y2 = std::max(ry1, ry2);
  int32_t top = 0, bottom = 0;
  if (body) {
    bottom = row(y1);
    top = row(y2);
  } else if (!section_row(*f.section, y1, top) || !section_row(*f.section, y2, bottom)) {
    return;  // a section this page does not show
  }
  if (f.pattern > kLastPattern) {
    draw_fill_outline(f, x1, y1, x2, y2);
    return;
  }
  libraries().pattern.read(f.pattern, cookie());
  const std::optional<FillArea> area = fill_area(f, px(x1), px(x2), top, bottom);
  if (!area) return;

  const platform::Pen saved_pen = canvas->GetPen();
  const platform::Brush saved_brush = canvas->GetBrush();
  const int32_t line_px = set_fill_pens(f, *area);
  draw_fill_tiles(f, *area, line_px);

  // Restore.
  if (f.colored) {
    canvas->SetPen(saved_pen);
    canvas->SetBrush(saved_brush);
  }
  if (body) select_body_clip(); else select_section_clip();
  draw_fill_outline(f, x1, y1, x2, y2);
}

// The outline of a fill (when it asks for one) with the current pen: body
// lines, or lines of its section. A coloured body fill outlines with a thin
// pen, and not at all in a white pattern colour.
void logp_object::draw_fill_outline(const PatternFill& f, double x1, double y1, double x2,
                                    double y2) {
  if (!f.outline) return;
  if (!f.section) {
    if (f.colored) {
      if ((static_cast<uint32_t>(f.pattern_color) & 0xFFFFFF) == platform::kWhite) return;
      set_pen_width(0);
    }
    plot_vector(x1, y1, x2, y1);
    plot_vector(x2, y1, x2, y2);
    plot_vector(x2, y2, x1, y2);
    plot_vector(x1, y2, x1, y1);
  } else {
    plot_line(*f.section, x1, y1, x2, y1);
    plot_line(*f.section, x2, y1, x2, y2);
    plot_line(*f.section, x2, y2, x1, y2);
    plot_line(*f.section, x1, y2, x1, y1);
  }
}

// The fill's rectangle in pixels and its clip: a coloured fill reaches one
// more pixel right and down; a body fill stays within the body clip and is
// nothing when wholly above it or outside.
std::optional<logp_object::FillArea> logp_object::fill_area(const PatternFill& f, int32_t left,
                                                           int32_t right, int32_t top,
                                                           int32_t bottom) {
  const int32_t wider = f.colored ? 1 : 0;
  FillArea area{left, top, right, bottom, {}};
  if (f.section) {
    area.clip = platform::Region::FromRect(left, top, right + wider, bottom + wider);
    return area;
  }
  if (bottom < body_clip_top) return std::nullopt;  // wholly above the body: nothing at all
  area.top = std::max(top, body_clip_top);
  area.clip = platform::Region::FromRect(left, area.top, right + wider, bottom + wider)
                  .Intersected(body_clip);
  if (area.clip.IsEmpty()) return std::nullopt;
  return area;
}

// Selects the fill's clip and the pens its strokes are drawn with: a
// coloured fill paints its background (not white in the body) and strokes in
// its pattern colour and line width; a plain one strokes one pixel wide in
// the pen colour after the ink rule.
int32_t logp_object::set_fill_pens(const PatternFill& f, const FillArea& area) {
  if (!f.colored) {
    apply_ink_rule(InkRule::Patterns);
    platform::Pen pen = canvas->GetPen();
    pen.width = 0;
    canvas->SetPen(pen);
    canvas->SelectClipRgn(&area.clip);
    return 0;
  }
  const COLORREF back = checked_color(f.background);
  COLORREF line_color = checked_color(f.pattern_color);
  if (monochrome) line_color = platform::kBlack;  // pens only: the fill keeps its colour
  const int32_t line_px = MulDiv(f.line_width, line_unit, settings.screen_ppi);
  if (line_px < 0 || line_px > kMaxPenPixels) throw RangeError();
  canvas->SelectClipRgn(&area.clip);
  if (!(!f.section && (back & 0xFFFFFF) == platform::kWhite)) {
    platform::Brush fill;
    fill.color = back;
    canvas->FillRect(area.clip.Box(), fill);
  }
  canvas->SetPen(platform::Pen{platform::PS_SOLID, line_px, line_color});
  platform::Brush solid;
  solid.color = line_color;
  canvas->SetBrush(solid);
  return line_px;
}

// The pattern's strokes in every tile whose strokes can reach the clip on
// the surface, or nothing (and a notice) when that is beyond the work bound.
void logp_object::draw_fill_tiles(const PatternFill& f, const FillArea& area, int32_t line_px) {
  const PatternData& tile = libraries().pattern.current();
  const bool colored = f.colored;
  const double unit_x = kGridInches * f.x_scale * resolution;
  const double unit_y = kGridInches * f.y_scale * resolution;
  if (!std::isfinite(unit_x) || !std::isfinite(unit_y)) throw RangeError();
  const auto strokes = tile.used_strokes();
  if (strokes.empty()) return;
  const int32_t dot_radius = [&] {
    int32_t rr = resolution / 100;
    return rr > 1 ? rr / 2 : rr;
  }();
  const bool disc_dots = !colored && resolution > 100 && dot_radius >= 1;
  TileGrid grid;
  grid.left = area.left;
  grid.bottom = area.bottom;
  grid.top = area.top;
  grid.right = area.right;
  grid.step_x = tile.tile_width * unit_x;
  grid.step_y = tile.tile_height * unit_y;
  // Cells are drawn when their strokes can reach the clip on the surface:
  // as far as the strokes reach from the cell's corner, with the pen and a
  // dot around them.
  platform::Rect view = area.clip.Box();
  view.left = std::max(view.left, 0);
  view.top = std::max(view.top, 0);
  view.right = std::min(view.right, canvas->Width());
  view.bottom = std::min(view.bottom, canvas->Height());
  // A stroke is drawn only as far as it crosses the view.
  const double longest = static_cast<double>(view.right - view.left) + (view.bottom - view.top);
  double extent = 0, tile_work = 0;
  for (const LibraryStroke& s : strokes) {
    const double dx = std::fabs((s.x2 - s.x1) * unit_x), dy = std::fabs((s.y2 - s.y1) * unit_y);
    extent = std::max({extent, std::fabs(s.x1 * unit_x), std::fabs(s.x2 * unit_x),
                       std::fabs(s.y1 * unit_y), std::fabs(s.y2 * unit_y)});
    tile_work += PatternStrokeWork(std::min(std::max(dx, dy), longest), line_px,
                                   disc_dots && dx < 0.5 && dy < 0.5, canvas->Image() != nullptr);
  }
  const double reach = extent + line_px + dot_radius + 2;
  const double cells =
      view.IsEmpty() ? 0 : CountTiles(grid, view.left, view.top, view.right, view.bottom, reach);
  if (cells * tile_work > kMaxPatternWork) {
    report_dense_pattern(f.pattern);
    return;
  }
  if (cells <= 0) return;
  // One-pixel strokes and dots go to the canvas in batches, in order; discs
  // are drawn one by one between them.
  std::vector<platform::Canvas::Segment>& batch = stroke_batch_;
  batch.clear();
  auto flush = [&] {
    canvas->Strokes(batch);
    batch.clear();
  };
  try {
    ForEachTile(grid, view.left, view.top, view.right, view.bottom, reach,
                [&](double col, double cell_row) {
                  for (const LibraryStroke& s : strokes) {
                    const Point a{RoundChecked(col + s.x1 * unit_x),
                                  RoundChecked(cell_row - s.y1 * unit_y)};
                    const Point b{RoundChecked(col + s.x2 * unit_x),
                                  RoundChecked(cell_row - s.y2 * unit_y)};
                    if (a == b) {
                      // A dot: one pixel in the pen colour (the line colour of
                      // a coloured fill), or a disc.
                      if (!colored && disc_dots) {
                        flush();
                        platform::Brush dot;
                        dot.color = canvas->GetPen().color;
                        const platform::Brush before = canvas->GetBrush();
                        canvas->SetBrush(dot);
                        canvas->Ellipse(a.x - dot_radius, a.y - dot_radius,
                                        a.x + dot_radius + 1, a.y + dot_radius + 1);
                        canvas->SetBrush(before);
                      } else if (const int32_t h = line_px / 2; colored && h >= 1) {
                        flush();
                        const int32_t odd = line_px % 2;
                        canvas->Ellipse(a.x - h, a.y - h, a.x + h + odd, a.y + h + odd);
                      } else {
                        batch.push_back({a, a});
                      }
                      continue;
                    }
                    batch.push_back({a, b});
                    if (colored) batch.push_back({b, b});  // and its end pixel
                  }
                  if (batch.size() >= kStrokeBatch) flush();
                });
  } catch (...) {
    // A coordinate beyond 32 bits ends the page; what came before it is
    // drawn, as it is stroke by stroke.
    flush();
    throw;
  }
  flush();
}

void logp_object::report_dense_pattern(int32_t pattern) {
  if (dense_pattern_reported_) return;
  dense_pattern_reported_ = true;
  cookie().notice({Notice::Warning, 0,
                   "Pattern " + std::to_string(pattern) +
                       " is too fine to draw at its scale on this page: its fill is left "
                       "without the pattern."});
}

void logp_object::fill_rectangle(Rect r, int32_t color, uint8_t section) {
  int32_t top = 0, bottom = 0;
  if (!section_row(section, r.y1, top) || !section_row(section, r.y2, bottom)) return;
  platform::Brush brush;
  brush.color = checked_color(color);  // fills keep their colour in black-only print
  select_section_clip();
  canvas->FillRect(platform::Rect{px(r.x1), top, px(r.x2), bottom}, brush);
}

void logp_object::plot_brush_rectangle(Rect r, uint8_t brush_style, int32_t color,
                                       uint8_t option) {
  COLORREF fill = checked_color(color);
  if (monochrome) fill = platform::kBlack;
  int32_t left = px(r.x1) + 1, right = px(r.x2);
  int32_t top = row(r.y1), bottom = row(r.y2);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  select_body_clip();
  platform::Brush white;
  white.color = platform::kWhite;
  canvas->FillRect(platform::Rect{left, top, right, bottom}, white);

  const platform::Pen saved_pen = canvas->GetPen();
  platform::Pen pen{platform::PS_SOLID, 0, monochrome ? platform::kBlack : saved_pen.color};
  canvas->SetPen(pen);
  canvas->SetBkColor(platform::kWhite);
  canvas->SetBkMode(platform::OPAQUE);
  canvas->SetBrush(FillStyleBrush(brush_style, fill));
  canvas->Rectangle(left, top, right, bottom);
  canvas->SetPen(saved_pen);
  platform::Brush after = canvas->GetBrush();
  after.style = platform::BS_HOLLOW;
  canvas->SetBrush(after);
}
