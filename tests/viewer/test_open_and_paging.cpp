// Opening logs in the real main window (offscreen), paging, go to page,
// the depth read-out and the clipboard.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QListView>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <cmath>
#include <filesystem>

#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "viewer/Gotofrm.h"
#include "viewer/PageFlow.h"
#include "viewer/PageImage.h"

using namespace viewertest;

namespace {

// Whether any pixel of the image is not white.
bool HasInk(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x)
      if ((rgb.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return true;
  return false;
}

// The column of the diagonal line's ink on row y, or -1.
int InkColumn(const QImage& image, int y) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int x = 0; x < rgb.width(); ++x)
    if ((rgb.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return x;
  return -1;
}

}  // namespace

TEST_F(ViewerTest, EmptyWindowHasNoDocumentAndDisabledPageCommands) {
  TKorvaleFrm& w = Window();
  EXPECT_TRUE(w.NoDocument);
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - UNTITLED");
  EXPECT_FALSE(w.CopyBtn->isEnabled());
  EXPECT_FALSE(w.PageDownBtn->isEnabled());
  EXPECT_FALSE(w.PageUpBtn->isEnabled());
  EXPECT_FALSE(w.PageNumBtn->isEnabled());
  // Menu enabling follows the document when the menus open; the tool bar's
  // Save and Print are disabled like their menu items.
  w.File1Click();
  w.Edit1Click();
  w.View1Click();
  EXPECT_FALSE(w.SaveAs1->isEnabled());
  EXPECT_FALSE(w.Print1->isEnabled());
  EXPECT_FALSE(w.Copy1->isEnabled());
  EXPECT_FALSE(w.CopyDepth1->isEnabled());
  EXPECT_FALSE(w.PageDown1->isEnabled());
  EXPECT_FALSE(w.SaveBtn->isEnabled());
  EXPECT_FALSE(w.PrintBtn->isEnabled());
  // The first page image has the settings' default page size.
  const int dpi = ScreenPixelsPerInch();
  EXPECT_EQ(w.PageBitmap.width(), std::lround(dpi * 8.5));
  EXPECT_EQ(w.PageBitmap.height(), std::lround(dpi * 11.0));
  // No read-out before a log is open.
  w.Image1MouseMove(10, 100);
  EXPECT_TRUE(w.DepthEd->text().isEmpty());
  // The window shows the program icon that the desktop's menus show.
  const QImage desktopIcon(
      QString::fromStdString(testfiles::SourceDir() + "/data/icons/hicolor/64x64/apps/korvale.png"));
  ASSERT_FALSE(desktopIcon.isNull());
  EXPECT_EQ(w.windowIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32),
            desktopIcon.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(ViewerTest, OnePageLogShowsOneOfOneWithPagingDisabledEverywhere) {
  const std::string log = Path("one.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenDlg = [&] { return log; };
  w.Open1Click();

  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
  EXPECT_FALSE(w.NoDocument);
  EXPECT_EQ(PagePanel(), "1 of 1");
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - " + log);
  EXPECT_FALSE(w.PageDownBtn->isEnabled());
  EXPECT_FALSE(w.PageUpBtn->isEnabled());
  EXPECT_FALSE(w.PageNumBtn->isEnabled());
  w.View1Click();
  EXPECT_FALSE(w.PageDown1->isEnabled());
  EXPECT_FALSE(w.PageUp1->isEnabled());
  EXPECT_FALSE(w.GoToPage1->isEnabled());
  EXPECT_TRUE(w.CopyBtn->isEnabled());
  w.File1Click();
  EXPECT_TRUE(w.SaveAs1->isEnabled());
  EXPECT_TRUE(w.SaveBtn->isEnabled());
  EXPECT_TRUE(w.PrintBtn->isEnabled());
  EXPECT_TRUE(HasInk(w.PageBitmap));
  // The page on the screen is the bitmap, pixel for pixel, also while the
  // window is disabled as it is during drawing (no greyed-out picture).
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const QImage page = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
  for (bool enabled : {false, true}) {
    w.setEnabled(enabled);
    const QImage shown = w.Image1->grab(QRect(QPoint(0, 0), page.size()))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, page) << (enabled ? "enabled" : "disabled");
  }
}

// Marks of the overlay are painted over the page, in page pixels, and never
// into the bitmap; the window's conversions agree with where they land, also
// on a page drawn for a device pixel ratio of 2.
TEST_F(ViewerTest, OverlayMarksLandOnTheirPagePixelsAndLeaveTheBitmapClean) {
  const std::string log = Path("marks.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const QImage page = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
  const auto shown = [&] {
    return w.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  };
  const QRgb red = qRgb(255, 0, 0);
  w.Image1->SetOverlay("test", {PageMark::HLine(50, Qt::red),
                                PageMark::Outline(QRectF(20, 100, 30, 40), Qt::red)});
  QImage marked = shown();
  EXPECT_EQ(marked.pixel(page.width() / 2, 50), red);
  EXPECT_EQ(marked.pixel(35, 100), red) << "the outline's top edge";
  EXPECT_EQ(marked.pixel(20, 120), red) << "the outline's left edge";
  EXPECT_EQ(marked.pixel(35, 120), page.pixel(35, 120)) << "inside the outline";
  EXPECT_EQ(w.PageBitmap.convertToFormat(QImage::Format_RGB32), page) << "marks stay out of the bitmap";
  w.Image1->ClearOverlay("test");
  EXPECT_EQ(shown().copy(page.rect()), page);
  EXPECT_EQ(w.ShownDpi(), ScreenPixelsPerInch());
  EXPECT_EQ(w.PagePixelAt(QPoint(7, 9)), QPointF(7, 9));

  // The same page shown as drawn for ratio 2: half the widget pixels.
  w.Image1->ShowPage(QPixmap::fromImage(page), page.size(), 2);
  EXPECT_EQ(w.Image1->size(), page.size() / 2);
  EXPECT_EQ(w.PagePixelAt(QPoint(7, 9)), QPointF(14, 18));
  EXPECT_EQ(w.Image1PointAt(QPointF(14, 18)), QPoint(7, 9));
  w.Image1->SetOverlay("test", {PageMark::HLine(80, Qt::red)});
  marked = shown();
  EXPECT_EQ(marked.pixel(marked.width() / 2, 40), red);
  EXPECT_NE(marked.pixel(marked.width() / 2, 80), red);
}

TEST_F(ViewerTest, FivePageLogPagesDownToTheEndAndBack) {
  const std::string log = Path("five.tfl");
  LogSpec spec;
  spec.span = SpanForPages(5);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  ASSERT_EQ(PagePanel(), "1 of 5");
  EXPECT_FALSE(w.PageUpBtn->isEnabled());
  EXPECT_TRUE(w.PageNumBtn->isEnabled());
  const QImage first = w.PageBitmap.copy();

  for (int page = 2; page <= 5; ++page) {
    ASSERT_TRUE(w.PageDownBtn->isEnabled());
    w.PageDownBtn->click();
    EXPECT_EQ(PagePanel(), std::to_string(page) + " of 5");
  }
  EXPECT_FALSE(w.PageDownBtn->isEnabled());
  EXPECT_FALSE(w.PageDown1->isEnabled());
  EXPECT_TRUE(w.PageUpBtn->isEnabled());
  // A step past the end is ignored.
  w.PageDownBTNClick();
  EXPECT_EQ(PagePanel(), "5 of 5");
  // Each page draws its own piece of the diagonal: the line lies further
  // right at the top of page 5 than at the top of page 1.
  EXPECT_GT(InkColumn(w.PageBitmap, 0), InkColumn(first, 0));

  for (int page = 4; page >= 1; --page) {
    w.PageUpBTNClick();
    EXPECT_EQ(PagePanel(), std::to_string(page) + " of 5");
  }
  EXPECT_FALSE(w.PageUpBtn->isEnabled());
  EXPECT_EQ(w.PageBitmap.convertToFormat(QImage::Format_RGB32),
            first.convertToFormat(QImage::Format_RGB32));
}

// A file manager's drag onto the window: the drop event that Qt delivers to
// the main window (its children take no drops).
TEST_F(ViewerTest, DroppingALogOnTheWindowOpensIt) {
  const std::string log = Path("Dropped.TFL");
  LogSpec spec;
  spec.span = SpanForPages(3);
  WriteLog(log, spec);
  WriteLog(Path("notes.txt"), spec);
  TKorvaleFrm& w = Window();
  ASSERT_TRUE(w.acceptDrops());
  // Whether the window takes the drag, and then the drop.
  auto drag = [&w](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(40, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(40, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(&w, &drop);
    return drop.isAccepted();
  };
  EXPECT_FALSE(drag({QUrl::fromLocalFile(QString::fromStdString(Path("notes.txt"))),
                     QUrl("https://example.org/remote.tfl")}));
  EXPECT_TRUE(w.NoDocument);

  EXPECT_TRUE(drag({QUrl::fromLocalFile(QString::fromStdString(Path("notes.txt"))),
                    QUrl::fromLocalFile(QString::fromStdString(log))}));
  EXPECT_FALSE(w.NoDocument);
  EXPECT_EQ(w.FileName, log);
  EXPECT_EQ(PagePanel(), "1 of 3");
  EXPECT_TRUE(w.CopyBtn->isEnabled());
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

// Page Down and Page Up, Home and End anywhere in the window; Space and
// Shift+Space in the page view scroll a screenful and go on across page ends.
TEST_F(ViewerTest, PageKeysPageThroughTheLog) {
  TKorvaleFrm& w = ShowNewLog("keys.tfl", 3);
  w.activateWindow();
  QTest::keyClick(&w, Qt::Key_PageDown);
  EXPECT_EQ(PagePanel(), "2 of 3");
  QTest::keyClick(&w, Qt::Key_PageUp);
  EXPECT_EQ(PagePanel(), "1 of 3");
  QTest::keyClick(&w, Qt::Key_End);
  EXPECT_EQ(PagePanel(), "3 of 3");
  QTest::keyClick(&w, Qt::Key_Home);
  EXPECT_EQ(PagePanel(), "1 of 3");
  // On the first page Home scrolls to its top; on the last End to its bottom.
  QScrollBar* down = w.ScrollBox1->verticalScrollBar();
  down->setValue(down->maximum() / 2);
  QTest::keyClick(&w, Qt::Key_Home);
  EXPECT_EQ(PagePanel(), "1 of 3");
  EXPECT_EQ(down->value(), 0);
  QTest::keyClick(&w, Qt::Key_End);
  QTest::keyClick(&w, Qt::Key_End);
  EXPECT_EQ(PagePanel(), "3 of 3");
  EXPECT_EQ(down->value(), down->maximum());
  QTest::keyClick(&w, Qt::Key_Home);

  // The page view has the keyboard (not the Elevation box, which Space ticks).
  QWidget* view = w.focusWidget();
  ASSERT_EQ(view, w.ScrollBox1);
  QScrollBar* bar = w.ScrollBox1->verticalScrollBar();
  ASSERT_GT(bar->maximum(), bar->pageStep()) << "a page is more than two screenfuls here";
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_EQ(bar->value(), bar->pageStep());
  while (bar->value() < bar->maximum()) {
    QTest::keyClick(view, Qt::Key_Space);
    ASSERT_EQ(PagePanel(), "1 of 3");
  }
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_EQ(PagePanel(), "2 of 3");
  EXPECT_EQ(bar->value(), 0) << "the next page from its top";
  QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(PagePanel(), "1 of 3");
  EXPECT_EQ(bar->value(), bar->maximum()) << "the previous page from its bottom";
  QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(bar->value(), bar->maximum() - bar->pageStep());
  EXPECT_FALSE(w.ElevationCb->isChecked());

  // At the bottom of the last page and the top of the first Space goes nowhere.
  QTest::keyClick(&w, Qt::Key_End);
  bar->setValue(bar->maximum());
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_EQ(PagePanel(), "3 of 3");
  EXPECT_EQ(bar->value(), bar->maximum());
  QTest::keyClick(&w, Qt::Key_Home);
  QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(PagePanel(), "1 of 3");
  EXPECT_EQ(bar->value(), 0);

  // A click on Elevation leaves the keyboard with the page: Space scrolls,
  // End pages.
  QTest::mouseClick(w.ElevationCb, Qt::LeftButton, {}, QPoint(5, w.ElevationCb->height() / 2));
  EXPECT_TRUE(w.ElevationCb->isChecked());
  EXPECT_EQ(w.focusWidget(), w.ScrollBox1);
  QTest::keyClick(w.focusWidget(), Qt::Key_Space);
  EXPECT_EQ(bar->value(), bar->pageStep());
  EXPECT_TRUE(w.ElevationCb->isChecked()) << "Space went to the page, not the box";
  QTest::keyClick(w.windowHandle(), Qt::Key_End);
  EXPECT_EQ(PagePanel(), "3 of 3");

  // The arrow keys in the page panel show the page of the row they reach.
  w.Pages1->trigger();
  ASSERT_TRUE(w.PagesDock->isVisible());
  w.PagesList->setFocus();
  QTest::keyClick(w.PagesList, Qt::Key_Up);
  EXPECT_EQ(PagePanel(), "2 of 3");
  QTest::keyClick(w.PagesList, Qt::Key_Up);
  EXPECT_EQ(PagePanel(), "1 of 3");
  QTest::keyClick(w.PagesList, Qt::Key_Down);
  EXPECT_EQ(PagePanel(), "2 of 3");
  EXPECT_EQ(w.focusWidget(), w.PagesList) << "the keyboard stays in the panel";
  w.Pages1->trigger();
}

namespace {

// One wheel event over the page image at time `ms`, as the window system
// delivers it: to the widget under the pointer, passed on to its parents.
void Wheel(TKorvaleFrm& w, int delta, uint64_t ms, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const QPointF at(20, 20);
  QWheelEvent event(at, w.Image1->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                    Qt::NoScrollPhase, false);
  event.setTimestamp(ms);
  // As QTest delivers input: notify() keeps the event spontaneous, so that
  // it goes on to the parents (sendEvent would not).
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(w.Image1, &event);
}

}  // namespace

// The wheel scrolls the page; turned on past its bottom it shows the next
// page from the top, past the top the previous page from the bottom. The
// turn that reaches the end, a small push and Ctrl+wheel only scroll.
TEST_F(ViewerTest, WheelPastThePageEndsTurnsPages) {
  TKorvaleFrm& w = ShowNewLog("wheel.tfl", 3);
  QScrollBar* bar = w.ScrollBox1->verticalScrollBar();
  uint64_t ms = 1000;
  int notches = 0;
  while (bar->value() < bar->maximum()) {
    Wheel(w, -120, ms += 100);
    ASSERT_LT(++notches, 1000) << "the wheel scrolls the page";
  }
  EXPECT_GT(notches, 1);
  EXPECT_EQ(PagePanel(), "1 of 3") << "the notch that reached the bottom only scrolled";
  Wheel(w, -120, ms += 100, Qt::ControlModifier);
  Wheel(w, -15, ms += 100);
  EXPECT_EQ(PagePanel(), "1 of 3");
  Wheel(w, -120, ms += 100);
  EXPECT_EQ(PagePanel(), "2 of 3");
  EXPECT_EQ(bar->value(), 0);

  Wheel(w, 120, ms += 100);
  EXPECT_EQ(PagePanel(), "1 of 3");
  EXPECT_EQ(bar->value(), bar->maximum());
  Wheel(w, 120, ms += 100);
  EXPECT_LT(bar->value(), bar->maximum()) << "then the wheel scrolls up that page";
  EXPECT_EQ(PagePanel(), "1 of 3");
}

// The pushes past an end as a touchpad sends them: many small ones.
TEST(WheelPush, SmallPushesTurnOnlyWhenTheyAddUpWithoutAPause) {
  using viewer::PageTurn;
  viewer::WheelPush push;
  const auto down = [&](int delta, uint64_t ms, bool atEnd = true, bool coasting = false) {
    return push.Feed(-delta, false, atEnd, coasting, ms);
  };
  // Away from the end nothing is taken: the view scrolls.
  EXPECT_FALSE(down(60, 0, false).used);
  // Pushes of 10 every 16 ms: the twelfth turns the page.
  uint64_t ms = 100;
  for (int i = 1; i < 12; ++i) {
    const auto outcome = down(10, ms += 16);
    EXPECT_TRUE(outcome.used);
    ASSERT_EQ(outcome.turn, PageTurn::None) << i;
  }
  EXPECT_EQ(down(10, ms += 16).turn, PageTurn::Next);
  // A pause, a push the other way, a scroll away from the end start afresh.
  EXPECT_EQ(down(100, ms += 16).turn, PageTurn::None);
  EXPECT_EQ(down(100, ms += viewer::WheelPush::kPauseMs + 1).turn, PageTurn::None);
  EXPECT_EQ(push.Feed(10, true, true, false, ms += 16).turn, PageTurn::None);
  EXPECT_EQ(down(100, ms += 16).turn, PageTurn::None);
  EXPECT_FALSE(down(10, ms += 16, false).used);
  EXPECT_EQ(down(100, ms += 16).turn, PageTurn::None);
  // Coasting after the fingers left is swallowed and never turns.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(down(30, ms += 16, true, true).turn, PageTurn::None);
  EXPECT_EQ(down(10, ms += 16).turn, PageTurn::None);
  EXPECT_EQ(down(10, ms += 16).turn, PageTurn::Next);
  // Upwards at the top, the previous page.
  EXPECT_EQ(push.Feed(120, true, false, false, ms += 16).turn, PageTurn::Previous);
}

TEST_F(ViewerTest, GoToPageOpensAtTheCurrentPageAndAcceptsUpToThePageCount) {
  const std::string log = Path("goto.tfl");
  LogSpec spec;
  spec.span = SpanForPages(5);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.PageDownBTNClick();  // page 2

  int shownValue = 0, shownMin = 0, shownMax = 0;
  QueueDialog([&](QDialog& d) {
    auto& dialog = dynamic_cast<TGotoDLG&>(d);
    shownValue = dialog.PageSE->value();
    shownMin = dialog.PageSE->minimum();
    shownMax = dialog.PageSE->maximum();
    dialog.PageSE->setValue(3);
    return int(QDialog::Accepted);
  });
  w.PageNumBtn->click();
  EXPECT_EQ(shownValue, 2);
  EXPECT_EQ(shownMin, 1);
  EXPECT_EQ(shownMax, 5);
  EXPECT_EQ(PagePanel(), "3 of 5");
  EXPECT_EQ(w.CurrentPage, 2);

  // A value beyond the page count cannot be entered; Cancel keeps the page.
  QueueDialog([](QDialog& d) {
    auto& dialog = dynamic_cast<TGotoDLG&>(d);
    dialog.PageSE->setValue(99);
    EXPECT_EQ(dialog.PageSE->value(), 5);
    return int(QDialog::Rejected);
  });
  w.PageNumBTNClick();
  EXPECT_EQ(PagePanel(), "3 of 5");
}

// The read-out shows the depth or elevation under the pointer: it follows the
// Elevation box at once, the page shown and the pointer; it is empty off the
// page, and Copy Depth then leaves the clipboard as it was.
TEST_F(ViewerTest, DepthReadOutFollowsThePointerAndTheElevationBox) {
  const std::string log = Path("depth.tfl");
  LogSpec spec;
  spec.span = SpanForPages(3);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  const int dpi = ScreenPixelsPerInch();
  const auto text = [](double value) { return QString::asprintf("%.2f", value).toStdString(); };
  // No header section: row 0 of page 1 is the top of the body, depth -y_max;
  // each inch down is 100 units deeper.
  const double atRow = -spec.span + 100.0;
  w.Image1MouseMove(5, dpi);
  EXPECT_EQ(w.DepthEd->text().toStdString(), text(atRow));

  w.ElevationCb->click();
  EXPECT_EQ(w.DepthEd->text().toStdString(), text(1000.0 - atRow)) << "at once, not at the next move";
  w.ElevationCb->click();
  EXPECT_EQ(w.DepthEd->text().toStdString(), text(atRow));

  // On page 2 the same row is one page deeper, also before the pointer moves.
  w.PageDownBTNClick();
  const double pagePx = std::nearbyint(dpi * 11.0);
  EXPECT_NEAR(w.DepthEd->text().toDouble(), atRow + pagePx * 100.0 / dpi, 0.006);

  // Real mouse moves over the image reach the read-out; leaving the page
  // empties it, and Copy Depth copies nothing then.
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::mouseMove(w.Image1, QPoint(3, 2 * dpi));
  EXPECT_NEAR(w.DepthEd->text().toDouble(), atRow + 100.0 + pagePx * 100.0 / dpi, 0.006);
  QApplication::clipboard()->setText("kept");
  QTest::mouseMove(w.ToolBar);
  EXPECT_TRUE(w.DepthEd->text().isEmpty()) << w.DepthEd->text().toStdString();
  w.activateWindow();
  QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  w.ElevationCb->click();
  EXPECT_TRUE(w.DepthEd->text().isEmpty()) << "nothing to read off the page";
  w.ElevationCb->click();
}

TEST_F(ViewerTest, CopyDepthAndCopyPageFillTheClipboard) {
  const std::string log = Path("clip.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.Image1MouseMove(1, 48);
  const QString depth = w.DepthEd->text();
  ASSERT_FALSE(depth.isEmpty());
  QApplication::clipboard()->setText("something else");
  w.CopyDepth1->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), depth);

  w.Copy1->trigger();
  const QImage copied = QApplication::clipboard()->image();
  ASSERT_FALSE(copied.isNull());
  EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
            w.PageBitmap.convertToFormat(QImage::Format_RGB32));
}

TEST_F(ViewerTest, ANonLogKeepsThePreviousLogAndControls) {
  const std::string good = Path("good.tfl");
  LogSpec spec;
  spec.span = SpanForPages(5);
  WriteLog(good, spec);
  const std::string bad = Path("bad.tfl");
  testfiles::WriteAll(bad, {0x2A, 0x00, 0x69, 0x00, 1, 2, 3, 4, 5, 6, 7, 8});
  const std::string shortLog = Path("short.tfl");
  testfiles::WriteAll(shortLog, {0x2C, 0x01, 0x69, 0x00, 1, 2, 3});

  TKorvaleFrm& w = Window();
  // Empty window first: it stays empty.
  w.OpenLog(bad);
  // The header check says why: error 1033 in the error table's box.
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Plain);
  EXPECT_EQ(platform::ShownBoxes()[0].caption, "Error");
  EXPECT_TRUE(w.NoDocument);
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - UNTITLED");
  EXPECT_FALSE(w.CopyBtn->isEnabled());

  w.OpenLog(good);
  w.PageDownBTNClick();
  platform::ClearShownBoxes();
  for (const std::string& path : {bad, shortLog, Path("missing.tfl")}) {
    w.OpenLog(path);
    EXPECT_EQ(platform::ShownBoxes().size(), 1u) << path;
    platform::ClearShownBoxes();
    EXPECT_EQ(w.FileName, good);
    EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - " + good);
    EXPECT_EQ(PagePanel(), "2 of 5");
    EXPECT_EQ(w.ScreenPages.last_page(), 4);
    EXPECT_DOUBLE_EQ(w.Document->header().y_max, spec.span);
  }
  // The read-out and paging still work on the log shown.
  w.PageDownBTNClick();
  EXPECT_EQ(PagePanel(), "3 of 5");
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(ViewerTest, PageWithoutRoomForTheLogIsReportedAndShowsOnePage) {
  const std::string log = Path("noroom.tfl");
  LogSpec spec;
  spec.firstHeader = 6.0;
  spec.footer = 5.0;  // 11 inches of sections on an 11-inch page
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  EXPECT_NE(platform::ShownBoxes()[0].text.find("no room for the log"), std::string::npos);
  EXPECT_EQ(PagePanel(), "1 of 1");
  EXPECT_FALSE(w.NoDocument);
}

TEST_F(ViewerTest, SecondOpenShowsTheNewLogWithoutAsking) {
  const std::string a = Path("a.tfl"), b = Path("b.tfl");
  LogSpec five;
  five.span = SpanForPages(5);
  WriteLog(a, five);
  WriteLog(b, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenLog(a);
  w.PageDownBTNClick();
  w.OpenLog(b);
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(w.Document->path(), b);
  EXPECT_EQ(PagePanel(), "1 of 1");
  EXPECT_FALSE(w.PageUpBtn->isEnabled());
}

// A log opened by a relative path (as from the command line) is shown by its
// absolute path, and the picture it names is read from its own folder, not
// from the folder the program was started in.
TEST_F(ViewerTest, LogOpenedByARelativePathShowsItsAbsolutePathAndItsPicture) {
  std::filesystem::create_directory(Path("logs"));
  QImage red(20, 20, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(QString::fromStdString(Path("logs/photo.bmp")), "BMP"));
  LogSpec spec;
  {
    tfl::TflWriter writer(Path("logs/pictured.tfl"), HeaderFor(spec));
    tfl::PictureFileRecord picture{};
    picture.rect = {1, 400, 3, 300};
    picture.file_name.assign("photo.bmp");
    picture.stretch = 1;
    writer.write(picture);
  }
  TKorvaleFrm& w = Window();
  {
    testfiles::WorkingDirectory startedIn(dir_.path());
    w.OpenLog("logs/pictured.tfl");
  }
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
  EXPECT_EQ(w.FileName, Path("logs/pictured.tfl"));
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - " + Path("logs/pictured.tfl"));
  const QImage page = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
  int redPixels = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) redPixels += (page.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
  const int dpi = ScreenPixelsPerInch();
  EXPECT_GT(redPixels, (2 * dpi - 4) * (dpi - 4)) << "the 2 x 1 inch picture is drawn";
}

// Whatever pen the last page left on the canvas, clearing whitens every
// pixel of the page image (and the page's pen stays for the next plot).
TEST_F(ViewerTest, ClearPageImageWhitensEveryPixelWhateverThePen) {
  const std::string log = Path("one.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  platform::Canvas& canvas = *w.ViewCanvas;
  platform::Pen none;
  none.style = platform::PS_NULL;
  platform::Pen dashed;
  dashed.style = platform::PS_DASH;
  dashed.color = platform::kBlack;
  for (const platform::Pen& pen : {none, dashed}) {
    SCOPED_TRACE(pen.style);
    canvas.SetBkMode(platform::TRANSPARENT);
    canvas.SetPen(pen);
    canvas.Painter()->fillRect(0, 0, w.PageBitmap.width(), w.PageBitmap.height(), Qt::black);
    w.ClearPageImage();
    canvas.EndPaint();
    EXPECT_FALSE(HasInk(w.PageBitmap));
    EXPECT_EQ(canvas.GetPen().style, pen.style);
  }
}
