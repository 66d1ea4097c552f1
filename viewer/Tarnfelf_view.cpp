// Opening a compiled log, the page bitmap, paging, the depth read-out and
// the clipboard.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QScreen>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPageLayout>
#include <QPixmap>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

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
#include "viewer/BodyRows.h"
#include "viewer/DepthInput.h"
#include "viewer/DroppedLog.h"
#include "viewer/FindPanel.h"
#include "viewer/TextIndexer.h"
#include "viewer/GoToDepth.h"
#include "viewer/Gotofrm.h"
#include "viewer/LogMemory.h"
#include "viewer/PageList.h"
#include "viewer/LogWatcher.h"
#include "viewer/PageGeometry.h"
#include "viewer/PageDrawer.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrintSize.h"
#include "viewer/PrinterAccess.h"
#include "viewer/RecentLogs.h"
#include "viewer/Rerror.h"
#include "viewer/Zoom.h"
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

// The program's own notes about a log or what was typed, as opposed to the
// errors above: a warning (something is wrong with a log or a file) or an
// information (what to type instead).
void WarningBox(const std::string& text) {
  platform::ShowMessageBox(platform::BoxKind::Warning, text);
}

void InformationBox(const std::string& text) {
  platform::ShowMessageBox(platform::BoxKind::Information, text);
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
  // The worker opens the log afresh: its header may have changed.
  waitingSerial_ = 0;
  PageDrawer->Cancel();
  setWindowTitle(QString::fromStdString(kCaptionPrefix + FileName));
  CountPages();
  CurrentPage = reload ? std::clamp(shownPage, 0, std::max(0, ScreenPages.last_page()))
                       : viewer::PageToReopen(FileName, ScreenPages.last_page());
  // A reload keeps the zoom; a log opened shows the zoom it was left at.
  if (!reload) {
    const auto place = viewer::RememberedPlace(FileName);
    ZoomPercent = viewer::ClampZoom(place ? place->zoom : 100);
  }
  PlotCurrentPage();
  if (reload) {
    ScrollBox1->horizontalScrollBar()->setValue(scrolled.x());
    ScrollBox1->verticalScrollBar()->setValue(scrolled.y());
  }
  CopyBtn->setEnabled(true);
  // The log's words are read anew for every open and reload.
  FoundHits.clear();
  CurrentHit = -1;
  FindPanel->ResultsList->clear();
  FindPanel->StatusLbl->clear();
  if (!NoDocument) {
    TextIndexer->Start(FileName, ScreenPages, ViewSettings(), LibraryPathsFromSettings());
    PageList->SetLog(FileName, ScreenPages, ViewSettings(), LibraryPathsFromSettings());
  } else {
    TextIndexer->Cancel();
    PageList->Clear();
  }
  SelectPageRow();
  LogWatcher->Watch(FileName);
  if (!reload && !IsTemporaryLog(FileName)) viewer::AddRecentLog(FileName);
}

