// Text on the canvas device: the current font, one-line texts and their
// alignment, labels, page texts with page numbers, paragraphs and dimension
// texts, drawn through whole logs and compared with what the canvas draws for
// the expected text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "DeviceTestSupport.h"
#include "devices/TextFormat.h"

using namespace devtest;

namespace {

constexpr int kPageW = 816, kPageH = 1056;  // 8.5 x 11 inch at 96 dpi

tfl::FontColorRecord Font(int32_t size, uint8_t style = 0, int32_t color = 0) {
  tfl::FontColorRecord r{};
  r.face.assign("Arial");
  r.size = size;
  r.style = style;
  r.color = color;
  return r;
}

tfl::TextRecord Text(double x, double y, std::string_view text, int32_t alignment = 0,
                     uint8_t vertical = 0, uint8_t transparent = 1, uint8_t adjust = 0) {
  tfl::TextRecord r{};
  r.x = x;
  r.y = y;
  r.alignment = alignment;
  r.vertical = vertical;
  r.transparent = transparent;
  r.adjust = adjust;
  r.text.assign(text);
  return r;
}

tfl::LabelRecord Label(double x, double y, double size, uint8_t mode, int32_t angle,
                       std::string_view text) {
  tfl::LabelRecord r{};
  r.x = x;
  r.y = y;
  r.size = size;
  r.size_mode = mode;
  r.angle = angle;
  r.text.assign(text);
  return r;
}

tfl::ParagraphRecord Paragraph(double x1, double y1, double x2, double y2, bool shrink = false,
                               bool fixed = false) {
  tfl::ParagraphRecord r{};
  r.rect = {x1, y1, x2, y2};
  r.shrink = shrink;
  r.fixed = fixed;
  return r;
}

// Arial at a character height of `pixels` (a 10-point font at 96 dpi is 13).
platform::LogFont Arial(int pixels) {
  platform::LogFont f;
  f.height = -pixels;
  f.faceName = "Arial";
  return f;
}

QImage WhitePage() {
  QImage image(kPageW, kPageH, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// What the canvas itself draws for `text` at (x, y) in `font`, left-top
// aligned and transparent, with an optional clip.
QImage Expected(const platform::LogFont& font,
                const std::vector<std::pair<platform::Point, std::string>>& texts,
                const platform::Rect* clip = nullptr) {
  QImage image = WhitePage();
  {
    platform::Canvas canvas(&image);
    canvas.SelectFont(font);
    canvas.SetBkMode(platform::TRANSPARENT);
    if (clip) {
      const platform::Region region = platform::Region::FromRect(*clip);
      canvas.SelectClipRgn(&region);
    }
    for (const auto& [at, text] : texts) canvas.TextOut(at.x, at.y, text);
  }
  return image;
}

int TextWidthIn(const platform::LogFont& font, std::string_view text) {
  QImage scratch(8, 8, QImage::Format_RGB32);
  platform::Canvas canvas(&scratch);
  canvas.SelectFont(font);
  return canvas.GetTextExtent(text).cx;
}

// The bounding box of the ink (non-white pixels); empty when there is none.
platform::Rect InkBox(const QImage& image) {
  platform::Rect box{image.width(), image.height(), 0, 0};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (Pixel(image, x, y) != kWhite) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

}  // namespace

// --- Page numbers --------------------------------------------------------------

TEST(PageText, PageNumberAndCountReplaceTheirFirstFieldsOnly) {
  std::string out;
  text_format::SubstitutePageNumbers("Page #p of #t, see #p", 3, 12, out);
  EXPECT_EQ(out, "Page 3 of 12, see #p");
  text_format::SubstitutePageNumbers("#t#p", 1, 2, out);
  EXPECT_EQ(out, "21");
  text_format::SubstitutePageNumbers("no fields", 1, 2, out);
  EXPECT_EQ(out, "no fields");
  // The count field is looked for after the page number went in: "#" + "p"
  // pieces joined by the first replacement are not a field.
  text_format::SubstitutePageNumbers("##pt", 7, 9, out);
  EXPECT_EQ(out, "#7t");
}

TEST(PageText, OnPageThreeOfTwelveTheFooterShowsThreeAndTwelve) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.footer_height = 1.0;
  h.y_max = 11000;  // 960 rows a page: 12 pages
  const std::string log = f.WriteLog(h, [](tfl::TflWriter& w) {
    w.write(Font(10));
    tfl::PageTextRecord r{};
    r.x = 100;
    r.y = 0.25;
    r.text.assign("Page #p of #t and #p");
    r.section = 3;
    w.write(r);
  });
  const QImage page = f.Render(log, 2);
  ASSERT_EQ(f.last_pages.page_count(), 12);
  const int footer_top = f.last_layout.footer_top;
  ASSERT_EQ(footer_top, kPageH - 96);
  EXPECT_EQ(page, Expected(Arial(13), {{{100, footer_top + 24}, "Page 3 of 12 and #p"}}));
  EXPECT_NE(page, Expected(Arial(13), {{{100, footer_top + 24}, "Page 3 of 12 and 3"}}));
}

TEST(PageText, TurnedTextRunsUpFromBelowItsAnchor) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.first_header_height = 3.0;
  const std::string log = f.WriteLog(h, [](tfl::TflWriter& w) {
    w.write(Font(12));
    tfl::PageTextRecord r{};
    r.x = 200;
    r.y = 0.5;  // row 48
    r.angle = 90;
    r.text.assign("Header text");
    r.section = 1;
    w.write(r);
  });
  const QImage page = f.Render(log);
  const int width = TextWidthIn(Arial(16), "Header text");
  const platform::Rect ink = InkBox(page);
  // Moved down by its own width, it reads upwards and ends near the anchor.
  EXPECT_GT(ink.bottom, 48 + width - 4);
  EXPECT_LE(ink.bottom, 48 + width + 1);
  EXPECT_GE(ink.top, 48 - 1);
  EXPECT_LT(ink.right - ink.left, 20);  // one line across: turned, not flat
  EXPECT_GE(ink.left, 200 - 1);
}

// --- One-line texts ---------------------------------------------------------------

TEST(PlotText, EachAlignmentPutsTheInkWhereTheAnchorSays) {
  Fixture f;
  const int x = 400, y = 500;  // file y 500 is row 500
  struct Case {
    int32_t align;
    const char* name;
  };
  const Case cases[] = {{0, "left top"},          {2, "right top"},        {6, "center top"},
                        {8, "left bottom"},       {24, "left baseline"},   {6 | 24, "center base"},
                        {2 | 8, "right bottom"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(Font(20));
      w.write(Text(x, 1000 - y, "HHHH", c.align));
    });
    const platform::Rect ink = InkBox(f.Render(log));
    ASSERT_LT(ink.left, ink.right);
    const unsigned horizontal = c.align & 6, vertical = c.align & 24;
    if (horizontal == 0) {
      EXPECT_GE(ink.left, x);
      EXPECT_LE(ink.left, x + 4);
    } else if (horizontal == 2) {
      EXPECT_LE(ink.right, x);
      EXPECT_GE(ink.right, x - 4);
    } else {
      EXPECT_LE(std::abs((ink.left + ink.right) / 2 - x), 2);
    }
    if (vertical == 0) {
      EXPECT_GE(ink.top, y);
      EXPECT_LE(ink.top, y + 8);  // the internal leading above the capitals
    } else if (vertical == 8) {
      EXPECT_LE(ink.bottom, y);
      EXPECT_GE(ink.bottom, y - 8);  // the descent below the baseline
    } else {
      EXPECT_EQ(ink.bottom, y);  // capitals stand on the row above the baseline
    }
  }
}

