// The main window: components, menus, tool bar, placement, Save As, closing
// and help.
#include "viewer/Tarnfelf.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QListView>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWindow>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/Libraries.h"
#include "devices/SettingsValue.h"
#include "platform/MessageBox.h"
#include "support/IoError.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/ExportDlg.h"
#include "viewer/FindPanel.h"
#include "viewer/HelpWin.h"
#include "viewer/LogWatcher.h"
#include "viewer/PageDrawer.h"
#include "viewer/PageFlow.h"
#include "viewer/PageGeometry.h"
#include "viewer/PageImage.h"
#include "viewer/PageList.h"
#include "viewer/PagePan.h"
#include "viewer/RecentLogs.h"
#include "viewer/WindowPlace.h"
#include "viewer/Zoom.h"
#include "viewer/ViewerSettings.h"
#include "viewer/TextIndexer.h"
#include "windows/StatusObserver.h"
#include "windows/CommandGuard.h"
#include "windows/HelpContext.h"
#include "windows/StatusWin.h"

// Resources of a static library must be registered by hand; the macro may not
// stand inside a namespace.
static void InitViewerResources() { Q_INIT_RESOURCE(korvale_viewer); }

namespace {

constexpr const char* kCaptionPrefix = "Quelmark Korvale - ";
// Logs from Windows machines often carry upper-case names; "*" lists every
// file, also names without a dot.
constexpr const char* kTflFilter = "Tarnfel (*.tfl *.TFL);;All Files (*)";

// Tool-button image indices.
enum ImageIndex { kImgOpen = 0, kImgSave = 1, kImgCopy = 2, kImgPageDown = 3, kImgPageUp = 4,
                  kImgPageNum = 5, kImgSpare = 6, kImgHelp = 7, kImgPrint = 8 };

QToolButton* MakeToolButton(QToolBar* bar, const QIcon& icon, const QString& caption,
                            const QString& hint) {
  auto* button = new QToolButton(bar);
  button->setIcon(icon);
  button->setText(caption);
  button->setToolTip(hint);
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFixedSize(28, 24);
  button->setAutoRaise(true);
  bar->addWidget(button);
  return button;
}

// A command of the window as a slot. A failure that escapes the handler is
// shown ("Error in <name> - <message>") and leaves the window usable:
// enabled, without the status window, with the default cursor.
template <class... Args>
auto Command(TKorvaleFrm* window, void (TKorvaleFrm::*handler)(Args...), const char* name) {
  return [window, handler, phrase = std::string("Error in ") + name](Args... args) {
    if (RunGuarded(phrase, [&] { (window->*handler)(args...); })) return;
    window->setEnabled(true);
    HideStatus();
  };
}

// A gap in the tool bar (a divider is drawn as a line, a separator as space).
void AddGap(QToolBar* bar) {
  auto* gap = new QWidget(bar);
  gap->setFixedWidth(8);
  bar->addWidget(gap);
}

}  // namespace

bool IsTemporaryLog(const std::string& path) {
  // Only the file's own name counts: a folder "~TFwells" or a name like
  // "my~tfl.tfl" holds the user's logs, which must never be deleted.
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name =
      std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  return name.size() >= 3 && name[0] == '~' && (name[1] == 'T' || name[1] == 't') &&
         (name[2] == 'F' || name[2] == 'f');
}

TKorvaleFrm::TKorvaleFrm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Korvale");
  QFont font("System");
  font.setPixelSize(13);
  setFont(font);
  resize(611, 431);
  setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
  SetHelpContext(this, kHelpContext);

  LoadImages();
  BuildMenus();
  BuildToolBar();
  BuildPageView();

  OpenDlg = [this] {
    QFileDialog dialog(this, "Open a Compiled Log");
    SetHelpContext(&dialog, kOpenDlgHelpContext);
    dialog.setNameFilter(kTflFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile("*.tfl");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().first().toStdString();
  };
  SaveDlg = [this] {
    QFileDialog dialog(this, "Save Compiled Log As...");
    SetHelpContext(&dialog, kSaveDlgHelpContext);
    dialog.setNameFilter(kTflFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("tfl");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().first().toStdString();
  };

  ExportDlg = [this] {
    QFileDialog dialog(this, "Export Pages");
    SetHelpContext(&dialog, TExportDLG::kHelpContext);
    dialog.setNameFilters({"PNG image (*.png)", "PDF document (*.pdf)", "SVG drawing (*.svg)"});
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("png");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.section("*.", 1).left(3));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().first().toStdString();
  };

  FormCreate();
}

