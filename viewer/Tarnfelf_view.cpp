// Opening a compiled log, the page bitmap, paging, the depth read-out and
// the clipboard.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPixmap>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>
#include <exception>
#include <filesystem>
#include <system_error>

#include "core/FileError.h"
#include "core/Libraries.h"
#include "devices/LogDocument.h"
#include "devices/SettingsValue.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/DroppedLog.h"
#include "viewer/Gotofrm.h"
#include "viewer/LogMemory.h"
#include "viewer/LogWatcher.h"
#include "viewer/PageGeometry.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrintSize.h"
#include "viewer/PrinterAccess.h"
#include "viewer/RecentLogs.h"
#include "viewer/Rerror.h"
#include "windows/StatusObserver.h"
#include "viewer/Tarnfelf.h"
#include "windows/StatusWin.h"

namespace {

constexpr const char* kCaptionPrefix = "Quelmark Korvale - ";

// Thrown inside the open sequence when it must stop and the window go back to
// the log it showed before (the reason has been shown already).
struct OpenAborted {};

void ErrorBox(const std::string& text) {
  platform::ShowMessageBox(platform::BoxKind::Error, text);
}

// The log's path as the caption shows it: absolute, whatever folder the
// program was started from.
std::string AbsoluteLogPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

// --- Open ------------------------------------------------------------------------------

void TKorvaleFrm::Open1Click() {
  const std::string path = OpenDlg ? OpenDlg() : std::string();
  if (path.empty()) return;
  OpenLog(path);
}

void TKorvaleFrm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedLogPath(event->mimeData()).empty()) event->acceptProposedAction();
}

void TKorvaleFrm::dropEvent(QDropEvent* event) {
  const std::string path = DroppedLogPath(event->mimeData());
  if (path.empty()) return;
  event->acceptProposedAction();
  OpenLog(path);
}

void TKorvaleFrm::OpenLog(const std::string& path) { LoadLog(path, false); }

void TKorvaleFrm::ReloadLog() {
  if (FileName.empty()) return;
  LoadLog(FileName, true);
}

void TKorvaleFrm::OpenRecentLog(const std::string& path) {
  if (viewer::DropMissingRecentLog(path)) return;
  OpenLog(path);
}

void TKorvaleFrm::LoadLog(const std::string& path, bool reload) {
  const QScopedValueRollback<bool> loading(loading_, true);
  // What is shown stays until the new log is open, and comes back when the
  // open stops half-way.
  const std::string shownFile = FileName;
  std::unique_ptr<LogDocument> shown = std::move(Document);
  const int32_t shownPage = CurrentPage;
  const QPoint scrolled(ScrollBox1->horizontalScrollBar()->value(),
                        ScrollBox1->verticalScrollBar()->value());
  FileName = AbsoluteLogPath(path);
  LogWatcher->Loading(FileName);
  try {
    if (!BindViewDevice()) throw OpenAborted{};
    // false (an unusable page size): drawn into the old bitmap
    CreateViewCanvas(!reload || !PageSizeAnswered.contains(FileName));
  } catch (const OpenAborted&) {
    // Keep showing what was shown: the previous log, or the empty window.
    FileName = shownFile;
    Document = std::move(shown);
    CurrentPage = shownPage;
    HideStatus();
    return;
  }
  if (closing_) return;
  setWindowTitle(QString::fromStdString(kCaptionPrefix + FileName));
  CountPages();
  CurrentPage = reload ? std::clamp(shownPage, 0, std::max(0, ScreenPages.last_page()))
                       : viewer::PageToReopen(FileName, ScreenPages.last_page());
  PlotCurrentPage();
  if (reload) {
    ScrollBox1->horizontalScrollBar()->setValue(scrolled.x());
    ScrollBox1->verticalScrollBar()->setValue(scrolled.y());
  }
  CopyBtn->setEnabled(true);
  LogWatcher->Watch(FileName);
  if (!reload && !IsTemporaryLog(FileName)) viewer::AddRecentLog(FileName);
}

bool TKorvaleFrm::BindViewDevice() {
  StatusObserver observer;  // a refused header: the user is told why
  LogDocument::OpenResult result;
  Document = LogDocument::Open(FileName, &observer, result);
  if (result.status == LogDocument::OpenResult::Unreadable ||
      result.status == LogDocument::OpenResult::TooShort)
    ErrorBox("Unable to open " + FileName + " - " + result.message);
  if (!Document) return false;

  try {
    ViewCanvas = std::make_unique<platform::Canvas>(&PageBitmap);
  } catch (const std::exception&) {
    platform::ShowMessageBox(platform::BoxKind::Plain,
                             "ERROR: Unable to create a canvas to draw on.\r\rThe page size "
                             "may be too large for your system.");
  }
  CurrentPage = 0;
  return true;
}

