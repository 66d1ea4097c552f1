// plot: lays out one page (header, body, footer and their clip regions) and
// replays the log onto the canvas.
#include <stdexcept>

#include "core/FileError.h"
#include "devices/PageLayout.h"
#include "devices/logp_object.h"

using device_math::MulDiv;

namespace {

// Leaves the canvas without a clip region however the replay ends.
class ClipReset {
 public:
  explicit ClipReset(platform::Canvas* canvas) : canvas_(canvas) {}
  ~ClipReset() { canvas_->SelectClipRgn(nullptr); }
  ClipReset(const ClipReset&) = delete;
  ClipReset& operator=(const ClipReset&) = delete;

 private:
  platform::Canvas* canvas_;
};

}  // namespace

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
  body_width_px = layout.body_width_px;
  body_clip_top = layout.body_clip_top;
  footer_top = layout.footer_top;
  header_bottom_px = layout.header_bottom_px;
  has_footer = layout.has_footer;
  page_kind = layout.page_kind;
  body_clip = platform::Region::FromRect(0, body_clip_top, page_width_px, layout.body_clip_bottom);
  section_clip.reset();
  // Very tall pages (printers at high resolution) need a wider row range.
  while (page_height_px > pixel_limit && pixel_limit < INT32_MAX / 2) pixel_limit *= 2;
  return true;
}

void logp_object::plot(PlotCookie& cookie) {
  if (canvas == nullptr) throw std::logic_error("No canvas to draw on");
  const bool printer = canvas->IsPrinter();
  monochrome = (settings.print_in_black && printer) ? 1 : 0;
  line_unit = printer ? MulDiv(resolution, 2, 3) : MulDiv(resolution, 3, 4);
  platform::Brush brush = canvas->GetBrush();
  brush.style = platform::BS_HOLLOW;
  canvas->SetBrush(brush);

  // The header as it is in the file now; the interpreter opens it again.
  open_read();
  close();
  if (!lay_out_page()) return;  // no width: the page stays blank

  ClipReset reset(canvas);
  select_body_clip();
  dense_pattern_reported_ = false;
  gd_object::plot(cookie);
}
