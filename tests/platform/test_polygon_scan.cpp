// Polygon regions by our own scan conversion: the same pixels as QRegion's
// polygon constructor wherever that one works, in the most compact banded
// form, and the right pixels where it does not (polygons taller than 100,000
// rows, points far beyond the page).
#include <gtest/gtest.h>

#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "platform/Canvas.h"
#include "platform/PolygonScan.h"

using namespace platform;

namespace platform {
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
}  // namespace platform

QT_BEGIN_NAMESPACE
void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.left() << "," << r.top() << " " << r.width() << "x" << r.height() << ")";
}
QT_END_NAMESPACE

namespace {

QRegion Reference(const std::vector<Point>& pts, bool winding) {
  QPolygon polygon;
  for (const Point& p : pts) polygon << QPoint(p.x, p.y);
  return QRegion(polygon, winding ? Qt::WindingFill : Qt::OddEvenFill);
}

// The form QRegion keeps, at its most compact: rectangles in bands of equal
// top and bottom, bands top to bottom without overlap, rectangles left to
// right with a gap between them, and no two touching bands with the same
// columns (they would be one band). A pixel set has one such form, so two
// regions in it with the same pixels have the same rectangles.
testing::AssertionResult Canonical(const std::vector<QRect>& rects) {
  auto fail = [&](size_t i, const char* why) {
    return testing::AssertionFailure() << "rectangle " << i << " " << testing::PrintToString(rects[i])
                                       << ": " << why;
  };
  struct Band {
    size_t begin, end;
  };
  std::vector<Band> bands;
  for (size_t i = 0; i < rects.size(); ++i) {
    if (rects[i].isEmpty()) return fail(i, "empty");
    if (!bands.empty() && rects[i].top() == rects[bands.back().begin].top()) {
      if (rects[i].bottom() != rects[i - 1].bottom()) return fail(i, "bottom differs in its band");
      if (rects[i].left() <= rects[i - 1].right() + 1) return fail(i, "touches its left neighbour");
      bands.back().end = i + 1;
    } else {
      bands.push_back({i, i + 1});
    }
  }
  auto sameColumns = [&](const Band& a, const Band& b) {
    return std::equal(rects.begin() + a.begin, rects.begin() + a.end, rects.begin() + b.begin,
                      rects.begin() + b.end, [](const QRect& r, const QRect& q) {
                        return r.left() == q.left() && r.right() == q.right();
                      });
  };
  for (size_t k = 1; k < bands.size(); ++k) {
    const QRect& above = rects[bands[k - 1].begin];
    const QRect& first = rects[bands[k].begin];
    if (first.top() <= above.bottom()) return fail(bands[k].begin, "overlaps the band above");
    if (first.top() == above.bottom() + 1 && sameColumns(bands[k - 1], bands[k]))
      return fail(bands[k].begin, "band could join the one above");
  }
  return testing::AssertionSuccess();
}

QRegion Scanned(const std::vector<Point>& pts, bool winding, const Rect& window) {
  const std::vector<QRect> rects = ScanPolygon(pts, winding, window);
  EXPECT_TRUE(Canonical(rects));
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

// Random polygons on a coarse or a fine grid: coarse ones have many shared
// columns, horizontal edges, repeated points and edges that meet on a pixel.
std::vector<Point> RandomPolygon(std::mt19937& rng) {
  const int count = std::uniform_int_distribution<int>(3, 14)(rng);
  const bool coarse = std::uniform_int_distribution<int>(0, 2)(rng) == 0;
  std::uniform_int_distribution<int> coord(-30, 130);
  std::uniform_int_distribution<int> cell(-2, 10);
  std::vector<Point> pts;
  for (int i = 0; i < count; ++i) {
    if (coarse)
      pts.push_back({cell(rng) * 12, cell(rng) * 12});
    else
      pts.push_back({coord(rng), coord(rng)});
  }
  return pts;
}

TEST(PolygonScan, MatchesQRegionPixelsAndBandsOnRandomPolygons) {
  std::mt19937 rng(20261210);
  const Rect everything{-1000, -1000, 1000, 1000};
  for (int round = 0; round < 4000; ++round) {
    const std::vector<Point> pts = RandomPolygon(rng);
    for (const bool winding : {true, false}) {
      SCOPED_TRACE(testing::Message() << "round " << round << (winding ? " winding" : " alternate")
                                      << " points " << testing::PrintToString(pts));
      const QRegion expected = Reference(pts, winding);
      const QRegion got = Scanned(pts, winding, everything);
      ASSERT_TRUE(expected.xored(got).isEmpty());
    }
  }
}

TEST(PolygonScan, AWindowKeepsExactlyThePixelsInsideIt) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> edge(-20, 120);
  for (int round = 0; round < 1500; ++round) {
    const std::vector<Point> pts = RandomPolygon(rng);
    Rect window{edge(rng), edge(rng), edge(rng), edge(rng)};  // either way round
    const QRect box(QPoint(std::min(window.left, window.right), std::min(window.top, window.bottom)),
                    QPoint(std::max(window.left, window.right) - 1,
                           std::max(window.top, window.bottom) - 1));
    for (const bool winding : {true, false}) {
      SCOPED_TRACE(testing::Message() << "round " << round);
      const QRegion expected = Reference(pts, winding).intersected(QRegion(box));
      const QRegion got = Scanned(pts, winding, window);
      ASSERT_TRUE(expected.xored(got).isEmpty());
    }
  }
}

TEST(PolygonScan, DegenerateInputsGiveNothing) {
  const std::vector<Point> two{{0, 0}, {10, 10}};
  EXPECT_TRUE(ScanPolygon(two, true, Rect{0, 0, 100, 100}).empty());
  const std::vector<Point> flat{{0, 5}, {10, 5}, {20, 5}};
  EXPECT_TRUE(ScanPolygon(flat, true, Rect{0, 0, 100, 100}).empty());
  const std::vector<Point> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(ScanPolygon(square, true, Rect{5, 5, 5, 50}).empty());  // no columns
  EXPECT_TRUE(ScanPolygon(square, true, Rect{20, 20, 40, 40}).empty());  // beside it
  EXPECT_EQ(ScanPolygon(square, true, Rect{0, 0, 100, 100}),
            (std::vector<QRect>{QRect(0, 0, 10, 10)}));
}

// A polygon taller than 100,000 rows: a long curve's shading printed at a
// high resolution, or a point gone astray in a damaged log.
TEST(PolygonScan, TallPolygonsStillCoverThePage) {
  const std::vector<Point> tall{{0, -300000}, {400, 300000}, {-400, 300000}};
  const Region region = Region::FromPolygon(tall, WINDING, Rect{-500, 0, 500, 10});
  // Row 0 is halfway down: the edges cross at x = -200 and 200.
  EXPECT_TRUE(region.Contains(-200, 0));
  EXPECT_TRUE(region.Contains(199, 0));
  EXPECT_FALSE(region.Contains(200, 0));
  EXPECT_FALSE(region.Contains(-201, 0));
  // Lower down the right edge has moved past 200.
  EXPECT_TRUE(region.Contains(200, 1));
  EXPECT_EQ(region.Box(), (Rect{-200, 0, 201, 10}));
}

// Points two billion pixels away keep their exact slope on the page: the
// hypotenuse of this triangle crosses row y at column y.
TEST(PolygonScan, FarPointsKeepTheirSlope) {
  const std::vector<Point> pts{{0, 0}, {2000000000, 2000000000}, {0, 2000000000}};
  const std::vector<QRect> rects = ScanPolygon(pts, true, Rect{0, 0, 3000, 3000});
  ASSERT_EQ(rects.size(), 2999u);  // row 0 is empty; each later row one longer
  for (int y = 1; y < 3000; ++y) EXPECT_EQ(rects[y - 1], QRect(0, y, y, 1)) << y;
  // The same through both directions of the edge and the other fill rule.
  const std::vector<Point> reversed{{0, 2000000000}, {2000000000, 2000000000}, {0, 0}};
  EXPECT_EQ(ScanPolygon(reversed, false, Rect{0, 0, 3000, 3000}), rects);
}

TEST(PolygonScan, RegionKindsOfPolygons) {
  const std::array<Point, 4> rect{{{2, 3}, {12, 3}, {12, 9}, {2, 9}}};
  EXPECT_EQ(Region::FromPolygon(rect, WINDING).Kind(), SIMPLEREGION);
  EXPECT_EQ(Region::FromPolygon(rect, WINDING).Box(), (Rect{2, 3, 12, 9}));
  const std::array<Point, 3> triangle{{{0, 0}, {20, 0}, {0, 20}}};
  EXPECT_EQ(Region::FromPolygon(triangle, ALTERNATE).Kind(), COMPLEXREGION);
  // A square with extra points halfway down its sides: every edge ends on
  // row 5 and new ones begin there, and the band still runs through.
  const std::vector<Point> square{{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}, {0, 5}};
  EXPECT_EQ(Region::FromPolygon(square, WINDING).Kind(), SIMPLEREGION);
}

}  // namespace
