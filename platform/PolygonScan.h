#pragma once
// Scan conversion of a polygon into the rectangles of a clip region, by the
// rule of GDI's and X11's polygon regions: on each pixel row y the edges that
// span it (top row included, bottom row not) cross at x = ceil of the edge's
// exact x at y; a pixel is inside when the edges crossing at or left of it
// wind around it (winding rule) or are odd in number (alternate rule). Only
// the rows and columns of a window are converted, so the cost follows the
// window, not the polygon, and far-away points keep their exact slopes.
// Exact integer arithmetic (128 bits where a product needs it); no painting.

#include <QRect>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

// The pixels of the polygon (closed from the last point back to the first)
// inside `window` (columns left..right-1, rows top..bottom-1), as y-x sorted,
// banded rectangles with equal neighbouring rows merged: the form QRegion
// keeps. Fewer than three points or an empty window give no rectangles.
std::vector<QRect> ScanPolygon(std::span<const Point> points, bool winding, const Rect& window);

}  // namespace platform