TKorvaleFrm::~TKorvaleFrm() { FormDestroy(); }

void TKorvaleFrm::LoadImages() {
  InitViewerResources();
  const char* files[] = {"open", "save", "copy", "pagedown", "pageup", "pagenum", "", "help",
                         "print"};
  for (const char* name : files)
    ImageList.push_back(*name ? QIcon(QString(":/icons/%1.png").arg(name)) : QIcon());
}

void TKorvaleFrm::BuildMenus() {
  const auto command = [this](auto handler, const char* name) {
    return Command(this, handler, name);
  };
  QMenuBar* bar = menuBar();
  File1 = bar->addMenu("&File");
  // The platform's standard keys for the file commands.
  Open1 = File1->addAction("&Open", this, command(&TKorvaleFrm::Open1Click, "Open"));
  Open1->setShortcut(QKeySequence("Ctrl+O"));
  OpenRecent1 = File1->addMenu("Open &Recent");
  Reload1 = File1->addAction("Re&load", this, command(&TKorvaleFrm::Reload1Click, "Reload"));
  Reload1->setShortcut(QKeySequence(Qt::Key_F5));
  SaveAs1 = File1->addAction("&Save As...", this, command(&TKorvaleFrm::SaveAs1Click, "Save As"));
  SaveAs1->setShortcut(QKeySequence("Ctrl+Shift+S"));
  Export1 = File1->addAction("&Export...", this, command(&TKorvaleFrm::Export1Click, "Export"));
  Export1->setShortcut(QKeySequence("Ctrl+E"));
  File1->addSeparator();
  PageSetup1 = File1->addAction("Page Set&up...", this,
                                command(&TKorvaleFrm::PageSetup1Click, "Page Setup"));
  Print1 = File1->addAction("&Print", this, command(&TKorvaleFrm::Print1Click, "Print"));
  Print1->setShortcut(QKeySequence("Ctrl+P"));
  File1->addSeparator();
  Exit1 = File1->addAction("&Close", this, command(&TKorvaleFrm::Exit1Click, "Close"));
  // Closing the window ends the program: the keys of Close and of Quit.
  Exit1->setShortcuts({QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Q")});

  Edit1 = bar->addMenu("&Edit");
  Copy1 = Edit1->addAction("&Copy Page", this, command(&TKorvaleFrm::Copy1Click, "Copy Page"));
  Copy1->setShortcut(QKeySequence("Ctrl+C"));
  CopyDepth1 =
      Edit1->addAction("Copy &Depth", this, command(&TKorvaleFrm::CopyDepth1Click, "Copy Depth"));
  CopyDepth1->setShortcut(QKeySequence("Ctrl+D"));
  Edit1->addSeparator();
  Find1 = Edit1->addAction("&Find...", this, command(&TKorvaleFrm::Find1Click, "Find"));
  Find1->setShortcut(QKeySequence("Ctrl+F"));
  FindNext1 =
      Edit1->addAction("Find &Next", this, command(&TKorvaleFrm::FindNext1Click, "Find Next"));
  FindNext1->setShortcut(QKeySequence(Qt::Key_F3));
  FindPrevious1 = Edit1->addAction("Find Pre&vious", this,
                                   command(&TKorvaleFrm::FindPrevious1Click, "Find Previous"));
  FindPrevious1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
  Edit1->addSeparator();
  SystemFiles1 = Edit1->addAction("&System Files...", this,
                                  command(&TKorvaleFrm::SystemFiles1Click, "System Files"));

  View1 = bar->addMenu("&View");
  PageDown1 =
      View1->addAction("Page &Down", this, command(&TKorvaleFrm::PageDownBTNClick, "Page Down"));
  PageUp1 = View1->addAction("Page &Up", this, command(&TKorvaleFrm::PageUpBTNClick, "Page Up"));
  FirstPage1 =
      View1->addAction("&First Page", this, command(&TKorvaleFrm::FirstPage1Click, "First Page"));
  LastPage1 =
      View1->addAction("&Last Page", this, command(&TKorvaleFrm::LastPage1Click, "Last Page"));
  GoToPage1 = View1->addAction("&Go to page ...", this,
                               command(&TKorvaleFrm::PageNumBTNClick, "Go to page"));
  GoToPage1->setShortcut(QKeySequence("Ctrl+G"));
  GoToDepth1 = View1->addAction("Go to De&pth...", this,
                                command(&TKorvaleFrm::GoToDepth1Click, "Go to Depth"));
  GoToDepth1->setShortcut(QKeySequence("Ctrl+Shift+G"));
  View1->addSeparator();
  DepthCursor1 = View1->addAction("Depth &Cursor", this,
                                  command(&TKorvaleFrm::DepthCursor1Click, "Depth Cursor"));
  DepthCursor1->setCheckable(true);
  DepthCursor1->setShortcut(QKeySequence("Ctrl+Shift+D"));
  View1->addSeparator();
  ZoomIn1 = View1->addAction("Zoom &In", this, command(&TKorvaleFrm::ZoomIn1Click, "Zoom In"));
  ZoomIn1->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
  ZoomOut1 = View1->addAction("Zoom &Out", this, command(&TKorvaleFrm::ZoomOut1Click, "Zoom Out"));
  ZoomOut1->setShortcut(QKeySequence("Ctrl+-"));
  ActualSize1 = View1->addAction("&Actual Size", this,
                                 command(&TKorvaleFrm::ActualSize1Click, "Actual Size"));
  ActualSize1->setShortcut(QKeySequence("Ctrl+0"));
  FitWidth1 =
      View1->addAction("Fit &Width", this, command(&TKorvaleFrm::FitWidth1Click, "Fit Width"));
  FitWidth1->setShortcut(QKeySequence("Ctrl+2"));
  FitPage1 = View1->addAction("Fit &Page", this, command(&TKorvaleFrm::FitPage1Click, "Fit Page"));
  FitPage1->setShortcut(QKeySequence("Ctrl+3"));
  TrueScale1 =
      View1->addAction("&True Scale", this, command(&TKorvaleFrm::TrueScale1Click, "True Scale"));
  TrueScale1->setShortcut(QKeySequence("Ctrl+4"));
  View1->addSeparator();
  FullScreen1 = View1->addAction("F&ull Screen", this,
                                 command(&TKorvaleFrm::FullScreen1Click, "Full Screen"));
  FullScreen1->setCheckable(true);
  FullScreen1->setShortcut(QKeySequence(Qt::Key_F11));

  Help1 = bar->addMenu("&Help");
  Contents1 =
      Help1->addAction("&Contents...", this, command(&TKorvaleFrm::Contents1Click, "Contents"));
  Index1 = Help1->addAction("&Index...", this, command(&TKorvaleFrm::Index1Click, "Index"));
  Help1->addSeparator();
  AboutKorvale1 = Help1->addAction("&About Korvale...", this,
                                   command(&TKorvaleFrm::AboutKorvale1Click, "About Korvale"));

  connect(File1, &QMenu::aboutToShow, this, command(&TKorvaleFrm::File1Click, "the File menu"));
  connect(Edit1, &QMenu::aboutToShow, this, command(&TKorvaleFrm::Edit1Click, "the Edit menu"));
  connect(View1, &QMenu::aboutToShow, this, command(&TKorvaleFrm::View1Click, "the View menu"));
}

void TKorvaleFrm::BuildToolBar() {
  const auto command = [this](auto handler, const char* name) {
    return Command(this, handler, name);
  };
  ToolBar = addToolBar("ToolBar");
  ToolBar->setMovable(false);
  ToolBar->setFloatable(false);
  ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBar->setContentsMargins(4, 0, 0, 0);

  FileOpenBtn = MakeToolButton(ToolBar, ImageList[kImgOpen], "",
                               "Open and display a Tarnfel graphics file (tfl).");
  SaveBtn = MakeToolButton(ToolBar, ImageList[kImgSave], "Save",
                           "Save the current log as a Tarnfel graphics file (tfl).");
  ToolBar->addSeparator();
  PrintBtn = MakeToolButton(ToolBar, ImageList[kImgPrint], "", "Print the compiled log.");
  AddGap(ToolBar);
  CopyBtn = MakeToolButton(ToolBar, ImageList[kImgCopy], "Copy",
                           "Copy the current page to the Window's clipboard.");
  ToolBar->addSeparator();
  PageDownBtn = MakeToolButton(ToolBar, ImageList[kImgPageDown], "Next Page",
                               "Go to the next page in the log.");
  PageUpBtn =
      MakeToolButton(ToolBar, ImageList[kImgPageUp], "Previous Page", "Go to the previous page.");
  PageNumBtn =
      MakeToolButton(ToolBar, ImageList[kImgPageNum], "Page Number", "Select the page to display.");
  GoToDepthBtn = MakeToolButton(ToolBar, QIcon::fromTheme("go-jump", ImageList[kImgPageNum]),
                                "Go to Depth", "Show the page at a depth.");
  ToolBar->addSeparator();
  HelpBtn = MakeToolButton(ToolBar, ImageList[kImgHelp], "Help", "Get help.");
  AddGap(ToolBar);

  DepthEd = new QLineEdit(ToolBar);
  // A read-out of the depth under the pointer; a depth typed into it and
  // Enter go to that depth.
  DepthEd->setFixedWidth(121);
  DepthEd->setToolTip("Depth: type a depth and press Enter to go there");
  DepthEd->setStyleSheet("QLineEdit { background: palette(button); }");
  ToolBar->addWidget(DepthEd);
  DepthEd->installEventFilter(this);  // Escape
  AddGap(ToolBar);
  ElevationCb = new QCheckBox("Elevation", ToolBar);
  ElevationCb->setFixedWidth(97);
  ElevationCb->setChecked(false);
  ToolBar->addWidget(ElevationCb);
  // The read-out follows the box at once; a click leaves the keyboard with
  // the page (Space, Home and End keep paging).
  connect(ElevationCb, &QCheckBox::toggled, this, [this] { UpdateReadOut(); });
  connect(ElevationCb, &QCheckBox::clicked, this, [this] { FocusPage(); });
  AddGap(ToolBar);
  ZoomCb = new QComboBox(ToolBar);
  ZoomCb->setEditable(true);
  ZoomCb->setInsertPolicy(QComboBox::NoInsert);
  ZoomCb->setToolTip("Zoom");
  for (const int level : {25, 50, 75, 100, 125, 150, 200, 300, 400, 600, 800})
    ZoomCb->addItem(QString::fromStdString(viewer::ZoomText(level)));
  ZoomCb->setFixedWidth(80);
  ToolBar->addWidget(ZoomCb);
  UpdateZoomControls();
  // A level chosen from the list, or any zoom typed and Enter.
  connect(ZoomCb, &QComboBox::textActivated, this,
          command(&TKorvaleFrm::ZoomCbEntered, "Zoom"));
  connect(ZoomCb->lineEdit(), &QLineEdit::returnPressed, this,
          command(&TKorvaleFrm::ZoomCbEntered, "Zoom"));

  connect(FileOpenBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::Open1Click, "Open"));
  connect(SaveBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::SaveAs1Click, "Save As"));
  connect(PrintBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::Print1Click, "Print"));
  connect(CopyBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::Copy1Click, "Copy Page"));
  connect(PageDownBtn, &QToolButton::clicked, this,
          command(&TKorvaleFrm::PageDownBTNClick, "Page Down"));
  connect(PageUpBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::PageUpBTNClick, "Page Up"));
  connect(PageNumBtn, &QToolButton::clicked, this,
          command(&TKorvaleFrm::PageNumBTNClick, "Go to page"));
  connect(GoToDepthBtn, &QToolButton::clicked, this,
          command(&TKorvaleFrm::GoToDepth1Click, "Go to Depth"));
  connect(DepthEd, &QLineEdit::returnPressed, this,
          command(&TKorvaleFrm::DepthEdReturn, "Go to Depth"));
  connect(HelpBtn, &QToolButton::clicked, this, command(&TKorvaleFrm::HelpBtnClick, "Help"));

  CopyBtn->setEnabled(false);
  PageDownBtn->setEnabled(false);
  PageUpBtn->setEnabled(false);
  PageNumBtn->setEnabled(false);
  GoToDepthBtn->setEnabled(false);
}

