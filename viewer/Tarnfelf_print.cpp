// Printing: the Print command draws a range of log pages on the current
// printer (or into a PDF file when the user prints to a file), one log page
// per printer page, through the document's canvas device.
#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>

#include <algorithm>
#include <climits>
#include <exception>

#include "core/DrawSettings.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "devices/LogDocument.h"
#include "devices/PageExport.h"
#include "devices/PrintPages.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/ExportDlg.h"
#include "viewer/Gotofrm.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrintQueue.h"
#include "viewer/PrintSize.h"
#include "viewer/PrinterAccess.h"
#include "windows/StatusObserver.h"
#include "viewer/Tarnfelf.h"
#include "windows/StatusWin.h"

namespace {

// A PDF export prints at the resolution korvale-render prints PDFs at.
constexpr int32_t kExportPdfDpi = 600;

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
    platform::ShowMessageBox(platform::BoxKind::Warning,
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
  // A stopped queue would keep the job without printing it, and one that is
  // gone or takes no jobs would lose it: ask the print system first.
  const bool toQueue = viewer::PrintsToQueue(printer);
  if (toQueue) {
    const std::string refusal = viewer::QueueRefusal(job.output_name);
    if (!refusal.empty()) {
      platform::ShowMessageBox(platform::BoxKind::Error,
                               "Unable to print on " + job.output_name + " - " + refusal);
      return;
    }
  }

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
  // The job went to the queue when the document ended; Qt keeps the print
  // system's answer to itself.
  if (error.empty() && toQueue) {
    const std::string refusal = viewer::JobRefusal(job.output_name);
    if (!refusal.empty()) error = "Unable to print on " + job.output_name + " - " + refusal;
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

// --- Export -------------------------------------------------------------------------

void TKorvaleFrm::Export1Click() {
  if (NoDocument || !Document) return;
  TExportDLG pages(this, ScreenPages.page_count(), CurrentPage + 1);
  if (RunDialog(pages) != QDialog::Accepted) return;
  const std::string name = ExportDlg ? ExportDlg() : std::string();
  if (name.empty()) return;
  ExportPages(name, pages.FirstPage(), pages.LastPage(), pages.DpiSE->value());
}

void TKorvaleFrm::ExportPages(const std::string& name, int32_t first, int32_t last,
                              int32_t dpi) {
  const ExportFormat format = ExportFormatOf(name);
  if (format == ExportFormat::Unknown) {
    platform::ShowMessageBox(platform::BoxKind::Information,
                             "Unable to export to " + name +
                                 "\rThe name must end in .png, .pdf or .svg.");
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  StatusObserver observer;
  PlotCookie cookie(&observer);
  const DrawSettings settings = ViewSettings();
  std::string error;
  try {
    if (format == ExportFormat::Pdf) {
      // Printed as korvale-render prints a PDF: the viewer's page count, 600
      // dots per inch.
      PrintJobResult result;
      if (!WritePdfPages(*Document, ScreenPages, name, FileName, kExportPdfDpi, first - 1,
                         last - 1, SystemSettings.RepeatPageHeader != 0, settings,
                         *ViewLibraries, cookie, result, error))
        throw std::runtime_error(error);
    } else {
      const PageModel pages = Document->pages_at(ScreenPages, dpi, dpi);
      const std::string pattern = NameForPages(name, last > first);
      for (int32_t page = first; page <= last && !cookie.should_stop(); ++page) {
        const std::string file = PageFileName(pattern, page);
        ShowStatus("Exporting page " + std::to_string(page) + "...");
        bool ok = false;
        if (format == ExportFormat::Svg) {
          ok = WriteSvgPage(*Document, pages, page - 1, file, FileName, settings, *ViewLibraries,
                            cookie, error);
        } else {
          QImage image;
          ok = DrawPageImage(*Document, pages, page - 1, settings, *ViewLibraries, cookie, image,
                             error);
          if (!image.isNull() && !image.save(QString::fromStdString(file), "PNG")) {
            ok = false;
            error = "cannot write " + file;
          }
        }
        if (!ok) throw std::runtime_error(error);
      }
    }
  } catch (const std::exception& e) {
    HideStatus();
    QApplication::restoreOverrideCursor();
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "Unable to export to " + name + " - " + e.what());
    return;
  }
  HideStatus();
  QApplication::restoreOverrideCursor();
}
