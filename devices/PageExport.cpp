#include "devices/PageExport.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>

#include "core/PlotCookie.h"
#include "devices/LogDocument.h"
#include "devices/PrintPages.h"
#include "platform/Canvas.h"

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

ExportFormat ExportFormatOf(const std::string& name) {
  if (EndsWithNoCase(name, ".png")) return ExportFormat::Png;
  if (EndsWithNoCase(name, ".pdf")) return ExportFormat::Pdf;
  if (EndsWithNoCase(name, ".svg")) return ExportFormat::Svg;
  return ExportFormat::Unknown;
}

std::string PageFileName(const std::string& pattern, int32_t page) {
  const std::string number = std::to_string(page);
  std::string name = pattern;
  size_t at = name.find("%d");
  while (at != std::string::npos) {
    name.replace(at, 2, number);
    at = name.find("%d", at + number.size());
  }
  return name;
}

bool DrawPageImage(const LogDocument& document, const PageModel& pages, int32_t index,
                   const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                   QImage& image, std::string& error) {
  image = QImage(pages.page_width_px(), pages.page_height_px(), QImage::Format_RGB32);
  if (image.isNull()) {
    error = "the page (" + std::to_string(pages.page_width_px()) + " x " +
            std::to_string(pages.page_height_px()) + " pixels) is too large";
    return false;
  }
  image.fill(Qt::white);
  const int dotsPerMeter = static_cast<int>(std::lround(pages.resolution() / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  platform::Canvas canvas(&image);  // ends its painter when it goes
  try {
    document.plot(pages, index, pages.screen_kind(index), canvas, settings, libraries, cookie);
  } catch (const std::exception& e) {
    error = std::string("Error plotting page - ") + e.what();
    return false;
  }
  return true;
}

bool SetUpPdfWriter(QPdfWriter& writer, double width, double length, int32_t dpi) {
  // 200 inches is the largest page a PDF may have.
  if (!(width > 0 && length > 0 && width <= 200 && length <= 200)) return false;
  writer.setResolution(dpi);
  const bool landscape = width > length;
  const QPageSize size(landscape ? QSizeF(length, width) : QSizeF(width, length), QPageSize::Inch,
                       QString(), QPageSize::ExactMatch);
  const QPageLayout layout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
  return writer.setPageLayout(layout);
}

bool WritePdfPages(const LogDocument& document, const PageModel& count, const std::string& path,
                   const std::string& title, int32_t dpi, int32_t first, int32_t last,
                   bool repeatPageHeader, const DrawSettings& settings, Libraries& libraries,
                   PlotCookie& cookie, PrintJobResult& result, std::string& error) {
  const tfl::Header& h = document.header();
  QPdfWriter writer(QString::fromStdString(path));
  if (!SetUpPdfWriter(writer, h.page_width, h.page_height, dpi)) {
    char text[160];
    std::snprintf(text, sizeof text, "the page size (%g x %g inches) cannot be printed",
                  h.page_height, h.page_width);
    error = text;
    return false;
  }
  writer.setTitle(QString::fromStdString(title));
  PrintJob job;
  job.dpi_x = job.dpi_y = dpi;
  job.first = first;
  job.last = last;
  job.repeat_page_header = repeatPageHeader;
  job.output_name = path;
  PrintPages(document, count, writer, job, settings, libraries, cookie, result);
  return true;
}

bool WriteSvgPage(const LogDocument& document, const PageModel& pages, int32_t index,
                  const std::string& path, const std::string& title,
                  const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                  std::string& error) {
  QSvgGenerator svg;
  svg.setFileName(QString::fromStdString(path));
  svg.setTitle(QString::fromStdString(title));
  svg.setResolution(pages.resolution());
  const QSize size(pages.page_width_px(), pages.page_height_px());
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  bool ok = true;
  {
    platform::Canvas canvas(static_cast<QPaintDevice*>(&svg));
    if (!canvas.Painter()->isActive()) {
      error = "cannot write " + path;
      return false;
    }
    canvas.Painter()->fillRect(QRect(QPoint(0, 0), size), Qt::white);
    try {
      document.plot(pages, index, pages.screen_kind(index), canvas, settings, libraries, cookie);
    } catch (const std::exception& e) {
      error = std::string("Error plotting page - ") + e.what();
      ok = false;
    }
  }
  return ok;
}
