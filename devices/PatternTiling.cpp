#include "devices/PatternTiling.h"

#include <algorithm>
#include <cmath>

namespace {

// The cells of ForEachTile: rows bottom - kr * step_y and columns left +
// kc * step_x for kr, kc in the inclusive ranges; empty when first > end.
struct TileRange {
  double k_row_first = 0, k_row_end = -1, k_col_first = 0, k_col_end = -1;
  double count() const {
    if (k_row_end < k_row_first || k_col_end < k_col_first) return 0;
    return (k_row_end - k_row_first + 1) * (k_col_end - k_col_first + 1);
  }
};

TileRange VisibleTiles(const TileGrid& g, double view_left, double view_top, double view_right,
                       double view_bottom, double reach) {
  TileRange r;
  if (!(g.step_x > 0) || !(g.step_y > 0) || !std::isfinite(g.step_x) || !std::isfinite(g.step_y))
    return r;
  // Rows: bottom - k * step_y for k >= 0 while not above top.
  const double row_span = g.bottom - g.top;
  if (!(row_span >= 0)) return r;
  // Columns: left + k * step_x for k >= 0 while not beyond right.
  const double col_span = g.right - g.left;
  if (!(col_span >= 0)) return r;
  const double k_row_last = std::floor(row_span / g.step_y);
  r.k_row_first = std::max(0.0, std::ceil((g.bottom - (view_bottom + reach)) / g.step_y));
  r.k_row_end = std::min(k_row_last, std::floor((g.bottom - (view_top - reach)) / g.step_y));
  const double k_col_last = std::floor(col_span / g.step_x);
  r.k_col_first = std::max(0.0, std::ceil((view_left - reach - g.left) / g.step_x));
  r.k_col_end = std::min(k_col_last, std::floor((view_right + reach - g.left) / g.step_x));
  return r;
}

}  // namespace

double CountTiles(const TileGrid& grid, double view_left, double view_top, double view_right,
                  double view_bottom, double reach) {
  return VisibleTiles(grid, view_left, view_top, view_right, view_bottom, reach).count();
}

void ForEachTile(const TileGrid& g, double view_left, double view_top, double view_right,
                 double view_bottom, double reach,
                 const std::function<void(double, double)>& visit) {
  const TileRange r = VisibleTiles(g, view_left, view_top, view_right, view_bottom, reach);
  for (double kr = r.k_row_first; kr <= r.k_row_end; kr += 1) {
    const double row = g.bottom - kr * g.step_y;
    for (double kc = r.k_col_first; kc <= r.k_col_end; kc += 1) visit(g.left + kc * g.step_x, row);
  }
}

double PatternStrokeWork(double length_px, int pen_px, bool disc, bool batched) {
  if (pen_px > 1) return 40 + 3 * (pen_px + length_px);
  if (disc) return 40;
  return (batched ? 1 : 11) + 2 * length_px;
}
