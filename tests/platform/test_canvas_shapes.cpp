// Lines, shapes, brushes and pens of the Canvas, checked pixel by pixel.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "TestFiles.h"
#include "test_canvas_util.h"
#include "platform/Canvas.h"

using namespace platform;
using canvastest::At;
using canvastest::FindInk;
using canvastest::Ink;
using canvastest::RowRuns;
using canvastest::WhitePage;

namespace {

constexpr COLORREF kRed = MakeRGB(255, 0, 0);
constexpr COLORREF kBlue = MakeRGB(0, 0, 255);
constexpr COLORREF kYellow = MakeRGB(255, 255, 0);

Brush Solid(COLORREF c) { return Brush{BS_SOLID, c, HS_HORIZONTAL, nullptr}; }
Brush Hatch(int hatch, COLORREF c) { return Brush{BS_HATCHED, c, hatch, nullptr}; }
Brush Hollow() { return Brush{BS_HOLLOW, kBlack, HS_HORIZONTAL, nullptr}; }

TEST(CanvasLines, LineToLeavesOutTheEndPixelInEveryDirection) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  canvas.MoveTo(10, 5);
  canvas.LineTo(20, 5);  // rightwards
  canvas.MoveTo(50, 30);
  canvas.LineTo(50, 20);  // upwards
  canvas.MoveTo(60, 60);
  canvas.LineTo(70, 70);  // diagonal
  canvas.EndPaint();
  for (int x = 10; x < 20; ++x) EXPECT_TRUE(Ink(page, x, 5)) << x;
  EXPECT_FALSE(Ink(page, 20, 5));
  EXPECT_FALSE(Ink(page, 9, 5));
  for (int y = 21; y <= 30; ++y) EXPECT_TRUE(Ink(page, 50, y)) << y;
  EXPECT_FALSE(Ink(page, 50, 20));
  for (int i = 60; i < 70; ++i) EXPECT_TRUE(Ink(page, i, i)) << i;
  EXPECT_FALSE(Ink(page, 70, 70));
  EXPECT_EQ(canvas.CurrentPosition(), (Point{70, 70}));
}

TEST(CanvasLines, PolylineDropsOnlyTheFinalPixel) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  const std::array<Point, 3> points{{{10, 10}, {20, 10}, {20, 20}}};
  canvas.Polyline(points);
  canvas.EndPaint();
  EXPECT_TRUE(Ink(page, 20, 10));  // the corner is drawn
  EXPECT_TRUE(Ink(page, 20, 19));
  EXPECT_FALSE(Ink(page, 20, 20));
  EXPECT_EQ(FindInk(page).count, 20);
}

TEST(CanvasLines, CosmeticDashLengthsAreGdis) {
  struct Case {
    int style;
    std::vector<int> pattern;  // on, off, ... in pixels
  };
  const std::vector<Case> cases = {{PS_DASH, {18, 6}},
                                   {PS_DOT, {3, 3}},
                                   {PS_DASHDOT, {9, 6, 3, 6}},
                                   {PS_DASHDOTDOT, {9, 3, 3, 3, 3, 3}}};
  for (const Case& c : cases) {
    QImage page = WhitePage(120, 10);
    Canvas canvas(&page);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetPen({c.style, 1, kBlack});
    canvas.MoveTo(0, 5);
    canvas.LineTo(96, 5);
    canvas.EndPaint();
    const std::vector<int> runs = RowRuns(page, 5, 0, 96);
    ASSERT_GE(runs.size(), c.pattern.size() * 2) << c.style;
    ASSERT_TRUE(Ink(page, 0, 5)) << "pattern starts with a dash, style " << c.style;
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
      EXPECT_EQ(runs[i], c.pattern[i % c.pattern.size()]) << "style " << c.style << " run " << i;
  }
}

TEST(CanvasLines, GapsOfStyledPensFollowTheBackgroundMode) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    QImage page = WhitePage(40, 10);
    page.fill(Qt::blue);
    Canvas canvas(&page);
    canvas.SetBkMode(mode);
    canvas.SetBkColor(kYellow);
    canvas.SetPen({PS_DASH, 0, kBlack});
    canvas.MoveTo(0, 5);
    canvas.LineTo(30, 5);
    canvas.EndPaint();
    EXPECT_EQ(At(page, 5, 5), kBlack);
    EXPECT_EQ(At(page, 20, 5), mode == OPAQUE ? kYellow : kBlue) << mode;  // in the first gap
  }
}

