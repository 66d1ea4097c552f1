// Printing: the Print command draws a range of log pages on the current
// printer (or into a PDF file when the user prints to a file), one log page
// per printer page, through the document's canvas device.
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <climits>
#include <exception>

#include "core/DrawSettings.h"
#include "devices/PrintPages.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/Gotofrm.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrintSize.h"
#include "viewer/PrinterAccess.h"
#include "windows/StatusObserver.h"
#include "viewer/Tarnfelf.h"
#include "windows/StatusWin.h"

namespace {

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// Page numbers offered by the dialog: a range for a log of several pages;
// page 1 alone (and no range of its own) for a one-page log.
void PreparePrintDialog(QPrintDialog& dialog, int32_t lastPage) {
  if (lastPage > 0) {
    const int count = ClampToInt(int64_t{lastPage} + 1);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    dialog.setMinMax(1, count);
    dialog.setFromTo(1, count);
  } else {
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setFromTo(1, 1);
  }
}

// Zero-based page indexes chosen in the dialog. Qt clears the page numbers
// when "all pages" is chosen: that means the whole log.
void ChosenPages(const QPrintDialog& dialog, int32_t lastPage, int32_t& first, int32_t& last) {
  const int from = dialog.fromPage(), to = dialog.toPage();
  if (from <= 0 || to <= 0) {
    first = 0;
    last = lastPage;
    return;
  }
  first = std::clamp<int32_t>(from - 1, 0, lastPage);
  last = std::clamp<int32_t>(to - 1, first, lastPage);
}

}  // namespace

void TKorvaleFrm::Print1Click() {
  if (NoDocument) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "There is nothing to print. Load or compile a log before selecting "
                             "Print.");
    return;
  }
  QPrinter& printer = viewer::CurrentPrinter();

  SetPrinterOrientation(SystemSettings.PageOrientation);
  QPrintDialog dialog(&printer, this);
  PreparePrintDialog(dialog, ScreenPages.last_page());

  const auto printable = viewer::PrintablePage(printer);
  if (!printable) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "The printer does not report its page size.");
    return;
  }
  const double pageLength = Document->header().page_height;
  const double pageWidth = Document->header().page_width;
  if (viewer::LargerThanPrintable(pageLength, pageWidth, *printable)) {
    const auto answer = platform::ShowMessageBox(
        platform::BoxKind::Warning, viewer::ClippedPrintQuestion(pageLength, pageWidth, *printable),
        platform::BoxButtons::YesNo);
    if (answer != platform::BoxAnswer::Yes) return;
  }
  if (RunDialog(dialog) != QDialog::Accepted) return;

  // The user may have chosen another printer or orientation. Without an
  // installed printer the job goes to a file at the printer object's own
  // resolution.
  ReadPrinterInfo();
  if (!viewer::PrintersInstalled() || PrinterDpiX <= 0 || PrinterDpiY <= 0) {
    PrinterDpiX = printer.logicalDpiX();
    PrinterDpiY = printer.logicalDpiY();
  }
  PrintJob job;
  job.dpi_x = PrinterDpiX;
  job.dpi_y = PrinterDpiY;
  ChosenPages(dialog, ScreenPages.last_page(), job.first, job.last);
  job.repeat_page_header = SystemSettings.RepeatPageHeader != 0;
  job.grayscale = printer.colorMode() == QPrinter::GrayScale;
  job.output_name = printer.outputFileName().isEmpty() ? printer.printerName().toStdString()
                                                       : printer.outputFileName().toStdString();

  // No other command may run while the job prints.
  QWidget* const focused = focusWidget();
  setEnabled(false);
  StatusObserver observer;
  PlotCookie cookie(&observer);
  std::string error;
  try {
    printer.setDocName(windowTitle());
    PrintJobResult result;
    PrintPages(*Document, ScreenPages, printer, job, ViewSettings(), *ViewLibraries, cookie,
               result);
  } catch (const std::exception& e) {
    error = e.what();
  }
  // The page image is drawn on with a canvas of its own again (a fresh one,
  // as whenever pages went to another target).
  if (ViewCanvas) ViewCanvas = std::make_unique<platform::Canvas>(&PageBitmap);
  setEnabled(true);
  if (focused && !focusWidget()) focused->setFocus();

  HideStatus();
  if (!error.empty()) {
    platform::ShowMessageBox(platform::BoxKind::Error, error);
    return;
  }
  if (CancelConfirmed())
    platform::ShowMessageBox(platform::BoxKind::Warning, "Print job aborted.");
}