void TKorvaleFrm::BuildPageView() {
  const auto command = [this](auto handler, const char* name) {
    return Command(this, handler, name);
  };
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  ScrollBox1 = new QScrollArea(client);
  ScrollBox1->setBackgroundRole(QPalette::Base);
  ScrollBox1->setStyleSheet("QScrollArea { background: white; }");
  ScrollBox1->setWidgetResizable(false);
  // A page narrower (or shorter) than the view stands in its middle.
  ScrollBox1->setAlignment(Qt::AlignCenter);
  Image1 = new TPageImage;
  Image1->move(0, 0);
  ScrollBox1->setWidget(Image1);
  layout->addWidget(ScrollBox1, 1);

  Panel2 = new QFrame(client);
  Panel2->setFixedHeight(18);
  auto* panelLayout = new QHBoxLayout(Panel2);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  PagePNL = new QLabel(Panel2);
  PagePNL->setFixedWidth(144);
  PagePNL->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PagePNL->setToolTip("Current page number and total number of pages.");
  panelLayout->addWidget(PagePNL);
  NoteLBL = new QLabel(Panel2);
  panelLayout->addWidget(NoteLBL);
  panelLayout->addStretch(1);
  layout->addWidget(Panel2);

  setCentralWidget(client);

  PagesDock = new QDockWidget("Pages", this);
  PagesDock->setObjectName("PagesPanel");
  PagesList = new QListView(PagesDock);
  PageList = new TPageList(PagesList);
  PagesList->setModel(PageList);
  PagesList->setUniformItemSizes(true);
  PagesList->setIconSize(QSize(TPageList::kThumbnailSize, TPageList::kThumbnailSize));
  PagesList->setSelectionMode(QAbstractItemView::SingleSelection);
  PagesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PagesDock->setWidget(PagesList);
  addDockWidget(Qt::LeftDockWidgetArea, PagesDock);
  PagesDock->hide();
  Pages1 = PagesDock->toggleViewAction();
  Pages1->setText("&Pages");
  Pages1->setShortcut(QKeySequence(Qt::Key_F9));
  View1->addAction(Pages1);
  // A row clicked, or reached with the arrow keys, shows its page.
  const auto showRow = [this, command](const QModelIndex& index) {
    if (NoDocument || !index.isValid() || index.row() == CurrentPage) return;
    CurrentPage = index.row();
    command(&TKorvaleFrm::PlotCurrentPage, "Pages")(false);
  };
  connect(PagesList, &QListView::clicked, this, showRow);
  connect(PagesList->selectionModel(), &QItemSelectionModel::currentChanged, this, showRow);

  FindPanel = new TFindPanel(this);
  addDockWidget(Qt::BottomDockWidgetArea, FindPanel);
  FindPanel->hide();
  // Escape in the Find panel, or in the page view while it is open, closes
  // it; closed, it takes its outline with it and gives the page the keyboard.
  CloseFind1 = new QAction("Close Find", this);
  CloseFind1->setShortcut(QKeySequence(Qt::Key_Escape));
  CloseFind1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  FindPanel->addAction(CloseFind1);
  connect(CloseFind1, &QAction::triggered, this, [this] {
    FindPanel->hide();
    FocusPage();
  });
  connect(FindPanel, &QDockWidget::visibilityChanged, this,
          command(&TKorvaleFrm::FindPanelShown, "Find"));
  connect(FindPanel, &TFindPanel::Search, this, command(&TKorvaleFrm::RunFind, "Find"));
  connect(FindPanel, &TFindPanel::HitChosen, this, command(&TKorvaleFrm::ShowHit, "Find"));
  TextIndexer = std::make_unique<TTextIndexer>();
  connect(Image1, &TPageImage::MouseMoved, this,
          command(&TKorvaleFrm::Image1MouseMove, "the depth read-out"));
  // Marks in page pixels follow a change of zoom.
  connect(this, &TKorvaleFrm::ZoomChanged, this, command(&TKorvaleFrm::UpdateMarks, "the marks"));
  connect(this, &TKorvaleFrm::ZoomChanged, this, [this] { UpdateReadOut(); });
  connect(Image1, &TPageImage::MouseLeft, this,
          command(&TKorvaleFrm::Image1MouseLeave, "the depth cursor"));
  connect(Image1, &TPageImage::MousePressed, this,
          command(&TKorvaleFrm::Image1MousePress, "the page image"));

  // Space and the wheel go on to the next or previous page at the page's end;
  // the page view has the keyboard from the start.
  PageFlow = new TPageFlow(ScrollBox1, [this, command](viewer::PageTurn turn) {
    const int32_t shown = CurrentPage;
    if (turn == viewer::PageTurn::Next)
      command(&TKorvaleFrm::PageDownBTNClick, "Page Down")();
    else
      command(&TKorvaleFrm::PageUpBTNClick, "Page Up")();
    return CurrentPage != shown;
  });
  ScrollBox1->setFocus();
  ScrollBox1->addAction(CloseFind1);
  ScrollBox1->viewport()->installEventFilter(this);
  // A page larger than the view follows the pointer dragged with the left
  // button.
  PagePan = new TPagePan(Image1, ScrollBox1);
  PageDrawer = new TPageDrawer(this);
  connect(PageDrawer, &TPageDrawer::Drawn, this, command(&TKorvaleFrm::PageDrawn, "Zoom"));

  LogWatcher = new TLogWatcher(this);
  LogWatcher->Busy = [this] {
    return loading_ || !isEnabled() || QApplication::activeModalWidget() != nullptr;
  };
  connect(LogWatcher, &TLogWatcher::Changed, this, command(&TKorvaleFrm::ReloadLog, "Reload"));
  connect(LogWatcher, &TLogWatcher::Incomplete, this, [](const QString& path) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             path.toStdString() +
                                 " has changed but ends inside a record: it is still being "
                                 "written.\rThe page shown stays until the log is complete.");
  });
}

