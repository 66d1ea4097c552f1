// Clip regions, pixels, blits, saved states and the geometry helpers of the
// Canvas.
#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "test_canvas_util.h"
#include "platform/Canvas.h"
#include "platform/CanvasGeometry.h"

using namespace platform;
using canvastest::At;
using canvastest::FindInk;
using canvastest::Ink;
using canvastest::WhitePage;

namespace {

constexpr COLORREF kRed = MakeRGB(255, 0, 0);
constexpr COLORREF kGreen = MakeRGB(0, 255, 0);
constexpr COLORREF kBlue = MakeRGB(0, 0, 255);

Brush Solid(COLORREF c) { return Brush{BS_SOLID, c, HS_HORIZONTAL, nullptr}; }

TEST(CanvasClip, IntersectAndSubtractRegions) {
  QImage page = WhitePage(40, 40);
  Canvas canvas(&page);
  const Region outer = Region::FromRect(0, 0, 30, 30).Intersected(Region::FromRect(10, 10, 40, 40));
  const Region clip = outer.Subtracted(Region::FromRect(15, 15, 20, 20));
  canvas.SelectClipRgn(&clip);
  canvas.FillRect({0, 0, 40, 40}, Solid(kRed));
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(box.right, 29);
  EXPECT_EQ(box.bottom, 29);
  EXPECT_EQ(box.count, 20 * 20 - 5 * 5);
  EXPECT_FALSE(Ink(page, 17, 17));
  EXPECT_TRUE(Ink(page, 14, 17));
}

TEST(CanvasClip, NullRegionRemovesTheClipAndEmptyRegionHidesEverything) {
  QImage page = WhitePage(20, 20);
  Canvas canvas(&page);
  const Region empty = Region::FromRect(0, 0, 10, 10).Subtracted(Region::FromRect(0, 0, 10, 10));
  EXPECT_EQ(canvas.SelectClipRgn(&empty), NULLREGION);
  canvas.FillRect({0, 0, 20, 20}, Solid(kRed));
  canvas.MoveTo(0, 5);
  canvas.LineTo(20, 5);
  canvas.TextOut(0, 0, "Hidden");
  EXPECT_EQ(canvas.SetPixel(3, 3, kRed), CLR_INVALID);
  canvas.EndPaint();
  EXPECT_TRUE(FindInk(page).empty());
  canvas.SelectClipRgn(nullptr);
  EXPECT_FALSE(canvas.HasClip());
  canvas.FillRect({0, 0, 20, 20}, Solid(kRed));
  canvas.EndPaint();
  EXPECT_EQ(FindInk(page).count, 400);
}

TEST(CanvasClip, PolygonRegionByFillRule) {
  const std::array<Point, 5> star{{{50, 5}, {78, 90}, {5, 37}, {95, 37}, {22, 90}}};
  EXPECT_FALSE(Region::FromPolygon(star, ALTERNATE).Contains(50, 50));
  EXPECT_TRUE(Region::FromPolygon(star, WINDING).Contains(50, 50));
  EXPECT_TRUE(Region::FromPolygon(star, ALTERNATE).Contains(50, 20));
  // A region cut from a polygon far larger than any page still covers it.
  const std::array<Point, 3> huge{{{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}}};
  const Region big = Region::FromPolygon(huge, WINDING);
  EXPECT_TRUE(big.Contains(0, 0));
  EXPECT_TRUE(big.Contains(5000, 3000));
}

TEST(CanvasClip, CombineReportsTheKind) {
  Region r;
  EXPECT_EQ(r.Combine(Region::FromRect(0, 0, 10, 10), Region::FromRect(5, 5, 15, 15), RGN_AND),
            SIMPLEREGION);
  EXPECT_EQ(r.Box(), (Rect{5, 5, 10, 10}));
  EXPECT_EQ(r.Combine(Region::FromRect(0, 0, 10, 10), Region::FromRect(5, 5, 15, 15), RGN_OR),
            COMPLEXREGION);
  EXPECT_EQ(r.Combine(Region::FromRect(0, 0, 10, 10), Region::FromRect(20, 20, 30, 30), RGN_AND),
            NULLREGION);
  EXPECT_EQ(r.Combine(Region::FromRect(0, 0, 10, 10), Region::FromRect(0, 0, 10, 10), RGN_DIFF),
            NULLREGION);
  EXPECT_EQ(r.Combine(Region(), Region(), 99), REGION_ERROR);
  EXPECT_EQ(Region().Box(), (Rect{}));
}

TEST(CanvasClip, IntersectAndExcludeClipRect) {
  QImage page = WhitePage(40, 40);
  Canvas canvas(&page);
  canvas.IntersectClipRect(5, 5, 25, 25);  // no clip yet: the rectangle itself
  canvas.ExcludeClipRect(10, 10, 15, 15);
  EXPECT_EQ(canvas.GetClipBox(), (Rect{5, 5, 25, 25}));
  canvas.FillRect({0, 0, 40, 40}, Solid(kRed));
  canvas.EndPaint();
  EXPECT_EQ(FindInk(page).count, 400 - 25);
  Canvas fresh(&page);
  EXPECT_EQ(fresh.GetClipBox(), (Rect{0, 0, 40, 40}));
  fresh.ExcludeClipRect(0, 0, 20, 40);  // no clip yet: the surface minus it
  EXPECT_EQ(fresh.GetClipBox(), (Rect{20, 0, 40, 40}));
}

TEST(CanvasPixels, SetAndGetPixelRespectSurfaceAndClip) {
  QImage page = WhitePage(10, 10);
  Canvas canvas(&page);
  EXPECT_EQ(canvas.SetPixel(2, 3, kRed), kRed);
  EXPECT_EQ(canvas.GetPixel(2, 3), kRed);
  EXPECT_EQ(canvas.GetPixel(3, 3), kWhite);
  EXPECT_EQ(canvas.SetPixel(-1, 3, kRed), CLR_INVALID);
  EXPECT_EQ(canvas.SetPixel(10, 3, kRed), CLR_INVALID);
  EXPECT_EQ(canvas.GetPixel(3, 10), CLR_INVALID);
  canvas.IntersectClipRect(0, 0, 5, 5);
  EXPECT_EQ(canvas.SetPixel(7, 7, kRed), CLR_INVALID);
  EXPECT_EQ(canvas.GetPixel(7, 7), CLR_INVALID);
  EXPECT_EQ(canvas.GetPixel(2, 3), kRed);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 7, 7), kWhite);
  EXPECT_EQ(FindInk(page).count, 1);
}

