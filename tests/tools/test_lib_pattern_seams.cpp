// Seamless tiling of the patterns. The program repeats a tile rightward and
// upward with no gap, so in the endless plane of tiles:
//   - no line may run along the right or top edge (the neighbour's left or
//     bottom edge draws it already) and no dot may sit there;
//   - a line that ends on the tile's border must meet another line at that
//     point (its continuation across the seam, or a line it joins), or the
//     seam shows as a break in the line.
#include <gtest/gtest.h>

#include <sstream>

#include "test_lib_records.h"

using namespace libtest;

namespace {

bool OnSegment(const Stroke& s, int px, int py) {
  long cross = static_cast<long>(s.x2 - s.x1) * (py - s.y1) -
               static_cast<long>(s.y2 - s.y1) * (px - s.x1);
  return cross == 0 && px >= std::min(s.x1, s.x2) && px <= std::max(s.x1, s.x2) &&
         py >= std::min(s.y1, s.y2) && py <= std::max(s.y1, s.y2);
}

// Faults of one pattern against the rules above, one text per fault.
std::vector<std::string> SeamFaults(const Pattern& p) {
  std::vector<std::string> faults;
  const int w = p.tileWidth, h = p.tileHeight;
  auto describe = [](const Stroke& s) {
    std::ostringstream o;
    o << s.x1 << "," << s.y1 << " " << s.x2 << "," << s.y2;
    return o.str();
  };
  for (size_t i = 0; i < p.strokes.size(); ++i) {
    const Stroke& s = p.strokes[i];
    if (s.IsDot()) {
      if (s.x1 == w || s.y1 == h) faults.push_back("dot on right or top edge: " + describe(s));
      continue;
    }
    if ((s.x1 == w && s.x2 == w) || (s.y1 == h && s.y2 == h))
      faults.push_back("line along right or top edge: " + describe(s));
    for (auto [ex, ey] : {std::pair{s.x1, s.y1}, std::pair{s.x2, s.y2}}) {
      if (ex != 0 && ex != w && ey != 0 && ey != h) continue;  // inside: a free end is fine
      bool met = false;
      for (int dx : {-w, 0, w})
        for (int dy : {-h, 0, h})
          for (size_t j = 0; j < p.strokes.size() && !met; ++j) {
            if (j == i && dx == 0 && dy == 0) continue;
            const Stroke& o = p.strokes[j];
            if (o.IsDot()) continue;
            Stroke moved{o.x1 + dx, o.y1 + dy, o.x2 + dx, o.y2 + dy};
            met = OnSegment(moved, ex, ey);
          }
      if (!met)
        faults.push_back("line " + describe(s) + " stops at the border at " + std::to_string(ex) +
                         "," + std::to_string(ey));
    }
  }
  return faults;
}

Pattern Tile(int w, int h, std::vector<Stroke> strokes) {
  return {static_cast<int>(strokes.size()), w, h, strokes};
}

}  // namespace

// The check itself must see the faults it is meant to catch.
TEST(PatternSeamCheck, FindsBrokenAndDoubledEdges) {
  // A dash reaching the right edge without a continuation on the left.
  EXPECT_EQ(SeamFaults(Tile(24, 8, {{16, 4, 24, 4}})).size(), 1u);
  // The same dash continued from the left edge is whole.
  EXPECT_TRUE(SeamFaults(Tile(24, 8, {{16, 4, 24, 4}, {0, 4, 3, 4}})).empty());
  // Continued, but at another height: two breaks.
  EXPECT_EQ(SeamFaults(Tile(24, 8, {{16, 4, 24, 4}, {0, 5, 3, 5}})).size(), 2u);
  // A line along the top edge doubles the neighbour's bottom line.
  EXPECT_FALSE(SeamFaults(Tile(8, 8, {{0, 0, 8, 0}, {0, 8, 8, 8}})).empty());
  // A dot on the right edge doubles the neighbour's dot at x 0.
  EXPECT_FALSE(SeamFaults(Tile(8, 8, {{8, 3, 8, 3}})).empty());
}

TEST(PatternSeamCheck, AcceptsJoinsAcrossCornersAndTJunctions) {
  // Bricks: the upper joint ends on the next tile's bottom line.
  EXPECT_TRUE(SeamFaults(Tile(24, 12, {{0, 0, 24, 0}, {0, 6, 24, 6}, {0, 0, 0, 6}, {12, 6, 12, 12}}))
                  .empty());
  // A diagonal through opposite corners meets its copy in the corner tile.
  EXPECT_TRUE(SeamFaults(Tile(8, 8, {{0, 0, 8, 8}})).empty());
  EXPECT_TRUE(SeamFaults(Tile(8, 8, {{0, 8, 8, 0}})).empty());
  // A diagonal that stops at the top edge halfway across does not continue.
  EXPECT_FALSE(SeamFaults(Tile(8, 8, {{0, 0, 4, 8}})).empty());
}

TEST(PatternLibrarySeams, EveryPatternTilesWithoutSeams) {
  auto patterns = ReadPatterns(testfiles::ReadAll(BinFile("Zelmorth.Pat")));
  ASSERT_EQ(patterns.size(), 251u);
  for (size_t n = 0; n < patterns.size(); ++n) {
    for (const std::string& fault : SeamFaults(patterns[n]))
      ADD_FAILURE() << "pattern " << n << ": " << fault;
  }
}