void TKorvaleFrm::FormCreate() {
  WriteLog("Start initializing Korvale....");
  SetApplicationHelpFile(ProgramFilePath(".hlp"));

  const QIcon icon(":/ZKORVALE");
  if (icon.isNull()) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "Icon resource ZKORVALE not found - Unable to load the icon for "
                             "Korvale.");
  } else {
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);
  }
  setAcceptDrops(true);

  PlaceWindow();
  RestorePagePanel();
  CreateFirstPageImage();
  {
    StatusObserver observer;
    PlotCookie cookie(&observer);
    ViewLibraries = std::make_unique<Libraries>(LibraryPathsFromSettings(), cookie);
  }

  setWindowTitle(QString(kCaptionPrefix) + "UNTITLED");
  // Like their menu items, Save and Print wait for a log.
  SaveBtn->setEnabled(false);
  PrintBtn->setEnabled(false);
  CopyBtn->setEnabled(false);
  Copy1->setEnabled(false);
  CopyDepth1->setEnabled(false);
  UpdateFileCommands();
  PageDown1->setShortcut(QKeySequence(Qt::Key_PageDown));
  PageUp1->setShortcut(QKeySequence(Qt::Key_PageUp));
  FirstPage1->setShortcut(QKeySequence(Qt::Key_Home));
  LastPage1->setShortcut(QKeySequence(Qt::Key_End));
  NoDocument = true;
  WriteLog("   Done initializing Korvale.");
}

