#pragma once
// The page view's zoom, in percent of the page at the screen's own pixels
// per inch (100: every pixel as the page is drawn without zoom). The steps of
// Zoom In and Zoom Out, the fits, true scale and the scroll position that
// keeps a point of the page under the pointer. No windows here.
#include <optional>
#include <string>

namespace viewer {

constexpr double kMinZoom = 25;
constexpr double kMaxZoom = 800;

// The zoom within [kMinZoom, kMaxZoom]; 100 for a value that is no number.
double ClampZoom(double percent);
// The next level up or down from `percent` (a zoom between levels goes to
// the nearest level in that direction), clamped at the ends.
double ZoomInStep(double percent);
double ZoomOutStep(double percent);
// The zoom at which a page of pageWidth x pageHeight pixels at 100% fills
// the view's width, or the whole view (clamped).
double FitWidthZoom(int pageWidth, int viewWidth);
double FitPageZoom(int pageWidth, int pageHeight, int viewWidth, int viewHeight);
// The zoom at which an inch of the page is an inch on the screen: from the
// screen's physical and logical dots per inch; nothing when the physical
// figure is no sensible size (a screen that reports none, or nonsense).
std::optional<double> TrueScaleZoom(double physicalDpi, double logicalDpi);
// The pixels per inch a page at `percent` is drawn at on a screen of
// `screenDpi` logical pixels per inch and device pixel ratio `ratio`.
int ZoomDpi(int screenDpi, double percent, double ratio);
// Pages are drawn at whole pixels per inch: the largest zoom not above
// `percent` that is drawn at a whole number of them (so that a fit fits).
double WholeDpiZoomBelow(double percent, int screenDpi, double ratio);
// A zoom typed into the zoom box: a number with or without "%" ("250",
// "137 %", "62.5%"). In range: kMinZoom to kMaxZoom.
struct TypedZoom {
  enum Kind { InRange, OutOfRange, NotANumber } kind = NotANumber;
  double percent = 0;  // the number typed (also when out of range)
};
TypedZoom ReadTypedZoom(const std::string& text);
// What the zoom box says to a typed zoom that is out of range or no number.
std::string TypedZoomMessage(const TypedZoom& typed);
// The zoom as the tool bar shows it ("237%").
std::string ZoomText(double percent);
// Zooming from `from` to `to` about the point `anchor` of the view (in view
// pixels) scrolled to `scroll`: the scroll value that keeps the same point
// of the page under `anchor`. One axis at a time.
int ScrollAfterZoom(int scroll, int anchor, double from, double to);

}  // namespace viewer
