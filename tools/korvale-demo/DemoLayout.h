#pragma once
// Page and track geometry of the demonstration log.
//
// Horizontal and vertical drawing units are the same size (20 per inch), so
// that circles, orientation symbols and stroke text come out round and
// upright. Vertically one unit is one foot: the depth scale is 5 inches per
// 100 feet (1:240) and a point at depth d lies at y = -d.
#include <cstdint>

namespace demo {

constexpr double kUnitsPerInch = 20.0;
constexpr double In(double inches) { return inches * kUnitsPerInch; }
constexpr double Y(double depth_ft) { return -depth_ft; }

// The page: the printable area of a US letter sheet (8 x 10.5 inches, the
// page the viewer assumes when no printer is installed, so the log opens
// without the page-size question), a tall first-page header, a short
// repeated header and a footer on every page.
constexpr double kPageWidth = 8.0, kPageHeight = 10.5;
// Left and right edges of the header and footer sheets, inches.
constexpr double kSheetLeft = 0.15, kSheetRight = 7.85;
constexpr double kFirstHeader = 3.5, kRepeatHeader = 0.8, kFooter = 0.4, kSectionGap = 0.1;

// The borehole interval drawn, in feet below the kelly bushing.
constexpr double kLogTop = 4200.0;
constexpr double kTotalDepth = 5180.0;
// The body runs on below TD for a summary (core crossplot, dip rose), which
// ends above the last page's footer.
constexpr double kLogBottom = 5236.0;
constexpr double kKellyBushing = 1247.0;  // elevation of the depth datum, ft

// Tracks, left to right, in drawing units (inches * 20).
struct Track {
  double left, right;
  constexpr double width() const { return right - left; }
  constexpr double mid() const { return (left + right) / 2; }
  // x of value v on a linear scale running from `lo` at the left edge to `hi`
  // at the right edge (hi < lo gives a reversed scale).
  constexpr double at(double v, double lo, double hi) const {
    return left + (v - lo) / (hi - lo) * width();
  }
};

constexpr Track kGammaTrack{2, 30};
constexpr Track kRopTrack{30, 42};
constexpr Track kDepthTrack{42, 52};
constexpr Track kLithTrack{52, 66};
constexpr Track kPorosityTrack{66, 94};
constexpr Track kGasTrack{94, 106};
constexpr Track kShowTrack{106, 116};
constexpr Track kDipTrack{116, 128};
constexpr Track kDescTrack{128, 156};
constexpr double kLogRight = 156;  // x_max

// Curve scales (value at the left edge, value at the right edge).
constexpr double kGrLeft = 0, kGrRight = 150;           // API
constexpr double kCaliperLeft = 6, kCaliperRight = 16;  // inches
constexpr double kRopLeft = 0, kRopRight = 140;         // ft/hr
constexpr double kPhiLeft = 0.45, kPhiRight = -0.15;    // v/v, limestone matrix
constexpr double kGasLeft = 0, kGasRight = 350;         // gas units
constexpr double kDipLeft = 0, kDipRight = 60;          // degrees
constexpr double kGrCutoff = 75;                        // clean/shaly, API

// Colours as compiled logs store them: 0x00BBGGRR.
constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr int32_t kBlack = Rgb(0, 0, 0);
constexpr int32_t kWhite = Rgb(255, 255, 255);
constexpr int32_t kGridGrey = Rgb(190, 190, 190);
constexpr int32_t kNavy = Rgb(20, 40, 100);

}  // namespace demo

namespace demo {
// Pattern scale of every lithology fill (one pattern unit = 0.02 in x scale).
constexpr double kPatternScale = 0.75;
// Depths at which pages break (first page: 11 - 3.6 - 0.5 = 6.9 in of log;
// later pages 11 - 0.9 - 0.5 = 9.6 in). Paragraphs keep clear of them.
constexpr double kFirstPageLog = (kPageHeight - kFirstHeader - kSectionGap - kFooter - kSectionGap);
constexpr double kLaterPageLog = (kPageHeight - kRepeatHeader - kSectionGap - kFooter - kSectionGap);
}  // namespace demo
