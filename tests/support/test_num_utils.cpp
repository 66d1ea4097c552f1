// Tick steps, range snapping, digit counts, polar points, number texts and
// temporary names.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "support/NumUtils.h"
#include "support/Paths.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Real48Rounding, KeepsFortyBitsOfMantissa) {
  EXPECT_EQ(Real48(0.5), 0.5);
  EXPECT_EQ(Real48(-3.0), -3.0);
  EXPECT_EQ(Real48(1.0 + std::ldexp(1.0, -39)), 1.0 + std::ldexp(1.0, -39));  // 40th bit kept
  EXPECT_EQ(Real48(1.0 + std::ldexp(1.0, -41)), 1.0);                         // below it dropped
  EXPECT_EQ(Real48(1.0 + std::ldexp(1.0, -40)), 1.0);                         // tie to even
  EXPECT_EQ(Real48(1.0 + 3 * std::ldexp(1.0, -40)), 1.0 + std::ldexp(1.0, -38));
  double tenth = Real48(0.1);
  EXPECT_NE(tenth, 0.1);
  EXPECT_NEAR(tenth, 0.1, 0.1 * std::ldexp(1.0, -40));
  EXPECT_TRUE(std::isnan(Real48(kNaN)));
  EXPECT_EQ(Real48(kInf), kInf);
}

TEST(TickSteps, ThresholdMustBeExceeded) {
  double minor = 0, major = 0;
  ChooseTickSteps(10, minor, major, 0, 100);
  EXPECT_EQ(minor, 10);
  EXPECT_EQ(major, 50);
  ChooseTickSteps(10, minor, major, 0, 100.5);
  EXPECT_EQ(minor, 20);
  EXPECT_EQ(major, 100);
  ChooseTickSteps(10, minor, major, 100.5, 0);  // order does not matter
  EXPECT_EQ(minor, 20);
}

TEST(TickSteps, EmptyRangeCountsAsOne) {
  double minor = 0, major = 0;
  ChooseTickSteps(4, minor, major, 3, 3);
  EXPECT_EQ(minor, 1);
  EXPECT_EQ(major, 5);
}

TEST(TickSteps, TableEndsAndOddDecade) {
  double minor = 0, major = 0;
  ChooseTickSteps(1, minor, major, 0, 0.0001);  // at the first threshold: v stands
  EXPECT_DOUBLE_EQ(minor, 0.0001);
  EXPECT_DOUBLE_EQ(major, 0.0005);
  ChooseTickSteps(1, minor, major, 0, 3);  // 2 < v: minor 5, major 25
  EXPECT_EQ(minor, 5);
  EXPECT_EQ(major, 25);
  ChooseTickSteps(1, minor, major, 0, 30);  // 25 < v: minor 50, major 200
  EXPECT_EQ(minor, 50);
  EXPECT_EQ(major, 200);
  ChooseTickSteps(1, minor, major, 0, 1e12);
  EXPECT_EQ(minor, 1000000);
  EXPECT_EQ(major, 5000000);
}

TEST(TickSteps, DegenerateInputsGiveFiniteSteps) {
  double minor = 0, major = 0;
  ChooseTickSteps(0, minor, major, 0, 100);
  EXPECT_TRUE(std::isfinite(minor) && minor > 0);
  ChooseTickSteps(-5, minor, major, 0, 100);
  EXPECT_TRUE(std::isfinite(minor) && minor > 0);
  ChooseTickSteps(10, minor, major, kNaN, 1);
  EXPECT_TRUE(std::isfinite(minor) && std::isfinite(major));
  ChooseTickSteps(10, minor, major, -kInf, kInf);
  EXPECT_TRUE(std::isfinite(minor) && std::isfinite(major));
}

