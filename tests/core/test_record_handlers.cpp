// The interpreter's own shapes: grid, orientation symbol, graph frame, polar
// lines, vector rectangles and sectors, replayed through a recording device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

#include "CoreTestUtil.h"
#include "core/Interpreter.h"
#include "core/TraceDevice.h"
#include "platform/MessageBox.h"

using tfl::TflWriter;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class HandlerTest : public ::testing::Test {
 protected:
  coretest::LogFixtureFiles files;
  coretest::Recorder recorder{files};
  TraceDevice* device = &recorder.device;
  void SetUp() override { platform::ClearShownBoxes(); }
  void replay(const std::function<void(TflWriter&)>& fn,
              const tfl::Header& header = tfl::DefaultHeader()) {
    files.write_log(fn, header);
    device->clear();
    recorder.plot();
  }
  std::vector<std::string> vectors() const {
    std::vector<std::string> out;
    for (const auto& c : device->of("plot_vector")) out.push_back(c.str());
    return out;
  }
};

void ExpectArgs(const RecordedCall& c, std::vector<double> want) {
  ASSERT_EQ(c.args.size(), want.size()) << c.str();
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(c.args[i], want[i], 1e-9) << c.str() << " arg " << i;
}

// --- Grid ----------------------------------------------------------------------

TEST_F(HandlerTest, GridStopsAtTheLastWholeStepOnBothAxes) {
  replay([](TflWriter& w) { w.write(tfl::GridRecord{0, 10, 10, 17, 3, 2}); });
  EXPECT_EQ(vectors(), (std::vector<std::string>{
                           "plot_vector(0,10,0,16)", "plot_vector(3,10,3,16)",
                           "plot_vector(6,10,6,16)", "plot_vector(9,10,9,16)",
                           "plot_vector(0,10,9,10)", "plot_vector(0,12,9,12)",
                           "plot_vector(0,14,9,14)", "plot_vector(0,16,9,16)"}));
}

TEST_F(HandlerTest, GridEndOnAWholeStepIsIncludedDespiteRounding) {
  // 0.3 * 3 is 0.8999999999999999 in binary, 0.1 * 3 is 0.30000000000000004:
  // both ends are three whole steps away and get their line.
  replay([](TflWriter& w) { w.write(tfl::GridRecord{0, 0, 0.9, 0.3, 0.3, 0.1}); });
  EXPECT_EQ(device->count("plot_vector"), 4u + 4u);
  // Just short of the end is not a whole step.
  replay([](TflWriter& w) { w.write(tfl::GridRecord{0, 0, 0.8999, 0.2999, 0.3, 0.1}); });
  EXPECT_EQ(device->count("plot_vector"), 3u + 3u);
}

TEST_F(HandlerTest, GridWithStepsThatCannotBeWalkedIsSkipped) {
  for (double step : {0.0, -1.0, kNaN, kInf, -kInf}) {
    replay([&](TflWriter& w) {
      w.write(tfl::GridRecord{0, 0, 10, 10, step, 1});
      w.write(tfl::GridRecord{0, 0, 10, 10, 1, step});
      w.write(tfl::VerticalLineRecord{1});
    });
    EXPECT_EQ(device->count("plot_vector"), 0u) << step;
    EXPECT_EQ(device->count("plot_vertical_line"), 1u) << step;
  }
}

// The walk is bounded by what the page can show, not by the range: a hang
// ends at the test's time limit.
TEST_F(HandlerTest, GridWithAHugeRangeOverATinyStepDoesNotHang) {
  replay([](TflWriter& w) {
    w.write(tfl::GridRecord{0, 0, 1e12, 1, 1e-3, 1});
    w.write(tfl::GridRecord{0, 0, kInf, 1, 1, 1});
    w.write(tfl::GridRecord{1e300, 0, 1e300, 1, 1, 1});  // step below the resolution
  });
  EXPECT_LE(device->count("plot_vector"), 10u);
}

// --- Lines, rectangles, sectors -----------------------------------------------------

