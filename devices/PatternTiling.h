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
// them. A tile step that is not a positive number gives no cells (it would
// never advance); a step below a pixel gives a cell for each step, as many as
// CountTiles says (the caller weighs that first).
void ForEachTile(const TileGrid& grid, double view_left, double view_top, double view_right,
                 double view_bottom, double reach,
                 const std::function<void(double, double)>& visit);

// The number of cells ForEachTile would visit.
double CountTiles(const TileGrid& grid, double view_left, double view_top, double view_right,
                  double view_bottom, double reach);

// The drawing work of one stroke of a pattern tile, in units of about the
// time a short one-pixel stroke takes on the page image (measured with
// bench/bench_pattern): one-pixel strokes on an image are walked in batches
// and cost a unit plus two for each pixel of their length; on other targets
// (printers, PDF) each is a call of its own, some ten units more. A wider
// pen's strokes and dots, and dots drawn as small discs, go one by one
// through the painter and cost some forty units plus three for each pixel of
// width and length.
double PatternStrokeWork(double length_px, int pen_px, bool disc, bool batched);

// The most work one pattern fill may cost (cells in view times the work of a
// tile): about a second of drawing. A letter page filled with our densest
// pattern reaches it at a pattern scale of about 0.04 (tiles a sixtieth of an
// inch wide), where strokes crowd every pixel and the pattern cannot show. A
// fill beyond it keeps its background and outline, and the page tells the
// user once that a pattern was left out.
inline constexpr double kMaxPatternWork = 1.5e7;
