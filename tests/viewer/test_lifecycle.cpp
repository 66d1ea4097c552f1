// Save As, temporary logs, window placement and the help commands.
#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "PrintTestSupport.h"
#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/ExportDlg.h"
#include "viewer/FindPanel.h"
#include "viewer/GoToDepth.h"
#include "viewer/Gotofrm.h"
#include "viewer/HelpWin.h"
#include "viewer/LogMemory.h"
#include "viewer/PageSetup.h"
#include "viewer/PrinterAccess.h"
#include "viewer/WindowPlace.h"
#include "viewer/RecentLogs.h"
#include "windows/FSysFilesDlg.h"
#include "windows/HelpContext.h"
#include "windows/ProgInfo.h"
#include "windows/SysFileSettings.h"
#include "windows/TextView.h"

using namespace viewertest;

TEST_F(ViewerTest, SaveAsMakesAByteIdenticalCopyAndRenamesTheShownFile) {
  const std::string log = Path("orig.tfl");
  LogSpec spec;
  spec.span = SpanForPages(2);
  WriteLog(log, spec);
  const auto bytes = testfiles::ReadAll(log);
  const std::string copy = Path("copy.tfl");
  testfiles::WriteAll(copy, {1, 2, 3});  // an existing file is overwritten

  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.SaveDlg = [&] { return copy; };
  w.SaveBtn->click();
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(testfiles::ReadAll(copy), bytes);
  EXPECT_EQ(testfiles::ReadAll(log), bytes) << "Save As never changes the source";
  EXPECT_EQ(w.FileName, copy);
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - " + copy);
  // The shown log is now the copy: paging draws from it.
  w.PageDownBTNClick();
  EXPECT_EQ(PagePanel(), "2 of 2");
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(ViewerTest, SaveAsDeletesATemporarySourceInAnyCase) {
  const std::string temp = Path("~tfabc12.tfl");
  WriteLog(temp, LogSpec{});
  const auto bytes = testfiles::ReadAll(temp);
  const std::string saved = Path("kept.tfl");
  TKorvaleFrm& w = Window();
  w.OpenLog(temp);
  w.SaveDlg = [&] { return saved; };
  w.SaveAs1->trigger();
  EXPECT_FALSE(std::filesystem::exists(temp));
  EXPECT_EQ(testfiles::ReadAll(saved), bytes);
  // Closing the window later leaves the saved copy alone.
  window_.reset();
  EXPECT_TRUE(std::filesystem::exists(saved));
}

// Only a log whose own name begins with "~TF" is the design program's
// temporary log; a folder of that name, or "~tf" inside a name, holds the
// user's logs: they are kept, listed and remembered like any other.
TEST_F(ViewerTest, OnlyALogNamedTildeTfIsTemporary) {
  std::filesystem::create_directory(Path("~TFwells"));
  const std::string inFolder = Path("~TFwells/north.tfl"), inName = Path("my~tfl.tfl");
  const std::string temp = Path("~Tfdraft.tfl"), copy = Path("copy.tfl");
  LogSpec spec;
  spec.span = SpanForPages(2);
  for (const std::string& log : {inFolder, inName, temp}) WriteLog(log, spec);
  {
    TKorvaleFrm& w = Window();
    w.OpenLog(inFolder);
    w.PageDownBTNClick();
    w.OpenLog(inName);
    w.SaveDlg = [&] { return copy; };
    w.SaveAs1Click();
    EXPECT_EQ(w.FileName, copy);
    w.OpenLog(inFolder);
    w.OpenLog(temp);
    w.close();
    window_.reset();
  }
  EXPECT_TRUE(std::filesystem::exists(inFolder)) << "closing deleted a log of the user's";
  EXPECT_TRUE(std::filesystem::exists(inName)) << "Save As deleted its source";
  EXPECT_FALSE(std::filesystem::exists(temp));
  const std::vector<std::string> recent = viewer::RecentLogs();
  EXPECT_EQ(recent, (std::vector<std::string>{inFolder, copy, inName}));
  ASSERT_TRUE(viewer::RememberedPlace(inFolder).has_value());
  EXPECT_EQ(viewer::RememberedPlace(inFolder)->page, 1);
  EXPECT_FALSE(viewer::RememberedPlace(temp).has_value());
}

TEST_F(ViewerTest, SaveAsCancelOrFailureChangesNothing) {
  const std::string log = Path("~TFkeep.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.SaveDlg = [] { return std::string(); };
  w.SaveAs1Click();
  EXPECT_TRUE(platform::ShownBoxes().empty());

  // A missing folder, a name longer than the file system takes, and (for a
  // user other than root) a folder that cannot be searched.
  std::vector<std::string> targets = {Path("no/such/folder/x.tfl"),
                                      Path(std::string(300, 'n') + ".tfl")};
  const std::string locked = Path("locked");
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_write);
  if (geteuid() != 0) targets.push_back(locked + "/x.tfl");
  for (const std::string& target : targets) {
    platform::ClearShownBoxes();
    w.SaveDlg = [&] { return target; };
    w.SaveAs1Click();
    ASSERT_EQ(platform::ShownBoxes().size(), 1u) << target;
    EXPECT_EQ(platform::ShownBoxes()[0].text, "Unable to save file to " + target);
    EXPECT_EQ(w.FileName, log);
    EXPECT_TRUE(std::filesystem::exists(log)) << "a failed copy keeps the temporary log";
  }
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);

  // Whatever else fails inside a command is shown, and the window goes on.
  platform::ClearShownBoxes();
  w.SaveDlg = []() -> std::string { throw std::runtime_error("the dialog broke"); };
  w.SaveBtn->click();
  w.SaveAs1->trigger();
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  for (const platform::ShownBox& box : platform::ShownBoxes())
    EXPECT_EQ(box.text, "Error in Save As - the dialog broke");
  EXPECT_TRUE(w.isEnabled());
  EXPECT_EQ(w.FileName, log);
}

