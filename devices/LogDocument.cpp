#include "devices/LogDocument.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "core/FileError.h"
#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "devices/DeviceMath.h"
#include "devices/logp_object.h"

using device_math::RoundChecked;

// --- PageModel -------------------------------------------------------------------

PageKind PageModel::screen_kind(int32_t index) const {
  if (index == 0) return PageKind::First;
  return header_.paged ? PageKind::RepeatedHeader : PageKind::Later;
}

PageKind PageModel::printed_kind(int32_t index, bool repeat_page_header) const {
  if (index == 0) return PageKind::First;
  return repeat_page_header ? PageKind::RepeatedHeader : PageKind::Later;
}

PageLayout PageModel::layout(int32_t index, PageKind kind, const DrawSettings& settings) const {
  PageLayoutInput in;
  in.resolution = dpi_y_;
  in.scale_x = scale_x_;
  in.scale_y = scale_y_;
  in.page_index = index;
  in.last_page = last_page_;
  in.page_height_px = page_height_px_;
  in.page_width_px = page_width_px_;
  in.page_kind = kind;
  in.header_gap = settings.header_gap;
  in.pixel_limit = settings.pixel_limit;
  return ComputePageLayout(header_, in);
}

namespace {

// The read-out of `row` on a page whose body origin is `origin`.
double DepthOfRow(const tfl::Header& h, double scale_y, int32_t page_height_px, int32_t index,
                  int32_t origin, int32_t row) {
  const double strip_row = static_cast<double>(row) - origin +
                           static_cast<double>(index) * page_height_px;
  return strip_row / scale_y - h.y_min;
}

}  // namespace

PageModel::Interval PageModel::body_interval(int32_t index, PageKind kind,
                                             const DrawSettings& settings) const {
  const PageLayout l = layout(index, kind, settings);
  return {DepthOfRow(header_, scale_y_, page_height_px_, index, l.body_origin_y, l.body_clip_top),
          DepthOfRow(header_, scale_y_, page_height_px_, index, l.body_origin_y,
                     l.body_clip_bottom)};
}

double PageModel::depth_at(int32_t index, PageKind kind, int32_t row, bool elevation,
                           const DrawSettings& settings) const {
  PageLayout l;
  try {
    l = layout(index, kind, settings);
  } catch (const RangeError&) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const double depth = DepthOfRow(header_, scale_y_, page_height_px_, index, l.body_origin_y, row);
  return elevation ? header_.datum - depth : depth;
}

std::optional<PageModel::Position> PageModel::locate(double value, bool elevation,
                                                     const DrawSettings& settings) const {
  if (last_page_ < 0 || !std::isfinite(scale_y_) || scale_y_ == 0 || !std::isfinite(value))
    return std::nullopt;
  const double depth = elevation ? header_.datum - value : value;
  // Read-outs grow down the page and from page to page when the vertical
  // scale is positive, and fall when it is negative: compare in that order.
  const double sign = scale_y_ > 0 ? 1 : -1;
  auto before = [&](double a, double b) { return a * sign < b * sign; };
  try {
    auto top = [&](int32_t p) { return body_interval(p, screen_kind(p), settings).top; };
    if (before(depth, top(0))) return std::nullopt;
    // The last page whose body starts at or before the depth.
    int32_t lo = 0, hi = last_page_;
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2 + 1;
      if (before(depth, top(mid)))
        hi = mid - 1;
      else
        lo = mid;
    }
    int32_t page = lo;
    // Bodies can overlap (a later page's header taller than the page
    // header it stands for): a depth on two pages is found on the first.
    while (page > 0 &&
           before(depth, body_interval(page - 1, screen_kind(page - 1), settings).bottom))
      --page;
    const PageKind kind = screen_kind(page);
    if (!before(depth, body_interval(page, kind, settings).bottom)) return std::nullopt;
    const PageLayout l = layout(page, kind, settings);
    auto depth_of = [&](int64_t row) {
      return DepthOfRow(header_, scale_y_, page_height_px_, page, l.body_origin_y,
                        static_cast<int32_t>(row));
    };
    // The row whose read-out is the last one not beyond the depth.
    const double exact = (depth + header_.y_min) * scale_y_ + l.body_origin_y -
                         static_cast<double>(page) * page_height_px_;
    int64_t row = std::clamp<int64_t>(std::llround(exact), l.body_clip_top, l.body_clip_bottom - 1);
    if (row > l.body_clip_top && before(depth, depth_of(row))) --row;
    if (row + 1 < l.body_clip_bottom && !before(depth, depth_of(row + 1))) ++row;
    return Position{page, static_cast<int32_t>(row)};
  } catch (const RangeError&) {
    return std::nullopt;
  }
}

