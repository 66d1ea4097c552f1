// Stroke-font text through a recording device with a font of known strokes.
#include <gtest/gtest.h>

#include <cmath>

#include "CoreTestUtil.h"
#include "core/TraceDevice.h"
#include "platform/MessageBox.h"

namespace {

class StrokeFontTest : public ::testing::Test {
 protected:
  coretest::LogFixtureFiles files;
  std::unique_ptr<coretest::Recorder> recorder = std::make_unique<coretest::Recorder>(files);
  TraceDevice* device = &recorder->device;
  void use_font(const std::vector<SymbolData>& font) {
    coretest::WriteSymbolLibrary(files.symbols, font);
    recorder = std::make_unique<coretest::Recorder>(files);
    device = &recorder->device;
  }
  std::vector<RecordedCall> vectors() const { return device->of("plot_vector"); }
};

void ExpectSegment(const RecordedCall& c, double x1, double y1, double x2, double y2) {
  ASSERT_EQ(c.args.size(), 4u);
  EXPECT_NEAR(c.args[0], x1, 1e-9);
  EXPECT_NEAR(c.args[1], y1, 1e-9);
  EXPECT_NEAR(c.args[2], x2, 1e-9);
  EXPECT_NEAR(c.args[3], y2, 1e-9);
}

TEST_F(StrokeFontTest, HorizontalTextScalesTheCellAndAdvances) {
  // Angle 90: upright horizontal text. Cell 5 x 13 -> width 2, height 4.
  device->plot_vector_text(90, "AB", 10, 20, 0, 2, 4, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 2u);
  ExpectSegment(v[0], 10, 20, 12, 24);
  ExpectSegment(v[1], 12.4, 20, 14.4, 24);  // advance 1.2 widths
  EXPECT_NEAR(device->text_extent.x_low, 10, 1e-9);
  EXPECT_NEAR(device->text_extent.x_high, 14.4, 1e-9);
  EXPECT_NEAR(device->text_extent.y_low, 20, 1e-9);
  EXPECT_NEAR(device->text_extent.y_high, 24, 1e-9);
}

TEST_F(StrokeFontTest, AngleZeroRunsTheTextUpward) {
  device->plot_vector_text(0, "AB", 0, 0, 0, 2, 4, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 2u);
  // Rotated a quarter turn counter-clockwise: (x, y) -> (-y, x).
  ExpectSegment(v[0], 0, 0, -4, 2);
  ExpectSegment(v[1], 0, 2.4, -4, 4.4);
}

TEST_F(StrokeFontTest, GraveAccentRaisesAndBarLowersOnlyTheNextCharacter) {
  device->plot_vector_text(90, "H`2O", 0, 0, 0, 1, 2, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 3u);  // the marker draws nothing and does not advance
  ExpectSegment(v[0], 0, 0, 1, 2);
  ExpectSegment(v[1], 1.2, 1, 2.2, 3);
  ExpectSegment(v[2], 2.4, 0, 3.4, 2);

  device->clear();
  device->plot_vector_text(90, "H|2O", 0, 0, 0, 1, 2, true);
  v = vectors();
  ASSERT_EQ(v.size(), 3u);
  ExpectSegment(v[1], 1.2, -1, 2.2, 1);
  ExpectSegment(v[2], 2.4, 0, 3.4, 2);
}

TEST_F(StrokeFontTest, TextIsCutToSixtyCharacters) {
  device->plot_vector_text(90, std::string(70, 'A'), 0, 0, 0, 1, 1, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 60u);
  EXPECT_NEAR(v.back().args[0], 59 * 1.2, 1e-9);
}

TEST_F(StrokeFontTest, ALoneSpaceDrawsNothingAndLeavesTheExtentInitial) {
  // The test font gives the space a stroke: only the rule keeps it undrawn.
  device->plot_vector_text(90, " ", 0, 0, 0, 1, 1, true);
  EXPECT_TRUE(vectors().empty());
  EXPECT_EQ(device->text_extent.x_low, 1e27);
  EXPECT_EQ(device->text_extent.x_high, -1e27);
  EXPECT_EQ(device->text_extent.y_low, 1e27);
  EXPECT_EQ(device->text_extent.y_high, -1e27);
  // A space between characters still advances.
  device->plot_vector_text(90, "A A", 0, 0, 0, 1, 1, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NEAR(v[1].args[0], 2.4, 1e-9);
}

TEST_F(StrokeFontTest, MeasuringDrawsNothingButFillsTheExtent) {
  device->plot_vector_text(90, "AB", 5, 5, 0, 2, 4, false);
  EXPECT_TRUE(vectors().empty());
  EXPECT_NEAR(device->text_extent.x_high - device->text_extent.x_low, 4.4, 1e-9);
  gd_object::Extent e = device->measure_vector_text(90, "AB", 2, 4);
  EXPECT_NEAR(e.width, 4.4, 1e-9);
  EXPECT_NEAR(e.height, 4, 1e-9);
  EXPECT_TRUE(vectors().empty());
  e = device->measure_vector_text(0, "AB", 2, 4);
  EXPECT_NEAR(e.width, 4, 1e-9);
  EXPECT_NEAR(e.height, 4.4, 1e-9);
}

TEST_F(StrokeFontTest, EmptyGlyphAdvancesAndMultiStrokeGlyphsDrawEveryStroke) {
  auto font = coretest::DiagonalFont();
  font['E'] = SymbolData{};  // no strokes
  font['X'] = coretest::Symbol({{0, 0, 5, 13}, {0, 13, 5, 0}, {-1, -2, 3, 4}});
  use_font(font);
  device->plot_vector_text(90, "EX", 0, 0, 0, 5, 13, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 3u);
  ExpectSegment(v[0], 6, 0, 11, 13);
  ExpectSegment(v[1], 6, 13, 11, 0);
  ExpectSegment(v[2], 5, -2, 9, 4);  // negative glyph units are signed
}

TEST_F(StrokeFontTest, AGlyphBeyondTheLibraryReportsAndReusesTheLastRecord) {
  std::vector<SymbolData> font = coretest::DiagonalFont();
  font.resize(100);  // 'd' (100) and above are missing
  use_font(font);
  coretest::ErrorTableScope errors;
  files.write_log([](tfl::TflWriter& w) {
    tfl::VectorTextRecord r{};
    r.char_width = r.char_height = 1;
    r.angle = 90;
    r.text.assign("Ad");
    w.write(r);
  });
  recorder->plot();
  EXPECT_EQ(recorder->log.texts(), std::vector<std::string>{"E1037:  Symbol = 100"});
  EXPECT_EQ(vectors().size(), 2u);
}

TEST_F(StrokeFontTest, AZeroCharacterDrawsNothingButAdvances) {
  device->plot_vector_text(90, std::string("A\0A", 3), 0, 0, 0, 1, 1, true);
  auto v = vectors();
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NEAR(v[1].args[0], 2.4, 1e-9);
}

}  // namespace