TEST(CanvasColours, NearestColourOnlyAppliesThePrinterRuleOnPrinters) {
  QImage page = WhitePage(4, 4);
  Canvas canvas(&page);
  const COLORREF pale = MakeRGB(250, 250, 245);
  canvas.SetNearestColorRule([](COLORREF c) {
    return GetRValue(c) > 240 && GetGValue(c) > 240 && GetBValue(c) > 240 ? kWhite : c;
  });
  EXPECT_EQ(canvas.NearestColor(pale), pale);  // a screen shows it as it is
  canvas.SetIsPrinter(true);
  EXPECT_EQ(canvas.NearestColor(pale), kWhite);
  EXPECT_EQ(canvas.NearestColor(kRed), kRed);
  EXPECT_EQ(ColorRefFromQRgb(QRgbFromColorRef(MakeRGB(1, 2, 3))), MakeRGB(1, 2, 3));
  EXPECT_EQ(GetRValue(MakeRGB(1, 2, 3)), 1);
  EXPECT_EQ(GetBValue(MakeRGB(1, 2, 3)), 3);
}

TEST(CanvasState, SaveAndRestoreBringBackPenBrushAndClip) {
  QImage page = WhitePage(30, 30);
  Canvas canvas(&page);
  canvas.SetPen({PS_SOLID, 0, kRed});
  const int level = canvas.SaveDC();
  EXPECT_EQ(level, 1);
  canvas.SetPen({PS_DASH, 0, kBlue});
  canvas.IntersectClipRect(0, 0, 1, 1);
  canvas.SaveDC();
  canvas.SetTextAlign(TA_RIGHT);
  EXPECT_TRUE(canvas.RestoreDC(level));  // drops both levels
  EXPECT_FALSE(canvas.RestoreDC(-1));
  EXPECT_EQ(canvas.GetPen().color, kRed);
  EXPECT_FALSE(canvas.HasClip());
  EXPECT_EQ(canvas.GetTextAlign(), 0u);
  canvas.MoveTo(0, 10);
  canvas.LineTo(30, 10);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 20, 10), kRed);
  EXPECT_FALSE(canvas.RestoreDC(0));
  EXPECT_FALSE(canvas.RestoreDC(5));
}

