// Pattern fills, rectangles, polygon fills, curve shading and symbols on the
// canvas device, in the body and in header and footer sections.
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

// A coloured fill paints its background over its rectangle and one more
// column and row, strokes in its own colour and width with the end pixel
// set, and outlines in the thin current pen unless its colour is white.
TEST(PatternFill, ColouredFillsPaintTheirBackgroundAndStrokeInTheirOwnColour) {
  Fixture f;
  constexpr uint32_t kRedQ = 0xFF0000, kGreenQ = 0x00FF00;
  // Tiles of 50 units (96 pixels at scale 1) from the bottom-left corner
  // (100, 600): in the first, a stroke from (119, 581) to (138, 581) and a
  // dot at (158, 542).
  f.SetPatterns({PatternDef{50, 50, {{10, 10, 20, 10}, {30, 30, 30, 30}}}});
  auto fill = [&](int32_t line_width, int32_t background, int32_t line, uint8_t outline) {
    tfl::ColorPatternRecord p = ColorPattern(0, background, line);
    p.line_width = line_width;
    p.outline = outline;
    return f.WriteLog(PixelHeader(), [p](tfl::TflWriter& w) {
      w.write(PenWidth(27));  // a black band under the fill, rows 490 to 509
      w.write(Vec(50, 500, 350, 500));
      w.write(p);
    });
  };
  auto count = [](const QImage& img, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += Pixel(img, x, y) == colour;
    return n;
  };
  const QImage thin = f.Render(fill(1, 0x00FF00, 0x0000FF, 0));
  for (auto [x, y] : {std::pair{100, 400}, {300, 450}, {200, 600}, {300, 600}, {200, 500}})
    EXPECT_EQ(Pixel(thin, x, y), kGreenQ) << x << "," << y;
  for (auto [x, y] : {std::pair{99, 450}, {301, 450}, {200, 399}, {200, 601}})
    EXPECT_EQ(Pixel(thin, x, y), kWhite) << x << "," << y;
  for (int x = 119; x <= 138; ++x) EXPECT_EQ(Pixel(thin, x, 581), kRedQ) << x;  // end pixel too
  EXPECT_EQ(Pixel(thin, 118, 581), kGreenQ);
  EXPECT_EQ(Pixel(thin, 139, 581), kGreenQ);
  EXPECT_EQ(Pixel(thin, 158, 542), kRedQ);
  EXPECT_EQ(Pixel(thin, 159, 542), kGreenQ);
  // Four whole tiles show (the next column of tiles starts beyond x 300, the
  // next row's strokes above y 600): 20 + 1 red pixels each.
  EXPECT_EQ(count(thin, kRedQ), 4 * 21);
  EXPECT_EQ(Pixel(thin, 119 + 96, 581 - 96), kRedQ);

  // Width 4 is three pixels: a three-row stroke, and a dot is a circle of
  // three across drawn with that pen, five across in all.
  const QImage wide = f.Render(fill(4, 0x00FF00, 0x0000FF, 0));
  for (int y : {580, 581, 582}) EXPECT_EQ(Pixel(wide, 125, y), kRedQ) << y;
  EXPECT_EQ(Pixel(wide, 125, 583), kGreenQ);
  for (int d = -2; d <= 2; ++d) {
    EXPECT_EQ(Pixel(wide, 158 + d, 542), kRedQ) << d;
    EXPECT_EQ(Pixel(wide, 158, 542 + d), kRedQ) << d;
  }
  for (auto [x, y] : {std::pair{155, 542}, {161, 542}, {158, 539}, {158, 545}, {156, 540}})
    EXPECT_EQ(Pixel(wide, x, y), kGreenQ) << x << "," << y;

  // A white background in the body leaves what lies beneath; the outline
  // is drawn in the pen, one pixel wide, and not for a white pattern.
  const QImage clear = f.Render(fill(4, 0xFFFFFF, 0x0000FF, 1));
  EXPECT_EQ(Pixel(clear, 200, 500), kBlack);
  EXPECT_EQ(Pixel(clear, 200, 450), kWhite);
  EXPECT_EQ(Pixel(clear, 200, 400), kBlack);  // the outline's top edge
  EXPECT_EQ(Pixel(clear, 200, 401), kWhite);
  EXPECT_EQ(Pixel(f.Render(fill(4, 0x00FF00, 0xFFFFFF, 1)), 200, 400), kGreenQ);

  // Printed in black: the strokes go black, the background stays.
  f.settings.print_in_black = true;
  const QImage printed = f.Render(fill(1, 0x00FF00, 0x0000FF, 0), 0, 96, true);
  EXPECT_EQ(Pixel(printed, 125, 581), kBlack);
  EXPECT_EQ(Pixel(printed, 125, 560), kGreenQ);
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

// A rectangle is an outline over what lies inside it, from its left column
// to its right column less one, whichever way its corners come. A brush
// rectangle whites its inside and fills it with its own brush; its first
// corner's column moves one column right before the corners are ordered.
TEST(Rectangles, OutlinesAndBrushRectanglesCoverTheirPixelsAndNoMore) {
  Fixture f;
  constexpr uint32_t kRedQ = 0xFF0000, kBlueQ = 0x0000FF;
  // A black band across rows 490 to 509, then the item in a blue pen over it.
  auto over_band = [&](const std::function<void(tfl::TflWriter&)>& item) {
    return f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(PenWidth(27));
      w.write(Vec(50, 500, 350, 500));
      w.write(PenWidth(1));
      w.write(Color(0xFF0000));
      item(w);
    });
  };
  struct Case {
    tfl::Rect r;
    int brush_left, brush_right;  // the brush rectangle's outline columns
  };
  // Rows: y 600 is row 400, y 400 is row 600.
  for (const Case& c : {Case{{100, 400, 300, 600}, 101, 299}, Case{{300, 600, 100, 400}, 100, 300}}) {
    SCOPED_TRACE(c.r.x1);
    const QImage outline =
        f.Render(over_band([&](tfl::TflWriter& w) { w.write(tfl::RectangleRecord{c.r}); }));
    for (auto [x, y] : {std::pair{100, 450}, {299, 450}, {200, 400}, {200, 599}})
      EXPECT_EQ(Pixel(outline, x, y), kBlueQ) << x << "," << y;
    for (auto [x, y] : {std::pair{99, 450}, {300, 450}, {200, 399}, {200, 600}, {200, 450}})
      EXPECT_EQ(Pixel(outline, x, y), kWhite) << x << "," << y;
    EXPECT_EQ(Pixel(outline, 200, 500), kBlack);  // the band shows through

    auto brush = [&](uint8_t style) {
      tfl::BrushRectangleRecord b{};
      b.rect = c.r;
      b.brush_style = style;
      b.color = 0x0000FF;  // red
      return over_band([b](tfl::TflWriter& w) { w.write(b); });
    };
    const QImage hollow = f.Render(brush(1));
    for (int x : {c.brush_left, c.brush_right}) {
      EXPECT_EQ(Pixel(hollow, x, 450), kBlueQ) << x;
      EXPECT_EQ(Pixel(hollow, x, 500), kBlueQ) << x;  // over the band
    }
    EXPECT_EQ(Pixel(hollow, c.brush_left - 1, 500), kBlack);  // the band beside it stays
    EXPECT_EQ(Pixel(hollow, c.brush_right + 1, 500), kBlack);
    EXPECT_EQ(Pixel(hollow, 200, 400), kBlueQ);
    EXPECT_EQ(Pixel(hollow, 200, 599), kBlueQ);
    EXPECT_EQ(InkCount(hollow, c.brush_left + 1, 401, c.brush_right, 599), 0);  // whited
    EXPECT_EQ(Pixel(f.Render(brush(0)), 200, 500), kRedQ);
    const QImage hatched = f.Render(brush(2));  // a line every 8th row, on row 3
    for (int y = 401; y < 599; ++y)
      ASSERT_EQ(Pixel(hatched, 200, y), y % 8 == 3 ? kRedQ : kWhite) << y;
  }
  // Printed in black, the brush and its outline are black too.
  f.settings.print_in_black = true;
  tfl::BrushRectangleRecord b{};
  b.rect = {100, 400, 300, 600};
  b.color = 0x0000FF;
  const QImage printed = f.Render(over_band([b](tfl::TflWriter& w) { w.write(b); }), 0, 96, true);
  EXPECT_EQ(Pixel(printed, 101, 450), kBlack);
  EXPECT_EQ(Pixel(printed, 200, 450), kBlack);
}