// Strokes draws what one call per segment draws. The segments are every
// pattern of our library tiled as a pattern fill tiles it, at whole and at
// fractional pixel steps, each stroke followed by its end pixel; the pens are
// those of fills, over a clip region that cuts tiles and past the surface.
TEST(CanvasLines, StrokesDrawWhatOneCallPerSegmentDraws) {
  const std::string library = testfiles::BinDir() + "/Zelmorth.Pat";
  const std::vector<unsigned char> bytes = testfiles::ReadAll(library);
  if (bytes.empty()) GTEST_SKIP() << library << " is not built";
  struct Case {
    Pen pen;
    int bkMode;
  };
  const Case cases[] = {{{PS_SOLID, 0, kRed}, OPAQUE},
                        {{PS_DASH, 0, kBlue}, TRANSPARENT},
                        {{PS_DOT, 1, kRed}, OPAQUE},  // gaps in another colour
                        {{PS_NULL, 0, kBlue}, OPAQUE}};
  Region clip = Region::FromRect(10, 0, 120, 90).United(Region::FromRect(0, 60, 50, 130));
  int compared = 0;
  for (std::size_t at = 0; at + 206 <= bytes.size(); at += 206) {
    const int count = std::min<int>(bytes[at] | bytes[at + 1] << 8, 50);
    const int tileW = bytes[at + 2] | bytes[at + 3] << 8, tileH = bytes[at + 4] | bytes[at + 5] << 8;
    if (count == 0 || tileW == 0 || tileH == 0) continue;
    for (double unit : {0.7, 1.92, 3.0}) {
      std::vector<Canvas::Segment> segments;
      for (double row = 140; row > -10; row -= tileH * unit)
        for (double col = -8; col < 130; col += tileW * unit)
          for (int i = 0; i < count; ++i) {
            const auto* s = reinterpret_cast<const signed char*>(&bytes[at + 6 + 4 * i]);
            const Point a{int(std::lround(col + s[0] * unit)), int(std::lround(row - s[1] * unit))};
            const Point b{int(std::lround(col + s[2] * unit)), int(std::lround(row - s[3] * unit))};
            segments.push_back({a, b});
            segments.push_back({b, b});
          }
      for (const Case& c : cases) {
        auto draw = [&](bool batched) {
          QImage page = WhitePage(120, 120);
          page.fill(Qt::green);
          Canvas canvas(&page);
          canvas.SetPen(c.pen);
          canvas.SetBkMode(c.bkMode);
          canvas.SetBkColor(kYellow);
          canvas.SelectClipRgn(&clip);
          if (batched) {
            canvas.Strokes(segments);
          } else {
            for (const Canvas::Segment& s : segments) {
              if (s.from == s.to) {
                canvas.SetPixel(s.from.x, s.from.y, c.pen.color);
              } else {
                canvas.MoveTo(s.from.x, s.from.y);
                canvas.LineTo(s.to.x, s.to.y);
              }
            }
          }
          canvas.EndPaint();
          return page;
        };
        ASSERT_EQ(draw(true), draw(false))
            << "pattern " << at / 206 << ", " << unit << " pixels a unit, pen " << c.pen.style;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 70 * 3 * 4);
}

TEST(CanvasLines, WidePenIsSolidAndCentred) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  canvas.SetPen({PS_DASH, 5, kBlack});
  canvas.MoveTo(10, 50);
  canvas.LineTo(90, 50);
  canvas.EndPaint();
  for (int x = 12; x < 88; ++x) ASSERT_TRUE(Ink(page, x, 50)) << "a wide pen is solid: " << x;
  for (int y = 48; y <= 52; ++y) EXPECT_TRUE(Ink(page, 50, y)) << y;
  EXPECT_FALSE(Ink(page, 50, 46));
  EXPECT_FALSE(Ink(page, 50, 54));
}

TEST(CanvasLines, WhiteMixModePaintsWhiteWhateverThePen) {
  QImage page = WhitePage(50, 50);
  page.fill(Qt::black);
  Canvas canvas(&page);
  canvas.SetPen({PS_SOLID, 0, kRed});
  canvas.SetROP2(R2_WHITE);
  canvas.MoveTo(5, 5);
  canvas.LineTo(40, 5);
  canvas.SetBrush(Solid(kRed));
  canvas.Rectangle(10, 20, 30, 40);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 20, 5), kWhite);
  EXPECT_EQ(At(page, 10, 20), kWhite);  // outline
  EXPECT_EQ(At(page, 20, 30), kWhite);  // interior
  EXPECT_EQ(At(page, 20, 10), kBlack);
}

