#include "devices/PatternTiling.h"

#include <algorithm>
#include <cmath>

void ForEachTile(const TileGrid& g, double view_left, double view_top, double view_right,
                 double view_bottom, double reach,
                 const std::function<void(double, double)>& visit) {
  if (!(g.step_x >= 1.0) || !(g.step_y >= 1.0) || !std::isfinite(g.step_x) ||
      !std::isfinite(g.step_y))
    return;
  // Rows: bottom - k * step_y for k >= 0 while not above top.
  const double row_span = g.bottom - g.top;
  if (!(row_span >= 0)) return;
  const double k_row_last = std::floor(row_span / g.step_y);
  const double k_row_first = std::max(0.0, std::ceil((g.bottom - (view_bottom + reach)) / g.step_y));
  const double k_row_end = std::min(k_row_last, std::floor((g.bottom - (view_top - reach)) / g.step_y));
  // Columns: left + k * step_x for k >= 0 while not beyond right.
  const double col_span = g.right - g.left;
  if (!(col_span >= 0)) return;
  const double k_col_last = std::floor(col_span / g.step_x);
  const double k_col_first = std::max(0.0, std::ceil((view_left - reach - g.left) / g.step_x));
  const double k_col_end = std::min(k_col_last, std::floor((view_right + reach - g.left) / g.step_x));
  for (double kr = k_row_first; kr <= k_row_end; kr += 1) {
    const double row = g.bottom - kr * g.step_y;
    for (double kc = k_col_first; kc <= k_col_end; kc += 1) visit(g.left + kc * g.step_x, row);
  }
}