void TKorvaleFrm::PlaceWindow() {
  const int top = SystemSettings.MainTop == -999 ? 20 : SystemSettings.MainTop;
  QRect place(SystemSettings.MainLeft, top, width(), height());
  if (SystemSettings.MainWidth > 0 && SystemSettings.MainHeight > 0)
    place.setSize(QSize(SystemSettings.MainWidth, SystemSettings.MainHeight));
  move(place.topLeft());
  resize(place.size());
  FitOnScreen();
  if (SystemSettings.MainMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TKorvaleFrm::FitOnScreen() {
  // On the screen the window is on (the main screen when it is on none, as
  // after a screen was taken away), within what the screen's panels leave,
  // its frame included once the window system has given it one.
  const QRect place(pos(), size());
  const QScreen* on = QGuiApplication::screenAt(place.center());
  if (!on) on = QGuiApplication::primaryScreen();
  if (!on) return;
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QRect fitted = viewer::FitWindowOnScreen(place, frame, on->availableGeometry());
  if (fitted.topLeft() != pos()) move(fitted.topLeft());
  if (fitted.size() != size()) resize(fitted.size());
}

void TKorvaleFrm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous() && windowState() == Qt::WindowNoState) FitOnScreen();
}

void TKorvaleFrm::CreateFirstPageImage() {
  const int dpi = ScreenPixelsPerInch();
  const double width = SystemSettings.PageWidth, length = SystemSettings.PageLength;
  auto size = viewer::PageBitmapSize(dpi, width, length);
  if (size && ResizePageBitmap(size->width, size->height, QImage::Format_RGB32)) {
    ShowPageBitmap();
    return;
  }
  platform::ShowMessageBox(platform::BoxKind::Warning,
                           "Low on resources. Reducing the number of colors to display.");
  size = viewer::PageBitmapSize(dpi, width, length, 2);
  if (size && ResizePageBitmap(size->width, size->height, QImage::Format_RGB444)) {
    ShowPageBitmap();
    return;
  }
  // The settings hold a page size we cannot show: say so and start with the
  // page size used when no printer is known, so that the window stays usable.
  platform::ShowMessageBox(platform::BoxKind::Warning,
                           "Unable to create a page image of the default page size. "
                           "Using 8.00 x 10.50 inches instead.");
  size = viewer::PageBitmapSize(dpi, 8.0, 10.5);
  if (size) ResizePageBitmap(size->width, size->height, QImage::Format_RGB32);
  ShowPageBitmap();
}