TEST(CanvasLines, CoordinatesFarOffTheSurfaceAreCutNotLost) {
  QImage page = WhitePage(60, 60);
  Canvas canvas(&page);
  canvas.MoveTo(-1000000000, 30);
  canvas.LineTo(1000000000, 30);
  canvas.MoveTo(20, -2000000000);
  canvas.LineTo(20, 2000000000);
  canvas.EndPaint();
  for (int x = 0; x < 60; ++x) ASSERT_TRUE(Ink(page, x, 30)) << x;
  for (int y = 0; y < 60; ++y) ASSERT_TRUE(Ink(page, 20, y)) << y;
  EXPECT_EQ(FindInk(page).count, 119);
}

TEST(CanvasShapes, RectangleCoversLeftToRightMinusOne) {
  QImage page = WhitePage(40, 40);
  Canvas canvas(&page);
  canvas.SetBrush(Solid(kRed));
  canvas.Rectangle(5, 6, 15, 20);
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.top, 6);
  EXPECT_EQ(box.right, 14);
  EXPECT_EQ(box.bottom, 19);
  EXPECT_EQ(At(page, 5, 10), kBlack);
  EXPECT_EQ(At(page, 14, 10), kBlack);
  EXPECT_EQ(At(page, 10, 19), kBlack);
  EXPECT_EQ(At(page, 10, 10), kRed);
  EXPECT_EQ(box.count, 10 * 14);
}

TEST(CanvasShapes, RectangleWithNullPenAndReversedCorners) {
  QImage page = WhitePage(40, 40);
  Canvas canvas(&page);
  canvas.SetPen({PS_NULL, 0, kBlack});
  canvas.SetBrush(Solid(kRed));
  canvas.Rectangle(15, 20, 5, 6);
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.top, 6);
  EXPECT_EQ(box.right, 13);  // one pixel smaller without a pen
  EXPECT_EQ(box.bottom, 18);
  EXPECT_EQ(box.count, 9 * 13);
  EXPECT_EQ(At(page, 5, 6), kRed);
}

TEST(CanvasShapes, FillRectCoversExactlyAndIgnoresThePen) {
  QImage page = WhitePage(40, 40);
  Canvas canvas(&page);
  canvas.SetPen({PS_SOLID, 3, kBlack});
  canvas.FillRect({3, 4, 13, 9}, Solid(kBlue));
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 12);
  EXPECT_EQ(box.bottom, 8);
  EXPECT_EQ(box.count, 50);
  EXPECT_EQ(At(page, 3, 4), kBlue);
}

TEST(CanvasShapes, EllipseStaysInsideItsBox) {
  QImage page = WhitePage(60, 60);
  Canvas canvas(&page);
  canvas.SetBrush(Solid(kRed));
  canvas.Ellipse(10, 12, 41, 33);
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 12);
  EXPECT_EQ(box.right, 40);
  EXPECT_EQ(box.bottom, 32);
  EXPECT_EQ(At(page, 25, 22), kRed);
  EXPECT_FALSE(Ink(page, 10, 12));  // corners of the box stay clear
  EXPECT_FALSE(Ink(page, 40, 32));
}

// Ink per quadrant of a circle about (cx, cy): right-up, left-up, left-down,
// right-down.
std::array<int, 4> Quadrants(const QImage& page, int cx, int cy) {
  std::array<int, 4> q{};
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      if (!Ink(page, x, y)) continue;
      const int dx = x - cx, dy = y - cy;
      if (std::abs(dx) < 3 || std::abs(dy) < 3) continue;  // ignore the axes
      if (dx > 0 && dy < 0) ++q[0];
      if (dx < 0 && dy < 0) ++q[1];
      if (dx < 0 && dy > 0) ++q[2];
      if (dx > 0 && dy > 0) ++q[3];
    }
  return q;
}