// Without a log the Save button is disabled; the command, run all the same,
// reports the copy it could not make.
TEST_F(ViewerTest, SaveWithoutALogIsDisabledAndReportsTheFailedCopy) {
  TKorvaleFrm& w = Window();
  const std::string target = Path("nothing.tfl");
  int asked = 0;
  w.SaveDlg = [&] {
    ++asked;
    return target;
  };
  w.SaveBtn->click();
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(platform::ShownBoxes().empty());
  w.SaveAs1Click();
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "Unable to save file to " + target);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(ViewerTest, ClosingDeletesATemporaryLog) {
  const std::string temp = Path("~Tflog1.tfl");
  WriteLog(temp, LogSpec{});
  const std::string other = Path("other.tfl");
  WriteLog(other, LogSpec{});
  Window().OpenLog(other);
  Window().OpenLog(temp);
  window_->close();
  window_.reset();
  EXPECT_FALSE(std::filesystem::exists(temp));
  EXPECT_TRUE(std::filesystem::exists(other));
}

TEST(WindowPlace, FitsTheAvailableScreen) {
  using viewer::FitOnScreen;
  const QRect screen(0, 0, 1280, 1024);
  // The place of a larger screen: shrunk and moved onto this one.
  EXPECT_EQ(FitOnScreen(QRect(48, 20, 1408, 1008), screen), QRect(0, 16, 1280, 1008));
  EXPECT_EQ(FitOnScreen(QRect(48, 20, 1088, 832), screen), QRect(48, 20, 1088, 832));
  EXPECT_EQ(FitOnScreen(QRect(-300, 900, 400, 300), screen), QRect(0, 724, 400, 300));
  // A second screen to the right, with a panel at its top.
  const QRect right(1280, 32, 1920, 1048);
  EXPECT_EQ(FitOnScreen(QRect(1300, 0, 800, 600), right), QRect(1300, 32, 800, 600));
  EXPECT_EQ(FitOnScreen(QRect(10, 10, 50, 50), QRect()), QRect(10, 10, 50, 50));
  // A window's frame (30 pixels of title bar, borders of 2) fits as well.
  EXPECT_EQ(viewer::FitWindowOnScreen(QRect(48, 20, 1408, 1008), QMargins(2, 30, 2, 2), screen),
            QRect(0, 0, 1276, 992));
}

