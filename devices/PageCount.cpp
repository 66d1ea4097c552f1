#include "devices/PageCount.h"

#include <cmath>
#include <limits>

#include "core/FileError.h"
#include "devices/DeviceMath.h"

using device_math::RoundChecked;
using device_math::TruncChecked;

namespace {

// Pixel height of a section with its gap; 0 when the section is absent.
int32_t SectionPixels(double height, int32_t resolution, float gap) {
  if (height < 0) return 0;
  return RoundChecked(resolution * height + static_cast<double>(gap));
}

// trunc(numerator / divisor), or NoRoomForLog when the divisor leaves no room.
bool DividePages(double numerator, double divisor, int32_t& out) {
  if (!(divisor > 0)) return false;
  out = TruncChecked(numerator / divisor);
  return true;
}

}  // namespace

PageCount CountPages(const tfl::Header& header, int32_t resolution, double scale_y) {
  PageCount result;
  try {
    const double log_px = std::fabs(header.y_max - header.y_min) * scale_y;
    // The gap is held in single precision, as the page count always did.
    const float gap = static_cast<float>(resolution * header.section_gap);
    const int32_t first = SectionPixels(header.first_header_height, resolution, gap);
    const int32_t repeat = SectionPixels(header.repeat_header_height, resolution, gap);
    const int32_t footer = SectionPixels(header.footer_height, resolution, gap);
    result.has_footer = header.footer_height >= 0;
    result.page_height_px = RoundChecked(resolution * header.page_height);
    result.page_width_px = RoundChecked(resolution * header.page_width);
    if (!std::isfinite(log_px)) throw RangeError();

    const double page = result.page_height_px;
    int32_t last = 0;
    bool room = true;
    if (header.paged && repeat > 0) {
      const double rest = log_px - (page - first - footer);
      if (rest > 0) {
        room = DividePages(rest, page - repeat - footer, last);
        if (room) {
          if (last == std::numeric_limits<int32_t>::max()) throw RangeError();
          last += 1;
        }
      }
    } else if (header.paged) {
      room = DividePages(log_px, page - first - footer, last);
    } else {
      room = DividePages(first + log_px + footer, page, last);
    }
    if (!room) {
      result.problem = PageCountProblem::NoRoomForLog;
      last = 0;
    }
    // The page count last + 1 must itself be a 32-bit number. (A negative
    // last page, from negative section gaps, means there is nothing to show.)
    if (last == std::numeric_limits<int32_t>::max()) throw RangeError();
    result.last_page = last;
  } catch (const RangeError&) {
    result.problem = PageCountProblem::OutOfRange;
    result.last_page = 0;
  }
  return result;
}
