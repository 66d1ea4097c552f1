// Pattern fills, polygon fills, curve shading and symbols on the canvas
// device.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "platform/MessageBox.h"

using namespace devtest;

namespace {

tfl::PatternRecord Pattern(double x1, double y1, double x2, double y2, int32_t n, double scale,
                           uint8_t outline) {
  tfl::PatternRecord p{};
  p.rect = {x1, y1, x2, y2};
  p.pattern = n;
  p.x_scale = p.y_scale = scale;
  p.outline = outline;
  return p;
}

tfl::ColorPatternRecord ColorPattern(int32_t n, int32_t background, int32_t line) {
  tfl::ColorPatternRecord p{};
  p.rect = {100, 400, 300, 600};
  p.pattern = n;
  p.x_scale = p.y_scale = 1;
  p.line_width = 1;
  p.background = background;
  p.pattern_color = line;
  p.outline = 1;
  return p;
}

// Points given as (column, row) pixels of the pixel header.
std::vector<tfl::PointRecord> Rows(std::initializer_list<std::pair<double, double>> pts) {
  std::vector<tfl::PointRecord> out;
  for (auto [x, r] : pts) out.push_back({x, 1000 - r});
  return out;
}

}  // namespace

TEST(PatternFill, NumberAbove250DrawsOnlyTheOutlineOrNothing) {
  Fixture f;
  const QImage plain = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Pattern(100, 400, 300, 600, 251, 1, 1));
  }));
  EXPECT_EQ(Pixel(plain, 200, 400), kBlack);  // top edge (y 600)
  EXPECT_EQ(Pixel(plain, 100, 500), kBlack);  // left edge
  EXPECT_EQ(InkCount(plain, 102, 402, 298, 598), 0);
  const QImage coloured = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(ColorPattern(251, 0x00FF00, 0x0000FF));
  }));
  EXPECT_EQ(InkCount(coloured), 0);
}

TEST(PatternFill, LibraryFailuresAreShownOncePerPageAndNameTheMissingFile) {
  Fixture f;  // a library of one pattern
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    for (int i = 0; i < 3; ++i) w.write(Pattern(100, 100 + 50 * i, 200, 140 + 50 * i, 5, 1, 0));
  });
  auto count_1037 = [] {
    int n = 0;
    for (const auto& box : platform::ShownBoxes())
      n += box.text.find("Pattern = 5") != std::string::npos;
    return n;
  };
  platform::ClearShownBoxes();
  f.Render(log);
  EXPECT_EQ(count_1037(), 1);  // three fills, one box

  f.pattern_path = f.dir.file("gone.pat");
  platform::ClearShownBoxes();
  std::string error;
  f.RenderKeepingError(log, error);
  EXPECT_NE(error.find(f.pattern_path), std::string::npos) << error;
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);  // 1034, when the device was made
  EXPECT_NE(platform::ShownBoxes()[0].text.find("File Name = " + f.pattern_path), std::string::npos);
}

TEST(PatternFill, DenseFillsAreDrawnWholeAndTooFineOnesAreReportedOncePerPage) {
  Fixture f;
  PatternDef dense{10, 10, {}};
  for (int i = 0; i < 50; ++i)
    dense.strokes.push_back({int8_t(i % 10), int8_t(i / 5), int8_t(i % 10), int8_t(i / 5 + 1)});
  f.SetPatterns({dense});
  // Scale 0.5: tiles of 9.6 pixels, about 5,400 of them in view with 50
  // strokes each. Every tile-sized block of the rectangle shows the pattern.
  platform::ClearShownBoxes();
  const QImage page = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Pattern(100, 100, 700, 900, 0, 0.5, 0));
  }));
  for (int y = 100; y < 890; y += 10)
    for (int x = 100; x < 690; x += 10) ASSERT_GT(InkCount(page, x, y, x + 10, y + 10), 0) << x << "," << y;
  EXPECT_EQ(InkCount(page), InkCount(page, 100, 100, 700, 901));
  EXPECT_TRUE(platform::ShownBoxes().empty());

  // Scale 0.005: tiles a tenth of a pixel, millions of them. Both fills keep
  // their outlines, the page goes on, and it says once what was left out.
  const QImage fine = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Pattern(100, 100, 300, 300, 0, 0.005, 1));
    w.write(Pattern(400, 100, 600, 300, 0, 0.005, 1));
    w.write(Vec(0, 950, 800, 950));
  }));
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  EXPECT_NE(platform::ShownBoxes()[0].text.find("Pattern 0 "), std::string::npos);
  EXPECT_EQ(InkCount(fine, 102, 702, 298, 898), 0);
  EXPECT_EQ(Pixel(fine, 200, 700), kBlack);  // outline
  EXPECT_EQ(Pixel(fine, 500, 900), kBlack);
  EXPECT_EQ(Pixel(fine, 400, 50), kBlack);  // drawn after them
}

