// Values a damaged or hostile log can carry: every one that cannot be drawn
// raises "Range check error", which ends the page and keeps what was drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DeviceTestSupport.h"
#include "devices/DeviceMath.h"
#include "support/Settings.h"

using namespace devtest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A log that draws a line at row 100, then the bad record, then a line at
// row 700 that must not be drawn.
std::string Sandwich(Fixture& f, const std::function<void(tfl::TflWriter&)>& bad,
                     tfl::Header h = PixelHeader()) {
  return f.WriteLog(h, [&](tfl::TflWriter& w) {
    w.write(Vec(100, 900, 300, 900));
    bad(w);
    w.write(Vec(100, 300, 300, 300));
  });
}

void ExpectRangeErrorEndsPage(Fixture& f, const std::string& log, int dpi = 96) {
  std::string error;
  const QImage img = f.RenderKeepingError(log, error, 0, dpi);
  EXPECT_EQ(error, "Range check error");
  ASSERT_FALSE(img.isNull());
  const double s = dpi / 96.0;
  EXPECT_NE(Pixel(img, static_cast<int>(200 * s), static_cast<int>(100 * s)), kWhite);
  EXPECT_EQ(InkCount(img, 0, static_cast<int>(600 * s), img.width(), static_cast<int>(800 * s)), 0);
}

std::vector<tfl::PointRecord> Rows3() { return {{100, 500}, {200, 500}, {200, 450}}; }

}  // namespace

TEST(Hostile, CoordinatesThatAreNotNumbersOrTooLarge) {
  Fixture f;
  for (const auto& v : {Vec(kNaN, 500, 10, 500), Vec(10, kInf, 10, 500), Vec(1e300, 500, 10, 500),
                        Vec(10, -1e12, 10, 500), Vec(3e9, 500, 10, 500)}) {
    SCOPED_TRACE(v.x1);
    ExpectRangeErrorEndsPage(f, Sandwich(f, [v](tfl::TflWriter& w) { w.write(v); }));
  }
  // Section rows too.
  ExpectRangeErrorEndsPage(f, Sandwich(f, [](tfl::TflWriter& w) {
    tfl::SectionLineRecord s{};
    s.line = {10, kNaN, 20, 0.5};
    s.section = 1;
    w.write(s);
  }));
}

TEST(Hostile, PenWidthsBeyondTheLimit) {
  Fixture f;
  for (int32_t width : {std::numeric_limits<int32_t>::max(), 50000}) {
    SCOPED_TRACE(width);
    ExpectRangeErrorEndsPage(f, Sandwich(f, [width](tfl::TflWriter& w) { w.write(PenWidth(width)); }));
  }
  tfl::StyledPolylineRecord sp{};
  sp.pen_width = 1 << 30;
  ExpectRangeErrorEndsPage(f, Sandwich(f, [sp](tfl::TflWriter& w) {
    w.write(sp);
    const tfl::VectorRecord v[] = {Vec(10, 500, 20, 500)};
    w.vectors(v);
  }));
}

TEST(Hostile, PatternScalesThatAreNotNumbersOrHuge) {
  Fixture f;
  f.SetPatterns({PatternDef{10, 10, {{0, 0, 9, 9}}}});
  for (double scale : {kNaN, kInf, 1e300}) {
    SCOPED_TRACE(scale);
    ExpectRangeErrorEndsPage(f, Sandwich(f, [scale](tfl::TflWriter& w) {
      tfl::PatternRecord p{};
      p.rect = {100, 400, 300, 600};
      p.x_scale = scale;
      p.y_scale = 1;
      w.write(p);
    }));
  }
  // A tile of zero size cannot be stepped over: the fill is skipped, the
  // page goes on.
  f.SetPatterns({PatternDef{0, 0, {{0, 0, 9, 9}}}});
  std::string error;
  const QImage img = f.RenderKeepingError(Sandwich(f, [](tfl::TflWriter& w) {
    tfl::PatternRecord p{};
    p.rect = {100, 400, 300, 600};
    p.x_scale = p.y_scale = 1;
    w.write(p);
  }), error);
  EXPECT_EQ(error, "");
  EXPECT_NE(Pixel(img, 200, 700), kWhite);
}

TEST(Hostile, ScalesOfTheHeader) {
  Fixture f;
  for (double units : {0.0, kNaN, 1e-300}) {
    SCOPED_TRACE(units);
    tfl::Header h = PixelHeader();
    h.y_units_per_inch = units;
    std::string error;
    f.RenderKeepingError(f.WriteLog(h, {}), error);
    EXPECT_EQ(error, "Range check error");
  }
}

TEST(Hostile, NegativeColoursWhereAColourIsMade) {
  Fixture f;
  tfl::FillRectangleRecord fill{};
  fill.rect = {100, 0.1, 300, 0.2};
  fill.color = -1;
  fill.section = 1;
  tfl::BrushRectangleRecord brush{};
  brush.rect = {100, 400, 300, 500};
  brush.color = -2;
  tfl::ColorPatternRecord pattern{};
  pattern.rect = {100, 400, 300, 500};
  pattern.x_scale = pattern.y_scale = 1;
  pattern.background = -3;
  tfl::ColorPolygonRecord polygon{};
  polygon.color = -4;
  const std::vector<std::function<void(tfl::TflWriter&)>> cases = {
      [&](tfl::TflWriter& w) { w.write(fill); },
      [&](tfl::TflWriter& w) { w.write(brush); },
      [&](tfl::TflWriter& w) { w.write(pattern); },
      [&](tfl::TflWriter& w) {
        w.write(polygon);
        w.points(Rows3());
      },
      [&](tfl::TflWriter& w) {
        w.write(Color(-5));  // the brush colour of the next polygon fill
        w.write(tfl::PolyfillRecord{});
        w.points(Rows3());
        w.write(Color(0));
      },
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectRangeErrorEndsPage(f, Sandwich(f, cases[i]));
  }
}

TEST(Hostile, CheckedArithmetic) {
  using namespace device_math;
  EXPECT_EQ(RoundChecked(2.5), 2);
  EXPECT_EQ(RoundChecked(3.5), 4);
  EXPECT_EQ(RoundChecked(-2.5), -2);
  EXPECT_EQ(RoundChecked(2147483647.0), 2147483647);
  EXPECT_THROW(RoundChecked(2147483647.6), RangeError);
  EXPECT_THROW(RoundChecked(kNaN), RangeError);
  EXPECT_THROW(TruncChecked(-kInf), RangeError);
  EXPECT_EQ(TruncChecked(-2147483648.9), -2147483647 - 1);
  EXPECT_EQ(MulDiv(1, 72, 96), 1);   // 0.75 rounds up
  EXPECT_EQ(MulDiv(3, 1, 2), 2);     // halves away from zero
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 7, 0), -1);
  EXPECT_EQ(MulDiv(1 << 30, 8, 1), -1);
}
