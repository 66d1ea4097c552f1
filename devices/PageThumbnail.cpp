#include "devices/PageThumbnail.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/Canvas.h"

QImage DrawPageThumbnail(const LogDocument& document, const PageModel& model, int32_t page,
                         const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                         int size) {
  const tfl::Header& h = model.header();
  // Copies: the header's fields are packed, and std::max takes references.
  const double height = h.page_height, width = h.page_width;
  const double longer = std::max(height, width);
  // A header without a usable page size (NaN, infinite, zero) gets 96 dpi;
  // its page model says what is wrong with it.
  const double per_inch = std::isfinite(longer) && longer > 0.01 ? 2.0 * size / longer : 96.0;
  const int32_t dpi = static_cast<int32_t>(std::clamp(std::ceil(per_inch), 1.0, 96.0));
  const PageModel small = document.pages_at(model, dpi, dpi);
  QImage image(small.page_width_px(), small.page_height_px(), QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  {
    platform::Canvas canvas(&image);
    try {
      document.plot(small, page, small.screen_kind(page), canvas, settings, libraries, cookie);
    } catch (const std::exception&) {
      // What was drawn stays.
    }
    canvas.EndPaint();
  }
  return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
