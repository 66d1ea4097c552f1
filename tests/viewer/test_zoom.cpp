// Zoom: the helper's levels, fits and scrolling, and the real window zoomed
// by its keys, the wheel and the tool bar (offscreen).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "ViewerFixture.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "platform/Canvas.h"
#include "platform/MessageBox.h"
#include "viewer/LogMemory.h"
#include "viewer/PageImage.h"
#include "viewer/Zoom.h"

using namespace viewertest;

TEST(Zoom, StepsClampsFitsAndParses) {
  using namespace viewer;
  // Steps go level by level, from between levels to the next one, and stop
  // at the ends.
  EXPECT_EQ(ZoomInStep(100), 125);
  EXPECT_EQ(ZoomOutStep(100), 75);
  EXPECT_EQ(ZoomInStep(110), 125);
  EXPECT_EQ(ZoomOutStep(110), 100);
  EXPECT_EQ(ZoomInStep(kMaxZoom), kMaxZoom);
  EXPECT_EQ(ZoomOutStep(kMinZoom), kMinZoom);
  double z = kMinZoom;
  int steps = 0;
  while (z < kMaxZoom && steps < 100) z = ZoomInStep(z), ++steps;
  EXPECT_EQ(z, kMaxZoom);
  EXPECT_LT(steps, 20);
  EXPECT_EQ(ClampZoom(5), kMinZoom);
  EXPECT_EQ(ClampZoom(5000), kMaxZoom);
  EXPECT_EQ(ClampZoom(std::nan("")), 100);
  // Fits: the page's width (or the whole page) in the view.
  EXPECT_DOUBLE_EQ(FitWidthZoom(800, 1200), 150);
  EXPECT_DOUBLE_EQ(FitPageZoom(800, 1000, 1200, 500), 50);
  EXPECT_EQ(FitWidthZoom(800, 10), kMinZoom);
  EXPECT_EQ(FitWidthZoom(0, 600), 100);
  // True scale from the screen's physical size; nothing for a screen that
  // reports none or nonsense.
  EXPECT_DOUBLE_EQ(*TrueScaleZoom(144, 96), 150);
  EXPECT_FALSE(TrueScaleZoom(0, 96));
  EXPECT_FALSE(TrueScaleZoom(std::nan(""), 96));
  EXPECT_FALSE(TrueScaleZoom(1e6, 96));
  // The resolution a page is drawn at, with the device pixel ratio.
  EXPECT_EQ(ZoomDpi(96, 100, 1), 96);
  EXPECT_EQ(ZoomDpi(96, 237, 1), 228);
  EXPECT_EQ(ZoomDpi(96, 150, 2), 288);
  for (const double ratio : {1.0, 1.5, 2.0}) {
    const double fit = WholeDpiZoomBelow(83.8, 96, ratio);
    EXPECT_LE(fit, 83.8);
    EXPECT_LE(ZoomDpi(96, fit, ratio), 96 * 0.838 * ratio);
    EXPECT_GT(ZoomDpi(96, fit, ratio) + 1, 96 * 0.838 * ratio);
  }
  // Typed zooms: any number from 25 to 800, with or without "%".
  for (const auto& [text, percent] : std::vector<std::pair<std::string, double>>{
           {"250", 250}, {"250%", 250}, {" 137 % ", 137}, {"62.5%", 62.5}, {"62,5", 62.5},
           {"25", 25}, {"800%", 800}}) {
    EXPECT_EQ(ReadTypedZoom(text).kind, TypedZoom::InRange) << text;
    EXPECT_EQ(ReadTypedZoom(text).percent, percent) << text;
  }
  for (const char* text : {"24.9", "801", "2000%", "0"}) {
    EXPECT_EQ(ReadTypedZoom(text).kind, TypedZoom::OutOfRange) << text;
    EXPECT_NE(TypedZoomMessage(ReadTypedZoom(text)).find("25% to 800%"), std::string::npos);
  }
  EXPECT_EQ(TypedZoomMessage(ReadTypedZoom("2000")),
            "A zoom of 2000% is out of range: the zoom goes from 25% to 800%.");
  for (const char* text : {"big", "%", "", "-50", "1e3", "12%%", "1.2.3", "."})
    EXPECT_EQ(ReadTypedZoom(text).kind, TypedZoom::NotANumber) << text;
  EXPECT_EQ(ZoomText(237.4), "237%");
  // The page point under the anchor stays there: at 100% point 300 of the
  // page is at view pixel 100 when scrolled to 200; at 200% it is point 600.
  EXPECT_EQ(ScrollAfterZoom(200, 100, 100, 200), 500);
  EXPECT_EQ(ScrollAfterZoom(500, 100, 200, 100), 200);
}