bool TKorvaleFrm::BindViewDevice() {
  StatusObserver observer;  // a refused header: the user is told why
  LogDocument::OpenResult result;
  Document = LogDocument::Open(FileName, &observer, result);
  if (result.status == LogDocument::OpenResult::Unreadable ||
      result.status == LogDocument::OpenResult::TooShort)
    WarningBox("Unable to open " + FileName + " - " + result.message);
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
    WarningBox(text);
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

void TKorvaleFrm::PageSetup1Click() {
  const bool shown = !NoDocument && Document;
  const double length = shown ? Document->header().page_height : SystemSettings.PageLength;
  const double width = shown ? Document->header().page_width : SystemSettings.PageWidth;
  double newLength = 0, newWidth = 0;
  if (!EditPageSetup(length, width, SystemSettings.PageOrientation, newLength, newWidth)) return;
  SetPrinterOrientation(SystemSettings.PageOrientation);
  if (!shown) return;  // the dialog has set the default page size
  try {
    StorePageSize(newLength, newWidth);
  } catch (const OpenAborted&) {
    return;  // told already; the log keeps its page size
  }
  // Laid out and counted afresh at the new size, on the same page; the
  // question about the page size has been answered.
  PageSizeAnswered.insert(FileName);
  ReloadLog();
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

bool TKorvaleFrm::ResizePageBitmap(int width, int height, QImage::Format format, bool zoomed) {
  QImage image(width, height, format);
  if (image.isNull()) return false;
  if (!zoomed) unzoomedSize_ = image.size();
  image.fill(Qt::white);
  if (ViewCanvas) ViewCanvas->EndPaint();
  PageBitmap = std::move(image);
  if (ViewCanvas) ViewCanvas = std::make_unique<platform::Canvas>(&PageBitmap);
  return true;
}

void TKorvaleFrm::ShowPageBitmap() {
  if (ViewCanvas) ViewCanvas->EndPaint();
  // A log's page is drawn for the screen's device pixel ratio (at 100% on a
  // screen of ratio 1 it is shown pixel for pixel); the empty page before a
  // log is open is a plain bitmap at the screen's logical pixels.
  const qreal ratio = Document && !NoDocument ? devicePixelRatioF() : 1;
  Image1->ShowPage(QPixmap::fromImage(PageBitmap), PageBitmap.size(), ratio);
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
    WarningBox("The page of " + FileName +
             " has no room for the log: its length is not larger than the header and footer "
             "sections.\rOnly the first page is shown.");
  } else if (ScreenPages.problem() == PageCountProblem::OutOfRange) {
    WarningBox("The page layout of " + FileName +
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

void TKorvaleFrm::PlotCurrentPage(bool keepScroll) {
  // Disabling the window takes the keyboard from the page view: it gets it
  // back below.
  QWidget* const focused = focusWidget();
  setEnabled(false);
  ShowStatus("Plotting page ...");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CancelPageDrawing();
  try {
    if (!keepScroll) ScrollBox1->verticalScrollBar()->setValue(0);
    ShownPage = CurrentPage;
    ShownSettings = ViewSettings();
    // The page is drawn afresh at the zoom's resolution: the page count and
    // every page's depths are those of 100%.
    const int dpi = viewer::ZoomDpi(ScreenPixelsPerInch(), ZoomPercent, devicePixelRatioF());
    const bool zoomed = dpi != ScreenPages.resolution();
    ShownPages = zoomed ? Document->pages_at(ScreenPages, dpi, dpi) : ScreenPages;
    if (zoomed && !viewer::PageBitmapSize(dpi, Document->header().page_width,
                                          Document->header().page_height,
                                          std::max(1, PageBitmap.depth() / 8))) {
      WarningBox(QString::asprintf("The page at %.0f%% is too large to show: it is shown at 100%%.",
                                 ZoomPercent)
                   .toStdString());
      ZoomPercent = 100;
      ShownPages = ScreenPages;
    }
    const bool sized = ShownPages.resolution() != ScreenPages.resolution();
    const QSize wanted = sized ? QSize(ShownPages.page_width_px(), ShownPages.page_height_px())
                               : unzoomedSize_;
    if (wanted.isValid() && wanted != PageBitmap.size() &&
        !ResizePageBitmap(wanted.width(), wanted.height(), PageBitmap.format(), sized))
      throw std::runtime_error("no memory for the page image at this zoom");
    ClearPageImage();
    if (!ViewCanvas) throw std::logic_error("No canvas to draw on");
    StatusObserver observer;
    PlotCookie cookie(&observer);
    Document->plot(ShownPages, ShownPage, ShownPages.screen_kind(ShownPage), *ViewCanvas,
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
  UpdateZoomControls();
  ShowPageBitmap();
  SelectPageRow();
  // Marks belong to the page they were made on.
  DepthMarkRow.reset();
  MarkedDepth.reset();
  FoundTextBox.reset();
  CursorRow.reset();
  UpdateMarks();
  UpdateReadOut();
  // The page goes to the screen now, before the work that follows it here
  // and in the caller (the settings written, an open's background work).
  if (QWindow* shown = windowHandle(); shown && shown->isExposed()) Image1->repaint();
  RememberPage();
}

// --- Zoom ------------------------------------------------------------------------------

void TKorvaleFrm::SetZoom(double percent, std::optional<QPoint> anchor) {
  percent = viewer::ClampZoom(percent);
  NoteLBL->clear();
  if (NoDocument || !Document || percent == ZoomPercent) {
    if (NoDocument) ZoomPercent = percent;
    UpdateZoomControls();
    return;
  }
  const double from = ZoomPercent;
  QScrollBar* across = ScrollBox1->horizontalScrollBar();
  QScrollBar* down = ScrollBox1->verticalScrollBar();
  const QPoint at = anchor.value_or(ScrollBox1->viewport()->rect().center());
  // The view's left and top in the page widget: the scroll values, or less
  // than 0 where a page smaller than the view stands in its middle.
  const QPoint scrolled = -Image1->pos();
  ZoomPercent = percent;
  // The new size at once, the page drawn before scaled to it as a stand-in;
  // the sharp page follows from the worker. Page pixels mean the new zoom
  // from now on.
  const qreal ratio = devicePixelRatioF();
  const int dpi = viewer::ZoomDpi(ScreenPixelsPerInch(), percent, ratio);
  if (dpi == ScreenPages.resolution()) {
    PlotCurrentPage(true);
  } else {
    ShownPages = Document->pages_at(ScreenPages, dpi, dpi);
    ShownPage = CurrentPage;
    ShownSettings = ViewSettings();
    Image1->ShowPage(Image1->pixmap(),
                     QSize(ShownPages.page_width_px(), ShownPages.page_height_px()), ratio);
    CancelPageDrawing();
    waitingSerial_ = ++lastSerial_;
    TPageDrawer::Job job;
    job.path = Document->path();
    job.libraries = LibraryPathsFromSettings();
    job.pages = ShownPages;
    job.page = ShownPage;
    job.settings = ShownSettings;
    job.format = PageBitmap.format();
    job.serial = waitingSerial_;
    PageDrawer->Draw(std::move(job));
    UpdateZoomControls();
    RememberPage();
  }
  across->setValue(viewer::ScrollAfterZoom(scrolled.x(), at.x(), from, percent));
  down->setValue(viewer::ScrollAfterZoom(scrolled.y(), at.y(), from, percent));
  emit ZoomChanged();
}

void TKorvaleFrm::CancelPageDrawing() {
  if (!waitingSerial_) return;
  waitingSerial_ = 0;
  PageDrawer->Cancel();
}

void TKorvaleFrm::PageDrawn(quint64 serial, const QImage& page, bool complete) {
  if (serial != waitingSerial_ || !Document) return;
  waitingSerial_ = 0;
  if (!complete || page.isNull()) {
    // Drawn again here, where its error is shown.
    PlotCurrentPage(true);
    return;
  }
  if (ViewCanvas) ViewCanvas->EndPaint();
  PageBitmap = page;
  if (ViewCanvas) ViewCanvas = std::make_unique<platform::Canvas>(&PageBitmap);
  ShowPageBitmap();
}

void TKorvaleFrm::UpdateZoomControls() {
  const QString text = QString::fromStdString(viewer::ZoomText(ZoomPercent));
  if (ZoomCb->currentText() != text) ZoomCb->setCurrentText(text);
}

void TKorvaleFrm::ZoomIn1Click() { SetZoom(viewer::ZoomInStep(ZoomPercent)); }
void TKorvaleFrm::ZoomOut1Click() { SetZoom(viewer::ZoomOutStep(ZoomPercent)); }
void TKorvaleFrm::ActualSize1Click() { SetZoom(100); }

void TKorvaleFrm::FitWidth1Click() {
  SetZoom(viewer::WholeDpiZoomBelow(
      viewer::FitWidthZoom(ScreenPages.page_width_px(), ScrollBox1->viewport()->width()),
      ScreenPixelsPerInch(), devicePixelRatioF()));
}

void TKorvaleFrm::FitPage1Click() {
  SetZoom(viewer::WholeDpiZoomBelow(
      viewer::FitPageZoom(ScreenPages.page_width_px(), ScreenPages.page_height_px(),
                          ScrollBox1->viewport()->width(), ScrollBox1->viewport()->height()),
      ScreenPixelsPerInch(), devicePixelRatioF()));
}

void TKorvaleFrm::TrueScale1Click() {
  const QScreen* shown = screen();
  const auto zoom = shown ? viewer::TrueScaleZoom(shown->physicalDotsPerInchY(),
                                                  shown->logicalDotsPerInchY())
                          : std::nullopt;
  SetZoom(zoom.value_or(100));
  if (!zoom) NoteLBL->setText("The screen does not report its size: shown at 100%.");
}

void TKorvaleFrm::ZoomCbEntered() {
  const auto typed = viewer::ReadTypedZoom(ZoomCb->currentText().toStdString());
  if (typed.kind == viewer::TypedZoom::InRange) SetZoom(typed.percent);
  // The box shows the zoom in force, also after a zoom it could not take.
  UpdateZoomControls();
  if (typed.kind != viewer::TypedZoom::InRange) {
    platform::ShowMessageBox(platform::BoxKind::Information, viewer::TypedZoomMessage(typed));
    return;
  }
  FocusPage();
}

void TKorvaleFrm::RememberPage() {
  if (!FileName.empty() && !IsTemporaryLog(FileName))
    viewer::RememberPlace(FileName, {CurrentPage, ZoomPercent});
}

void TKorvaleFrm::UpdatePageControls() {
  const int32_t last = ScreenPages.last_page();
  PagePNL->setText(QString::asprintf("%lld of %lld", static_cast<long long>(int64_t{CurrentPage} + 1),
                                     static_cast<long long>(int64_t{last} + 1)));
  PageDownBtn->setEnabled(last > CurrentPage);
  PageDown1->setEnabled(PageDownBtn->isEnabled());
  PageUpBtn->setEnabled(CurrentPage > 0);
  PageUp1->setEnabled(PageUpBtn->isEnabled());
  FirstPage1->setEnabled(!NoDocument);
  LastPage1->setEnabled(!NoDocument);
  PageNumBtn->setEnabled(last > 0);
  GoToPage1->setEnabled(PageNumBtn->isEnabled());
  GoToDepthBtn->setEnabled(last >= 0);
  GoToDepth1->setEnabled(last >= 0);
  CopyBtn->setEnabled(true);
  Copy1->setEnabled(true);
  CopyDepth1->setEnabled(true);
  SaveBtn->setEnabled(!NoDocument);
  PrintBtn->setEnabled(!NoDocument);
  UpdateFileCommands();
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
  if (NoDocument) return;
  if (CurrentPage <= 0) {
    // Already there: the top of the page.
    ScrollBox1->verticalScrollBar()->setValue(ScrollBox1->verticalScrollBar()->minimum());
    return;
  }
  CurrentPage = 0;
  PlotCurrentPage();
}

void TKorvaleFrm::LastPage1Click() {
  if (NoDocument) return;
  if (ScreenPages.last_page() <= CurrentPage) {
    ScrollBox1->verticalScrollBar()->setValue(ScrollBox1->verticalScrollBar()->maximum());
    return;
  }
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

const PageModel& TKorvaleFrm::ShownModel() const {
  return ShownPages.last_page() >= 0 ? ShownPages : ScreenPages;
}

// --- Depth read-out and clipboard -----------------------------------------------------------

void TKorvaleFrm::Image1MouseMove(int x, int y) {
  if (NoDocument) return;
  // Where the pointer is on the screen: the page may move under it (a zoom,
  // a scroll, another page) while it stays.
  PointerAt = Image1->mapToGlobal(Image1PointAt(QPointF(x, y)));
  if (DepthCursor1->isChecked()) {
    const int row = y;  // page pixels
    const std::optional<int> cursor = InShownBody(row) ? std::optional<int>(row) : std::nullopt;
    if (cursor != CursorRow) {
      CursorRow = cursor;
      UpdateMarks();
    }
  }
  UpdateReadOut(QPoint(x, y));
}

void TKorvaleFrm::Image1MouseLeave() {
  PointerAt.reset();
  UpdateReadOut();
  if (!CursorRow) return;
  CursorRow.reset();
  UpdateMarks();
}

void TKorvaleFrm::UpdateReadOut(std::optional<QPoint> pagePixel) {
  // A depth being typed into the box is not overwritten.
  if (DepthEd->hasFocus() && DepthEd->isModified()) return;
  if (!pagePixel && PointerAt && !NoDocument) {
    const QPoint at = Image1->mapFromGlobal(*PointerAt);
    if (Image1->rect().contains(at)) pagePixel = PagePixelAt(at).toPoint();
  }
  // Off the page there is nothing to read (and Copy Depth copies nothing).
  if (!pagePixel || NoDocument) {
    DepthEd->setText(QString());  // not clear(): that would count as typed
    return;
  }
  // The read-out of the page shown, laid out as it was drawn.
  const double value = ShownPages.depth_at(ShownPage, ShownPages.screen_kind(ShownPage),
                                            pagePixel->y(), ElevationCb->isChecked(), ShownSettings);
  DepthEd->setText(QString::asprintf("%.2f", value));
}

void TKorvaleFrm::DepthCursor1Click() {
  if (DepthCursor1->isChecked()) return;  // the line comes with the next move
  CursorRow.reset();
  UpdateMarks();
}

bool TKorvaleFrm::InShownBody(int row) const {
  if (NoDocument) return false;
  // The rows are those of the page as drawn, at its zoom and pixel ratio.
  const auto body = viewer::BodyRows(ShownModel(), ShownPage, ShownSettings);
  return body && body->Contains(row);
}

void TKorvaleFrm::Image1MousePress(int, int) {
  if (!DepthMarkRow) return;
  DepthMarkRow.reset();
  MarkedDepth.reset();
  UpdateMarks();
}

// --- Go to depth ------------------------------------------------------------------------

void TKorvaleFrm::GoToDepth1Click() {
  if (NoDocument || !Document) return;
  TGoToDepthDlg dialog(this);
  dialog.ElevationCb->setChecked(ElevationCb->isChecked());
  if (RunDialog(dialog) != QDialog::Accepted) return;
  GoToTypedDepth(dialog.DepthEd->text(), dialog.ElevationCb->isChecked());
}

void TKorvaleFrm::DepthEdReturn() {
  if (NoDocument || !Document) {
    FocusPage();
    return;
  }
  if (!GoToTypedDepth(DepthEd->text(), ElevationCb->isChecked())) {
    // Told what to type: the box keeps the keyboard to type it again.
    DepthEd->selectAll();
    return;
  }
  DepthEd->setModified(false);
  FocusPage();
  UpdateReadOut();
}

void TKorvaleFrm::FocusPage() { ScrollBox1->setFocus(Qt::OtherFocusReason); }

void TKorvaleFrm::FindPanelShown(bool visible) {
  if (visible) return;
  // The outline goes with the panel; the hits stay for F3 and Shift+F3.
  if (FoundTextBox) {
    FoundTextBox.reset();
    UpdateMarks();
  }
  QWidget* focused = QApplication::focusWidget();
  if (!focused || FindPanel->isAncestorOf(focused)) FocusPage();
}

bool TKorvaleFrm::GoToTypedDepth(const QString& text, bool elevation) {
  const std::optional<double> value = viewer::ParseDepthInput(text);
  if (!value) {
    InformationBox(viewer::kNotADepthMessage);
    return false;
  }
  return GoToDepth(*value, elevation);
}

bool TKorvaleFrm::GoToDepth(double value, bool elevation) {
  if (NoDocument || !Document) return false;
  auto [top, bottom] = ScreenPages.log_depths();
  if (elevation) {
    const double datum = ScreenPages.header().datum;
    top = datum - top;
    bottom = datum - bottom;
  }
  const DrawSettings settings = ViewSettings();
  const auto found = value >= std::min(top, bottom) && value <= std::max(top, bottom)
                         ? ShownModel().locate(value, elevation, settings)
                         : std::nullopt;
  if (!found) {
    InformationBox(viewer::OutsideLogMessage(value, elevation, top, bottom).toStdString());
    return false;
  }
  if (found->page != CurrentPage || ShownPage != CurrentPage) {
    CurrentPage = found->page;
    PlotCurrentPage();
  }
  MarkedDepth = DepthMark{value, elevation};
  UpdateMarks();
  const QPoint at = Image1PointAt(QPointF(BodyColumns().first, DepthMarkRow.value_or(found->row)));
  ScrollBox1->ensureVisible(at.x(), at.y(), 0, ScrollBox1->viewport()->height() / 3);
  return true;
}

void TKorvaleFrm::SelectPageRow() {
  const QModelIndex row = PageList->index(CurrentPage);
  if (!row.isValid() || PagesList->currentIndex() == row) return;
  const QSignalBlocker quiet(PagesList);
  PagesList->setCurrentIndex(row);
  PagesList->scrollTo(row);
}

// --- Find -------------------------------------------------------------------------------

void TKorvaleFrm::Find1Click() {
  if (NoDocument || !Document) return;
  FindPanel->show();
  FindPanel->raise();
  FindPanel->FindEd->setFocus();
  FindPanel->FindEd->selectAll();
}

void TKorvaleFrm::RunFind(const QString& phrase) {
  if (NoDocument || !Document) return;
  FoundHits.clear();
  CurrentHit = -1;
  QTreeWidget* list = FindPanel->ResultsList;
  list->clear();
  if (phrase.trimmed().isEmpty()) {
    FindPanel->StatusLbl->setText("Type the text to find.");
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const TextIndex* index = TextIndexer->Index();
  QApplication::restoreOverrideCursor();
  if (!index || !index->complete()) {
    const std::string why = TextIndexer->Error();
    FindPanel->StatusLbl->setText(QString::fromStdString(
        "The texts of the log could not be read" + (why.empty() ? "." : " - " + why)));
    return;
  }
  FoundHits = index->find(phrase);
  for (const int32_t i : FoundHits) {
    const TextIndex::Entry& e = index->entries()[static_cast<size_t>(i)];
    auto* item = new QTreeWidgetItem(
        {QString::number(e.page + 1), viewer::FormatDepth(e.depth),
         viewer::TextAround(e.text.simplified(), phrase.trimmed())});
    item->setTextAlignment(0, Qt::AlignRight);
    item->setTextAlignment(1, Qt::AlignRight);
    list->addTopLevelItem(item);
  }
  FindPanel->StatusLbl->setText(
      FoundHits.empty() ? QString("No text of this log holds \"%1\".").arg(phrase.trimmed())
                        : QString("%1 found").arg(FoundHits.size()));
  if (!FoundHits.empty()) ShowHit(0);
}

void TKorvaleFrm::ShowHit(int row) {
  const TextIndex* index = TextIndexer->Index();
  if (!index || row < 0 || row >= static_cast<int>(FoundHits.size())) return;
  const TextIndex::Entry& e = index->entries()[static_cast<size_t>(FoundHits[row])];
  if (e.page != CurrentPage || ShownPage != CurrentPage) {
    CurrentPage = e.page;
    PlotCurrentPage();
  }
  CurrentHit = row;
  FoundTextBox = e.box;
  UpdateMarks();
  // The text in the middle of the view (as far as the page lets it).
  const QPoint centre = Image1PointAt(QPointF(FoundBox->center()));
  const QSize view = ScrollBox1->viewport()->size();
  ScrollBox1->horizontalScrollBar()->setValue(centre.x() - view.width() / 2);
  ScrollBox1->verticalScrollBar()->setValue(centre.y() - view.height() / 2);
  QTreeWidget* list = FindPanel->ResultsList;
  if (QTreeWidgetItem* item = list->topLevelItem(row); item && list->currentItem() != item) {
    const QSignalBlocker quiet(list);
    list->setCurrentItem(item);
  }
}

void TKorvaleFrm::FindNext1Click() {
  if (NoDocument || !Document) return;
  if (FoundHits.empty()) {
    Find1Click();
    return;
  }
  ShowHit((CurrentHit + 1) % static_cast<int>(FoundHits.size()));
}

void TKorvaleFrm::FindPrevious1Click() {
  if (NoDocument || !Document) return;
  if (FoundHits.empty()) {
    Find1Click();
    return;
  }
  const int count = static_cast<int>(FoundHits.size());
  ShowHit(CurrentHit <= 0 ? count - 1 : CurrentHit - 1);
}

std::pair<int, int> TKorvaleFrm::BodyColumns() const {
  const PageModel& shown = ShownModel();
  const tfl::Header& h = shown.header();
  const double x_min = h.x_min, x_max = h.x_max;  // packed fields: copies for min/max
  const double left = std::min(x_min, x_max) * shown.scale_x();
  const double right = std::max(x_min, x_max) * shown.scale_x();
  const auto column = [&](double x) {
    return static_cast<int>(
        std::clamp(std::floor(x + 0.5), 0.0, double(Image1->PagePixels().width())));
  };
  return {column(left), column(right)};
}

void TKorvaleFrm::UpdateMarks() {
  // Each feature has a layer of its own over the page, in page pixels.
  const QColor ink(220, 0, 120);  // a colour that stands out on most logs
  // Plain variables, not a structured binding: the lambda below captures them.
  const std::pair<int, int> columns = BodyColumns();
  const int left = columns.first, right = columns.second;
  const auto across = [&](int row) {
    PageMark mark;
    mark.line = QLineF(left, row + 0.5, right, row + 0.5);
    mark.color = ink;
    return std::vector<PageMark>{mark};
  };
  DepthMarkRow.reset();
  if (MarkedDepth && !NoDocument) {
    const auto at = ShownModel().locate(MarkedDepth->value, MarkedDepth->elevation, ShownSettings);
    if (at && at->page == ShownPage) DepthMarkRow = at->row;
  }
  if (DepthMarkRow)
    Image1->SetOverlay("go-to-depth", across(*DepthMarkRow));
  else
    Image1->ClearOverlay("go-to-depth");
  // The index is at the screen's resolution; the page may be shown zoomed.
  FoundBox.reset();
  if (FoundTextBox) {
    const double scale = double(ShownDpi()) / std::max(1, ScreenPages.resolution());
    const platform::Rect& b = *FoundTextBox;
    FoundBox = QRectF(QPointF(b.left, b.top) * scale, QPointF(b.right, b.bottom) * scale)
                   .toAlignedRect();
  }
  if (FoundBox)
    Image1->SetOverlay("find", {PageMark::Outline(QRectF(*FoundBox).adjusted(-2, -2, 2, 2), ink, 2)});
  else
    Image1->ClearOverlay("find");
  if (CursorRow)
    Image1->SetOverlay("depth-cursor", across(*CursorRow));
  else
    Image1->ClearOverlay("depth-cursor");
}

void TKorvaleFrm::Copy1Click() { QApplication::clipboard()->setImage(PageBitmap); }

void TKorvaleFrm::CopyDepth1Click() {
  // Nothing under the pointer: the clipboard keeps what it holds.
  if (DepthEd->text().isEmpty()) return;
  QApplication::clipboard()->setText(DepthEd->text());
}
