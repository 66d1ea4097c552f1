// Lines on the canvas device: ink rules, clipping at the page top, dashes
// and pen widths.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/StyledLine.h"

using namespace devtest;

namespace {

constexpr uint32_t kRedQ = 0xFF0000;  // red as the image stores it
constexpr int32_t kRed = 0x0000FF;     // red as a log colour (0x00BBGGRR)

tfl::Header WithFooter() {
  tfl::Header h = PixelHeader();
  h.footer_height = 1.0;
  h.paged = 1;
  return h;
}

void RedLineAndRedFill(tfl::TflWriter& w) {
  w.write(Color(kRed));
  w.write(PenWidth(4));  // 3 pixels
  w.write(Vec(100, 500, 300, 500));
  tfl::FillRectangleRecord fill{};
  fill.rect = {100, 0.1, 300, 0.5};
  fill.color = kRed;
  fill.section = 3;
  w.write(fill);
}

}  // namespace

TEST(InkRule, PrintInBlackBlackensPensOnPrinterOnlyAndFillsKeepColour) {
  Fixture f;
  const std::string log = f.WriteLog(WithFooter(), RedLineAndRedFill);
  const int fill_row = 1056 - 96 + 20;  // footer top + 0.2 inch
  f.settings.print_in_black = true;
  const QImage printed = f.Render(log, 0, 96, true);
  EXPECT_EQ(Pixel(printed, 200, 500), kBlack);
  EXPECT_EQ(Pixel(printed, 200, fill_row), kRedQ);
  const QImage screen = f.Render(log, 0, 96, false);
  EXPECT_EQ(Pixel(screen, 200, 500), kRedQ);
  f.settings.print_in_black = false;
  const QImage colour_print = f.Render(log, 0, 96, true);
  EXPECT_EQ(Pixel(colour_print, 200, 500), kRedQ);
}

TEST(InkRule, PaleLineThatPrintsWhitePrintsBlack) {
  Fixture f;
  auto line = [](int32_t colour) {
    return [colour](tfl::TflWriter& w) {
      w.write(Color(colour));
      w.write(Vec(100, 500, 300, 500));
    };
  };
  // A printer that cannot print the palest greys.
  auto pale_printer = [](platform::Canvas& c) {
    c.SetNearestColorRule([](platform::COLORREF col) -> platform::COLORREF {
      const bool pale = platform::GetRValue(col) >= 0xF0 && platform::GetGValue(col) >= 0xF0 &&
                        platform::GetBValue(col) >= 0xF0;
      return pale ? platform::kWhite : col;
    });
  };
  const std::string pale = f.WriteLog(PixelHeader(), line(0xF4F4F4));
  EXPECT_EQ(Pixel(f.Render(pale, 0, 96, true, pale_printer), 200, 500), kBlack);
  EXPECT_EQ(Pixel(f.Render(pale, 0, 96, false, pale_printer), 200, 500), 0xF4F4F4u);
  const std::string grey = f.WriteLog(PixelHeader(), line(0x808080));
  EXPECT_EQ(Pixel(f.Render(grey, 0, 96, true, pale_printer), 200, 500), 0x808080u);
}

TEST(Lines, VectorWhollyAbovePageTopDrawsNothingEvenWithAWidePen) {
  Fixture f;
  auto wide_line_at = [&](double y) {
    return f.WriteLog(PixelHeader(), [y](tfl::TflWriter& w) {
      w.write(PenWidth(27));  // 20 pixels: reaches 10 rows beyond its path
      w.write(Vec(100, y, 300, y));
    });
  };
  EXPECT_EQ(InkCount(f.Render(wide_line_at(1005))), 0);  // row -5
  EXPECT_GT(InkCount(f.Render(wide_line_at(995))), 0);   // row 5 draws
}

TEST(Lines, ThinDashesAndDotsFollowThePixelCounter) {
  Fixture f;
  for (uint8_t style : {1, 2}) {
    SCOPED_TRACE(int(style));
    const QImage img = f.Render(f.WriteLog(PixelHeader(), [style](tfl::TflWriter& w) {
      w.write(PenStyle(style));
      w.write(Vec(100, 500, 200, 500));
    }));
    for (int k = 0; k < 100; ++k) {
      const bool on = style == 1 ? (k % 12) <= 6 : (k % 2) == 0;
      EXPECT_EQ(Pixel(img, 100 + k, 500), on ? kBlack : kWhite) << k;
    }
    EXPECT_EQ(Pixel(img, 200, 500), kWhite);  // the end pixel is not drawn
  }
}

TEST(Lines, DashesRunOnRoundPolylineCorners) {
  Fixture f;
  const QImage img = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(PenStyle(1));
    w.write(tfl::PolylineRecord{});
    const tfl::PointRecord pts[] = {{100, 500}, {105, 500}, {105, 400}};
    w.points(pts);
  }));
  // The second segment (downwards in y, upwards on the page from row 500)
  // starts with the counter at 5.
  for (int k = 0; k < 40; ++k)
    EXPECT_EQ(Pixel(img, 105, 500 + k), (5 + k) % 12 <= 6 ? kBlack : kWhite) << k;
}