TEST(PlotText, VerticalTextRunsDownAndAdjustMovesByAThirdOfTheHeight) {
  Fixture f;
  const std::string plain = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(20));
    w.write(Text(300, 600, "Vertical", 0, 1));
  });
  const platform::Rect ink = InkBox(f.Render(plain));
  EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
  EXPECT_GE(ink.top, 400 - 1);
  // Turned clockwise, the letters' tops face right: the ink lies left of x.
  EXPECT_LE(ink.right, 300 + 1);

  const std::string adjusted = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(20));
    w.write(Text(300, 600, "Vertical", 0, 1, 1, 1));
  });
  const platform::Rect moved = InkBox(f.Render(adjusted));
  QImage scratch(8, 8, QImage::Format_RGB32);
  platform::Canvas measure(&scratch);
  measure.SelectFont(Arial(27));
  const int third = measure.GetTextExtent("Vertical").cy / 3;
  EXPECT_EQ(moved.left - ink.left, third);
  EXPECT_EQ(moved.top, ink.top);

  const std::string flat = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(20));
    w.write(Text(300, 600, "Flat", 0, 0, 1, 0));
    w.write(Text(500, 600, "Flat", 0, 0, 1, 1));
  });
  const QImage both = f.Render(flat);
  EXPECT_EQ(InkBox(both.copy(450, 0, 366, kPageH)).top, InkBox(both.copy(0, 0, 450, kPageH)).top + third);
}

