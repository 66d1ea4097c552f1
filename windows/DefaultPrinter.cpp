#include "windows/DefaultPrinter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

std::optional<PrinterPageInfo> QueryDefaultPrinter() {
  if (QPrinterInfo::availablePrinters().isEmpty()) return std::nullopt;
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return std::nullopt;
  PrinterPageInfo page;
  page.name = info.printerName().toStdString();
  QPrinter printer(info, QPrinter::HighResolution);
  UseQueuePaper(printer);
  QPageLayout layout = printer.pageLayout();
  QRectF paper = layout.fullRect(QPageLayout::Inch);
  QRectF printable = layout.paintRect(QPageLayout::Inch);
  if (!layout.isValid() || paper.isEmpty() || printable.isEmpty()) {
    page.queryFailed = true;
    return page;
  }
  page.paperWidth = paper.width();
  page.paperHeight = paper.height();
  page.printableWidth = printable.width();
  page.printableHeight = printable.height();
  page.orientation = layout.orientation() == QPageLayout::Landscape ? 1 : 0;
  return page;
}

void UseQueuePaper(QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::NativeFormat) return;
  const QPageSize paper = QPrinterInfo::printerInfo(printer.printerName()).defaultPageSize();
  if (paper.isValid()) printer.setPageSize(paper);
}

void InstallDefaultPrinterQuery() { SetPrinterQuery(&QueryDefaultPrinter); }
