#include "viewer/PrinterAccess.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

#include "viewer/PrintSize.h"

namespace viewer {
namespace {
std::optional<bool> g_installedOverride;
}

QPrinter& CurrentPrinter() {
  static std::unique_ptr<QPrinter> printer;
  if (!printer) printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer;
}

bool PrintersInstalled() {
  if (g_installedOverride) return *g_installedOverride;
  return !QPrinterInfo::availablePrinters().isEmpty();
}

void SetPrintersInstalledForTests(std::optional<bool> installed) { g_installedOverride = installed; }

int CurrentPrinterOrientation() {
  return CurrentPrinter().pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

std::optional<PrinterPageInfo> CurrentPrinterPage() {
  if (!PrintersInstalled()) return std::nullopt;
  QPrinter& printer = CurrentPrinter();
  PrinterPageInfo page;
  // A printer chosen as "Print to File" has no name of its own.
  page.name = printer.printerName().isEmpty() ? std::string("Print to File (PDF)")
                                              : printer.printerName().toStdString();
  const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Inch);
  const auto printable = PrintablePage(printer);
  if (!printable || paper.isEmpty()) {
    page.queryFailed = true;
    return page;
  }
  page.paperWidth = paper.width();
  page.paperHeight = paper.height();
  page.printableWidth = printable->width;
  page.printableHeight = printable->length;
  page.orientation = CurrentPrinterOrientation();
  return page;
}

}  // namespace viewer