TEST(PlotText, OpaqueTextCoversWhatLiesBelowAndTransparentDoesNot) {
  Fixture f;
  auto log_with = [&](uint8_t transparent) {
    return f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(Color(0));
      w.write(PenWidth(60));  // a wide black bar under the text
      w.write(Vec(0, 480, 800, 480));
      w.write(Font(20));
      w.write(Text(100, 500, "  ", 0, 0, transparent));
    });
  };
  const QImage opaque = f.Render(log_with(0));
  const QImage clear = f.Render(log_with(1));
  EXPECT_EQ(Pixel(clear, 105, 515), kBlack);
  EXPECT_EQ(Pixel(opaque, 105, 515), kWhite);  // blanks in an opaque cell
}

TEST(PlotText, FontColourAndStyleReachTheText) {
  Fixture f;
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(30, 1, 0x0000FF));  // bold, red
    w.write(Text(100, 900, "Red"));
  });
  const QImage page = f.Render(log);
  int red = 0, other = 0;
  for (int y = 90; y < 160; ++y)
    for (int x = 90; x < 200; ++x) {
      const uint32_t p = Pixel(page, x, y);
      if (p == 0xFF0000) ++red;
      else if (p != kWhite) ++other;
    }
  EXPECT_GT(red, 100);
  EXPECT_EQ(other, 0);
  platform::LogFont bold = Arial(40);
  bold.weight = platform::FW_BOLD;
  const QImage expected = Expected(bold, {{{100, 100}, "Red"}});
  EXPECT_EQ(InkCount(page), InkCount(expected));
}

// --- Labels ---------------------------------------------------------------------------

TEST(Label, SizeModesSetPixelHeightOrPointsAndCentre) {
  Fixture f;
  // Mode 0: a cell height in pixels from size x scale_y (96 px per unit here
  // scale_y is 1, so size 30 is a 30-pixel cell). Mode 4: 20 points, centred.
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(10));
    w.write(Label(100, 800, 30, 0, 0, "Cell"));
    w.write(Label(400, 600, 20, 4, 0, "Mid"));
  });
  const QImage page = f.Render(log);
  platform::LogFont cell = Arial(0);
  cell.height = 30;  // a positive height is the cell height
  const int mid_width = TextWidthIn(Arial(27), "Mid");
  QImage expected = WhitePage();
  {
    platform::Canvas c(&expected);
    c.SetBkMode(platform::TRANSPARENT);
    c.SelectFont(cell);
    c.TextOut(100, 200, "Cell");
    c.SelectFont(Arial(27));
    c.TextOut(400 - mid_width / 2, 400, "Mid");
  }
  EXPECT_EQ(page, expected);
}

TEST(Label, TurnedLabelWithModeOneOrFourKeepsThePreviousSize) {
  Fixture f;
  auto log_with = [&](uint8_t mode, double size) {
    return f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(Font(10));
      w.write(Label(50, 950, 30, 3, 0, "A"));  // 30 points from here on
      w.write(Label(400, 300, size, mode, 90, "Turned"));
    });
  };
  const QImage reference = f.Render(log_with(3, 30));
  EXPECT_EQ(f.Render(log_with(1, 8)), reference);
  EXPECT_EQ(f.Render(log_with(4, 8)), reference);
  EXPECT_NE(f.Render(log_with(3, 8)), reference);  // the size does count otherwise
}

// --- Paragraphs ---------------------------------------------------------------------

TEST(Paragraph, LinesEndAtCarriageReturnsAndTheTailIsNotDrawn) {
  Fixture f;
  auto log_with = [&](std::string_view text) {
    return f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(Font(10));
      w.paragraph(Paragraph(100, 900, 500, 500), text);
    });
  };
  EXPECT_EQ(InkCount(f.Render(log_with("No carriage return at all"))), 0);
  const QImage two = f.Render(log_with("First\rSecond"));
  const QImage one = f.Render(log_with("First\r"));
  EXPECT_GT(InkCount(one), 0);
  EXPECT_EQ(two, one);
  EXPECT_NE(f.Render(log_with("First\rSecond\r")), one);
  // The first line at the margins: 0.05 inch in, no margin down.
  EXPECT_EQ(one, Expected(Arial(13), {{{105, 100}, "First"}}));
}