// The first start's place (20 pixels from the top) and a remembered one fit
// the screen the window opens on; a place on a screen that is gone comes
// back onto the main screen.
TEST_F(ViewerTest, WindowOpensWithinTheAvailableScreen) {
  SystemSettings.MainTop = -999;
  SystemSettings.MainLeft = 48;
  {
    TKorvaleFrm& w = Window();
    EXPECT_EQ(w.pos().y(), 20);
    EXPECT_EQ(w.pos().x(), 48);
    EXPECT_EQ(w.width(), 700);
    EXPECT_EQ(w.height(), 500);
  }
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  struct Place {
    int top, left, width, height;
  };
  for (const Place p : {Place{-999, 48, available.width() + 128, available.height() - 16},
                        Place{50, 40, available.width() * 2, available.height() * 2},
                        Place{available.bottom() + 5000, available.right() + 5000, 300, 200}}) {
    SCOPED_TRACE(p.top);
    window_.reset();
    SystemSettings.MainTop = p.top;
    SystemSettings.MainLeft = p.left;
    SystemSettings.MainWidth = p.width;
    SystemSettings.MainHeight = p.height;
    TKorvaleFrm& w = Window();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect frame = w.frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width()
                                           << "x" << frame.height();
    EXPECT_EQ(frame.width(), std::min(frame.width() - w.width() + p.width, available.width()));
  }
}

TEST_F(ViewerTest, ClosingSavesPlacementAndAMaximisedWindowKeepsTheEarlierOne) {
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.move(70, 80);
  w.resize(640, 480);
  w.close();
  EXPECT_EQ(SystemSettings.MainMaximized, 0);
  EXPECT_EQ(SystemSettings.MainTop, 80);
  EXPECT_EQ(SystemSettings.MainLeft, 70);
  EXPECT_EQ(SystemSettings.MainWidth, 640);
  EXPECT_EQ(SystemSettings.MainHeight, 480);
  EXPECT_TRUE(std::filesystem::exists(SystemSettingsFileName()));
  EXPECT_EQ(std::filesystem::file_size(SystemSettingsFileName()), 3488u);

  w.showMaximized();
  QTest::qWait(20);
  ASSERT_TRUE(w.isMaximized());
  w.close();
  EXPECT_EQ(SystemSettings.MainMaximized, 1);
  EXPECT_EQ(SystemSettings.MainTop, 80);
  EXPECT_EQ(SystemSettings.MainLeft, 70);
  EXPECT_EQ(SystemSettings.MainWidth, 640);
  EXPECT_EQ(SystemSettings.MainHeight, 480);

  // The next start opens maximised.
  window_.reset();
  TKorvaleFrm& next = Window();
  EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
}

TEST_F(ViewerTest, HelpCommandsOpenContentsIndexAndTheWindowTopic) {
  TKorvaleFrm& w = Window();
  const std::string help = testfiles::SourceDir() + "/data/help/korvale.html";
  SetApplicationHelpFile(help);
  w.Contents1->trigger();
  ASSERT_NE(HelpWindow(), nullptr);
  EXPECT_EQ(HelpWindow()->CurrentAnchor(), "contents");
  EXPECT_TRUE(HelpWindow()->isVisible());
  EXPECT_TRUE(HelpWindow()->toPlainText().contains("Korvale Help - Contents"));
  w.Index1->trigger();
  EXPECT_EQ(HelpWindow()->CurrentAnchor(), "index");
  w.HelpBtn->click();
  EXPECT_EQ(HelpWindow()->CurrentAnchor(), "topic3004");
  EXPECT_TRUE(platform::ShownBoxes().empty());

  SetApplicationHelpFile(Path("none.hlp"));
  w.HelpBtnClick();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
}