QImage Checker2x2() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, QRgbFromColorRef(kRed));
  image.setPixel(1, 0, QRgbFromColorRef(kGreen));
  image.setPixel(0, 1, QRgbFromColorRef(kBlue));
  image.setPixel(1, 1, QRgbFromColorRef(kBlack));
  return image;
}

TEST(CanvasBitmaps, StretchTakesTheNearestSourcePixel) {
  QImage page = WhitePage(20, 20);
  Canvas canvas(&page);
  canvas.StretchDIBits(4, 6, 8, 8, 0, 0, 2, 2, Checker2x2());
  canvas.EndPaint();
  const auto box = FindInk(page);
  EXPECT_EQ(box.left, 4);
  EXPECT_EQ(box.top, 6);
  EXPECT_EQ(box.right, 11);
  EXPECT_EQ(box.bottom, 13);
  for (int y = 6; y < 14; ++y)
    for (int x = 4; x < 12; ++x) {
      const COLORREF want = y < 10 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kBlue : kBlack);
      ASSERT_EQ(At(page, x, y), want) << x << "," << y;
    }
}

TEST(CanvasBitmaps, NegativeWidthMirrorsAndBitBltCopiesPart) {
  QImage page = WhitePage(20, 20);
  Canvas canvas(&page);
  canvas.StretchBlt(10, 0, -4, 4, Checker2x2(), 0, 0, 2, 2);  // covers x 6..9
  canvas.BitBlt(0, 10, 1, 2, Checker2x2(), 1, 0);               // right column only
  canvas.EndPaint();
  EXPECT_EQ(At(page, 6, 0), kGreen);
  EXPECT_EQ(At(page, 9, 0), kRed);
  EXPECT_EQ(At(page, 9, 3), kBlue);
  EXPECT_EQ(At(page, 0, 10), kGreen);
  EXPECT_EQ(At(page, 0, 11), kBlack);
  EXPECT_EQ(At(page, 1, 10), kWhite);
}

TEST(CanvasBitmaps, OffScreenBitmapAndHugeDestinations) {
  QImage bitmap = Canvas::CreateCompatibleBitmap(6, 4);
  ASSERT_FALSE(bitmap.isNull());
  EXPECT_EQ(bitmap.width(), 6);
  EXPECT_EQ(ColorRefFromQRgb(bitmap.pixel(5, 3)), kBlack);
  {
    Canvas off(&bitmap);
    off.FillRect({0, 0, 3, 4}, Solid(kRed));
  }
  QImage page = WhitePage(20, 20);
  Canvas canvas(&page);
  canvas.BitBlt(2, 2, 6, 4, bitmap, 0, 0);
  // A destination far larger than the page: only the visible part is drawn.
  // Source column 3 (black) begins at x = 10 on the page.
  canvas.StretchBlt(-999999990, 15, 2000000000, 5, bitmap, 0, 0, 6, 4);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 2, 2), kRed);
  EXPECT_EQ(At(page, 7, 5), kBlack);
  EXPECT_EQ(At(page, 0, 17), kRed);
  EXPECT_EQ(At(page, 19, 17), kBlack);
  EXPECT_TRUE(Canvas::CreateCompatibleBitmap(0, 5).isNull());
  EXPECT_TRUE(Canvas::CreateCompatibleBitmap(100000, 100000).isNull());
  EXPECT_TRUE(Canvas::CreateCompatibleBitmap(-3, 5).isNull());
}