TEST(Paragraph, ShrinkFitsTenLinesInAHundredPixelsWithANinePixelPitchAndFont) {
  Fixture f;
  std::string text;
  for (int i = 0; i < 10; ++i) text += "Line " + std::to_string(i) + "\r";
  const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(Font(20));  // 27 pixels: larger than the pitch the box allows
    w.paragraph(Paragraph(100, 900, 400, 800, true), text);  // rows 100 to 200
  });
  const QImage page = f.Render(log);
  // Shrink margins: 10 across, 2 down; pitch (202 - 100) div 11 = 9.
  std::vector<std::pair<platform::Point, std::string>> lines;
  for (int i = 0; i < 10; ++i) lines.push_back({{110, 102 + 9 * i}, "Line " + std::to_string(i)});
  const platform::Rect clip{100, 0, 400, 202};
  EXPECT_EQ(page, Expected(Arial(9), lines, &clip));
}

TEST(Paragraph, ALineTwentyPixelsTooWideIsSqueezedFivePixelsAtEachOfFourBlanks) {
  Fixture f;
  const std::string four = "Shaly sand, thin coal beds";
  ASSERT_EQ(text_format::CountBlanks(four), 4);
  const int width = TextWidthIn(Arial(13), four);
  // Available width = box - 2 x 5 pixels of margin = width - 20.
  const double right = 100 + (width - 20) + 10;
  const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(Font(10));
    w.paragraph(Paragraph(100, 900, right, 500), four + "\r");
  });
  const QImage page = f.Render(log);
  // Word by word, each moved left by 5 pixels per blank before it.
  std::vector<std::pair<platform::Point, std::string>> words;
  int from = 0, blanks = 0;
  while (from <= static_cast<int>(four.size())) {
    std::size_t end = four.find(' ', from);
    if (end == std::string::npos) end = four.size();
    const int offset = TextWidthIn(Arial(13), four.substr(0, from));
    words.push_back({{105 + offset - 5 * blanks, 100}, four.substr(from, end - from)});
    ++blanks;
    from = static_cast<int>(end) + 1;
  }
  EXPECT_EQ(page, Expected(Arial(13), words));
}

TEST(Paragraph, ALineWithoutBlanksIsNotSqueezedAndLinesStopAtTheBoxBottom) {
  Fixture f;
  const std::string word = "Unbreakableword";
  const int width = TextWidthIn(Arial(13), word);
  const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(Font(10));
    // Room for two lines of 15 pixels (cell 15 + leading) in 40 rows.
    w.paragraph(Paragraph(100, 900, 100 + width / 2, 860), word + "\rTwo\rThree\rFour\r");
  });
  const QImage page = f.Render(log);
  // Cut by the box's right side, not squeezed; the lines that do not fit
  // whole are left out.
  QImage scratch(8, 8, QImage::Format_RGB32);
  platform::Canvas measure(&scratch);
  measure.SelectFont(Arial(13));
  const platform::TextMetrics tm = measure.GetTextMetrics();
  const int pitch = tm.height + tm.externalLeading;
  std::vector<std::pair<platform::Point, std::string>> lines = {{{105, 100}, word}};
  if (100 + 2 * pitch <= 140) lines.push_back({{105, 100 + pitch}, "Two"});
  const platform::Rect clip{100, 0, 100 + width / 2, 140};
  EXPECT_EQ(page, Expected(Arial(13), lines, &clip));
}