TEST(SnapRange, WidensToWholeSteps) {
  double low = 3.7, high = 8.2;
  SnapRangeToStep(low, high, 2);
  EXPECT_EQ(low, 2);
  EXPECT_EQ(high, 10);

  low = -3.7, high = 8.2;
  SnapRangeToStep(low, high, 2);
  EXPECT_EQ(low, -4);
  EXPECT_EQ(high, 10);

  low = 4, high = 8;  // already on steps
  SnapRangeToStep(low, high, 2);
  EXPECT_EQ(low, 4);
  EXPECT_EQ(high, 8);
}

TEST(SnapRange, FractionalStepsLandOnRoundedValues) {
  double low = 0.05, high = 0.95;
  SnapRangeToStep(low, high, 0.1);
  EXPECT_NEAR(low, 0.0, 1e-12);
  EXPECT_NEAR(high, 1.0, 1e-9);
}

TEST(SnapRange, BadStepsLeaveTheRangeAndReturnQuickly) {
  for (double step : {0.0, -2.0, kNaN, kInf}) {
    double low = 3.7, high = 8.2;
    SnapRangeToStep(low, high, step);
    EXPECT_EQ(low, 3.7);
    EXPECT_EQ(high, 8.2);
  }
  double low = kNaN, high = 1;
  SnapRangeToStep(low, high, 1);
  EXPECT_TRUE(std::isnan(low));
}

// Snapping computes the ends; it never walks the steps (a walk would hang
// until the test's time limit).
TEST(SnapRange, HugeRangesAndTinyStepsDoNotHang) {
  double low = 0, high = 1e15;
  SnapRangeToStep(low, high, 1e-3);
  EXPECT_EQ(low, 0);
  EXPECT_GE(high, 1e15);

  low = 1e20, high = 1e20 + 5e6;  // steps vanish at this magnitude
  SnapRangeToStep(low, high, 1);
  EXPECT_LE(low, 1e20);
  EXPECT_GE(high, 1e20 + 5e6);
}

TEST(SpanDigitsCount, DecadesOfTheSpan) {
  EXPECT_EQ(SpanDigits(1, 1.5), 2);
  EXPECT_EQ(SpanDigits(5, 20), 0);
  EXPECT_EQ(SpanDigits(3, 3), 0);
  EXPECT_EQ(SpanDigits(0, 10), 0);
  EXPECT_EQ(SpanDigits(0, 9.99), 1);
  EXPECT_EQ(SpanDigits(0, 1), 1);
  EXPECT_EQ(SpanDigits(0, 0.1), 2);
  EXPECT_EQ(SpanDigits(0, 0.0999), 3);
  EXPECT_EQ(SpanDigits(0, 2e-7), 8);   // below 1e-6, not below 1e-7
  EXPECT_EQ(SpanDigits(0, 1e-9), 9);
  EXPECT_EQ(SpanDigits(20, 5), 9);  // a negative span gives the full count
}

TEST(Polar, AzimuthIsClockwiseFromUp) {
  double dx = 9, dy = 9;
  PolarOffset(dx, dy, 90, 2);
  EXPECT_NEAR(dx, 2, 1e-12);
  EXPECT_NEAR(dy, 0, 1e-12);
  PolarOffset(dx, dy, 0, 2);
  EXPECT_NEAR(dx, 0, 1e-12);
  EXPECT_NEAR(dy, 2, 1e-12);
  PolarOffset(dx, dy, 225, std::sqrt(2.0));
  EXPECT_NEAR(dx, -1, 1e-12);
  EXPECT_NEAR(dy, -1, 1e-12);
  EXPECT_NEAR(AzimuthToRadians(0), std::acos(-1.0) / 2, 1e-15);

  double x = 0, y = 0;
  PolarPoint(x, y, 10, 20, 180, 5);
  EXPECT_NEAR(x, 10, 1e-12);
  EXPECT_NEAR(y, 15, 1e-12);
}

TEST(Polar, AnglesOutOfTheProcessorsRangeCountAsZero) {
  double dx = 9, dy = 9;
  PolarOffset(dx, dy, 1e300, 2);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  PolarOffset(dx, dy, kNaN, 2);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
}

