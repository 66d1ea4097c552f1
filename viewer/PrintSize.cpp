#include "viewer/PrintSize.h"

#include <QPrinter>
#include <QString>

namespace viewer {

std::optional<PrintableSize> PrintablePage(QPrinter& printer) {
  const int dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
  const int width = printer.width(), height = printer.height();
  if (dpiX <= 0 || dpiY <= 0 || width <= 0 || height <= 0) return std::nullopt;
  return PrintableSize{static_cast<double>(width) / dpiX, static_cast<double>(height) / dpiY};
}

bool LargerThanPrintable(double pageLength, double pageWidth, const PrintableSize& printable) {
  return pageLength - 0.01 > printable.length || pageWidth - 0.01 > printable.width;
}

std::string ClippedPrintQuestion(double pageLength, double pageWidth,
                                 const PrintableSize& printable) {
  return QString::asprintf("The output size (%.2f x %.2f) is larger than the printer page (%.2f "
                           "x %.2f).",
                           pageLength, pageWidth, printable.length, printable.width)
             .toStdString() +
         "\rThe printout will be clipped.\r\rDo you want to continue?";
}

}  // namespace viewer
