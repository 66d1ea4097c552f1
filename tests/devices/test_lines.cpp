// Lines on the canvas device: ink rules, clipping at the page top, dashes
// and pen widths, arcs and sectors, vertical lines, rectangles and styled
// polylines.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

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

// Inked pixels of an image as (column, row).
std::vector<std::pair<int, int>> Inked(const QImage& img) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (Pixel(img, x, y) != kWhite) out.push_back({x, y});
  return out;
}

// Azimuth (degrees clockwise from up the page, 0 to 360) of pixel (x, r)
// seen from pixel centre (cx, cr).
double AzimuthOf(double x, double r, double cx, double cr) {
  const double a = std::atan2(x - cx, cr - r) * 180 / std::numbers::pi;
  return a < 0 ? a + 360 : a;
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

// Azimuths count clockwise from up the page; the arc covers the azimuths
// from the smaller to the larger of its two.
TEST(Arcs, ArcsRunClockwiseFromTheSmallerAzimuthAndSectorsAddTheirRadii) {
  Fixture f;
  auto render = [&](auto record) {
    return f.Render(f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) { w.write(record); }));
  };
  // Centre column 400, row 500, radius 100: the box is columns 300 to 499
  // and rows 400 to 599 (the canvas arc's pixel centre is 399.5, 499.5).
  const double cx = 399.5, cr = 499.5;
  auto azimuths = [&](const QImage& img) {
    std::vector<double> out;
    for (auto [x, r] : Inked(img)) {
      EXPECT_NEAR(std::hypot(x - cx, r - cr), 99.5, 1.0) << x << "," << r;
      out.push_back(AzimuthOf(x, r, cx, cr));
    }
    return out;
  };
  const QImage narrow = render(tfl::ArcRecord{400, 500, 100, 10, 40});
  const std::vector<double> a = azimuths(narrow);
  ASSERT_FALSE(a.empty());
  EXPECT_NEAR(*std::min_element(a.begin(), a.end()), 10, 1.0);
  EXPECT_NEAR(*std::max_element(a.begin(), a.end()), 40, 1.0);
  for (double from : {10, 20, 30})  // no gap along the way
    EXPECT_TRUE(std::any_of(a.begin(), a.end(), [&](double v) { return v >= from && v < from + 10; }))
        << from;
  EXPECT_EQ(render(tfl::ArcRecord{400, 500, 100, 40, 10}), narrow);  // the order does not matter

  // 350 and 10 are 10 to 350: the long way round, leaving out the top.
  const std::vector<double> wide = azimuths(render(tfl::ArcRecord{400, 500, 100, 350, 10}));
  for (double v : wide) EXPECT_TRUE(v >= 9 && v <= 351) << v;
  for (double from : {10, 90, 180, 270, 340})
    EXPECT_TRUE(std::any_of(wide.begin(), wide.end(), [&](double v) { return v >= from && v < from + 10; }))
        << from;

  // 0 and 360 meet: the whole circle, exactly in its box.
  const QImage circle = render(tfl::ArcRecord{400, 500, 100, 0, 360});
  EXPECT_EQ(InkCount(circle), InkCount(circle, 300, 400, 500, 600));
  for (auto [x, r] : {std::pair{399, 400}, {399, 599}, {300, 499}, {499, 499}})
    EXPECT_EQ(Pixel(circle, x, r), kBlack) << x << "," << r;

  // A sector is its arc and the two radii to its ends, not filled.
  const QImage sector = render(tfl::SectorRecord{400, 500, 100, 10, 40});
  for (double az : {10.0, 40.0})
    for (double d : {20.0, 50.0, 80.0}) {
      const double rad = az * std::numbers::pi / 180;
      const int x = int(std::lround(400 + d * std::sin(rad)));
      const int r = int(std::lround(500 - d * std::cos(rad)));
      EXPECT_GT(InkCount(sector, x - 1, r - 1, x + 2, r + 2), 0) << az << " at " << d;
    }
  // Nothing but the arc and the radii: no fill, nothing on the other side.
  for (auto [x, r] : Inked(sector)) {
    if (Pixel(narrow, x, r) != kWhite || std::hypot(x - 400, r - 500) < 10) continue;
    const double az = AzimuthOf(x, r, 400, 500);
    EXPECT_TRUE(az >= 4 && az <= 46) << x << "," << r;  // a pixel off, near the centre
  }
  EXPECT_EQ(Pixel(sector, 420, 457), kWhite);  // inside, at 25 degrees
}

