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
  const int32_t dpi =
      std::clamp(static_cast<int32_t>(std::ceil(2.0 * size / std::max(longer, 0.01))), 1, 96);
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
