#include "viewer/PrintJob.h"

#include <QPainter>
#include <QPrinter>

#include <stdexcept>

#include "core/Interpreter.h"
#include "core/PlotCookie.h"
#include "devices/logp_object.h"
#include "viewer/PrinterColours.h"

namespace viewer {
namespace {

std::function<void(int32_t)> g_pagePrintedHook;

// Ends the print document however the page loop is left: ending the canvas's
// painter finishes the job on the printer (or closes the PDF file).
class DocumentEnd {
 public:
  explicit DocumentEnd(logp_object& device) : device_(device) {}
  ~DocumentEnd() {
    if (device_.canvas) device_.canvas->EndPaint();
  }
  DocumentEnd(const DocumentEnd&) = delete;
  DocumentEnd& operator=(const DocumentEnd&) = delete;

 private:
  logp_object& device_;
};

}  // namespace

PageKind PrintedPageKind(int32_t page_index, bool repeat_page_header) {
  if (page_index == 0) return PageKind::First;
  return repeat_page_header ? PageKind::RepeatedHeader : PageKind::Later;
}

void SetPagePrintedHookForTests(std::function<void(int32_t)> hook) {
  g_pagePrintedHook = std::move(hook);
}

PrintJobResult PrintPages(logp_object& device, const std::string& path, QPrinter& printer, int32_t dpi_x, int32_t dpi_y,
                          int32_t first_index, int32_t last_index, bool repeat_page_header,
                          const std::string& title, PlotCookie& cookie) {
  if (dpi_x <= 0 || dpi_y <= 0)
    throw std::runtime_error("The printer reports no resolution");
  printer.setDocName(QString::fromStdString(title));
  device.set_canvas(&printer, true);
  // The ink rule asks what the printer makes of a pale colour.
  const bool grayscale = printer.colorMode() == QPrinter::GrayScale;
  device.canvas->SetNearestColorRule(
      [grayscale](platform::COLORREF color) { return NearestPrinterColour(color, grayscale); });
  DocumentEnd end(device);
  // Beginning the painter begins the document; it fails when there is
  // nowhere to print (no printer and no output file).
  if (!device.canvas->Painter()->isActive())
    throw std::runtime_error("Unable to start the print job on " +
                             (printer.outputFileName().isEmpty()
                                  ? printer.printerName().toStdString()
                                  : printer.outputFileName().toStdString()));
  // Canvas font and device resolution, scales and page size in printer pixels.
  device.set_target_resolution(dpi_x, dpi_y);

  PrintJobResult result;
  for (int32_t p = first_index; p <= last_index; ++p) {
    device.page_index = p;
    cookie.status("Printing page " + std::to_string(int64_t{p} + 1) + "...");
    if (cookie.should_stop()) {
      result.cancelled = true;
      break;
    }
    if (result.pages_printed > 0 && !printer.newPage())
      throw std::runtime_error("Unable to start a new printer page");
    device.page_kind = PrintedPageKind(p, repeat_page_header);
    Interpreter::Replay(path, device, cookie);
    ++result.pages_printed;
    cookie.status("   Done printing page " + std::to_string(int64_t{p} + 1));
    if (g_pagePrintedHook) g_pagePrintedHook(p);
    if (p == INT32_MAX) break;
  }
  cookie.status("Printing finished.");
  return result;
}

}  // namespace viewer