// A vertical line runs from the bottom of the page's header (or the page
// top) to the footer's top (or the end of the log), end excluded, and is not
// clipped to the body.
TEST(VerticalLines, RunFromTheHeaderBottomToTheFooterTopUnclipped) {
  Fixture f;
  struct Run {
    int first = -1, last = -1, count = 0;
  };
  auto run_at = [](const QImage& img, int x) {
    Run run;
    for (int r = 0; r < img.height(); ++r) {
      if (Pixel(img, x, r) == kWhite) continue;
      if (run.first < 0) run.first = r;
      run.last = r;
      ++run.count;
    }
    return run;
  };
  auto check = [&](const QImage& img, int first, int last) {
    const Run run = run_at(img, 300);
    EXPECT_EQ(run.first, first);
    EXPECT_EQ(run.last, last);
    EXPECT_EQ(run.count, last - first + 1);  // unbroken
    EXPECT_EQ(InkCount(img), run.count);     // one pixel wide
  };
  auto line = [](tfl::TflWriter& w) { w.write(tfl::VerticalLineRecord{300}); };

  // Paged, one-inch headers and footer, a gap of 12 rows: the body clip is
  // rows 0 to 947 on page 1 and 108 to 947 on page 2; the line reaches over
  // it into the gaps, from row 96 to the footer at row 960.
  tfl::Header paged = PixelHeader();
  paged.paged = 1;
  paged.y_max = 3000;
  paged.first_header_height = paged.repeat_header_height = paged.footer_height = 1.0;
  paged.section_gap = 0.125;
  const std::string paged_log = f.WriteLog(paged, line);
  for (int page : {0, 1}) {
    SCOPED_TRACE(page);
    check(f.Render(paged_log, page), 96, 959);
  }

  // Not paged, no footer: later pages run from the page top to where the log
  // ends (row 1500 - 1056 on page 2).
  tfl::Header unpaged = PixelHeader();
  unpaged.y_max = 1500;
  unpaged.first_header_height = 1.0;
  const std::string unpaged_log = f.WriteLog(unpaged, line);
  check(f.Render(unpaged_log, 1), 0, 96 + 1500 - 1056 - 1);
  check(f.Render(unpaged_log, 0), 96, 1055);
  // With a footer, the last page's line runs on to the footer, a header gap
  // (24 rows) below the end of the log.
  unpaged.footer_height = 0.5;
  const std::string footed_log = f.WriteLog(unpaged, line);
  ASSERT_EQ(f.Open(footed_log)->pages(96).last_page(), 1);
  const QImage last = f.Render(footed_log, 1);
  check(last, 0, 96 + 1500 - 1056 + 24 - 1);
}

// A styled polyline's vector is left out when its second end lies above the
// page or its first end below it, whichever way it runs; the dash counter
// runs on over the vectors drawn, from 0 in each polyline.
TEST(StyledPolylines, VectorsAreSkippedByTheirOwnEndsAndDashesRunOnOverTheRest) {
  Fixture f;
  // A vertical vector at column x from row r1 to row r2 (y = 1000 - row).
  auto down = [](double x, double r1, double r2) { return Vec(x, 1000 - r1, x, 1000 - r2); };
  auto run = [](const QImage& img, int x) {  // first and last inked row
    int first = -1, last = -1;
    for (int r = 0; r < img.height(); ++r)
      if (Pixel(img, x, r) != kWhite) last = r, first = first < 0 ? r : first;
    return std::pair{first, last};
  };
  const QImage img = f.Render(f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(tfl::StyledPolylineRecord{1, kRed, 0});
    const tfl::VectorRecord solid[] = {
        down(100, 500, -10),    // second end above the page: skipped
        down(120, -10, 500),    // first end above: drawn from the top
        down(140, 1060, 500),   // first end below the page (1056 rows): skipped
        down(160, 500, 1060),   // second end below: drawn
        down(180, 300, 0),      // ends on row 0
        down(200, 1056, 700)};  // starts on the last row but one
    w.vectors(solid);
    w.write(tfl::StyledPolylineRecord{1, 0, 1});  // dashes: 7 on, 5 off
    const tfl::VectorRecord after_skip[] = {down(220, 500, -3), down(240, 600, 640)};
    w.vectors(after_skip);
    w.write(tfl::StyledPolylineRecord{1, 0, 1});
    const tfl::VectorRecord after_five[] = {down(260, 600, 605), down(280, 600, 640)};
    w.vectors(after_five);
    w.write(tfl::StyledPolylineRecord{4, 0, 0});  // 4 is three pixels wide
    const tfl::VectorRecord wide[] = {down(300, 600, 700)};
    w.vectors(wide);
  }));
  EXPECT_EQ(run(img, 100), std::pair(-1, -1));
  EXPECT_EQ(run(img, 120), std::pair(0, 499));
  EXPECT_EQ(run(img, 140), std::pair(-1, -1));
  EXPECT_EQ(run(img, 160), std::pair(500, 1055));
  EXPECT_EQ(run(img, 180), std::pair(1, 300));
  EXPECT_EQ(run(img, 200), std::pair(701, 1055));
  EXPECT_EQ(Pixel(img, 160, 700), kRedQ);
  EXPECT_EQ(run(img, 220), std::pair(-1, -1));
  for (int k = 0; k < 40; ++k) {
    EXPECT_EQ(Pixel(img, 240, 600 + k), k % 12 <= 6 ? kBlack : kWhite) << k;
    EXPECT_EQ(Pixel(img, 280, 600 + k), (k + 5) % 12 <= 6 ? kBlack : kWhite) << k;
  }
  EXPECT_EQ(InkCount(img, 295, 650, 306, 651), 3);
}
