// Printing: the Print command draws a range of log pages on the current
// printer (or into a PDF file when the user prints to a file), one log page
// per printer page, through the window's own canvas device.
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <climits>
#include <exception>

#include "devices/logp_object.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/Gotofrm.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrintJob.h"
#include "viewer/PrintSize.h"
#include "viewer/PrinterAccess.h"
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

// Points the window's device back at the page bitmap, at the screen's
// resolution, on the page shown.
void ReturnDeviceToScreen(TKorvaleFrm& window) {
  logp_object& device = *window.ViewDevice;
  if (device.canvas) device.canvas->EndPaint();
  device.set_canvas(&window.PageBitmap);
  const int dpi = ScreenPixelsPerInch();
  device.page_index = window.CurrentPage;
  // The depth read-out converts rows with the layout of the page shown (its
  // body origin), which printing replaced: lay that page out again as the
  // screen drew it.
  device.page_kind = window.CurrentPage == 0 ? 1 : (device.header.paged ? 2 : 0);
  try {
    device.set_target_resolution(dpi, dpi);
    device.lay_out_page();
  } catch (const std::exception&) {
    // These values gave the page shown before printing: they fit.
  }
}

}  // namespace

void TKorvaleFrm::Print1Click() {
  if (NoDocument) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "There is nothing to print. Load or compile a log before selecting "
                             "Print.");
    return;
  }
  logp_object& device = *ViewDevice;
  QPrinter& printer = viewer::CurrentPrinter();

  SetPrinterOrientation(SystemSettings.PageOrientation);
  QPrintDialog dialog(&printer, this);
  PreparePrintDialog(dialog, device.last_page);

  const auto printable = viewer::PrintablePage(printer);
  if (!printable) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "The printer does not report its page size.");
    return;
  }
  const double pageLength = device.header.page_height, pageWidth = device.header.page_width;
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
  int32_t first = 0, last = 0;
  ChosenPages(dialog, device.last_page, first, last);

  // No other command may use the device while it belongs to the printer.
  QWidget* const focused = focusWidget();
  setEnabled(false);
  viewer::PrintJobCallbacks callbacks;
  callbacks.status = [](const std::string& line) { ShowStatus(line); };
  callbacks.cancel_confirmed = [] { return CancelConfirmed(); };
  std::string error;
  try {
    viewer::PrintPages(device, printer, PrinterDpiX, PrinterDpiY, first, last,
                       SystemSettings.RepeatPageHeader != 0, windowTitle().toStdString(),
                       callbacks);
  } catch (const std::exception& e) {
    error = e.what();
  }
  ReturnDeviceToScreen(*this);
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
