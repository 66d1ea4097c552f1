// Canvas text: font heights, metrics, alignment flags, escapement,
// justification and background, checked on the ink drawn.
#include <gtest/gtest.h>

#include <QFontDatabase>

#include <vector>

#include "test_canvas_util.h"
#include "platform/Canvas.h"
#include "platform/CanvasFont.h"

using namespace platform;
using canvastest::At;
using canvastest::FindInk;
using canvastest::Ink;
using canvastest::WhitePage;

namespace {

constexpr COLORREF kYellow = MakeRGB(255, 255, 0);

LogFont Arial(int height) {
  LogFont font;
  font.faceName = "Arial";
  font.height = height;
  return font;
}

bool HaveLiberation() {
  return QFontDatabase::families().contains(QStringLiteral("Liberation Sans"));
}

TEST(CanvasFont, NegativeHeightIsCharacterHeightPositiveIsCell) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  canvas.SelectFont(Arial(-40));
  const TextMetrics character = canvas.GetTextMetrics();
  EXPECT_EQ(character.height - character.internalLeading, 40);
  EXPECT_GT(character.internalLeading, 0);
  EXPECT_EQ(character.height, character.ascent + character.descent);
  canvas.SelectFont(Arial(40));
  const TextMetrics cell = canvas.GetTextMetrics();
  EXPECT_NEAR(cell.height, 40, 1);
  EXPECT_LT(cell.height, character.height);
  EXPECT_EQ(canvas.GetTextExtent("Hello").cy, cell.height);
  const int cellWidth = canvas.GetTextExtent("Hello").cx;
  canvas.SelectFont(Arial(-40));
  EXPECT_LT(cellWidth, canvas.GetTextExtent("Hello").cx);
}

TEST(CanvasFont, ArialResolvesToLiberationSansWithItsMetrics) {
  if (!HaveLiberation()) GTEST_SKIP() << "fonts-liberation is not installed";
  const ResolvedFont font(Arial(-100), nullptr);
  EXPECT_EQ(font.metrics().faceName, "Liberation Sans");
  EXPECT_EQ(font.metrics().ascent, 91);
  EXPECT_EQ(font.metrics().descent, 21);
  EXPECT_EQ(font.metrics().externalLeading, 3);
  EXPECT_FALSE(font.metrics().fixedPitch);
  LogFont courier = Arial(-20);
  courier.faceName = "Courier New";
  EXPECT_TRUE(ResolvedFont(courier, nullptr).metrics().fixedPitch);
}

TEST(CanvasFont, WeightAndWidthChangeTheText) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  canvas.SelectFont(Arial(-30));
  const int normal = canvas.GetTextExtent("Wide text").cx;
  LogFont bold = Arial(-30);
  bold.weight = FW_BOLD;
  canvas.SelectFont(bold);
  EXPECT_GT(canvas.GetTextExtent("Wide text").cx, normal);
  LogFont narrow = Arial(-30);
  narrow.width = 6;
  canvas.SelectFont(narrow);
  EXPECT_LT(canvas.GetTextExtent("Wide text").cx, normal * 3 / 4);
}

TEST(CanvasText, AlignmentFlagsPlaceTheCellOnTheReferencePoint) {
  const int x = 150, y = 60;
  for (unsigned h : {TA_LEFT, TA_CENTER, TA_RIGHT}) {
    for (unsigned v : {TA_TOP, TA_BASELINE, TA_BOTTOM}) {
      QImage page = WhitePage(300, 120);
      Canvas canvas(&page);
      canvas.SelectFont(Arial(-30));
      canvas.SetBkMode(TRANSPARENT);
      canvas.SetTextAlign(h | v);
      const TextMetrics m = canvas.GetTextMetrics();
      const int width = canvas.GetTextExtent("HHH").cx;
      canvas.TextOut(x, y, "HHH");
      canvas.EndPaint();
      const auto ink = FindInk(page);
      ASSERT_FALSE(ink.empty());
      const std::string where = "h " + std::to_string(h) + " v " + std::to_string(v);
      // Horizontally: the ink lies in the cell, a few pixels of side bearing in.
      const int cellLeft = h == TA_LEFT ? x : h == TA_RIGHT ? x - width : x - width / 2;
      EXPECT_GE(ink.left, cellLeft) << where;
      EXPECT_LE(ink.left, cellLeft + 4) << where;
      EXPECT_LE(ink.right, cellLeft + width - 1) << where;
      EXPECT_GE(ink.right, cellLeft + width - 5) << where;
      // Vertically: capitals sit on the baseline.
      const int baseline = v == TA_TOP ? y + m.ascent : v == TA_BASELINE ? y : y - m.descent;
      EXPECT_EQ(ink.bottom, baseline - 1) << where;
      EXPECT_GT(ink.top, baseline - m.ascent) << where;
    }
  }
}

TEST(CanvasText, EscapementTurnsTheTextCounterClockwise) {
  const int x = 60, y = 250;
  for (int escapement : {900, -900, 0}) {
    QImage page = WhitePage(300, 300);
    Canvas canvas(&page);
    LogFont font = Arial(-24);
    font.escapement = escapement;
    canvas.SelectFont(font);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextAlign(TA_BASELINE);
    const int width = canvas.GetTextExtent("HHHHHH").cx;
    canvas.TextOut(x, escapement == -900 ? 20 : y, "HHHHHH");
    canvas.EndPaint();
    const auto ink = FindInk(page);
    ASSERT_FALSE(ink.empty());
    if (escapement == 900) {  // runs up the page, letters to the left of x
      EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);
      EXPECT_LE(ink.bottom, y);
      EXPECT_GE(ink.top, y - width - 1);
      EXPECT_LE(ink.right, x);
      EXPECT_GE(ink.left, x - 24);
    } else if (escapement == -900) {  // runs down, letters to the right
      EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);
      EXPECT_GE(ink.top, 20);
      EXPECT_LE(ink.bottom, 20 + width + 1);
      EXPECT_GE(ink.left, x);
    } else {
      EXPECT_LT(ink.bottom - ink.top, ink.right - ink.left);
    }
  }
}

