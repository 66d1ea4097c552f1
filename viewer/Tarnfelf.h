#pragma once
// TKorvaleFrm: the viewer's main window. A menu bar, a tool bar with the
// depth read-out, a scrolling view of one log page and a page panel. It holds
// the log shown as a document (devices/LogDocument.h) with its pages at the
// screen's resolution, draws them into its page image and carries out the
// document commands.
//
// Window building and the document lifecycle are in Tarnfelf.cpp; opening,
// reloading, paging, the page image, the depth read-out and the clipboard in
// Tarnfelf_view.cpp; printing in Tarnfelf_print.cpp. The recent logs, what is
// remembered of each log, the watch on the log's file, paging from the
// page view's keys and wheel, panning by a drag, the window's place on the
// screen and the body rows of the page shown are helpers of their own
// (RecentLogs, LogMemory, LogWatcher, PageFlow, PagePan, WindowPlace,
// BodyRows).
#include <QImage>
#include <QPoint>
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <set>
#include <string>

#include "core/DrawSettings.h"
#include "core/TflFormat.h"
#include "devices/LogDocument.h"
#include "platform/Canvas.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QToolBar;
class QToolButton;
class Libraries;
class TLogWatcher;
class TPageFlow;
class TPagePan;
class QDockWidget;
class QListView;
class TFindPanel;
class TPageList;
class TPageImage;
class TPageDrawer;
class TTextIndexer;