TEST(CanvasShapes, ArcRunsCounterClockwiseFromStartToEnd) {
  // Circle about (40, 40), radius 30.
  struct Case {
    Point start, end;
    std::array<bool, 4> inked;
  };
  const std::vector<Case> cases = {
      {{80, 40}, {40, 0}, {true, false, false, false}},   // right to top
      {{40, 0}, {80, 40}, {false, true, true, true}},     // top to right, the long way
      {{40, 0}, {0, 40}, {false, true, false, false}},    // top to left
      {{40, 80}, {80, 40}, {false, false, false, true}},  // bottom to right
      {{0, 40}, {40, 80}, {false, false, true, false}},   // left to bottom
  };
  for (const Case& c : cases) {
    QImage page = WhitePage(81, 81);
    Canvas canvas(&page);
    canvas.Arc(10, 10, 71, 71, c.start.x, c.start.y, c.end.x, c.end.y);
    canvas.EndPaint();
    const auto q = Quadrants(page, 40, 40);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(q[i] > 0, c.inked[i]) << "start " << c.start.x << "," << c.start.y << " quadrant "
                                      << i;
  }
}

TEST(CanvasShapes, ArcWhosePointsShareADirectionIsTheWholeEllipse) {
  QImage page = WhitePage(81, 81);
  Canvas canvas(&page);
  // Same direction from the centre (rightwards), different distances.
  canvas.Arc(10, 10, 71, 71, 50, 40, 75, 40);
  canvas.EndPaint();
  const auto q = Quadrants(page, 40, 40);
  for (int i = 0; i < 4; ++i) EXPECT_GT(q[i], 0) << i;
  EXPECT_TRUE(Ink(page, 40, 10));
  EXPECT_TRUE(Ink(page, 10, 40));
}

TEST(CanvasShapes, PieIsFilledFromTheCentre) {
  QImage page = WhitePage(81, 81);
  Canvas canvas(&page);
  canvas.SetBrush(Solid(kRed));
  canvas.Pie(10, 10, 71, 71, 80, 40, 40, 0);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 55, 25), kRed);
  EXPECT_FALSE(Ink(page, 25, 55));
  EXPECT_FALSE(Ink(page, 25, 25));
}

TEST(CanvasShapes, PolygonFillModes) {
  // A pentagram: its centre is covered twice by the outline's winding.
  const std::array<Point, 5> star{{{50, 5}, {78, 90}, {5, 37}, {95, 37}, {22, 90}}};
  for (int mode : {ALTERNATE, WINDING}) {
    QImage page = WhitePage();
    Canvas canvas(&page);
    canvas.SetPen({PS_NULL, 0, kBlack});
    canvas.SetBrush(Solid(kRed));
    canvas.SetPolyFillMode(mode);
    canvas.Polygon(star);
    canvas.EndPaint();
    EXPECT_EQ(At(page, 50, 20), kRed) << "a point of the star, mode " << mode;
    EXPECT_EQ(At(page, 50, 50) == kRed, mode == WINDING) << "the centre, mode " << mode;
  }
}

TEST(CanvasShapes, PolyPolygonHolesByFillMode) {
  const std::array<Point, 8> squares{
      {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}}};
  const std::array<int, 2> counts{4, 4};
  for (int mode : {ALTERNATE, WINDING}) {
    QImage page = WhitePage();
    Canvas canvas(&page);
    canvas.SetBrush(Solid(kRed));
    canvas.SetPolyFillMode(mode);
    canvas.PolyPolygon(squares, counts);
    canvas.EndPaint();
    EXPECT_EQ(At(page, 20, 20), kRed);
    EXPECT_EQ(At(page, 50, 50) == kRed, mode == WINDING) << mode;
    EXPECT_EQ(At(page, 30, 50), kBlack) << "inner outline";
  }
}

TEST(CanvasShapes, PolyPolygonRefusesCountsBeyondThePoints) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  const std::array<Point, 3> points{{{10, 10}, {50, 10}, {30, 40}}};
  const std::array<int, 2> counts{3, 1000000};
  canvas.SetBrush(Solid(kRed));
  canvas.PolyPolygon(points, counts);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 30, 20), kRed);  // the first polygon is still drawn
}

