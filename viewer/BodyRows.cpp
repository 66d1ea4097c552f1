#include "viewer/BodyRows.h"

#include <algorithm>
#include <exception>

namespace viewer {

std::optional<RowSpan> BodyRows(const PageModel& drawn, int32_t page,
                                 const DrawSettings& settings) {
  if (page < 0 || page > drawn.last_page()) return std::nullopt;
  PageLayout l;
  try {
    l = drawn.layout(page, drawn.screen_kind(page), settings);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  RowSpan rows;
  rows.top = std::max(l.body_clip_top, l.header_bottom_px);
  rows.bottom = l.has_footer ? std::min(l.body_clip_bottom, l.footer_top) : l.body_clip_bottom;
  if (rows.bottom <= rows.top) return std::nullopt;
  return rows;
}

}  // namespace viewer