class TKorvaleFrm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TKorvaleFrm(QWidget* parent = nullptr);
  ~TKorvaleFrm() override;

  static constexpr int kHelpContext = 3004;
  static constexpr int kOpenDlgHelpContext = 305;
  static constexpr int kSaveDlgHelpContext = 62;

  // --- Components -------------------------------------------------------------
  QToolBar* ToolBar;
  QToolButton* FileOpenBtn;
  QToolButton* SaveBtn;
  QToolButton* PrintBtn;
  QToolButton* CopyBtn;
  QToolButton* PageDownBtn;
  QToolButton* PageUpBtn;
  QToolButton* PageNumBtn;
  QToolButton* GoToDepthBtn;
  QToolButton* HelpBtn;
  QLineEdit* DepthEd;
  QCheckBox* ElevationCb;
  QComboBox* ZoomCb;
  QScrollArea* ScrollBox1;
  TPageImage* Image1;
  QFrame* Panel2;
  QLabel* PagePNL;
  QLabel* NoteLBL;  // a passing note (true scale not known)

  QMenu* File1;
  QMenu* Edit1;
  QMenu* View1;
  QMenu* Help1;
  QMenu* OpenRecent1;
  QAction* Open1;
  QAction* Reload1;
  QAction* SaveAs1;
  QAction* PageSetup1;
  QAction* Export1;
  QAction* Print1;
  QAction* Exit1;
  QAction* Copy1;
  QAction* CopyDepth1;
  QAction* SystemFiles1;
  QAction* Find1;
  QAction* CloseFind1;  // Escape in the Find panel (or the page view)
  QAction* FindNext1;
  QAction* FindPrevious1;
  QAction* PageDown1;
  QAction* PageUp1;
  QAction* FirstPage1;
  QAction* LastPage1;
  QAction* GoToPage1;
  QAction* ZoomIn1;
  QAction* ZoomOut1;
  QAction* ActualSize1;
  QAction* FitWidth1;
  QAction* FitPage1;
  QAction* TrueScale1;
  QAction* FullScreen1;
  QAction* GoToDepth1;
  QAction* DepthCursor1;
  QAction* Pages1;
  QAction* Contents1;
  QAction* Index1;
  QAction* AboutKorvale1;

  // The tool-button images, by the index each button names.
  std::vector<QIcon> ImageList;

  // --- File choosers ------------------------------------------------------------
  // The open and save dialogs; each returns the chosen path or "" for Cancel.
  // Tests replace them so that no real dialog runs.
  std::function<std::string()> OpenDlg;
  std::function<std::string()> SaveDlg;
  // File > Export's file chooser (PNG, PDF or SVG by the name's suffix).
  std::function<std::string()> ExportDlg;

  // Commands that other parts of the program attach (about box, System Files
  // dialog); until then the menu items say that they are not available.
  static inline std::function<void(const std::string& programPath, const std::string& name)>
      AboutBoxCommand;
  static inline std::function<void()> SystemFilesCommand;

  // --- Document state -----------------------------------------------------------
  // The pattern and symbol libraries, opened at window creation.
  std::unique_ptr<Libraries> ViewLibraries;
  // The log shown (null before the first open) and its pages on the screen.
  std::unique_ptr<LogDocument> Document;
  PageModel ScreenPages;
  // The page drawn into the page image and the settings it was drawn with:
  // what the depth read-out reads.
  int32_t ShownPage = 0;
  DrawSettings ShownSettings;
  // The pages at the resolution the shown page was drawn at (ScreenPages at
  // 100%): what its page pixels mean.
  PageModel ShownPages;
  // The zoom in percent (viewer/Zoom.h): the page is drawn afresh at
  // round(screen dpi x zoom x device pixel ratio).
  double ZoomPercent = 100;
  // The canvas on the page image (made when a log is opened, and again when
  // the image is resized or a print job has drawn).
  std::unique_ptr<platform::Canvas> ViewCanvas;
  std::string FileName;
  int32_t CurrentPage = 0;
  bool NoDocument = true;
  int32_t PrinterDpiY = 0;
  int32_t PrinterDpiX = 0;
  double PrinterPageWidth = 0;
  double PrinterPageLength = 0;

  // The page bitmap that Image1 shows and the device draws on.
  QImage PageBitmap;

  // Space, Shift+Space and the wheel across page ends; the watch on the
  // shown log's file.
  TPageFlow* PageFlow;
  // Dragging the page with the left button pans it.
  TPagePan* PagePan;
  TLogWatcher* LogWatcher;
  // Draws zoomed pages in a worker thread.
  TPageDrawer* PageDrawer;
  // A zoomed page is being drawn: the page shown is the stand-in.
  bool DrawingPage() const { return waitingSerial_ != 0; }
  // The logs whose page-size question was answered in this run: reloading
  // them after a change on disk does not ask again.
  std::set<std::string> PageSizeAnswered;

  // Opens the compiled log at path as the Open command does after its dialog,
  // on the page it was left at when it was shown before.
  void OpenLog(const std::string& path);
  // Opens the shown log again after a change on disk, on the same page (the
  // last page when it has fewer now) and scroll position. A log that cannot
  // be opened now leaves the page shown as it was.
  void ReloadLog();
  // File > Open Recent: a log that no longer exists leaves the list.
  void OpenRecentLog(const std::string& path);

  // Shows the page whose body holds `value` (a depth, or an elevation),
  // scrolled so that it is in view and marked with a line across the body.
  // A value no page shows is told in a box and changes nothing. False when
  // nothing was shown.
  bool GoToDepth(double value, bool elevation);
  // GoToDepth for a typed value; a text that is no number is told in a box.
  bool GoToTypedDepth(const QString& text, bool elevation);
  // The page panel: every page with its body's depths and a small picture.
  QDockWidget* PagesDock;
  QListView* PagesList;
  TPageList* PageList;

  // Find: the panel, the log's texts read in the background since it was
  // opened, the hits of the last search (indices into the index) and the
  // hit shown (-1: none). The hit shown is outlined until another page.
  TFindPanel* FindPanel;
  std::unique_ptr<TTextIndexer> TextIndexer;
  std::vector<int32_t> FoundHits;
  int CurrentHit = -1;
  // The hit's box in the index's pixels, and as shown (page pixels).
  std::optional<platform::Rect> FoundTextBox;
  std::optional<QRect> FoundBox;
  // Searches the log's texts for `phrase`, lists the hits and shows the first.
  void RunFind(const QString& phrase);
  // Shows hit `row` of the list: its page, scrolled to it, its text outlined.
  void ShowHit(int row);

  // The pointer's place on the screen while it is over the page: the depth
  // read-out shows the depth under it, and nothing when it is elsewhere.
  std::optional<QPoint> PointerAt;
  // Shows the read-out of page pixel `pagePixel`, or of the page pixel under
  // PointerAt (the page may have moved under a pointer that stayed); empty
  // when the pointer is not over the page. A depth being typed stays.
  void UpdateReadOut(std::optional<QPoint> pagePixel = std::nullopt);

  // The depth cursor's row while it is on and the pointer is over the body.
  std::optional<int> CursorRow;
  // Whether row `row` of the shown page is in its log body (not in a header
  // or footer).
  bool InShownBody(int row) const;

  // The row (page pixels) the last go to depth marked on the shown page, if
  // still marked, and the depth or elevation it marks.
  std::optional<int> DepthMarkRow;
  struct DepthMark {
    double value;
    bool elevation;
  };
  std::optional<DepthMark> MarkedDepth;
  // The pages as the shown page was drawn (at its zoom), ScreenPages before
  // the first page is drawn.
  const PageModel& ShownModel() const;

  // --- Operations of the page view ------------------------------------------------
  // Opens FileName as the document and reads its header. False (with the
  // reason already shown) when the file cannot be read or is no compiled log.
  bool BindViewDevice();
  bool CreateViewCanvas(bool checkPrinter);
  void ReadPrinterInfo();
  void ShowResourceWarning();
  void CountPages();
  // Draws the current page at the zoom; the view goes to the page's top
  // unless keepScroll.
  void PlotCurrentPage(bool keepScroll = false);
  // Zooms to `percent` (clamped) about `anchor`, a point of the scroll box's
  // viewport (its centre when none): the same point of the log stays there.
  void SetZoom(double percent, std::optional<QPoint> anchor = std::nullopt);
  void ClearPageImage();
  void UpdatePageControls();

  // --- The shown page's coordinates (see viewer/PageImage.h) -------------------------
  // Page pixels per inch of the page shown (the screen's at 100%).
  int ShownDpi() const;
  // A point of Image1 as the page pixel (column, row) under it, and back.
  QPointF PagePixelAt(QPoint image1Point) const;
  QPoint Image1PointAt(QPointF pagePixel) const;
  // The settings pages of the shown log are drawn with: the settings record's,
  // the screen's pixels per inch and the log's folder for its pictures.
  DrawSettings ViewSettings() const;

 public slots:
  void Open1Click();
  void Reload1Click();
  void SaveAs1Click();
  // File > Page Setup...: the page size of the log shown (written into its
  // header, as when opening offers it), or without a log the default page
  // size and the printer's orientation.
  void PageSetup1Click();
  void Export1Click();
  void Print1Click();
  void Exit1Click();
  void Copy1Click();
  void CopyDepth1Click();
  void SystemFiles1Click();
  void PageDownBTNClick();
  void PageUpBTNClick();
  void PageNumBTNClick();
  void GoToDepth1Click();
  void Find1Click();
  void FindNext1Click();
  void FindPrevious1Click();
  void DepthEdReturn();
  // The page view takes the keyboard (Space, Home, End, the arrows).
  void FocusPage();
  // The Find panel shown or closed.
  void FindPanelShown(bool visible);
  void FirstPage1Click();
  void LastPage1Click();
  void Contents1Click();
  void Index1Click();
  void HelpBtnClick();
  void AboutKorvale1Click();
  void File1Click();
  void Edit1Click();
  void View1Click();
  void Image1MouseMove(int x, int y);
  void ZoomIn1Click();
  void ZoomOut1Click();
  void ActualSize1Click();
  void FitWidth1Click();
  void FitPage1Click();
  void TrueScale1Click();
  void ZoomCbEntered();
  void Image1MousePress(int x, int y);
  void Image1MouseLeave();
  void DepthCursor1Click();
  void FullScreen1Click();

 signals:
  // The zoom (and so the page pixels) changed: marks in page pixels are set
  // again by their owners.
  void ZoomChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The window with its frame is kept within the screen when it shows.
  void showEvent(QShowEvent* event) override;
  // A ".tfl" file dropped on the window opens as File > Open would open it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // Ctrl+wheel over the page zooms about the pointer.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildPageView();
  void FormCreate();
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void PlaceWindow();
  // Moves and shrinks the window so that it lies within its screen's
  // available area (viewer/WindowPlace.h).
  void FitOnScreen();
  void CreateFirstPageImage();
  void LoadImages();

  // Gives the page bitmap a new size and format and points the device at it.
  // False (bitmap unchanged) when the image cannot be allocated.
  // A zoomed bitmap leaves UnzoomedSize (the page at 100%) as it was.
  bool ResizePageBitmap(int width, int height, QImage::Format format, bool zoomed = false);
  void UpdateZoomControls();
  // Save As, Export, Print and Reload follow the log shown (also for their
  // keys, between the times the File menu opens).
  void UpdateFileCommands();
  void ShowPageBitmap();
  // Writes the dialog's page size into the document and the file's header.
  // Throws OpenAborted when the file cannot be opened for writing.
  void StorePageSize(double pageLength, double pageWidth);
  void DeleteTemporaryFile(const std::string& path);
  // Writes pages first..last (1-based) into `name` ("%d": the page number),
  // the format by its suffix, PNG and SVG at `dpi`. Errors are shown.
  void ExportPages(const std::string& name, int32_t first, int32_t last, int32_t dpi);
  // OpenLog and ReloadLog.
  void LoadLog(const std::string& path, bool reload);
  // Records the page shown for the next time the log is opened.
  void RememberPage();
  // Gives the page image the marks of the shown page.
  void UpdateMarks();
  // The page panel's row follows the page shown.
  void SelectPageRow();
  void RestorePagePanel();
  void SavePagePanel();
  // The columns of the log body on the shown page.
  std::pair<int, int> BodyColumns() const;

  // The sharp page of a zoom step arrived from the worker.
  void PageDrawn(quint64 serial, const QImage& page, bool complete);
  void CancelPageDrawing();

  QSize unzoomedSize_;
  uint64_t lastSerial_ = 0, waitingSerial_ = 0;
  bool closing_ = false;
  bool maximizedBeforeFullScreen_ = false;
  bool loading_ = false;
};

// A compiled log is temporary (written by the design program for one showing,
// deleted once the viewer no longer needs it) when its own file name begins
// with "~TF", in any case; the folders above it do not count.
bool IsTemporaryLog(const std::string& path);