TEST(CanvasShapes, HugePolygonFillsTheSurface) {
  QImage page = WhitePage(50, 50);
  Canvas canvas(&page);
  const std::array<Point, 3> points{{{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}}};
  canvas.SetBrush(Solid(kRed));
  canvas.Polygon(points);
  canvas.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 0, 0), kRed);
  EXPECT_EQ(At(page, 49, 49), kRed);
}

TEST(CanvasBrushes, HatchesRepeatEveryEightPixelsFromTheDeviceOrigin) {
  // Each hatch, as a rule telling which pixels of an 8 x 8 cell are inked.
  struct Case {
    int hatch;
    bool (*inked)(int x, int y);
  };
  const std::vector<Case> cases = {
      {HS_HORIZONTAL, [](int, int y) { return y % 8 == 3; }},
      {HS_VERTICAL, [](int x, int) { return x % 8 == 4; }},
      {HS_CROSS, [](int x, int y) { return y % 8 == 3 || x % 8 == 4; }},
  };
  for (const Case& c : cases) {
    QImage page = WhitePage(40, 40);
    Canvas canvas(&page);
    canvas.SetBkMode(TRANSPARENT);
    // Starts off the 8-pixel grid: the hatch must not move with the rectangle.
    canvas.FillRect({5, 6, 37, 38}, Hatch(c.hatch, kBlack));
    canvas.EndPaint();
    for (int y = 6; y < 38; ++y)
      for (int x = 5; x < 37; ++x)
        ASSERT_EQ(Ink(page, x, y), c.inked(x, y)) << "hatch " << c.hatch << " at " << x << "," << y;
  }
}

TEST(CanvasBrushes, DiagonalHatchesLeanTheGdiWay) {
  for (int hatch : {HS_FDIAGONAL, HS_BDIAGONAL, HS_DIAGCROSS}) {
    QImage page = WhitePage(40, 40);
    Canvas canvas(&page);
    canvas.SetBkMode(TRANSPARENT);
    canvas.FillRect({0, 0, 40, 40}, Hatch(hatch, kBlack));
    canvas.EndPaint();
    int down = 0, up = 0, total = 0;  // inked neighbours down-right / up-right
    for (int y = 1; y < 39; ++y)
      for (int x = 0; x < 39; ++x) {
        if (!Ink(page, x, y)) continue;
        ++total;
        down += Ink(page, x + 1, y + 1);
        up += Ink(page, x + 1, y - 1);
      }
    ASSERT_GT(total, 0);
    // Lines one pixel wide, every 8 pixels: about a quarter of the cells.
    EXPECT_LE(total, 38 * 39 / 3) << hatch;
    if (hatch == HS_FDIAGONAL) {
      EXPECT_EQ(down, total);  // "\" : x == y (mod 8), towards bottom right
      EXPECT_EQ(up, 0);
    } else if (hatch == HS_BDIAGONAL) {
      EXPECT_EQ(up, total);  // "/"
      EXPECT_EQ(down, 0);
    } else {
      EXPECT_GT(up, 0);
      EXPECT_GT(down, 0);
    }
  }
}

TEST(CanvasBrushes, HatchGapsFollowTheBackgroundMode) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    QImage page = WhitePage(16, 16);
    page.fill(Qt::blue);
    Canvas canvas(&page);
    canvas.SetBkMode(mode);
    canvas.SetBkColor(kYellow);
    canvas.SetBrush(Hatch(HS_HORIZONTAL, kBlack));
    canvas.SetPen({PS_NULL, 0, kBlack});
    canvas.Rectangle(0, 0, 17, 17);
    canvas.EndPaint();
    EXPECT_EQ(At(page, 5, 3), kBlack);
    EXPECT_EQ(At(page, 5, 5), mode == OPAQUE ? kYellow : kBlue) << mode;
  }
}

TEST(CanvasBrushes, HollowBrushLeavesTheInterior) {
  QImage page = WhitePage(30, 30);
  page.fill(Qt::blue);
  Canvas canvas(&page);
  canvas.SetBrush(Hollow());
  canvas.Rectangle(5, 5, 25, 25);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 5, 5), kBlack);
  EXPECT_EQ(At(page, 15, 15), kBlue);
}

}  // namespace