TEST_F(HandlerTest, PolarLineFollowsTheAzimuth) {
  replay([](TflWriter& w) {
    w.write(tfl::PolarLineRecord{1, 1, 2, 90});
    w.write(tfl::PolarLineRecord{1, 1, 2, 0});
    w.write(tfl::PolarLineRecord{0, 0, 2, 210});
  });
  auto v = device->of("plot_vector");
  ASSERT_EQ(v.size(), 3u);
  ExpectArgs(v[0], {1, 1, 3, 1});
  ExpectArgs(v[1], {1, 1, 1, 3});
  ExpectArgs(v[2], {0, 0, -1, -std::sqrt(3.0)});
}

TEST_F(HandlerTest, VectorRectangleIsFourSegmentsInOrder) {
  replay([](TflWriter& w) { w.write(tfl::VectorRectangleRecord{{1, 2, 3, 4}}); });
  EXPECT_EQ(vectors(), (std::vector<std::string>{"plot_vector(1,2,1,4)", "plot_vector(1,4,3,4)",
                                                 "plot_vector(3,2,3,4)", "plot_vector(3,2,1,2)"}));
}

TEST_F(HandlerTest, SectorIsTwoRadiiAroundItsArc) {
  replay([](TflWriter& w) { w.write(tfl::SectorRecord{0, 0, 2, 0, 90}); });
  ASSERT_EQ(device->calls.size(), 3u);
  EXPECT_EQ(device->calls[0].name, "plot_vector");
  ExpectArgs(device->calls[0], {0, 0, 0, 2});
  EXPECT_EQ(device->calls[1].str(), "plot_arc(0,0,2,0,90)");
  ExpectArgs(device->calls[2], {0, 0, 2, 0});
}

// --- Orientation symbol -------------------------------------------------------------

tfl::Header TenWide() {
  tfl::Header h = tfl::DefaultHeader();
  h.x_min = 0;
  h.x_max = 10;
  return h;
}

TEST_F(HandlerTest, FlatDipIsACrossInACircleOfHalfTheSize) {
  // s = (10 - 0) * 0.2 = 2, so h = 1.
  replay(
      [](TflWriter& w) {
        w.write(tfl::OrientationSizeRecord{0.2});
        w.write(tfl::OrientationRecord{5, 5, 30, 0.05});
      },
      TenWide());
  EXPECT_EQ(device->strings(), (std::vector<std::string>{
                                   "plot_vector(4,5,6,5)", "plot_vector(5,4,5,6)",
                                   "plot_circle(5,5,1)", "plot_arc(5,5,1,0,360)"}));
}

