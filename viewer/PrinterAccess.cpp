#include "viewer/PrinterAccess.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

#include "viewer/PrintSize.h"
#include "windows/DefaultPrinter.h"

namespace viewer {
namespace {
std::optional<bool> g_installedOverride;
std::unique_ptr<QPrinter> g_printer;
}  // namespace

QPrinter& CurrentPrinter() {
  if (!g_printer) {
    g_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    UseQueuePaper(*g_printer);
  }
  return *g_printer;
}

void ResetCurrentPrinterForTests() { g_printer.reset(); }

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