TEST(Polar, RotatePairTurnsBothPoints) {
  double x1 = 1, y1 = 2, x2 = -3, y2 = 4;
  RotatePair(90, x1, y1, x2, y2);  // azimuth 90 is no turn
  EXPECT_NEAR(x1, 1, 1e-12);
  EXPECT_NEAR(y1, 2, 1e-12);
  EXPECT_NEAR(x2, -3, 1e-12);
  EXPECT_NEAR(y2, 4, 1e-12);
  RotatePair(0, x1, y1, x2, y2);  // a quarter turn counter-clockwise
  EXPECT_NEAR(x1, -2, 1e-12);
  EXPECT_NEAR(y1, 1, 1e-12);
  EXPECT_NEAR(x2, -4, 1e-12);
  EXPECT_NEAR(y2, -3, 1e-12);
}

TEST(DecimalText, ExamplesAndTrailingZeros) {
  EXPECT_EQ(FormatDecimal(2, 1234.5), "1,234.5");
  EXPECT_EQ(FormatDecimal(2, 10), "10");
  EXPECT_EQ(FormatDecimal(0, 1234567), "1,234,567");
  EXPECT_EQ(FormatDecimal(3, 0.5), "0.5");
  EXPECT_EQ(FormatDecimal(0, -1234), "-1234");
  EXPECT_EQ(FormatDecimal(2, -1234.5), "-1234.5");
  EXPECT_EQ(FormatDecimal(2, 999.5), "999.5");
  EXPECT_EQ(FormatDecimal(1, 1000), "1,000");
  EXPECT_EQ(FormatDecimal(3, 0.0), "0");
  EXPECT_EQ(FormatDecimal(4, 0.0625), "0.0625");
  EXPECT_EQ(FormatDecimal(2, 0.001), "0");
  EXPECT_EQ(FormatDecimal(2, -0.001), "0");  // no "-0"
  EXPECT_EQ(FormatDecimal(0, 1e15), "1,000,000,000,000,000");
  EXPECT_EQ(FormatDecimal(0, 123456789012.0), "123,456,789,012");
}

TEST(DecimalText, HalvesRoundAwayFromZero) {
  EXPECT_EQ(FormatDecimal(0, 2.5), "3");
  EXPECT_EQ(FormatDecimal(0, 0.5), "1");
  EXPECT_EQ(FormatDecimal(2, 0.125), "0.13");
  EXPECT_EQ(FormatDecimal(2, -0.125), "-0.13");
  EXPECT_EQ(FormatDecimal(1, 9.96), "10");
  EXPECT_EQ(FormatDecimal(2, 999.999), "1000");  // the value is below 1000: no comma
  EXPECT_EQ(FormatDecimal(1, 0.04), "0");
}

TEST(DecimalText, OddArgumentsAreSafe) {
  EXPECT_EQ(FormatDecimal(-3, 12.7), "13");
  EXPECT_EQ(FormatDecimal(1000, 0.5), "0.5");
  EXPECT_EQ(FormatDecimal(2, kNaN), "NAN");
  EXPECT_EQ(FormatDecimal(2, kInf), "INF");
  EXPECT_EQ(FormatDecimal(2, -kInf), "-INF");
  std::string huge = FormatDecimal(2, 1e300);
  EXPECT_EQ(huge.size(), 301u + 5u);  // five commas at most
  EXPECT_EQ(huge.substr(huge.size() - 4), ",000");
}

TEST(TempNames, FirstFreeNumberInTheTempDirectory) {
  testfiles::TempDir dir;
  SetTempDirectoryOverride(dir.path());
  EXPECT_EQ(UniqueTempName("pict"), dir.path() + "/pict1.tmp");
  testfiles::WriteAll(dir.file("pict1.tmp"), {1});
  testfiles::WriteAll(dir.file("pict2.tmp"), {1});
  EXPECT_EQ(UniqueTempName("pictures"), dir.path() + "/pict3.tmp");
  EXPECT_EQ(UniqueTempName("ab"), dir.path() + "/ab1.tmp");
  SetTempDirectoryOverride("");
}

}  // namespace