// --- The page panel -----------------------------------------------------------------

void TKorvaleFrm::RestorePagePanel() {
  TViewerSettings settings;
  const int width = settings.value("PagePanelWidth", 0).toInt();
  if (width > 0) resizeDocks({PagesDock}, {width}, Qt::Horizontal);
  PagesDock->setVisible(settings.value("PagePanelVisible", false).toBool());
}

void TKorvaleFrm::SavePagePanel() {
  TViewerSettings settings;
  settings.setValue("PagePanelVisible", PagesDock->isVisible());
  if (PagesDock->isVisible()) settings.setValue("PagePanelWidth", PagesDock->width());
}

// --- Save As ----------------------------------------------------------------------

void TKorvaleFrm::SaveAs1Click() {
  const std::string target = SaveDlg ? SaveDlg() : std::string();
  if (target.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::error_code error;
  bool copied = false;
  if (!FileName.empty()) {
    const std::filesystem::path from(FileName), to(target);
    // Copying a file onto itself would truncate it on some systems: treat it
    // as done, the content is already there. (A name too long, or a folder
    // that cannot be searched, makes the copy fail below.)
    if (std::filesystem::exists(to, error) && std::filesystem::equivalent(from, to, error)) {
      copied = true;
    } else {
      copied = std::filesystem::copy_file(from, to,
                                          std::filesystem::copy_options::overwrite_existing, error);
    }
  }
  if (!copied) {
    platform::ShowMessageBox(platform::BoxKind::Error, "Unable to save file to " + target);
    QApplication::restoreOverrideCursor();
    return;
  }
  if (IsTemporaryLog(FileName) && FileName != target) DeleteTemporaryFile(FileName);
  FileName = target;
  if (Document) Document->saved_as(FileName);
  setWindowTitle(QString::fromStdString(kCaptionPrefix + FileName));
  LogWatcher->Watch(FileName);
  if (!IsTemporaryLog(FileName)) viewer::AddRecentLog(FileName);
  QApplication::restoreOverrideCursor();
}

void TKorvaleFrm::DeleteTemporaryFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::remove(path, error) || error) {
    const int number = error ? error.value() : ENOENT;
    platform::ShowMessageBox(platform::BoxKind::Plain, std::to_string(number));
  }
}

