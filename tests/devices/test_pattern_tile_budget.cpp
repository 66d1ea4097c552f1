// CountTiles must count exactly the cells ForEachTile visits: the fill's
// work budget (kMaxPatternWork) is decided from it before any drawing.
#include <gtest/gtest.h>

#include "devices/PatternTiling.h"

namespace {

double Visits(const TileGrid& g, double l, double t, double r, double b, double reach) {
  double n = 0;
  ForEachTile(g, l, t, r, b, reach, [&](double, double) { n += 1; });
  return n;
}

TEST(PatternTileBudget, CountTilesMatchesTheCellsVisited) {
  struct Case {
    TileGrid grid;
    double l, t, r, b, reach;
  };
  const Case cases[] = {
      {{0, 100, 0, 100, 10, 10}, 0, 0, 100, 100, 0},        // whole grid in view
      {{-500, 900, -400, 700, 7, 13}, 0, 0, 160, 208, 5},   // grid larger than the view
      {{50, 80, 20, 90, 1, 1}, 0, 0, 160, 208, 3},          // one-pixel tiles
      {{0, 100, 0, 100, 0.5, 10}, 0, 0, 100, 100, 0},       // steps below a pixel
      {{0, 100, 0, 100, 0, 10}, 0, 0, 100, 100, 0},         // no step: none
      {{0, 100, 200, 100, 10, 10}, 0, 0, 100, 100, 0},      // top below bottom: none
      {{300, 100, 0, 400, 10, 10}, 0, 0, 100, 100, 2},      // wholly right of the view
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountTiles(c.grid, c.l, c.t, c.r, c.b, c.reach),
              Visits(c.grid, c.l, c.t, c.r, c.b, c.reach));
  }
  // A count that needs no walk: a billion one-pixel cells are counted, not
  // visited.
  const TileGrid huge{0, 1e9, -1e9, 1e9, 1, 1};
  EXPECT_GT(CountTiles(huge, -1e9, -1e9, 1e9, 1e9, 0) * 1, kMaxPatternWork);
}

}  // namespace
