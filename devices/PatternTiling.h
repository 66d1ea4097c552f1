#pragma once
// Tiling of a lithology pattern over a rectangle: cells start at the
// rectangle's bottom-left corner and step up and right by the tile size, so a
// fill that is cut at the top of the body keeps its pattern in place.
#include <cstdint>
#include <functional>

struct TileGrid {
  double left = 0;    // column of the first cell (pixels)
  double bottom = 0;  // row of the first cell (pixels)
  double top = 0;     // cells go up while their row is not above this row
  double right = 0;   // and right while their column is not beyond this
  double step_x = 0;  // tile width in pixels
  double step_y = 0;  // tile height in pixels
};

// Calls visit(column, row) for the cells whose strokes can reach the visible
// rows and columns [view_top - reach, view_bottom + reach] x [view_left -
// reach, view_right + reach]; cells elsewhere are skipped without walking to
// them. A tile step that is not a positive number of at least one pixel
// gives no cells (such a pattern cannot show, and would never advance).
void ForEachTile(const TileGrid& grid, double view_left, double view_top, double view_right,
                 double view_bottom, double reach,
                 const std::function<void(double, double)>& visit);