void TKorvaleFrm::ReadPrinterInfo() {
  if (!viewer::PrintersInstalled()) {
    PrinterPageWidth = SystemSettings.PageWidth;
    PrinterPageLength = SystemSettings.PageLength;
    return;
  }
  // The current printer in its current orientation, as page setup shows it.
  QPrinter& printer = viewer::CurrentPrinter();
  const auto printable = viewer::PrintablePage(printer);
  if (!printable) {
    PrinterPageWidth = SystemSettings.PageWidth;
    PrinterPageLength = SystemSettings.PageLength;
    return;
  }
  PrinterDpiX = printer.logicalDpiX();
  PrinterDpiY = printer.logicalDpiY();
  PrinterPageWidth = printable->width;
  PrinterPageLength = printable->length;
}

bool TKorvaleFrm::CreateViewCanvas(bool checkPrinter) {
  ShowStatus("Creating new canvas...");
  CancelRequested = false;
  if (checkPrinter) {
    ShowStatus("  Checking printer orientation");
    SetPrinterOrientation(SystemSettings.PageOrientation);
    ShowStatus("  Getting printer information");
    ReadPrinterInfo();
    const tfl::Header& h = Document->header();
    if (viewer::PageSizesDiffer(h.page_height, h.page_width, PrinterPageLength,
                                PrinterPageWidth)) {
      const auto answer = platform::ShowMessageBox(
          platform::BoxKind::Warning,
          "The Log and Printer Page Size do not match.\r\rDo you want to adjust the Log Page "
          "Size?",
          platform::BoxButtons::YesNoCancel);
      PageSizeAnswered.insert(FileName);
      // No or Cancel: the log keeps its page size, and the page image takes
      // it below, so that the whole page is shown.
      double length = 0, width = 0;
      if (answer == platform::BoxAnswer::Yes &&
          EditPageSetup(h.page_height, h.page_width, SystemSettings.PageOrientation, length,
                        width)) {
        SetPrinterOrientation(SystemSettings.PageOrientation);
        StorePageSize(length, width);
      }
    }
  }

  ShowStatus("  Creating bitmap...");
  const int dpi = ScreenPixelsPerInch();
  const double pageWidth = Document->header().page_width;
  const double pageLength = Document->header().page_height;
  if (const auto problem = viewer::CheckPageSize(dpi, pageWidth, pageLength);
      problem != viewer::PageSizeProblem::None) {
    // Not a shortage: no page image of this size can be made. Keep the bitmap.
    std::string text = "The page size of " + FileName + " is not usable.";
    if (problem == viewer::PageSizeProblem::TooLarge)
      text += QString::asprintf("\rA page of %.2f x %.2f inches needs a page image of more "
                                "than %d pixels a side.",
                                pageLength, pageWidth, viewer::kMaxBitmapSide)
                  .toStdString();
    ErrorBox(text);
    HideStatus();
    return false;
  }
  // A bitmap reduced to fewer colours is sized at its own bytes per pixel.
  const int bytesPerPixel = PageBitmap.isNull() ? 4 : std::max(1, PageBitmap.depth() / 8);
  const auto wanted = viewer::PageBitmapSize(dpi, pageWidth, pageLength, bytesPerPixel);
  if (wanted && PageBitmap.width() == wanted->width && PageBitmap.height() == wanted->height) {
    HideStatus();
    return true;
  }
  bool made = false;
  if (wanted) {
    ShowStatus("   Width = " + std::to_string(wanted->width));
    ShowStatus("   Height = " + std::to_string(wanted->height));
    // Once reduced to fewer colours the bitmap stays so.
    made = ResizePageBitmap(wanted->width, wanted->height, PageBitmap.format());
  }
  if (!made) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "Low on resources. Reducing the number of colors to display.");
    ShowStatus("  Setting Pixel Format to 16 colors");
    const auto reduced = viewer::PageBitmapSize(dpi, pageWidth, pageLength, 2);
    made = reduced && ResizePageBitmap(reduced->width, reduced->height, QImage::Format_RGB444);
  }
  if (!made) {
    ShowResourceWarning();
    closing_ = true;
    close();
    HideStatus();
    return false;
  }
  ShowPageBitmap();
  HideStatus();
  return true;
}

void TKorvaleFrm::StorePageSize(double pageLength, double pageWidth) {
  const auto result = Document->rewrite_page_size(pageLength, pageWidth);
  if (result.status == HeaderRewriteResult::OpenFailed) {
    ErrorBox("Unable to open " + FileName + " for writing - " + result.message);
    throw OpenAborted{};
  }
  LogWatcher->WroteItself(FileName);
  if (result.status == HeaderRewriteResult::WriteFailed)
    ErrorBox(result.message + " - unable to update page size.");
}