TEST(PatternFill, FillCutAtBodyTopKeepsItsTilesInPlace) {
  Fixture f;
  f.SetPatterns({PatternDef{10, 7, {{0, 0, 9, 6}, {2, 5, 2, 5}}}});
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.y_max = 3000;
  h.first_header_height = 1;
  h.repeat_header_height = 1;
  // Find the body coordinates of rows on page 2.
  auto probe = f.Probe(f.WriteLog(h, {}), 1);
  ASSERT_EQ(probe->body_clip_top, 96);
  const double base = probe->body_origin_y - 1056;  // y of row 0 is base
  auto y_of = [&](int r) { return base - r; };
  const std::string reaching = f.WriteLog(h, [&](tfl::TflWriter& w) {
    w.write(Pattern(100, y_of(300), 400, y_of(40), 0, 1, 0));
  });
  const std::string inside = f.WriteLog(h, [&](tfl::TflWriter& w) {
    w.write(Pattern(100, y_of(300), 400, y_of(150), 0, 1, 0));
  });
  const QImage cut = f.Render(reaching, 1);
  const QImage ref = f.Render(inside, 1);
  EXPECT_EQ(InkCount(cut, 0, 0, 816, 96), 0);  // nothing above the body
  EXPECT_GT(InkCount(cut, 0, 96, 816, 150), 0);
  EXPECT_GT(InkCount(ref, 0, 151, 816, 300), 0);
  for (int r = 151; r < 300; ++r)
    for (int x = 95; x < 405; ++x) ASSERT_EQ(Pixel(cut, x, r), Pixel(ref, x, r)) << x << "," << r;
}

TEST(PatternFill, OneUnitStrokeIsAPixelAt96AndADotOfRadiusOneAt300) {
  Fixture f;
  f.SetPatterns({PatternDef{50, 50, {{0, 0, 0, 0}}}});
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Pattern(100, 100, 700, 900, 0, 1, 0));
  });
  // 96 dpi: a cell is 96 pixels; the bottom row of cells lies on the clip's
  // excluded bottom edge, so the first dots are one cell up.
  const QImage low = f.Render(log, 0, 96);
  const int x = 100, y = 900 - 96;
  EXPECT_EQ(Pixel(low, x, y), kBlack);
  EXPECT_EQ(InkCount(low, x - 3, y - 3, x + 4, y + 4), 1);

  const QImage high = f.Render(log, 0, 300);
  const auto at300 = f.Probe(log, 0, 300);
  const int hx = at300->px(100) + 300;  // away from the clip's left edge
  const int hy = at300->row(100) - 300;  // cells of 300 pixels
  EXPECT_EQ(Pixel(high, hx, hy), kBlack);
  for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
    EXPECT_EQ(Pixel(high, hx + dx, hy + dy), kBlack) << dx << "," << dy;
  for (auto [dx, dy] : {std::pair{2, 0}, {-2, 0}, {0, 2}, {0, -2}})
    EXPECT_EQ(Pixel(high, hx + dx, hy + dy), kWhite) << dx << "," << dy;
}

TEST(PolygonFill, LongCurvesAreDrawnInBandsOfAHundredPoints) {
  Fixture f;
  auto curve = [&](int n) {
    return f.WriteLog(PixelHeader(), [n](tfl::TflWriter& w) {
      // Pen black, brush blue: a brush rectangle leaves its colour in the brush.
      tfl::BrushRectangleRecord b{};
      b.rect = {700, 10, 710, 20};
      b.color = 0xFF0000;
      b.brush_style = 0;
      w.write(b);
      w.write(tfl::PolyfillRecord{});
      std::vector<tfl::PointRecord> pts{{100, 1000 - 102}};  // on the baseline x = 100
      for (int i = 2; i <= n; ++i) pts.push_back({160.0 + (i % 2) * 3, 1000.0 - (100 + 2 * i)});
      w.points(pts);
    });
  };
  constexpr uint32_t kBlue = 0x0000FF;
  const QImage long_curve = f.Render(curve(250));
  EXPECT_EQ(Pixel(long_curve, 130, 300), kBlack);  // closing edge at point 100
  EXPECT_EQ(Pixel(long_curve, 130, 496), kBlack);  // and at point 198
  EXPECT_EQ(Pixel(long_curve, 130, 200), kBlue);   // inside a band
  EXPECT_EQ(Pixel(long_curve, 130, 302), kBlue);
  EXPECT_EQ(Pixel(long_curve, 130, 400), kBlue);
  EXPECT_EQ(Pixel(long_curve, 130, 520), kBlue);
  const QImage hundred = f.Render(curve(100));
  EXPECT_EQ(Pixel(hundred, 130, 300), kBlack);
  EXPECT_EQ(Pixel(hundred, 130, 200), kBlue);
}

