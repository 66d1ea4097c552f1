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

// The number of cells ForEachTile would visit.
double CountTiles(const TileGrid& grid, double view_left, double view_top, double view_right,
                  double view_bottom, double reach);

// The most pattern strokes one fill draws (cells times strokes per tile). A
// letter page of tiles a tenth of an inch wide with ten strokes each needs
// about a third of this; a corrupt scale that shrinks tiles to a pixel would
// cost millions of strokes per record (a stroke of a pen wider than 16 pixels
// counts as width / 16 strokes). Such a fill keeps its background and
// outline but draws no pattern: at that size the pattern cannot show.
inline constexpr double kMaxPatternStrokes = 250000;