// F1 shows the topic of the window that has the focus, the go-to dialog's
// (which has no Help button) and those of the file dialogs included.
TEST_F(ViewerTest, F1ShowsTheHelpTopicOfTheFocusedWindow) {
  TKorvaleFrm& w = Window();
  SetApplicationHelpFile(testfiles::SourceDir() + "/data/help/korvale.html");
  InstallHelpKey([](int context) { ShowHelpTopic(context); });
  auto pressF1 = [](QWidget& widget) {
    widget.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTest::keyClick(widget.window()->windowHandle(), Qt::Key_F1);
    return HelpWindow() ? HelpWindow()->CurrentAnchor().toStdString() : std::string("no help");
  };
  EXPECT_EQ(pressF1(w), "topic3004");
  TGotoDLG go(&w);
  go.PageSE->setFocus();
  EXPECT_EQ(pressF1(go), "topic61");
  TGoToDepthDlg depth(&w);
  depth.DepthEd->setFocus();
  EXPECT_EQ(pressF1(depth), "topic63");
  TExportDLG exportPages(&w, 5, 2);
  exportPages.DpiSE->setFocus();
  EXPECT_EQ(pressF1(exportPages), "topic64");
  TPageSetupFrm pageSetup(&w);
  EXPECT_EQ(pressF1(pageSetup), "topic54");
  TSysFilesDlg sysFiles(&w);
  sysFiles.SysFilesFra->PatternBtn->setFocus();
  EXPECT_EQ(pressF1(sysFiles), "topic58");
  TProgInfoForm about(&w);
  EXPECT_EQ(pressF1(about), "topic94");
  TTextViewDialog viewer;
  viewer.TextFileName = Path("none.INF");
  EXPECT_EQ(pressF1(viewer), "topic90");
  platform::ClearShownBoxes();  // the viewer's missing file

  // The open and save dialogs of the main window, while they run.
  std::string inFileDialog;
  auto pressF1InDialog = [&] {
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      inFileDialog = dialog ? pressF1(*dialog) : "no dialog";
      if (dialog) dialog->close();
    });
  };
  pressF1InDialog();
  w.Open1Click();
  EXPECT_EQ(inFileDialog, "topic305");
  pressF1InDialog();
  w.SaveAs1Click();
  EXPECT_EQ(inFileDialog, "topic62");
  InstallHelpKey(nullptr);
}