TEST(Lines, ThreePixelDashIs19OnAnd17Off) {
  EXPECT_EQ(styled_line::Period(3), 36);
  std::vector<int> runs;
  bool state = true;
  int run = 0;
  for (int c = 0; c < 72; ++c) {
    const bool on = styled_line::PixelOn(1, c, styled_line::Period(3));
    if (on != state) {
      runs.push_back(run);
      run = 0;
      state = on;
    }
    ++run;
  }
  runs.push_back(run);
  EXPECT_EQ(runs, (std::vector<int>{19, 17, 19, 17}));

  // On the page: dashes start every 36 pixels and are as long as each other.
  Fixture f;
  const QImage img = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(PenWidth(4));  // 3 pixels
    w.write(PenStyle(1));
    w.write(Vec(100, 500, 400, 500));
  }));
  std::vector<int> starts, lengths;
  for (int x = 90; x < 410; ++x) {
    const bool on = Pixel(img, x, 500) != kWhite;
    const bool before = Pixel(img, x - 1, 500) != kWhite;
    if (on && !before) starts.push_back(x), lengths.push_back(0);
    if (on) ++lengths.back();
  }
  ASSERT_GE(starts.size(), 3u);
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], 36);
  EXPECT_GE(lengths[0], 19);
  EXPECT_LE(lengths[0], 23);
  EXPECT_EQ(lengths[1], lengths[0]);
}

TEST(Lines, PenWidthsZeroAndOneMatchAndFourGivesThree) {
  Fixture f;
  auto with_width = [&](int32_t w) {
    return f.Render(f.WriteLog(PixelHeader(), [w](tfl::TflWriter& wr) {
      wr.write(PenWidth(w));
      wr.write(Vec(100, 500, 300, 500));
    }));
  };
  const QImage zero = with_width(0), one = with_width(1), four = with_width(4);
  EXPECT_EQ(zero, one);
  EXPECT_EQ(InkCount(one, 200, 490, 201, 510), 1);
  EXPECT_EQ(InkCount(four, 200, 490, 201, 510), 3);
}

TEST(StyledLineWalk, WindowSkipsPixelsButKeepsTheirCounterValues) {
  struct P {
    int x, y;
    int64_t c;
    bool operator==(const P&) const = default;
  };
  const styled_line::Window everything{-100000, -100000, 100000, 100000};
  const styled_line::Window small{40, -5, 60, 30};
  for (auto [x0, y0, x1, y1] : std::vector<std::array<int, 4>>{
           {0, 0, 100, 37}, {100, 37, 0, 0}, {3, 90, 17, -60}, {50, 0, 50, 25}, {0, 0, 7, 7}}) {
    std::vector<P> all, part;
    int64_t c_all = 10, c_part = 10;
    styled_line::Walk(x0, y0, x1, y1, everything, c_all,
                      [&](int32_t x, int32_t y, int64_t c) { all.push_back({x, y, c}); });
    styled_line::Walk(x0, y0, x1, y1, small, c_part,
                      [&](int32_t x, int32_t y, int64_t c) { part.push_back({x, y, c}); });
    const int64_t n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    EXPECT_EQ(c_all, 10 + n);
    EXPECT_EQ(c_part, 10 + n);
    ASSERT_EQ(static_cast<int64_t>(all.size()), n);
    EXPECT_EQ(all.front(), (P{x0, y0, 10}));
    std::vector<P> expected;
    for (const P& p : all)
      if (p.x >= small.left && p.x <= small.right && p.y >= small.top && p.y <= small.bottom)
        expected.push_back(p);
    EXPECT_EQ(part, expected);
  }
  // A line of two billion pixels far off the window costs nothing.
  int64_t c = 0;
  int visited = 0;
  styled_line::Walk(-2000000000, 5, 2000000000, 6, small, c,
                    [&](int32_t, int32_t, int64_t) { ++visited; });
  EXPECT_EQ(c, 4000000000LL);
  EXPECT_EQ(visited, 21);
}

TEST(GridsAndFrames, VeryManyStepsDrawTheOnesOnThePage) {
  Fixture f;
  // 200,200 grid rows from y = -1,000,000 up to the page: the page shows the
  // same lines as a grid that starts just below it.
  const QImage long_grid = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(tfl::GridRecord{0, -1e6, 800, 1000, 100, 5});
  }));
  const QImage short_grid = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(tfl::GridRecord{0, -60, 800, 1000, 100, 5});
  }));
  EXPECT_EQ(Pixel(long_grid, 50, 500), kBlack);  // a row at y = 500
  EXPECT_EQ(Pixel(long_grid, 100, 502), kBlack);  // a column at x = 100
  for (int y = 0; y < long_grid.height(); ++y)
    for (int x = 0; x < long_grid.width(); ++x)
      ASSERT_EQ(Pixel(long_grid, x, y), Pixel(short_grid, x, y)) << x << "," << y;

  // A frame a million units tall: 200,000 minor ticks on each side, of which
  // the page shows two hundred. Data value v is at y = v - 999,000 (row
  // 1000 - y); W = 600, so minor ticks are 3 long and major ticks 12.
  tfl::GraphFrameRecord g{};
  g.frame = {100, -999000, 700, 1000};
  g.data_x_end = 600;
  g.data_y_end = 1e6;
  g.x_tick_interval = g.y_tick_interval = 50;
  const QImage frame = f.Render(f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) { w.write(g); }));
  for (int x : {100, 111, 689, 700}) EXPECT_EQ(Pixel(frame, x, 500), kBlack) << x;  // v 999,500
  EXPECT_EQ(Pixel(frame, 112, 500), kWhite);
  for (int x : {100, 102, 698, 700}) EXPECT_EQ(Pixel(frame, x, 495), kBlack) << x;  // v 999,505
  EXPECT_EQ(Pixel(frame, 103, 495), kWhite);
  // Between ticks (the top side's ticks, 0.005 H and 0.02 H long, cross the
  // page every 5 columns).
  EXPECT_EQ(Pixel(frame, 107, 497), kWhite);
  EXPECT_EQ(Pixel(frame, 105, 497), kBlack);
}
