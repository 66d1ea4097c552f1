#pragma once
// The viewer's page count: how many pages a compiled log has at a given
// resolution, from its header alone. Shared by the viewer and korvale-render.
#include <cstdint>

#include "core/TflFormat.h"

enum class PageCountProblem {
  None,
  // The page has no room for the log body (page height not larger than the
  // header and footer sections): counted as one page.
  NoRoomForLog,
  // Header values that give no finite page count (NaN, infinite, beyond 32
  // bits): counted as one page.
  OutOfRange,
};

struct PageCount {
  int32_t last_page = 0;  // zero-based index of the last page
  int32_t page_height_px = 0;
  int32_t page_width_px = 0;
  bool has_footer = false;
  PageCountProblem problem = PageCountProblem::None;
};

// resolution: pixels per inch of the page (the screen's for the viewer);
// scale_y: pixels per vertical file unit (resolution / y_units_per_inch).
PageCount CountPages(const tfl::Header& header, int32_t resolution, double scale_y);