TEST_F(HandlerTest, DippingBedIsAStrikeLineADipTickAndItsLabel) {
  replay(
      [](TflWriter& w) {
        w.write(tfl::OrientationSizeRecord{0.3});  // s = 3
        w.write(tfl::OrientationRecord{0, 0, 90, 35});
      },
      TenWide());
  auto v = device->of("plot_vector");
  ASSERT_GE(v.size(), 2u);
  ExpectArgs(v[0], {3, 0, -3, 0});  // strike 90 and 270
  ExpectArgs(v[1], {0, 0, 0, -3});  // dip tick towards 180
  auto texts = device->of("plot_vector_text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "35");
  // Centroid (1, -1), t = 1: anchor (0.4, -1.45), angle 90, size t by t.
  ExpectArgs(texts[0], {90, 0.4, -1.45, 0, 1, 1, 1});
}

TEST_F(HandlerTest, DipLabelsHaveOneDecimalBelowOne) {
  replay(
      [](TflWriter& w) {
        w.write(tfl::OrientationRecord{0, 0, 200, 0.5});
        w.write(tfl::OrientationRecord{0, 0, 300, 1});
      },
      TenWide());
  auto texts = device->of("plot_vector_text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "0.5");
  EXPECT_EQ(texts[1].text, "1");
  // Strike 200: the opposite end lies at 20; strike 300: the dip tick at 30.
  auto v = device->of("plot_vector");
  const double s = 0.1;  // (10 - 0) * 0.01
  ExpectArgs(v[0], {s * std::sin(200 * M_PI / 180), s * std::cos(200 * M_PI / 180),
                    s * std::sin(20 * M_PI / 180), s * std::cos(20 * M_PI / 180)});
  // The second symbol's dip tick (strike 300 + 90 - 360 = 30) follows its
  // strike line.
  bool found = false;
  for (const auto& c : v)
    if (std::fabs(c.args[2] - s * std::sin(30 * M_PI / 180)) < 1e-12 &&
        std::fabs(c.args[3] - s * std::cos(30 * M_PI / 180)) < 1e-12 && c.args[0] == 0)
      found = true;
  EXPECT_TRUE(found);
}

// --- Graph frame ----------------------------------------------------------------------

tfl::GraphFrameRecord Frame(double data_start, double data_end, uint8_t options,
                            uint8_t automatic, double interval) {
  tfl::GraphFrameRecord g{};
  g.frame = {0, 0, 10, 20};
  g.data_x_start = data_start;
  g.data_y_start = data_start;
  g.data_x_end = data_end;
  g.data_y_end = data_end;
  g.frame_options = options;
  g.automatic_intervals = automatic;
  g.x_tick_interval = interval;
  g.y_tick_interval = interval;
  return g;
}

// The segments that start on the left side and run across (ticks).
std::vector<RecordedCall> LeftTicks(const TraceDevice& d, double length) {
  std::vector<RecordedCall> out;
  for (const auto& c : d.of("plot_vector"))
    if (c.args[0] == 0 && c.args[1] == c.args[3] && std::fabs(c.args[2] - length) < 1e-12)
      out.push_back(c);
  return out;
}

// The ticks of the frame (0, 0)-(10, 20) that lie along one side, each as
// its length: segments across a side from a point on it into the frame.
std::vector<double> SideTickLengths(const TraceDevice& d, char side) {
  std::vector<double> out;
  for (const auto& c : d.of("plot_vector")) {
    const double x1 = c.args[0], y1 = c.args[1], x2 = c.args[2], y2 = c.args[3];
    const bool across = y1 == y2, along = x1 == x2;
    if (side == 'L' && across && x1 == 0 && x2 > 0 && x2 < 10) out.push_back(x2 - x1);
    if (side == 'R' && across && x2 == 10 && x1 > 0 && x1 < 10) out.push_back(x2 - x1);
    if (side == 'B' && along && y1 == 0 && y2 > 0 && y2 < 20) out.push_back(y2 - y1);
    if (side == 'T' && along && y2 == 20 && y1 > 0 && y1 < 20) out.push_back(y2 - y1);
  }
  return out;
}

TEST_F(HandlerTest, AutomaticFrameOverZeroToHundredTicksEveryFiveAndTwentyFive) {
  replay([](TflWriter& w) { w.write(Frame(0, 100, 0, 1, 0)); });
  EXPECT_NEAR(device->frame_scale.x, 0.1, 1e-12);
  EXPECT_NEAR(device->frame_scale.y, 0.2, 1e-12);
  // Left side: minor ticks 0.005 W = 0.05 long every 5 (21), major 0.2 long
  // every 25 (5).
  auto minor = LeftTicks(*device, 0.05);
  ASSERT_EQ(minor.size(), 21u);
  EXPECT_NEAR(minor[1].args[1], 1.0, 1e-9);
  EXPECT_NEAR(minor.back().args[1], 20.0, 1e-9);
  auto major = LeftTicks(*device, 0.2);
  ASSERT_EQ(major.size(), 5u);
  EXPECT_NEAR(major[1].args[1], 5.0, 1e-9);
  // Tick lengths on all four sides: across the frame from its width W = 10
  // (left and right), along it from its height H = 20 (bottom and top).
  for (char side : {'L', 'R', 'B', 'T'}) {
    const double size = side == 'L' || side == 'R' ? 10 : 20;
    const std::vector<double> lengths = SideTickLengths(*device, side);
    EXPECT_EQ(std::count_if(lengths.begin(), lengths.end(),
                            [&](double l) { return std::fabs(l - 0.005 * size) < 1e-12; }),
              21)
        << side;
    EXPECT_EQ(std::count_if(lengths.begin(), lengths.end(),
                            [&](double l) { return std::fabs(l - 0.02 * size) < 1e-12; }),
              5)
        << side;
    EXPECT_EQ(lengths.size(), 26u) << side;
  }

  std::vector<std::string> labels;
  for (const auto& c : device->of("plot_vector_text"))
    if (c.args[6] == 1) labels.push_back(c.text);
  const std::vector<std::string> side = {"0", "25", "50", "75", "100"};
  std::vector<std::string> want;
  for (int i = 0; i < 4; ++i) want.insert(want.end(), side.begin(), side.end());
  EXPECT_EQ(labels, want);
}

TEST_F(HandlerTest, FrameTicksStartFromTheExtendedRange) {
  // Data 3 to 97: ticks fall on multiples of 5 (from the extended start -25),
  // not on 3, 8, 13...; 0 and 100 lie outside the frame.
  replay([](TflWriter& w) { w.write(Frame(3, 97, 0, 1, 0)); });
  const double scale = 20.0 / 94;
  auto minor = LeftTicks(*device, 0.05);
  ASSERT_EQ(minor.size(), 19u);  // 5, 10, ..., 95
  EXPECT_NEAR(minor[0].args[1], (5 - 3) * scale, 1e-9);
  std::vector<std::string> labels;
  for (const auto& c : device->of("plot_vector_text"))
    if (c.args[6] == 1) labels.push_back(c.text);
  ASSERT_EQ(labels.size(), 4u * 3);
  EXPECT_EQ(labels[0], "25");
  EXPECT_EQ(labels[2], "75");
}

TEST_F(HandlerTest, ExplicitIntervalHasATenthForMinorTicksAndDecimalsFromTheSpan) {
  replay([](TflWriter& w) { w.write(Frame(0, 2, 0, 0, 0.5)); });
  EXPECT_EQ(LeftTicks(*device, 0.05).size(), 41u);  // every 0.05 from 0 to 2
  EXPECT_EQ(LeftTicks(*device, 0.2).size(), 5u);    // every 0.5
  std::vector<std::string> labels;
  for (const auto& c : device->of("plot_vector_text"))
    if (c.args[6] == 1) labels.push_back(c.text);
  ASSERT_GE(labels.size(), 5u);
  // Extended range -0.5 to 2.5 spans 3: one decimal, trailing zeros dropped.
  EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + 5),
            (std::vector<std::string>{"0", "0.5", "1", "1.5", "2"}));
}