namespace {

void SendMouseMove(TPageImage* image, QPointF at) {
  QMouseEvent move(QEvent::MouseMove, at, image->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(image, &move);
}

}  // namespace

// The keys change the page's size by the zoom's factor; the page is drawn
// afresh at the zoomed resolution (equal to a page drawn there directly, not
// a scaled bitmap); the page count stays; the read-out gives the depth of the
// same point of the log at every zoom.
TEST_F(ViewerTest, ZoomRedrawsThePageAtTheZoomedResolutionAndKeepsItsDepths) {
  TKorvaleFrm& w = ShowNewLog("zoom.tfl", 3);
  const LogSpec spec;  // its page size
  w.activateWindow();
  const QSize actual = w.Image1->size();
  const int pages = w.ScreenPages.page_count();
  const int dpi = ScreenPixelsPerInch();

  // The depth two inches down the page at 100%.
  SendMouseMove(w.Image1, QPointF(5, 2 * dpi));
  const double at100 = w.DepthEd->text().toDouble();
  const double oneRow = 100.0 / dpi;  // units per row at 100%

  QTest::keyClick(w.windowHandle(), Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(w.ZoomPercent, 125);
  EXPECT_EQ(w.ZoomCb->currentText(), "125%");
  EXPECT_NEAR(w.Image1->width(), actual.width() * 1.25, 1);
  EXPECT_NEAR(w.Image1->height(), actual.height() * 1.25, 1);
  QTest::keyClick(w.windowHandle(), Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(w.windowHandle(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(w.ZoomPercent, 75);
  EXPECT_NEAR(w.Image1->width(), actual.width() * 0.75, 1);
  QTest::keyClick(w.windowHandle(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(w.Image1->size(), actual);
  QTest::keyClick(w.windowHandle(), Qt::Key_2, Qt::ControlModifier);
  // A fit fits, within one pixel per inch of the page.
  const int viewWidth = w.ScrollBox1->viewport()->width();
  EXPECT_LE(w.Image1->width(), viewWidth) << "fit width";
  EXPECT_GT(w.Image1->width(), viewWidth - spec.pageWidth - 1) << "fit width";
  QTest::keyClick(w.windowHandle(), Qt::Key_3, Qt::ControlModifier);
  const int viewHeight = w.ScrollBox1->viewport()->height();
  EXPECT_LE(w.Image1->height(), viewHeight) << "fit page";
  EXPECT_GT(w.Image1->height(), viewHeight - spec.pageLength - 1) << "fit page";
  // A page narrower than the view stands in its middle.
  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  for (const double zoom : {w.ZoomPercent, 50.0}) {
    w.SetZoom(zoom);
    const int shownWidth = w.ScrollBox1->viewport()->width();
    ASSERT_LT(w.Image1->width(), shownWidth);
    EXPECT_NEAR(w.Image1->x(), (shownWidth - w.Image1->width()) / 2, 1) << zoom;
  }
  QTest::keyClick(w.windowHandle(), Qt::Key_3, Qt::ControlModifier);
  EXPECT_TRUE(w.NoteLBL->text().isEmpty());
  QTest::keyClick(w.windowHandle(), Qt::Key_4, Qt::ControlModifier);
  const QScreen* screen = w.screen();
  const double physical = screen->physicalDotsPerInchY() / screen->logicalDotsPerInchY() * 100;
  if (w.NoteLBL->text().isEmpty())
    EXPECT_NEAR(w.ZoomPercent, physical, 0.5) << "an inch of the page is an inch of the screen";
  else
    EXPECT_EQ(w.ZoomPercent, 100) << w.NoteLBL->text().toStdString();

  // A zoom step shows the new size at once (the page before, scaled); the
  // sharp page follows from the worker. A newer step supersedes an older one.
  w.SetZoom(800);
  w.SetZoom(400);
  EXPECT_TRUE(w.DrawingPage());
  EXPECT_TRUE(w.Image1->ShowsStandIn());
  EXPECT_EQ(w.Image1->PagePixels(),
            QSize(w.ShownPages.page_width_px(), w.ShownPages.page_height_px()));
  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  EXPECT_FALSE(w.Image1->ShowsStandIn());
  EXPECT_EQ(w.ShownDpi(), viewer::ZoomDpi(dpi, 400, w.devicePixelRatioF()));
  QTest::qWait(50);
  EXPECT_EQ(w.PageBitmap.size(), w.Image1->PagePixels()) << "the 800% page never arrives";

  for (const double zoom : {50.0, 100.0, 237.0, 800.0}) {
    w.SetZoom(zoom);
    QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
    EXPECT_EQ(w.ShownPages.page_count(), pages) << zoom;
    const QSize drawn(w.ShownPages.page_width_px(), w.ShownPages.page_height_px());
    EXPECT_EQ(w.PageBitmap.size(), drawn) << zoom;
    EXPECT_EQ(w.ShownDpi(), viewer::ZoomDpi(dpi, zoom, w.devicePixelRatioF()));
    SendMouseMove(w.Image1, QPointF(5, 2 * dpi * zoom / 100));
    EXPECT_NEAR(w.DepthEd->text().toDouble(), at100, oneRow) << zoom;
    if (zoom != 237) continue;
    // Drawn from the log at its own resolution.
    QImage direct(drawn, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
      platform::Canvas canvas(&direct);
      PlotCookie cookie;
      w.Document->plot(w.ShownPages, 0, w.ShownPages.screen_kind(0), canvas, w.ViewSettings(),
                       *w.ViewLibraries, cookie);
    }
    EXPECT_EQ(w.PageBitmap.convertToFormat(QImage::Format_RGB32), direct);
  }
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
}

// Ctrl+wheel zooms about the pointer; the tool bar takes a typed zoom; the
// zoom stays on reload and comes back with the log.
TEST_F(ViewerTest, WheelAndToolBarZoomAndTheZoomIsKeptPerLog) {
  TKorvaleFrm& w = ShowNewLog("a.tfl", 3);
  const std::string a = w.FileName;
  const QPoint at(60, 80);
  QScrollBar* down = w.ScrollBox1->verticalScrollBar();
  down->setValue(100);
  const QPointF under = w.PagePixelAt(QPoint(at.x(), at.y() + down->value()));
  QWheelEvent wheel(at, w.ScrollBox1->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w.ScrollBox1->viewport(), &wheel);
  EXPECT_EQ(w.ZoomPercent, 125);
  const QPointF after = w.PagePixelAt(QPoint(at.x(), at.y() + down->value()));
  EXPECT_NEAR(after.y(), under.y() * 1.25, 2 * w.Image1->PagePixelRatio())
      << "the same point of the page under the pointer";
  // Also from a page narrower than the view, centred in it: the point under
  // the pointer stays under it down the page, and across the page stays in
  // the middle.
  w.SetZoom(50);
  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  const QPoint pointer = w.ScrollBox1->viewport()->rect().center() + QPoint(40, 30);
  const QPoint over = w.Image1->mapFrom(w.ScrollBox1->viewport(), pointer);
  ASSERT_TRUE(w.Image1->rect().contains(over));
  ASSERT_GT(w.Image1->x(), 0) << "centred";
  const QPointF pointAt50 = w.PagePixelAt(over);
  QWheelEvent in(pointer, w.ScrollBox1->viewport()->mapToGlobal(pointer), QPoint(),
                 QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w.ScrollBox1->viewport(), &in);
  ASSERT_EQ(w.ZoomPercent, 67);
  const QPointF pointAfter =
      w.PagePixelAt(w.Image1->mapFrom(w.ScrollBox1->viewport(), pointer));
  EXPECT_NEAR(pointAfter.y(), pointAt50.y() * 67 / 50, 2);
  ASSERT_LT(w.Image1->width(), w.ScrollBox1->viewport()->width());
  EXPECT_NEAR(w.Image1->x(), (w.ScrollBox1->viewport()->width() - w.Image1->width()) / 2, 1);
  // From there to a page wider than the view: the point stays across too.
  const QPointF pointAt67 = pointAfter;
  w.SetZoom(200, pointer);
  ASSERT_GT(w.Image1->width(), w.ScrollBox1->viewport()->width());
  const QPointF pointAt200 =
      w.PagePixelAt(w.Image1->mapFrom(w.ScrollBox1->viewport(), pointer));
  EXPECT_NEAR(pointAt200.x(), pointAt67.x() * 200 / 67, 3);
  EXPECT_NEAR(pointAt200.y(), pointAt67.y() * 200 / 67, 3);
  w.SetZoom(125);

  // Typed into the zoom box and Enter: any zoom in range, with or without
  // "%", and the keyboard goes back to the page; a zoom out of range or no
  // number is told (not as an error) and put back.
  const auto type = [&](const QString& text) {
    w.ZoomCb->lineEdit()->setFocus();
    w.ZoomCb->lineEdit()->selectAll();
    QTest::keyClicks(w.ZoomCb->lineEdit(), text);
    QTest::keyClick(w.ZoomCb->lineEdit(), Qt::Key_Return);
  };
  for (const auto& [text, percent] :
       std::vector<std::pair<QString, double>>{{"250", 250}, {"137%", 137}, {"300", 300}}) {
    type(text);
    EXPECT_EQ(w.ZoomPercent, percent) << text.toStdString();
    EXPECT_EQ(w.ZoomCb->currentText(), QString("%1%").arg(percent));
    EXPECT_EQ(w.focusWidget(), w.ScrollBox1);
  }
  EXPECT_TRUE(platform::ShownBoxes().empty());
  for (const QString text : {"2000", "10%", "wide"}) {
    platform::ClearShownBoxes();
    type(text);
    EXPECT_EQ(w.ZoomPercent, 300) << text.toStdString();
    EXPECT_EQ(w.ZoomCb->currentText(), "300%") << "put back";
    ASSERT_EQ(platform::ShownBoxes().size(), 1u) << text.toStdString();
    EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Information);
    EXPECT_NE(platform::ShownBoxes()[0].text.find("25% to 800%"), std::string::npos);
  }
  platform::ClearShownBoxes();

  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  const QSize zoomed = w.PageBitmap.size();
  EXPECT_EQ(zoomed, w.Image1->PagePixels());
  w.ReloadLog();
  EXPECT_EQ(w.ZoomPercent, 300);
  EXPECT_EQ(w.PageBitmap.size(), zoomed);

  const std::string b = Path("b.tfl");
  WriteLog(b, LogSpec{});
  w.OpenLog(b);
  EXPECT_EQ(w.ZoomPercent, 100) << "a log never shown opens at 100%";
  w.OpenLog(a);
  EXPECT_EQ(w.ZoomPercent, 300);
  EXPECT_EQ(w.PageBitmap.size(), zoomed);
  EXPECT_EQ(viewer::RememberedPlace(a)->zoom, 300);
}

// Dragging the page with the left button pans it when it is larger than the
// view: the point of the page under the pointer stays under it, and the
// read-out keeps showing its depth. A page that fits the view does not move.
TEST_F(ViewerTest, DraggingThePagePansItAndTheReadOutFollows) {
  TKorvaleFrm& w = ShowNewLog("pan.tfl", 2);
  QScrollBar* across = w.ScrollBox1->horizontalScrollBar();
  QScrollBar* down = w.ScrollBox1->verticalScrollBar();
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, w.Image1->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w.Image1, &event);
  };
  const auto drag = [&](QPoint from, QPoint by) {
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    // Image1 moves while it is dragged: each step is where the pointer is
    // on the screen, in the page's coordinates of that moment.
    const QPoint screenFrom = w.Image1->mapToGlobal(from);
    for (int step = 1; step <= 4; ++step) {
      const QPoint screen = screenFrom + by * step / 4;
      send(QEvent::MouseMove, w.Image1->mapFromGlobal(screen), Qt::LeftButton);
    }
    send(QEvent::MouseButtonRelease, w.Image1->mapFromGlobal(screenFrom + by), Qt::NoButton);
  };

  w.SetZoom(200);
  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  across->setValue(100);
  down->setValue(300);
  const QPoint grab(250, 450);  // in Image1, inside the view
  send(QEvent::MouseMove, grab, Qt::NoButton);
  const QString depthAtGrab = w.DepthEd->text();
  ASSERT_FALSE(depthAtGrab.isEmpty());
  drag(grab, QPoint(-60, -120));
  EXPECT_EQ(across->value(), 160);
  EXPECT_EQ(down->value(), 420);
  EXPECT_EQ(w.DepthEd->text(), depthAtGrab) << "the same point of the page under the pointer";

  // Scrolled back by a drag the other way; at the top it stops.
  drag(grab + QPoint(-60, -120), QPoint(0, 1000));
  EXPECT_EQ(down->value(), 0);

  w.FitPage1->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
  ASSERT_EQ(down->maximum(), 0);
  drag(QPoint(50, 50), QPoint(40, 40));
  EXPECT_EQ(across->value(), 0);
  EXPECT_EQ(down->value(), 0);
}