TEST(CanvasGeometry, ClipSegmentKeepsTheVisiblePart) {
  const QRectF box(0, 0, 100, 50);
  double x0 = -100, y0 = 25, x1 = 300, y1 = 25;
  ASSERT_TRUE(geometry::ClipSegment(x0, y0, x1, y1, box));
  EXPECT_DOUBLE_EQ(x0, 0);
  EXPECT_DOUBLE_EQ(x1, 100);
  EXPECT_DOUBLE_EQ(y0, 25);
  double a = -10, b = -10, c = -5, d = 60;  // passes left of the box
  EXPECT_FALSE(geometry::ClipSegment(a, b, c, d, box));
  double p = 10, q = 10, r = 20, s = 20;  // wholly inside: unchanged
  ASSERT_TRUE(geometry::ClipSegment(p, q, r, s, box));
  EXPECT_EQ(p, 10);
  EXPECT_EQ(s, 20);
}

TEST(CanvasGeometry, ArcAnglesCountCounterClockwiseOnScreen) {
  EXPECT_NEAR(geometry::ArcAngle(0, 0, 10, 10, 10, 0), 0.0, 1e-9);
  EXPECT_NEAR(geometry::ArcAngle(0, 0, 10, 10, 0, -10), 90.0, 1e-9);  // up the screen
  EXPECT_NEAR(geometry::ArcAngle(0, 0, 10, 10, -10, 0), 180.0, 1e-9);
  EXPECT_NEAR(geometry::ArcAngle(0, 0, 10, 10, 0, 10), 270.0, 1e-9);
  // On an ellipse twice as wide as high, the direction (1, -1) meets it
  // where (20 cos t, 10 sin t) is parallel to (1, 1): tan t = 2.
  EXPECT_NEAR(geometry::ArcAngle(0, 0, 20, 10, 10, -10), 63.43494882, 1e-6);
  EXPECT_DOUBLE_EQ(geometry::ArcSweep(350, 10), 20.0);
  EXPECT_DOUBLE_EQ(geometry::ArcSweep(10, 350), 340.0);
  EXPECT_DOUBLE_EQ(geometry::ArcSweep(30, 30), 360.0);
  EXPECT_TRUE(geometry::SameDirection(2, 0, 5, 0));
  EXPECT_FALSE(geometry::SameDirection(2, 0, -5, 0));
  EXPECT_FALSE(geometry::SameDirection(2, 1, 4, 3));
  EXPECT_TRUE(geometry::SameDirection(4000000000LL, 2, 8000000000LL, 4));
}

TEST(CanvasGeometry, JustificationSharesTheExtraWithTheFirstBreaksTakingTheRest) {
  struct Case {
    int extra, breaks;
    std::vector<int> want;
  };
  const std::vector<Case> cases = {{-20, 4, {-5, -5, -5, -5}},
                                   {-21, 4, {-6, -5, -5, -5}},
                                   {-23, 4, {-6, -6, -6, -5}},
                                   {7, 3, {3, 2, 2}},
                                   {2, 5, {1, 1, 0, 0, 0}}};
  for (const Case& c : cases) {
    std::vector<int> got;
    for (int i = 0; i < c.breaks; ++i) got.push_back(geometry::BreakExtra(c.extra, c.breaks, i));
    EXPECT_EQ(got, c.want) << c.extra << "/" << c.breaks;
    EXPECT_EQ(std::accumulate(got.begin(), got.end(), 0), c.extra);
  }
  EXPECT_EQ(geometry::BreakExtra(-20, 4, 4), 0);  // breaks beyond the count get nothing
  EXPECT_EQ(geometry::BreakExtra(-20, 0, 0), 0);
}

TEST(CanvasGeometry, PolygonCutKeepsTheAreaInsideTheBox) {
  const QRectF box(0, 0, 10, 10);
  const QPolygonF big({QPointF(-100, -100), QPointF(100, -100), QPointF(100, 100), QPointF(-100, 100)});
  const QPolygonF cut = geometry::ClipPolygon(big, box);
  ASSERT_GE(cut.size(), 4);
  EXPECT_TRUE(geometry::InsideBox(cut, box));
  EXPECT_TRUE(cut.containsPoint(QPointF(5, 5), Qt::OddEvenFill));
  const QPolygonF away({QPointF(20, 20), QPointF(30, 20), QPointF(30, 30)});
  EXPECT_TRUE(geometry::ClipPolygon(away, box).isEmpty());
}

}  // namespace
