#pragma once
// The pixel rules of styled (dashed and dotted) lines. Such lines are drawn
// pixel by pixel so that dash lengths scale with the pen width identically on
// the screen and on paper: the pixels of the line are walked in Bresenham
// order, a counter runs over them (and on over the segments of a polyline),
// and the pen style decides from the counter which pixels are inked.
#include <cstdint>
#include <functional>

namespace styled_line {

// Period of the dash pattern for pen width w: 12 w when w div 2 >= 1, else 12.
int32_t Period(int32_t width);

// Whether the pixel with counter value c (before its increment) is inked for
// pen style 1 (dash), 2 (dot), 3 (dash-dot) or 4 (dash-dot-dot).
bool PixelOn(int style, int64_t c, int32_t period);

// An inclusive window of pixels; walking skips pixels outside it but still
// counts them, so that long lines far off the page cost nothing.
struct Window {
  int64_t left, top, right, bottom;
};

// Calls visit(x, y, c) for the pixels from (x0, y0) towards (x1, y1), the end
// pixel excluded, that lie in the window; c is counter + the pixel's index
// along the line. Afterwards counter has grown by the number of pixels of the
// whole line.
void Walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const Window& window,
          int64_t& counter, const std::function<void(int32_t, int32_t, int64_t)>& visit);

}  // namespace styled_line