TEST(Paragraph, WithRepeatedHeadersLinesUnderTheHeaderMoveBelowIt) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.y_max = 3000;
  h.first_header_height = 1.0;
  h.repeat_header_height = 1.0;
  // On page 2 the body starts at row 96 under the repeated header; body y
  // maps to row 3192 - y - 1056. The paragraph's top lies at row 57.
  std::string text;
  for (int i = 0; i < 100; ++i) text += "Line " + std::to_string(i) + "\r";
  const std::string log = f.WriteLog(h, [&](tfl::TflWriter& w) {
    w.write(Font(10));
    w.paragraph(Paragraph(100, 2079, 500, 0), text);
  });
  auto render = [&](uint8_t repeat) {
    f.settings.repeat_page_header = repeat != 0;
    return f.Render(log, 1);
  };
  const QImage flowing = render(1);
  const QImage plain = render(0);
  ASSERT_EQ(f.last_layout.body_clip_top, 96);

  QImage scratch(8, 8, QImage::Format_RGB32);
  platform::Canvas measure(&scratch);
  measure.SelectFont(Arial(13));
  const platform::TextMetrics tm = measure.GetTextMetrics();
  const int pitch = tm.height + tm.externalLeading;
  const platform::Rect clip{100, 96, 500, kPageH};

  // Without the setting the lines keep their places and the header hides
  // what lies above row 96; they run on to the page's bottom.
  std::vector<std::pair<platform::Point, std::string>> kept;
  for (int i = 0, y = 57; i < 100 && y <= kPageH; ++i, y += pitch)
    kept.push_back({{105, y}, "Line " + std::to_string(i)});
  EXPECT_EQ(plain, Expected(Arial(13), kept, &clip));

  // With it, the lines wholly under the header are passed over, the line the
  // header cuts starts at row 96, and no line is cut at the page's bottom.
  std::vector<std::pair<platform::Point, std::string>> moved;
  int first = 0;
  while (57 + (first + 1) * pitch <= 96) ++first;
  for (int i = first, y = 96; i < 100 && y + pitch <= kPageH; ++i, y += pitch)
    moved.push_back({{105, y}, "Line " + std::to_string(i)});
  EXPECT_EQ(flowing, Expected(Arial(13), moved, &clip));
}

// --- Dimension texts ----------------------------------------------------------------------

TEST(DimensionText, TextCentredOnWhiteBetweenTwoArrows) {
  Fixture f;
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(PenWidth(20));  // a 15-pixel black bar across the middle
    w.write(Vec(200, 700, 440, 700));
    w.write(PenWidth(1));
    w.write(Color(0x00FF00));  // green: the pen that draws arrows and text
    w.write(Font(10));
    tfl::DimensionTextRecord d{};
    d.rect = {300, 900, 340, 500};  // columns 300-340, rows 100-500
    d.downward = 1;
    d.arrows = 1;
    d.text.assign("25.0 m");
    w.write(d);
  });
  const QImage page = f.Render(log);
  const uint32_t green = 0x00FF00;
  // Arrow shafts on the middle column, from 0.05 inch inside the rectangle
  // to 0.05 inch short of the text.
  EXPECT_EQ(Pixel(page, 320, 106), green);
  EXPECT_EQ(Pixel(page, 320, 200), green);
  EXPECT_EQ(Pixel(page, 320, 493), green);
  EXPECT_EQ(Pixel(page, 320, 99), kWhite);
  EXPECT_EQ(Pixel(page, 320, 500), kWhite);
  // Arrow heads: slanting back from the tips.
  EXPECT_EQ(Pixel(page, 317, 108), green);
  EXPECT_EQ(Pixel(page, 323, 108), green);
  // The text box: white ground over the bar, green letters.
  int white = 0, letters = 0;
  for (int y = 270; y < 330; ++y)
    for (int x = 314; x < 326; ++x) {
      const uint32_t p = Pixel(page, x, y);
      white += p == kWhite;
      letters += p == green;
    }
  EXPECT_GT(white, 100);
  EXPECT_GT(letters, 20);
  EXPECT_EQ(Pixel(page, 250, 300), kBlack);  // the bar outside the rectangle
  EXPECT_EQ(InkCount(page, 0, 0, kPageW, 280), InkCount(page, 300, 0, 340, 280));
}

TEST(DimensionText, WithoutArrowsOnlyTheTextBoxIsDrawn) {
  Fixture f;
  const std::string log = f.WriteLog(PixelHeader(), [](tfl::TflWriter& w) {
    w.write(Font(10));
    tfl::DimensionTextRecord d{};
    d.rect = {300, 900, 340, 500};
    d.downward = 0;
    d.arrows = 0;
    d.text.assign("Upward");
    w.write(d);
  });
  const QImage page = f.Render(log);
  const platform::Rect ink = InkBox(page);
  EXPECT_GT(ink.top, 250);
  EXPECT_LT(ink.bottom, 350);
  EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);  // turned
}