bool TKorvaleFrm::ResizePageBitmap(int width, int height, QImage::Format format) {
  QImage image(width, height, format);
  if (image.isNull()) return false;
  image.fill(Qt::white);
  if (ViewCanvas) ViewCanvas->EndPaint();
  PageBitmap = std::move(image);
  if (ViewCanvas) ViewCanvas = std::make_unique<platform::Canvas>(&PageBitmap);
  return true;
}

void TKorvaleFrm::ShowPageBitmap() {
  if (ViewCanvas) ViewCanvas->EndPaint();
  Image1->ShowPage(QPixmap::fromImage(PageBitmap), PageBitmap.size(), 1);
}

int TKorvaleFrm::ShownDpi() const {
  return ShownPages.resolution() > 0 ? ShownPages.resolution() : ScreenPixelsPerInch();
}

QPointF TKorvaleFrm::PagePixelAt(QPoint image1Point) const {
  return Image1->ToPagePixel(QPointF(image1Point));
}

QPoint TKorvaleFrm::Image1PointAt(QPointF pagePixel) const {
  return Image1->ToWidgetPoint(pagePixel).toPoint();
}

void TKorvaleFrm::ShowResourceWarning() {
  const int dpi = ScreenPixelsPerInch();
  const int bits = PageBitmap.isNull() ? 32 : PageBitmap.depth();
  const int planes = 1;
  const int64_t widthPx = viewer::InchesToPixels(dpi, PrinterPageWidth).value_or(0);
  const int64_t lengthPx = viewer::InchesToPixels(dpi, PrinterPageLength).value_or(0);

  TResourceBox box(this);
  box.setWindowTitle("Korvale - Insufficient Resources");
  box.SizeLBL->setText(
      QString::asprintf("Page Size: %.2f x %.2f", PrinterPageWidth, PrinterPageLength));
  box.ColorLBL->setText(
      QString("Screen colors: %1").arg(viewer::ColorCount(bits * planes)));
  box.ReqMem->setText(
      QString("Required Memory: %1k")
          .arg(viewer::RequiredMemoryKilobytes(widthPx, lengthPx, planes, bits)));
  RunDialog(box);
  // "Our" is the message's own spelling, kept as users and their notes know it.
  platform::ShowMessageBox(platform::BoxKind::Error,
                           "Our of resources for creating the view screen.");
}

void TKorvaleFrm::CountPages() {
  ShowStatus("Calculating the number of pages...");
  ScreenPages = Document->pages(ScreenPixelsPerInch());
  if (ScreenPages.problem() == PageCountProblem::NoRoomForLog) {
    ErrorBox("The page of " + FileName +
             " has no room for the log: its length is not larger than the header and footer "
             "sections.\rOnly the first page is shown.");
  } else if (ScreenPages.problem() == PageCountProblem::OutOfRange) {
    ErrorBox("The page layout of " + FileName +
             " is out of range; the number of pages cannot be worked out.\rOnly the first page "
             "is shown.");
  }
  ShowStatus("Total pages = " + std::to_string(int64_t{ScreenPages.last_page()} + 1));
  NoDocument = ScreenPages.last_page() < 0;
}

// --- One page -------------------------------------------------------------------------

DrawSettings TKorvaleFrm::ViewSettings() const {
  DrawSettings settings = DrawSettingsFrom(SystemSettings);
  settings.screen_ppi = ScreenPixelsPerInch();
  settings.picture_folder = std::filesystem::path(FileName).parent_path().string();
  return settings;
}

void TKorvaleFrm::ClearPageImage() {
  platform::Canvas* canvas = ViewCanvas.get();
  if (!canvas) {
    PageBitmap.fill(Qt::white);
    return;
  }
  // The pen the last page left may be none (the rectangle would then stop
  // one pixel short of the right and bottom edges) or dashed (its gaps would
  // keep the old page): a solid one-pixel pen covers every pixel. The page's
  // own pen is put back for the next plot.
  const platform::Pen lastPen = canvas->GetPen();
  platform::Pen solid = lastPen;
  solid.style = platform::PS_SOLID;
  solid.width = 0;
  canvas->SetPen(solid);
  canvas->SetROP2(platform::R2_WHITE);
  platform::Brush white;
  white.style = platform::BS_SOLID;
  white.color = platform::kWhite;
  canvas->SetBrush(white);
  canvas->Rectangle(0, 0, PageBitmap.width(), PageBitmap.height());
  canvas->SetROP2(platform::R2_COPYPEN);
  canvas->SetPen(lastPen);
}