// Fills and symbols of header and footer sections: y in inches from the
// section's top, drawn only on pages that show their section, and not
// clipped to the body.
TEST(SectionItems, FillsPatternsAndSymbolsLandInTheSectionTheirPageShows) {
  Fixture f;
  constexpr uint32_t kRedQ = 0xFF0000;
  f.SetPatterns({PatternDef{10, 10, {{0, 0, 9, 0}}}});  // at scale 0.5, a line every 9.6 rows
  f.SetSymbols({SymbolDef{}, SymbolDef{{{0, 0, 10, 0}, {0, 0, 0, 5}}}});
  // Each section's items have columns of their own: item k of section s at
  // x = 200 k + 45 s + 10, 30 wide, from 0.125 to 0.375 inch (rows 12 to 36
  // of the section).
  auto left = [](int k, int s) { return 200 * k + 45 * s + 10; };
  auto items = [&](tfl::TflWriter& w) {
    for (uint8_t s = 0; s <= 3; ++s) {
      const double x0 = left(0, s), x1 = left(1, s), x2 = left(2, s), x3 = left(3, s);
      w.write(tfl::FillRectangleRecord{{x0, 0.125, x0 + 30, 0.375}, 0x0000FF, s});
      w.write(tfl::PatternExRecord{{x1, 0.125, x1 + 30, 0.375}, 0, 0.5, 0.5, 1, s});
      // A coloured fill with a white background over a black block.
      w.write(tfl::FillRectangleRecord{{x2 - 5, 0.0625, x2 + 35, 0.4375}, 0x000000, s});
      w.write(tfl::ColorPatternExRecord{{x2, 0.125, x2 + 30, 0.375}, 0, 0.5, 0.5, 1, 0xFFFFFF,
                                        0x0000FF, 0, s});
      w.write(tfl::SymbolExRecord{x3, 0.25, 0, 1, 0.25, 0.25, 0, s});
    }
  };
  // The items of section s with their section's top at row b.
  auto check_shown = [&](const QImage& img, int s, int b) {
    SCOPED_TRACE("section " + std::to_string(s) + " at row " + std::to_string(b));
    int x = left(0, s);  // fill: columns x to x + 29, rows 12 to 35
    EXPECT_EQ(Pixel(img, x + 15, b + 12), kRedQ);
    EXPECT_EQ(Pixel(img, x + 15, b + 35), kRedQ);
    EXPECT_EQ(Pixel(img, x + 29, b + 24), kRedQ);
    EXPECT_EQ(Pixel(img, x + 15, b + 11), kWhite);
    EXPECT_EQ(Pixel(img, x + 15, b + 36), kWhite);
    EXPECT_EQ(Pixel(img, x + 30, b + 24), kWhite);
    x = left(1, s);  // plain pattern: outline, tiles up from the bottom row 36
    EXPECT_EQ(Pixel(img, x + 15, b + 12), kBlack);
    EXPECT_EQ(Pixel(img, x + 15, b + 36), kBlack);
    EXPECT_EQ(Pixel(img, x, b + 30), kBlack);
    EXPECT_EQ(Pixel(img, x + 30, b + 30), kBlack);
    EXPECT_EQ(Pixel(img, x + 5, b + 26), kBlack);
    EXPECT_EQ(Pixel(img, x + 5, b + 17), kBlack);
    EXPECT_EQ(Pixel(img, x + 5, b + 30), kWhite);
    EXPECT_EQ(Pixel(img, x + 5, b + 21), kWhite);
    x = left(2, s);  // coloured: white over the block, a column and row more
    EXPECT_EQ(Pixel(img, x + 5, b + 30), kWhite);
    EXPECT_EQ(Pixel(img, x + 30, b + 30), kWhite);
    EXPECT_EQ(Pixel(img, x + 31, b + 30), kBlack);
    EXPECT_EQ(Pixel(img, x - 1, b + 30), kBlack);
    EXPECT_EQ(Pixel(img, x + 5, b + 11), kBlack);
    EXPECT_EQ(Pixel(img, x + 5, b + 26), kRedQ);
    EXPECT_EQ(Pixel(img, x + 5, b + 36), kRedQ);
    EXPECT_EQ(Pixel(img, x + 5, b + 37), kBlack);
    x = left(3, s);  // symbol about (x, 24): 24 pixels right, 12 up
    EXPECT_EQ(Pixel(img, x + 23, b + 24), kBlack);
    EXPECT_EQ(Pixel(img, x + 24, b + 24), kWhite);
    EXPECT_EQ(Pixel(img, x, b + 13), kBlack);
    EXPECT_EQ(Pixel(img, x, b + 12), kWhite);
    EXPECT_EQ(Pixel(img, x, b + 30), kWhite);
  };
  // Nothing of section s, anywhere on the page, other than in the rows
  // given.
  auto ink_of_section = [&](const QImage& img, int s, int top = 0, int bottom = 0) {
    int n = 0;
    for (int k = 0; k < 4; ++k)
      n += InkCount(img, left(k, s) - 5, 0, left(k, s) + 36, img.height()) -
           InkCount(img, left(k, s) - 5, top, left(k, s) + 36, bottom);
    return n;
  };

  // Paged: the first page shows section 1, later pages section 2, all pages
  // the footer (section 3) from row 960.
  tfl::Header paged = PixelHeader();
  paged.paged = 1;
  paged.y_max = 3000;
  paged.first_header_height = paged.repeat_header_height = paged.footer_height = 1.0;
  const std::string paged_log = f.WriteLog(paged, items);
  for (int page : {0, 1}) {
    SCOPED_TRACE(page);
    const QImage img = f.Render(paged_log, page);
    const int header = page == 0 ? 1 : 2;
    check_shown(img, header, 0);
    check_shown(img, 3, 960);
    EXPECT_EQ(ink_of_section(img, header, 0, 96), 0);
    EXPECT_EQ(ink_of_section(img, 3, 960, 1056), 0);
    EXPECT_EQ(ink_of_section(img, 3 - header), 0);
    EXPECT_EQ(ink_of_section(img, 0), 0);
  }
  // Not paged: later pages show section 0, and no footer but on the last.
  tfl::Header unpaged = paged;
  unpaged.paged = 0;
  const QImage later = f.Render(f.WriteLog(unpaged, items), 1);
  check_shown(later, 0, 0);
  for (int s : {1, 2, 3}) EXPECT_EQ(ink_of_section(later, s), 0) << s;
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
