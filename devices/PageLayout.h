#pragma once
// Where one page of a compiled log puts its header, body and footer: the
// layout that the canvas device computes before it replays the log. Pure
// arithmetic on the header and the device's page fields, so that the
// viewer's read-out and the tests can reason about it without drawing.
#include <cstdint>

#include "core/TflFormat.h"

// Which header section a page shows: the section byte of its header items.
enum class PageKind : uint8_t {
  Later = 0,           // a later page of an unpaged log
  First = 1,           // the first page
  RepeatedHeader = 2,  // a later page that repeats the page header
};

struct PageLayoutInput {
  int32_t resolution = 96;  // pixels per inch of the target
  double scale_x = 96;      // pixels per horizontal file unit
  double scale_y = 96;      // pixels per vertical file unit
  int32_t page_index = 0;
  int32_t last_page = -1;
  int32_t page_height_px = 0;
  int32_t page_width_px = 0;
  PageKind page_kind = PageKind::First;
  double header_gap = 0.25;  // inches between a repeated header and the body
  int32_t pixel_limit = 1073741822;
};

struct PageLayout {
  bool blank = false;  // x_max <= 0: nothing is drawn
  int32_t body_origin_y = 0;
  int32_t body_width_px = 0;
  int32_t body_clip_top = 0;
  int32_t body_clip_bottom = 0;  // page_height_px - bottom reserve
  int32_t footer_top = 0;
  int32_t header_bottom_px = 0;
  uint8_t has_footer = 0;
  // RepeatedHeader becomes First when the first page's header is repeated.
  PageKind page_kind = PageKind::First;
};

// Throws RangeError when a value does not fit 32 bits.
PageLayout ComputePageLayout(const tfl::Header& header, const PageLayoutInput& in);
