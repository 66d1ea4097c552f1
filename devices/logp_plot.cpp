// begin_log and end_log: the page layout (header, body, footer and their clip
// regions) that the replay draws into.
#include <stdexcept>

#include "core/FileError.h"
#include "devices/PageLayout.h"
#include "devices/logp_object.h"

using device_math::MulDiv;

bool logp_object::lay_out_page() {
  if (!(header.x_max > 0)) return false;  // also for a NaN width
  pixel_limit = settings.pixel_limit;
  PageLayoutInput in;
  in.resolution = resolution;
  in.scale_x = scale_x;
  in.scale_y = scale_y;
  in.page_index = page_index;
  in.last_page = last_page;
  in.page_height_px = page_height_px;
  in.page_width_px = page_width_px;
  in.page_kind = page_kind;
  in.header_gap = settings.header_gap;
  in.pixel_limit = pixel_limit;
  const PageLayout layout = ComputePageLayout(header, in);
  body_origin_y = layout.body_origin_y;
  body_clip_top = layout.body_clip_top;
  footer_top = layout.footer_top;
  header_bottom_px = layout.header_bottom_px;
  has_footer = layout.has_footer;
  page_kind = layout.page_kind;
  body_clip = platform::Region::FromRect(0, body_clip_top, page_width_px, layout.body_clip_bottom);
  // Very tall pages (printers at high resolution) need a wider row range.
  while (page_height_px > pixel_limit && pixel_limit < INT32_MAX / 2) pixel_limit *= 2;
  return true;
}

bool logp_object::begin_log(const tfl::Header& h) {
  if (canvas == nullptr) throw std::logic_error("No canvas to draw on");
  gd_object::begin_log(h);
  const bool printer = canvas->IsPrinter();
  monochrome = (settings.print_in_black && printer) ? 1 : 0;
  line_unit = printer ? MulDiv(resolution, 2, 3) : MulDiv(resolution, 3, 4);
  platform::Brush brush = canvas->GetBrush();
  brush.style = platform::BS_HOLLOW;
  canvas->SetBrush(brush);

  if (!lay_out_page()) return false;  // no width: the page stays blank
  select_body_clip();
  dense_pattern_reported_ = false;
  return true;
}

void logp_object::end_log() { remove_clip(); }