void TKorvaleFrm::PlotCurrentPage() {
  // Disabling the window takes the keyboard from the page view: it gets it
  // back below.
  QWidget* const focused = focusWidget();
  setEnabled(false);
  ShowStatus("Plotting page ...");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    ClearPageImage();
    ScrollBox1->verticalScrollBar()->setValue(0);
    ShownPage = CurrentPage;
    ShownSettings = ViewSettings();
    ShownPages = ScreenPages;
    if (!ViewCanvas) throw std::logic_error("No canvas to draw on");
    StatusObserver observer;
    PlotCookie cookie(&observer);
    Document->plot(ScreenPages, ShownPage, ScreenPages.screen_kind(ShownPage), *ViewCanvas,
                   ShownSettings, *ViewLibraries, cookie);
    ShowStatus("Done plotting page.");
  } catch (const std::exception& e) {
    ErrorBox(std::string("Error plotting page - ") + e.what());
  }
  setEnabled(true);
  if (focused && !focusWidget()) focused->setFocus();
  HideStatus();
  QApplication::restoreOverrideCursor();
  UpdatePageControls();
  ShowPageBitmap();
  RememberPage();
}

void TKorvaleFrm::RememberPage() {
  if (!FileName.empty() && !IsTemporaryLog(FileName))
    viewer::RememberPlace(FileName, {CurrentPage, 100});
}

void TKorvaleFrm::UpdatePageControls() {
  const int32_t last = ScreenPages.last_page();
  PagePNL->setText(QString::asprintf("%lld of %lld", static_cast<long long>(int64_t{CurrentPage} + 1),
                                     static_cast<long long>(int64_t{last} + 1)));
  PageDownBtn->setEnabled(last > CurrentPage);
  PageDown1->setEnabled(PageDownBtn->isEnabled());
  PageUpBtn->setEnabled(CurrentPage > 0);
  PageUp1->setEnabled(PageUpBtn->isEnabled());
  FirstPage1->setEnabled(PageUpBtn->isEnabled());
  LastPage1->setEnabled(PageDownBtn->isEnabled());
  PageNumBtn->setEnabled(last > 0);
  GoToPage1->setEnabled(PageNumBtn->isEnabled());
  CopyBtn->setEnabled(true);
  Copy1->setEnabled(true);
  CopyDepth1->setEnabled(true);
}

// --- Paging ----------------------------------------------------------------------------

void TKorvaleFrm::PageDownBTNClick() {
  if (NoDocument || ScreenPages.last_page() <= CurrentPage) return;
  ++CurrentPage;
  PlotCurrentPage();
}

void TKorvaleFrm::PageUpBTNClick() {
  if (NoDocument || CurrentPage <= 0) return;
  --CurrentPage;
  PlotCurrentPage();
}

void TKorvaleFrm::FirstPage1Click() {
  if (NoDocument || CurrentPage <= 0) return;
  CurrentPage = 0;
  PlotCurrentPage();
}

void TKorvaleFrm::LastPage1Click() {
  if (NoDocument || ScreenPages.last_page() <= CurrentPage) return;
  CurrentPage = ScreenPages.last_page();
  PlotCurrentPage();
}

void TKorvaleFrm::PageNumBTNClick() {
  if (NoDocument) return;
  TGotoDLG dialog(this);
  // The spin box holds an int: a page count beyond its range cannot be
  // typed anyway.
  dialog.PageSE->setMinimum(1);
  dialog.PageSE->setMaximum(static_cast<int>(
      std::min<int64_t>(int64_t{ScreenPages.last_page()} + 1, std::numeric_limits<int>::max())));
  dialog.PageSE->setValue(static_cast<int>(
      std::min<int64_t>(int64_t{CurrentPage} + 1, std::numeric_limits<int>::max())));
  if (RunDialog(dialog) != QDialog::Accepted) return;
  CurrentPage = dialog.PageSE->value() - 1;
  PlotCurrentPage();
}

// --- Depth read-out and clipboard -----------------------------------------------------------

void TKorvaleFrm::Image1MouseMove(int x, int y) {
  if (NoDocument) return;
  // The read-out of the page shown, laid out as it was drawn.
  const double value = ShownPages.depth_at(ShownPage, ShownPages.screen_kind(ShownPage), y,
                                            ElevationCb->isChecked(), ShownSettings);
  DepthEd->setText(QString::asprintf("%.2f", value));
}

void TKorvaleFrm::Copy1Click() { QApplication::clipboard()->setImage(PageBitmap); }

void TKorvaleFrm::CopyDepth1Click() { QApplication::clipboard()->setText(DepthEd->text()); }