TEST(CurveShading, SeparateGroupsFillOnlyTheirOwnAreasOverlapGetsItsColour) {
  Fixture f;
  auto shading = [&](double b_left) {
    return f.WriteLog(PixelHeader(), [b_left](tfl::TflWriter& w) {
      tfl::FilledPolygonRecord r{};
      r.pen_style_a = r.pen_style_b = 5;
      r.fill_a = 0x0000FF;  // red
      r.fill_b = 0x00FF00;  // green
      r.overlap_fill = 0xFF0000;  // blue
      r.brush_a = r.brush_b = r.overlap_brush = 0;
      w.write(r);
      w.points(Rows({{100, 100}, {200, 100}, {200, 200}, {100, 200}}));
      w.points(Rows({{b_left, 100}, {b_left + 100, 100}, {b_left + 100, 200}, {b_left, 200}}));
    });
  };
  auto count = [](const QImage& img, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += Pixel(img, x, y) == colour;
    return n;
  };
  const QImage apart = f.Render(shading(300));
  EXPECT_EQ(Pixel(apart, 150, 150), 0xFF0000u);
  EXPECT_EQ(Pixel(apart, 350, 150), 0x00FF00u);
  EXPECT_EQ(count(apart, 0x0000FF), 0);
  const QImage overlapping = f.Render(shading(150));
  EXPECT_EQ(Pixel(overlapping, 120, 150), 0xFF0000u);
  EXPECT_EQ(Pixel(overlapping, 175, 150), 0x0000FFu);
  EXPECT_EQ(Pixel(overlapping, 230, 150), 0x00FF00u);
}

// A shading whose curve runs far beyond the page both ways (a long log's
// curve printed at a high resolution, or a point gone astray) still fills
// the part on the page, and its outline still shows there.
TEST(CurveShading, ShadingFarTallerThanThePageFillsWhatIsOnIt) {
  Fixture f;
  const QImage img = f.Render(f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    tfl::FilledPolygonRecord r{};
    r.pen_style_a = 0;
    r.outline_a = 0x000000;
    r.width_a = 1;
    r.pen_style_b = 5;
    r.fill_a = 0x0000FF;  // red
    r.brush_a = r.brush_b = r.overlap_brush = 0;
    w.write(r);
    // Baseline corner, the curve down a slant, the two baseline corners.
    w.points(Rows({{100, -300000}, {300, -300000}, {500, 300000}, {100, 300000}, {100, -300000}}));
    w.points(Rows({}));
  }));
  EXPECT_EQ(Pixel(img, 150, 100), 0xFF0000u);
  EXPECT_EQ(Pixel(img, 350, 500), 0xFF0000u);  // the slant is at 400 here
  EXPECT_EQ(Pixel(img, 398, 500), 0xFF0000u);
  EXPECT_EQ(Pixel(img, 402, 500), kWhite);
  EXPECT_EQ(Pixel(img, 50, 500), kWhite);
}

TEST(Symbols, HalfInchSymbolMapsTenTenthsTo48PixelsAt96Dpi) {
  Fixture f;
  f.SetSymbols({SymbolDef{}, SymbolDef{{{0, 0, 10, 0}, {0, 0, 0, -10}}}});
  auto symbol = [&](uint16_t n) {
    return f.WriteLog(PixelHeader(), [n](tfl::TflWriter& w) {
      tfl::SymbolRecord s{};
      s.x = 400;
      s.y = 500;
      s.symbol = n;
      s.width = 0.5;
      s.height = 0.5;
      w.write(s);
    });
  };
  const QImage img = f.Render(symbol(1));
  EXPECT_EQ(Pixel(img, 400, 500), kBlack);
  EXPECT_EQ(Pixel(img, 447, 500), kBlack);
  EXPECT_EQ(Pixel(img, 448, 500), kWhite);  // the end pixel of a line is not drawn
  EXPECT_EQ(Pixel(img, 400, 547), kBlack);  // y tenths point up the page
  EXPECT_EQ(Pixel(img, 400, 453), kWhite);
  EXPECT_EQ(InkCount(f.Render(symbol(0))), 0);
  EXPECT_EQ(InkCount(f.Render(symbol(326))), 0);
}
