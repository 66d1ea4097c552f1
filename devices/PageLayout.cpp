#include "devices/PageLayout.h"

#include <algorithm>
#include <cmath>

#include "devices/DeviceMath.h"

using device_math::Narrow;
using device_math::RoundChecked;

PageLayout ComputePageLayout(const tfl::Header& header, const PageLayoutInput& in) {
  PageLayout out;
  out.page_kind = in.page_kind;
  out.footer_top = in.page_height_px;
  out.body_clip_bottom = in.page_height_px;
  if (!(header.x_max > 0)) {  // also true for a NaN width
    out.blank = true;
    return out;
  }

  const double d = in.resolution;
  const double gap = header.section_gap;
  auto absent_as_zero = [](double h) { return h < 0 ? 0.0 : h; };
  const double h0 = absent_as_zero(header.first_header_height);
  const double h1 = absent_as_zero(header.repeat_header_height);
  const double h2 = absent_as_zero(header.footer_height);
  const double header_gap = in.header_gap;
  const double log_height = std::fabs(header.y_max - header.y_min);
  const int64_t page = in.page_index;

  // Footer, and the rows it reserves at the bottom of the page.
  int64_t reserve = 0;
  if (header.footer_height >= 0 && (header.paged || in.page_index == in.last_page)) {
    out.has_footer = 1;
    const int32_t f = RoundChecked(d * h2);
    out.footer_top = Narrow(static_cast<int64_t>(in.page_height_px) - f);
    reserve = static_cast<int64_t>(f) + RoundChecked(d * gap);
  }

  // Strip row of y_max (the top of the log body).
  int64_t body_top = 0;
  if (in.page_kind == PageKind::RepeatedHeader && h1 > 0) {
    out.body_clip_top = RoundChecked((h1 + gap) * d);
    out.header_bottom_px = RoundChecked(d * h1);
    body_top = reserve * page + RoundChecked((h0 + gap) * d) +
               static_cast<int64_t>(RoundChecked((h1 + gap) * d * page));
  } else if (in.page_kind == PageKind::RepeatedHeader) {
    // No repeated header of its own: the first page's header comes again.
    out.body_clip_top = RoundChecked((h0 + header_gap) * d);
    out.header_bottom_px = RoundChecked(d * h0);
    body_top = reserve * page + RoundChecked((h0 + header_gap) * d * (page + 1));
    out.page_kind = PageKind::First;
  } else {
    body_top = RoundChecked((h0 + gap) * d);
    out.header_bottom_px = RoundChecked(d * h0);
    out.body_clip_top = 0;
  }

  out.body_origin_y = Narrow(body_top + RoundChecked(log_height * in.scale_y));
  out.body_width_px = RoundChecked(header.x_max * in.scale_x);

  if (in.page_index == in.last_page && !header.paged && out.has_footer) {
    // An unpaged log's footer follows the body directly on the last page.
    int64_t row_of_bottom = static_cast<int64_t>(out.body_origin_y) -
                            static_cast<int64_t>(in.page_index) * in.page_height_px;
    row_of_bottom = std::clamp<int64_t>(row_of_bottom, -in.pixel_limit, in.pixel_limit);
    out.footer_top = Narrow(row_of_bottom + RoundChecked(d * header_gap));
  }
  out.body_clip_bottom = Narrow(static_cast<int64_t>(in.page_height_px) - reserve);
  return out;
}