TEST_F(HandlerTest, FrameLabelPlacementWithoutCentring) {
  replay([](TflWriter& w) { w.write(Frame(0, 100, 0, 1, 0)); });
  // cw = 0.02 W = 0.2, ch = 0.04 H = 0.8. The test glyph is a full-cell
  // diagonal, so "25" measures (angle 90) 2.2 cw across and ch high, and
  // (angle 0) ch across and 2.2 cw along.
  const double cw = 0.2, ch = 0.8;
  std::vector<RecordedCall> drawn;
  for (const auto& c : device->of("plot_vector_text"))
    if (c.args[6] == 1 && c.text == "25") drawn.push_back(c);
  ASSERT_EQ(drawn.size(), 4u);  // left, right, bottom, top
  ExpectArgs(drawn[0], {90, 0 - 2.2 * cw - 0.5 * cw, 5 - 0.5 * ch, 0, cw, ch, 1});
  ExpectArgs(drawn[1], {90, 10 + 0.5 * cw, 5 - 0.3 * ch, 0, cw, ch, 1});
  ExpectArgs(drawn[2], {0, 2.5 + 0.5 * ch, 0 - 2.2 * cw - 0.5 * cw, 0, cw, ch, 1});
  ExpectArgs(drawn[3], {0, 2.5 + 0.5 * ch, 20 + 0.5 * cw, 0, cw, ch, 1});
}

TEST_F(HandlerTest, FrameLabelPlacementCentred) {
  replay([](TflWriter& w) { w.write(Frame(0, 100, 1, 1, 0)); });
  const double cw = 0.2, ch = 0.8;
  std::vector<RecordedCall> drawn;
  for (const auto& c : device->of("plot_vector_text"))
    if (c.args[6] == 1 && c.text == "25") drawn.push_back(c);
  ASSERT_EQ(drawn.size(), 4u);
  // Sides: angle 0, measured ch across and 2.2 cw along; bottom and top:
  // angle 90, measured 2.2 cw across and ch high.
  ExpectArgs(drawn[0], {0, -0.3 * ch - ch / 2, 5 - 1.1 * cw, 0, cw, ch, 1});
  ExpectArgs(drawn[1], {0, 10 + 1.3 * ch - ch / 2, 5 - 1.1 * cw, 0, cw, ch, 1});
  ExpectArgs(drawn[2], {90, 2.5 - 1.1 * cw, -1.2 * ch - ch / 2, 0, cw, ch, 1});
  ExpectArgs(drawn[3], {90, 2.5 - 1.1 * cw, 20 + 0.5 * ch - ch / 2, 0, cw, ch, 1});
}

