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

void logp_object::plot_pattern(const Rect& r, int32_t pattern, double x_scale, double y_scale,
                               uint8_t outline) {
  plot_pattern_fill(r, pattern, x_scale, y_scale, false, 0, 0, 0, outline, std::nullopt);
}

void logp_object::plot_color_pattern(const Rect& r, int32_t pattern, double x_scale,
                                     double y_scale, int32_t line_width, int32_t background,
                                     int32_t pattern_color, uint8_t outline) {
  plot_pattern_fill(r, pattern, x_scale, y_scale, true, line_width, background, pattern_color,
                    outline, std::nullopt);
}

void logp_object::plot_pattern_ex(const tfl::PatternExRecord& rec) {
  plot_pattern_fill(rec.rect, rec.pattern, rec.x_scale, rec.y_scale, false, 0, 0, 0, rec.outline,
                    rec.section);
}

void logp_object::plot_color_pattern_ex(const tfl::ColorPatternExRecord& rec) {
  plot_pattern_fill(rec.rect, rec.pattern, rec.x_scale, rec.y_scale, true, rec.line_width,
                    rec.background, rec.pattern_color, rec.outline, rec.section);
}

// The four pattern fills: plain (pen colour) or coloured (own colours), in
// the body (file units, body clip) or in a header/footer section (inches).
void logp_object::plot_pattern_fill(const Rect& r, int32_t pattern, double x_scale,
                                    double y_scale, bool colored, int32_t line_width,
                                    int32_t background, int32_t pattern_color, uint8_t outline,
                                    std::optional<uint8_t> section) {
  const bool body = !section.has_value();
  if (pattern > kLastPattern && colored && body) return;  // no pattern, no outline

  // Rectangle ordered and mapped. The corners are copied out first: the
  // record is packed, and std::min/max would bind references to misaligned
  // doubles.
  const double rx1 = r.x1, rx2 = r.x2, ry1 = r.y1, ry2 = r.y2;
  const double x1 = std::min(rx1, rx2), x2 = std::max(rx1, rx2);
  const double y1 = std::min(ry1, ry2), y2 = std::max(ry1, ry2);
  auto draw_outline = [&] {
    if (!outline) return;
    if (body) {
      if (colored) {
        if ((static_cast<uint32_t>(pattern_color) & 0xFFFFFF) == platform::kWhite) return;
        set_pen_width(0);
      }
      plot_vector(x1, y1, x2, y1);
      plot_vector(x2, y1, x2, y2);
      plot_vector(x2, y2, x1, y2);
      plot_vector(x1, y2, x1, y1);
    } else {
      plot_line(*section, x1, y1, x2, y1);
      plot_line(*section, x2, y1, x2, y2);
      plot_line(*section, x2, y2, x1, y2);
      plot_line(*section, x1, y2, x1, y1);
    }
  };

  int32_t top = 0, bottom = 0;
  if (body) {
    bottom = row(y1);
    top = row(y2);
  } else if (!section_row(*section, y1, top) || !section_row(*section, y2, bottom)) {
    return;  // a section this page does not show
  }
  if (pattern > kLastPattern) {
    draw_outline();
    return;
  }
  libraries().pattern.read(pattern, cookie());
  const PatternData& tile = libraries().pattern.current();
  const int32_t left = px(x1), right = px(x2);

  // Clip.
  const int32_t wider = colored ? 1 : 0;
  platform::Region clip;
  if (body) {
    if (bottom < body_clip_top) return;  // wholly above the body: nothing at all
    top = std::max(top, body_clip_top);
    clip = platform::Region::FromRect(left, top, right + wider, bottom + wider)
               .Intersected(body_clip);
    if (clip.IsEmpty()) return;
  } else {
    clip = platform::Region::FromRect(left, top, right + wider, bottom + wider);
  }

  // Pens.
  const platform::Pen saved_pen = canvas->GetPen();
  const platform::Brush saved_brush = canvas->GetBrush();
  COLORREF line_color = 0;
  int32_t line_px = 0;
  if (colored) {
    const COLORREF back = checked_color(background);
    line_color = checked_color(pattern_color);
    if (monochrome) line_color = platform::kBlack;  // pens only: the fill keeps its colour
    line_px = MulDiv(line_width, line_unit, settings.screen_ppi);
    if (line_px < 0 || line_px > kMaxPenPixels) throw RangeError();
    canvas->SelectClipRgn(&clip);
    if (!(body && (back & 0xFFFFFF) == platform::kWhite)) {
      platform::Brush fill;
      fill.color = back;
      canvas->FillRect(clip.Box(), fill);
    }
    canvas->SetPen(platform::Pen{platform::PS_SOLID, line_px, line_color});
    platform::Brush solid;
    solid.color = line_color;
    canvas->SetBrush(solid);
  } else {
    apply_ink_rule(true, false);
    platform::Pen pen = canvas->GetPen();
    pen.width = 0;
    canvas->SetPen(pen);
    canvas->SelectClipRgn(&clip);
  }

  // Tiles.
  const double unit_x = kGridInches * x_scale * resolution;
  const double unit_y = kGridInches * y_scale * resolution;
  if (!std::isfinite(unit_x) || !std::isfinite(unit_y)) throw RangeError();
  const auto strokes = tile.used_strokes();
  if (!strokes.empty()) {
    const int32_t dot_radius = [&] {
      int32_t rr = resolution / 100;
      return rr > 1 ? rr / 2 : rr;
    }();
    const bool disc_dots = !colored && resolution > 100 && dot_radius >= 1;
    TileGrid grid;
    grid.left = left;
    grid.bottom = bottom;
    grid.top = top;
    grid.right = right;
    grid.step_x = tile.tile_width * unit_x;
    grid.step_y = tile.tile_height * unit_y;
    // Cells are drawn when their strokes can reach the clip on the surface:
    // as far as the strokes reach from the cell's corner, with the pen and a
    // dot around them.
    platform::Rect view = clip.Box();
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
      report_dense_pattern(pattern);
    } else if (cells > 0) {
      // One-pixel strokes and dots go to the canvas in batches, in order;
      // discs are drawn one by one between them.
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
                          // A dot: one pixel in the pen colour (the line colour
                          // of a coloured fill), or a disc.
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
  }

  // Restore.
  if (colored) {
    canvas->SetPen(saved_pen);
    canvas->SetBrush(saved_brush);
  }
  if (body) select_body_clip(); else select_section_clip();
  draw_outline();
}

void logp_object::report_dense_pattern(int32_t pattern) {
  if (dense_pattern_reported_) return;
  dense_pattern_reported_ = true;
  cookie().notice({Notice::Warning, 0,
                   "Pattern " + std::to_string(pattern) +
                       " is too fine to draw at its scale on this page: its fill is left "
                       "without the pattern."});
}

void logp_object::fill_rectangle(const Rect& r, int32_t color, uint8_t section) {
  int32_t top = 0, bottom = 0;
  if (!section_row(section, r.y1, top) || !section_row(section, r.y2, bottom)) return;
  platform::Brush brush;
  brush.color = checked_color(color);  // fills keep their colour in black-only print
  select_section_clip();
  canvas->FillRect(platform::Rect{px(r.x1), top, px(r.x2), bottom}, brush);
}

void logp_object::plot_brush_rectangle(const Rect& r, uint8_t brush_style, int32_t color,
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