// --- Closing ------------------------------------------------------------------------

void TKorvaleFrm::Exit1Click() { close(); }

void TKorvaleFrm::Reload1Click() { ReloadLog(); }

void TKorvaleFrm::FullScreen1Click() {
  if (FullScreen1->isChecked() == isFullScreen()) return;
  if (FullScreen1->isChecked()) {
    maximizedBeforeFullScreen_ = isMaximized();
    showFullScreen();
  } else if (maximizedBeforeFullScreen_) {
    showMaximized();
  } else {
    showNormal();
  }
}

void TKorvaleFrm::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

bool TKorvaleFrm::FormCloseQuery() { return true; }

void TKorvaleFrm::FormClose() {
  SavePagePanel();
  // Full screen is not kept: the window is remembered as it was before.
  const bool maximized = isFullScreen() ? maximizedBeforeFullScreen_ : isMaximized();
  SystemSettings.MainMaximized = maximized ? 1 : 0;
  if (!maximized && !isFullScreen()) {
    SystemSettings.MainTop = pos().y();
    SystemSettings.MainLeft = pos().x();
    SystemSettings.MainWidth = width();
    SystemSettings.MainHeight = height();
  }
  try {
    SaveSystemSettings();
  } catch (const std::exception& e) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             std::string(e.what()) + " - Unable to save the settings.");
  }
}

