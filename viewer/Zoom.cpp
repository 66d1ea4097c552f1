#include "viewer/Zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace viewer {

namespace {

constexpr double kLevels[] = {25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400, 600, 800};

// Physical resolutions outside this range are a screen that does not know
// its size (or says 0 mm).
constexpr double kLeastPhysicalDpi = 30, kMostPhysicalDpi = 1000;

}  // namespace

double ClampZoom(double percent) {
  if (!std::isfinite(percent)) return 100;
  return std::clamp(percent, kMinZoom, kMaxZoom);
}

double ZoomInStep(double percent) {
  const double at = ClampZoom(percent);
  const auto next = std::upper_bound(std::begin(kLevels), std::end(kLevels), at + 1e-9);
  return next == std::end(kLevels) ? kMaxZoom : *next;
}

double ZoomOutStep(double percent) {
  const double at = ClampZoom(percent);
  const auto next = std::lower_bound(std::begin(kLevels), std::end(kLevels), at - 1e-9);
  return next == std::begin(kLevels) ? kMinZoom : *std::prev(next);
}

double FitWidthZoom(int pageWidth, int viewWidth) {
  if (pageWidth <= 0 || viewWidth <= 0) return 100;
  return ClampZoom(100.0 * viewWidth / pageWidth);
}

double FitPageZoom(int pageWidth, int pageHeight, int viewWidth, int viewHeight) {
  if (pageHeight <= 0 || viewHeight <= 0) return FitWidthZoom(pageWidth, viewWidth);
  return std::min(FitWidthZoom(pageWidth, viewWidth), ClampZoom(100.0 * viewHeight / pageHeight));
}

std::optional<double> TrueScaleZoom(double physicalDpi, double logicalDpi) {
  if (!std::isfinite(physicalDpi) || !std::isfinite(logicalDpi) || logicalDpi <= 0 ||
      physicalDpi < kLeastPhysicalDpi || physicalDpi > kMostPhysicalDpi)
    return std::nullopt;
  return ClampZoom(100.0 * physicalDpi / logicalDpi);
}

int ZoomDpi(int screenDpi, double percent, double ratio) {
  if (!(ratio > 0)) ratio = 1;
  return std::max(1, static_cast<int>(std::lround(screenDpi * ClampZoom(percent) / 100 * ratio)));
}

double WholeDpiZoomBelow(double percent, int screenDpi, double ratio) {
  if (!(ratio > 0)) ratio = 1;
  const double perPercent = screenDpi * ratio / 100;
  if (!(perPercent > 0)) return ClampZoom(percent);
  const double dpi = std::floor(ClampZoom(percent) * perPercent + 1e-9);
  return ClampZoom(dpi / perPercent);
}

TypedZoom ReadTypedZoom(const std::string& text) {
  // Blanks anywhere, one "%" at the end, a decimal point or comma.
  std::string number;
  for (char c : text)
    if (c != ' ' && c != '\t') number += c == ',' ? '.' : c;
  if (!number.empty() && number.back() == '%') number.pop_back();
  const bool digitsOnly =
      !number.empty() && number.find_first_not_of("0123456789.") == std::string::npos &&
      std::count(number.begin(), number.end(), '.') <= 1 && number != ".";
  TypedZoom typed;
  if (!digitsOnly) return typed;
  typed.percent = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(typed.percent)) return typed;
  typed.kind = typed.percent >= kMinZoom && typed.percent <= kMaxZoom ? TypedZoom::InRange
                                                                      : TypedZoom::OutOfRange;
  return typed;
}

std::string TypedZoomMessage(const TypedZoom& typed) {
  const std::string range = ZoomText(kMinZoom) + " to " + ZoomText(kMaxZoom);
  if (typed.kind == TypedZoom::OutOfRange) {
    char value[32];
    std::snprintf(value, sizeof value, "%g%%", typed.percent);
    return std::string("A zoom of ") + value + " is out of range: the zoom goes from " + range +
           ".";
  }
  return "Please type a zoom from " + range + ", for example 150%.";
}

std::string ZoomText(double percent) {
  return std::to_string(static_cast<int>(std::lround(percent))) + "%";
}

int ScrollAfterZoom(int scroll, int anchor, double from, double to) {
  if (!(from > 0) || !(to > 0)) return scroll;
  return static_cast<int>(std::lround((scroll + anchor) * to / from - anchor));
}

}  // namespace viewer