TEST_F(HandlerTest, WalkingOnlyTheVisibleStepsKeepsEveryLineThatReachesThePage) {
  // Grids and frames (ticks and labels) in both directions, against windows
  // across their edges, inside them and away from them: a device that shows
  // a window gets every segment the whole shape has that meets the window,
  // and nothing the whole shape does not have.
  tfl::GraphFrameRecord reversed = Frame(3, 97, 1, 1, 0);
  reversed.frame = {10, 20, 0, 0};
  const std::vector<std::function<void(TflWriter&)>> shapes = {
      [](TflWriter& w) { w.write(tfl::GridRecord{0, 0, 10, 17, 3, 2}); },
      [](TflWriter& w) { w.write(tfl::GridRecord{-0.3, 40, 10, -7, 0.7, 0.9}); },
      [](TflWriter& w) { w.write(Frame(0, 100, 0, 1, 0)); },
      [](TflWriter& w) { w.write(Frame(0, 2, 0, 0, 0.05)); },
      [&](TflWriter& w) { w.write(reversed); },
  };
  const gd_object::Window windows[] = {
      {2, 6, 3, 9}, {-5, 0.1, -5, 25}, {9.9, 30, 19.9, 30}, {4.5, 4.6, -100, 100}, {100, 200, 100, 200}};
  auto meets = [](const RecordedCall& c, const gd_object::Window& v) {
    return std::min(c.args[0], c.args[2]) <= v.x_high && std::max(c.args[0], c.args[2]) >= v.x_low &&
           std::min(c.args[1], c.args[3]) <= v.y_high && std::max(c.args[1], c.args[3]) >= v.y_low;
  };
  TraceDevice windowed(recorder.libraries);  // its page shows only part of the log
  for (size_t i = 0; i < shapes.size(); ++i) {
    replay(shapes[i]);
    const std::vector<RecordedCall> whole = device->of("plot_vector");
    ASSERT_GE(whole.size(), 8u) << i;
    std::multiset<std::string> all;
    for (const auto& c : whole) all.insert(c.str());
    for (const gd_object::Window& v : windows) {
      windowed.window = v;
      windowed.clear();
      Interpreter::Replay(files.log, windowed, recorder.cookie);
      std::multiset<std::string> seen;
      for (const auto& c : windowed.of("plot_vector")) {
        seen.insert(c.str());
        EXPECT_TRUE(all.count(c.str())) << "shape " << i << ": " << c.str();
      }
      for (const auto& c : whole)
        if (meets(c, v)) EXPECT_TRUE(seen.count(c.str())) << "shape " << i << " lost " << c.str();
    }
  }
  // Far along a long grid the step numbers pass the whole numbers a double
  // holds (k + 1 == k): the walk still ends, with the lines in view.
  files.write_log([](TflWriter& w) { w.write(tfl::GridRecord{0, 0, 1e15, 1, 1e-3, 1}); });
  windowed.window = gd_object::Window{1e14, 1e14 + 0.02, 0, 1};
  windowed.clear();
  Interpreter::Replay(files.log, windowed, recorder.cookie);
  EXPECT_GT(windowed.count("plot_vector"), 2u);
  EXPECT_LT(windowed.count("plot_vector"), 100u);
}

TEST_F(HandlerTest, FrameWithIntervalsThatCannotBeWalkedIsSkipped) {
  for (double interval : {0.0, -5.0, kNaN, kInf, 1e-9}) {
    replay([&](TflWriter& w) {
      w.write(Frame(0, 100, 0, 0, interval));
      w.write(tfl::VerticalLineRecord{1});
    });
    EXPECT_EQ(device->count("plot_vector"), 0u) << interval;
    EXPECT_EQ(device->count("plot_vertical_line"), 1u) << interval;
  }
  // An empty data range cannot be scaled onto the frame.
  replay([](TflWriter& w) { w.write(Frame(5, 5, 0, 1, 0)); });
  EXPECT_EQ(device->count("plot_vector"), 0u);
}

}  // namespace