// Left ink column of each word of a line (words separated by blank columns).
std::vector<int> WordStarts(const QImage& page) {
  std::vector<int> starts;
  bool previous = false;
  int blank = 0;
  for (int x = 0; x < page.width(); ++x) {
    bool ink = false;
    for (int y = 0; y < page.height() && !ink; ++y) ink = Ink(page, x, y);
    if (ink && (!previous || blank >= 10)) starts.push_back(x);
    if (ink) blank = 0; else ++blank;
    if (ink) previous = true;
  }
  return starts;
}

TEST(CanvasText, NegativeJustificationSqueezesTheBlanks) {
  const char* text = "II II II II II";
  QImage plain = WhitePage(400, 60);
  QImage squeezed = WhitePage(400, 60);
  int plainWidth = 0;
  {
    Canvas canvas(&plain);
    canvas.SelectFont(Arial(-40));
    plainWidth = canvas.GetTextExtent(text).cx;
    canvas.TextOut(10, 5, text);
  }
  {
    Canvas canvas(&squeezed);
    canvas.SelectFont(Arial(-40));
    canvas.SetTextJustification(-21, 4);
    EXPECT_EQ(canvas.GetTextExtent(text).cx, plainWidth - 21);
    canvas.TextOut(10, 5, text);
    canvas.SetTextJustification(0, 0);
    EXPECT_EQ(canvas.GetTextExtent(text).cx, plainWidth);
  }
  const std::vector<int> a = WordStarts(plain), b = WordStarts(squeezed);
  ASSERT_EQ(a.size(), 5u);
  ASSERT_EQ(b.size(), 5u);
  // The first break takes the odd pixel: -6, then -5 each.
  const std::vector<int> shift = {0, -6, -11, -16, -21};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(b[i] - a[i], shift[i]) << "word " << i;
}

TEST(CanvasText, OpaqueBackgroundFillsTheCell) {
  QImage page = WhitePage(200, 60);
  page.fill(Qt::blue);
  Canvas canvas(&page);
  canvas.SelectFont(Arial(-20));
  canvas.SetBkColor(kYellow);
  canvas.SetBkMode(OPAQUE);
  const Size extent = canvas.GetTextExtent("a b");
  canvas.TextOut(10, 10, "a b");
  canvas.SetBkMode(TRANSPARENT);
  canvas.TextOut(100, 10, "a b");
  canvas.EndPaint();
  EXPECT_EQ(At(page, 10, 10), kYellow);
  EXPECT_EQ(At(page, 10 + extent.cx - 1, 10 + extent.cy - 1), kYellow);
  EXPECT_NE(At(page, 10 + extent.cx, 10), kYellow);
  EXPECT_NE(At(page, 10, 10 + extent.cy), kYellow);
  EXPECT_NE(At(page, 100, 10), kYellow);
}

TEST(CanvasText, ExtTextOutClipsOpaquesAndTakesAdvances) {
  QImage page = WhitePage(200, 60);
  Canvas canvas(&page);
  canvas.SelectFont(Arial(-30));
  canvas.SetBkMode(TRANSPARENT);
  canvas.SetBkColor(kYellow);
  const Rect box{10, 5, 30, 50};
  canvas.ExtTextOut(10, 5, ETO_CLIPPED | ETO_OPAQUE, &box, "WWWW");
  const std::vector<int> dx = {40, 40, 40};
  canvas.ExtTextOut(60, 5, 0, nullptr, "III", dx);
  canvas.EndPaint();
  EXPECT_EQ(At(page, 29, 49), kYellow);  // the opaque box
  EXPECT_EQ(At(page, 30, 20), kWhite);   // text cut at its right edge
  std::vector<int> starts;
  for (int x = 60; x < 200; ++x) {
    bool ink = false;
    for (int y = 0; y < 60 && !ink; ++y) ink = At(page, x, y) == kBlack;
    if (ink && (starts.empty() || x > starts.back() + 10)) starts.push_back(x);
  }
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[1] - starts[0], 40);
  EXPECT_EQ(starts[2] - starts[1], 40);
}

TEST(CanvasText, UpdateCpMovesTheCurrentPosition) {
  QImage page = WhitePage(300, 60);
  Canvas canvas(&page);
  canvas.SelectFont(Arial(-20));
  canvas.SetTextAlign(TA_UPDATECP);
  canvas.MoveTo(10, 10);
  const int first = canvas.GetTextExtent("One").cx;
  canvas.TextOut(999, 999, "One");  // the coordinates are ignored
  EXPECT_EQ(canvas.CurrentPosition(), (Point{10 + first, 10}));
  canvas.TextOut(0, 0, "Two");
  canvas.EndPaint();
  const auto ink = FindInk(page);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + first + canvas.GetTextExtent("Two").cx);
  EXPECT_GT(ink.right, 10 + first);
}

TEST(CanvasText, WindowsCodePageText) {
  const QString s = DecodeWindows1252("\x80\xE9\x96\x81");
  ASSERT_EQ(s.size(), 4);
  EXPECT_EQ(s[0].unicode(), 0x20AC);
  EXPECT_EQ(s[1].unicode(), 0x00E9);
  EXPECT_EQ(s[2].unicode(), 0x2013);
  EXPECT_EQ(s[3].unicode(), 0x0081);
}

}  // namespace
