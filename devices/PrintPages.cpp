#include "devices/PrintPages.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <stdexcept>

#include "core/PlotCookie.h"
#include "devices/LogDocument.h"
#include "devices/PrinterColours.h"
#include "platform/Canvas.h"

namespace {

std::function<void(int32_t)> g_pagePrintedHook;

}  // namespace

void SetPagePrintedHookForTests(std::function<void(int32_t)> hook) {
  g_pagePrintedHook = std::move(hook);
}

void PrintPages(const LogDocument& document, const PageModel& base, QPagedPaintDevice& output,
                const PrintJob& job, const DrawSettings& settings, Libraries& libraries,
                PlotCookie& cookie, PrintJobResult& result) {
  result = {};
  if (job.dpi_x <= 0 || job.dpi_y <= 0)
    throw std::runtime_error("The printer reports no resolution");
  // Ending the canvas's painter (when it goes) ends the document: the job
  // on the printer, or the PDF file closed.
  platform::Canvas canvas(&output);
  canvas.SetIsPrinter(true);
  // The ink rule asks what the printer makes of a pale colour.
  canvas.SetNearestColorRule([grayscale = job.grayscale](platform::COLORREF color) {
    return NearestPrinterColour(color, grayscale);
  });
  // Beginning the painter begins the document; it fails when there is
  // nowhere to print (no printer and no output file).
  if (!canvas.Painter()->isActive())
    throw std::runtime_error("Unable to start the print job on " + job.output_name);
  // The pages in printer pixels.
  const PageModel pages = document.pages_at(base, job.dpi_x, job.dpi_y);

  for (int32_t p = job.first; p <= job.last; ++p) {
    result.page = p;
    cookie.status("Printing page " + std::to_string(int64_t{p} + 1) + "...");
    if (cookie.should_stop()) {
      result.cancelled = true;
      break;
    }
    if (result.pages_printed > 0 && !output.newPage())
      throw std::runtime_error("Unable to start a new printer page");
    document.plot(pages, p, pages.printed_kind(p, job.repeat_page_header), canvas, settings,
                  libraries, cookie);
    ++result.pages_printed;
    cookie.status("   Done printing page " + std::to_string(int64_t{p} + 1));
    if (g_pagePrintedHook) g_pagePrintedHook(p);
    if (p == INT32_MAX) break;
  }
  cookie.status("Printing finished.");
}