// --- LogDocument -----------------------------------------------------------------

LogDocument::LogDocument(std::string path, const tfl::Header& header)
    : path_(std::move(path)), header_(header) {}

LogDocument::~LogDocument() = default;

std::unique_ptr<LogDocument> LogDocument::Open(const std::string& path, PlotObserver* observer,
                                               OpenResult& result) {
  result = {};
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::string full = error ? path : absolute.lexically_normal().string();
  tfl::Header header{};
  HeaderCheck check = HeaderCheck::Ok;
  try {
    check = ReadLogHeader(full, header);
  } catch (const FileError& e) {
    result.status =
        e.code() == FileError::kReadPastEnd ? OpenResult::TooShort : OpenResult::Unreadable;
    result.message = e.what();
    return nullptr;
  } catch (const std::exception& e) {
    result.status = OpenResult::Unreadable;
    result.message = e.what();
    return nullptr;
  }
  if (check != HeaderCheck::Ok) {
    result.status =
        check == HeaderCheck::OldVersion ? OpenResult::OldVersion : OpenResult::NotACompiledLog;
    if (observer) observer->notice(RefusalNotice(check));
    return nullptr;
  }
  return std::unique_ptr<LogDocument>(new LogDocument(full, header));
}

HeaderRewriteResult LogDocument::rewrite_page_size(double page_height, double page_width) {
  tfl::Header updated = header_;
  updated.page_height = page_height;
  updated.page_width = page_width;
  const HeaderRewriteResult result = RewriteHeaderBlock(path_, updated);
  if (result.status != HeaderRewriteResult::OpenFailed) header_ = updated;
  return result;
}

PageModel LogDocument::pages(int32_t dpi) const {
  PageModel m;
  m.header_ = header_;
  m.dpi_x_ = m.dpi_y_ = dpi;
  m.scale_x_ = dpi / header_.x_units_per_inch;
  m.scale_y_ = dpi / header_.y_units_per_inch;
  const PageCount count = CountPages(header_, dpi, m.scale_y_);
  m.last_page_ = count.last_page;
  m.page_height_px_ = count.page_height_px;
  m.page_width_px_ = count.page_width_px;
  m.problem_ = count.problem;
  return m;
}

PageModel LogDocument::pages_at(const PageModel& base, int32_t dpi_x, int32_t dpi_y) const {
  PageModel m;
  m.header_ = header_;
  m.dpi_x_ = dpi_x;
  m.dpi_y_ = dpi_y;
  m.scale_x_ = dpi_x / header_.x_units_per_inch;
  m.scale_y_ = dpi_y / header_.y_units_per_inch;
  m.page_height_px_ = RoundChecked(dpi_y * header_.page_height);
  m.page_width_px_ = RoundChecked(dpi_x * header_.page_width);
  m.last_page_ = base.last_page_;
  m.problem_ = base.problem_;
  return m;
}

void SetUpPage(logp_object& device, const PageModel& model, int32_t index, PageKind kind,
               const DrawSettings& settings) {
  device.header = model.header();
  device.settings = settings;
  device.resolution = model.resolution();
  device.scale_x = model.scale_x();
  device.scale_y = model.scale_y();
  device.page_height_px = model.page_height_px();
  device.page_width_px = model.page_width_px();
  device.last_page = model.last_page();
  device.page_index = index;
  device.page_kind = kind;
}

void LogDocument::plot(const PageModel& model, int32_t index, PageKind kind,
                       platform::Canvas& canvas, const DrawSettings& settings,
                       Libraries& libraries, PlotCookie& cookie) const {
  if (!device_) device_ = std::make_unique<logp_object>(libraries);
  logp_object& device = *device_;
  device.use_libraries(libraries);
  SetUpPage(device, model, index, kind, settings);
  canvas.SetResolution(model.resolution());
  device.set_canvas(&canvas);
  // The device lets go of the canvas however the page ends.
  struct Release {
    logp_object& device;
    ~Release() { device.set_canvas(static_cast<platform::Canvas*>(nullptr)); }
  } release{device};
  Interpreter::Replay(path_, device, cookie);
}