// The help explains every command of the window, and every topic the
// program opens exists in it.
TEST_F(ViewerTest, HelpFileCoversEveryCommandAndTopic) {
  TKorvaleFrm& w = Window();
  QFile file(QString::fromStdString(testfiles::SourceDir() + "/data/help/korvale.html"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  for (QMenu* menu : {w.File1, w.Edit1, w.View1, w.Help1}) {
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      QString caption = action->text().remove('&').remove("...").trimmed();
      EXPECT_TRUE(html.contains(caption, Qt::CaseInsensitive)) << caption.toStdString();
    }
  }
  for (const char* anchor : {"contents", "index", "topic3004", "topic305", "topic62", "topic61",
                             "topic63", "topic64", "topic54", "topic58", "topic94", "topic90"})
    EXPECT_TRUE(html.contains(QString("name=\"%1\"").arg(anchor))) << anchor;
  // The panels are where the help says the window puts them.
  const auto section = [&](const QString& anchor) {
    const qsizetype from = html.indexOf(QString("name=\"%1\"").arg(anchor));
    return from < 0 ? QString() : html.mid(from, html.indexOf("<h2", from) - from).simplified();
  };
  const auto where = [&](QDockWidget* panel) {
    switch (w.dockWidgetArea(panel)) {
      case Qt::LeftDockWidgetArea: return QString("at the left of the page view");
      case Qt::RightDockWidgetArea: return QString("at the right of the page view");
      case Qt::TopDockWidgetArea: return QString("above the page");
      default: return QString("below the page");
    }
  };
  EXPECT_TRUE(section("pages").contains(where(w.PagesDock))) << where(w.PagesDock).toStdString();
  EXPECT_TRUE(section("find").contains(where(w.FindPanel))) << where(w.FindPanel).toStdString();
}

TEST_F(ViewerTest, MenusCarryTheirShortcuts) {
  TKorvaleFrm& w = Window();
  EXPECT_EQ(w.Copy1->shortcut(), QKeySequence("Ctrl+C"));
  EXPECT_EQ(w.CopyDepth1->shortcut(), QKeySequence("Ctrl+D"));
  EXPECT_EQ(w.GoToPage1->shortcut(), QKeySequence("Ctrl+G"));
  EXPECT_EQ(w.PageDown1->shortcut(), QKeySequence(Qt::Key_PageDown));
  EXPECT_EQ(w.PageUp1->shortcut(), QKeySequence(Qt::Key_PageUp));
  EXPECT_EQ(w.FirstPage1->shortcut(), QKeySequence(Qt::Key_Home));
  EXPECT_EQ(w.LastPage1->shortcut(), QKeySequence(Qt::Key_End));
  EXPECT_FALSE(w.windowIcon().isNull()) << "the program icon ZKORVALE is loaded";
  for (QToolButton* b : {w.FileOpenBtn, w.SaveBtn, w.PrintBtn, w.CopyBtn, w.PageDownBtn,
                         w.PageUpBtn, w.PageNumBtn, w.HelpBtn}) {
    EXPECT_FALSE(b->icon().isNull()) << b->toolTip().toStdString();
    EXPECT_FALSE(b->toolTip().isEmpty());
  }
}

// The platform's standard keys, pressed in the window: Ctrl+O, Ctrl+Shift+S,
// Ctrl+P, F5, F11, Ctrl+W and Ctrl+Q run their commands, also when the File
// menu last opened before a log was shown.
TEST_F(ViewerTest, StandardKeysRunTheirCommands) {
  TKorvaleFrm& w = Window();
  w.File1Click();  // the menu opened while no log is shown
  ShowNewLog("keys.tfl", 2);
  w.activateWindow();
  const auto press = [&](QKeySequence keys) {
    const QKeyCombination key = keys[0];
    QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
  };
  int opened = 0, saved = 0;
  w.OpenDlg = [&] {
    ++opened;
    return std::string();
  };
  w.SaveDlg = [&] {
    ++saved;
    return std::string();
  };
  press(QKeySequence("Ctrl+O"));
  press(QKeySequence("Ctrl+Shift+S"));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(saved, 1);

  printtest::PrintToPdf(Path("keys.pdf"), 300);
  viewer::SetPrintersInstalledForTests(true);
  press(QKeySequence("Ctrl+P"));
  EXPECT_EQ(DialogsRun(), 1) << "the print dialog";
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;

  // F5 reads the log again: it has three pages now.
  LogSpec longer;
  longer.span = SpanForPages(3);
  WriteLog(w.FileName, longer);
  press(QKeySequence(Qt::Key_F5));
  EXPECT_EQ(w.ScreenPages.page_count(), 3);

  press(QKeySequence(Qt::Key_F11));
  QTRY_VERIFY(w.isFullScreen());
  EXPECT_TRUE(w.FullScreen1->isChecked());
  press(QKeySequence(Qt::Key_F11));
  QTRY_VERIFY(!w.isFullScreen());

  for (const char* keys : {"Ctrl+W", "Ctrl+Q"}) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    press(QKeySequence(keys));
    EXPECT_FALSE(w.isVisible()) << keys;
  }
}

TEST_F(ViewerTest, SaveAsOntoItselfKeepsATemporaryLog) {
  const std::string temp = Path("~tfself.tfl");
  WriteLog(temp, LogSpec{});
  const auto bytes = testfiles::ReadAll(temp);
  TKorvaleFrm& w = Window();
  w.OpenLog(temp);
  w.SaveDlg = [&] { return temp; };
  w.SaveAs1Click();
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(testfiles::ReadAll(temp), bytes) << "saving a log onto itself loses nothing";
}