void TKorvaleFrm::FormDestroy() {
  // The workers read the log: stopped first.
  TextIndexer.reset();
  PageList->Clear();
  if (!FileName.empty() && IsTemporaryLog(FileName)) DeleteTemporaryFile(FileName);
  Document.reset();
}

// --- Menu-opening events --------------------------------------------------------------

void TKorvaleFrm::File1Click() {
  UpdateFileCommands();
  viewer::FillRecentMenu(OpenRecent1, Command(this, &TKorvaleFrm::OpenRecentLog, "Open Recent"));
}

void TKorvaleFrm::UpdateFileCommands() {
  Reload1->setEnabled(!FileName.empty());
  Print1->setEnabled(!NoDocument);
  SaveAs1->setEnabled(!NoDocument);
  Export1->setEnabled(!NoDocument);
}

void TKorvaleFrm::Edit1Click() {
  Copy1->setEnabled(!NoDocument);
  CopyDepth1->setEnabled(!NoDocument);
  Find1->setEnabled(!NoDocument);
  FindNext1->setEnabled(!NoDocument);
  FindPrevious1->setEnabled(!NoDocument);
}

void TKorvaleFrm::View1Click() {
  const bool paging = !NoDocument && Document && ScreenPages.last_page() > 0;
  PageDown1->setEnabled(paging);
  PageUp1->setEnabled(paging);
  // On the first (last) page they scroll to its top (bottom).
  FirstPage1->setEnabled(!NoDocument && Document);
  LastPage1->setEnabled(!NoDocument && Document);
  GoToPage1->setEnabled(paging);
  GoToDepth1->setEnabled(!NoDocument && Document);
  for (QAction* zoom : {ZoomIn1, ZoomOut1, ActualSize1, FitWidth1, FitPage1, TrueScale1})
    zoom->setEnabled(!NoDocument);
}

bool TKorvaleFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DepthEd && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // Escape gives up what was typed: the read-out again, the keyboard to
    // the page.
    DepthEd->setModified(false);
    FocusPage();
    UpdateReadOut();
    return true;
  }
  if (event->type() == QEvent::Wheel && watched == ScrollBox1->viewport()) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() == Qt::ControlModifier) {
      const int delta = wheel->angleDelta().y();
      if (delta != 0 && !NoDocument) {
        const QPoint at = wheel->position().toPoint();
        Command(this, &TKorvaleFrm::SetZoom, "Zoom")(
            delta > 0 ? viewer::ZoomInStep(ZoomPercent) : viewer::ZoomOutStep(ZoomPercent), at);
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// --- Help, about, system files -----------------------------------------------------------

void TKorvaleFrm::Contents1Click() { RunHelpCommand(HELP_FINDER); }
void TKorvaleFrm::Index1Click() { RunHelpCommand(HELP_PARTIALKEY); }
void TKorvaleFrm::HelpBtnClick() { RunHelpCommand(HELP_CONTEXT, kHelpContext); }

void TKorvaleFrm::AboutKorvale1Click() {
  const std::string program = ProgramFilePath("");
  if (AboutBoxCommand) {
    AboutBoxCommand(program, "Korvale 2001");
  } else {
    platform::ShowMessageBox(platform::BoxKind::Information,
                             "Korvale 2001\r\r" + program);
  }
}

void TKorvaleFrm::SystemFiles1Click() {
  if (SystemFilesCommand) {
    SystemFilesCommand();
  } else {
    platform::ShowMessageBox(platform::BoxKind::Information,
                             "The System Files dialog is not available in this build.");
  }
}
