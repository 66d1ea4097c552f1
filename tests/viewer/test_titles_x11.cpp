// Windows as the window system shows them: the _NET_WM_NAME property that
// window managers put in the title bar, and the window's pixels, read back
// from the X server.
// ctest runs this suite once more under xvfb-run with the xcb platform (the
// entry WindowTitlesOnX11); on the offscreen platform it skips itself.
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <string>

#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "viewer/PageImage.h"
#include "windows/MessageBoxPresenter.h"
#include "windows/Startup.h"

#if KORVALE_HAVE_XCB
#include <xcb/xcb.h>

#include <QImage>
#include <cstring>
#include <memory>

using namespace viewertest;

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const auto cookie = xcb_intern_atom(connection, 0, std::strlen(name), name);
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The title the window manager shows for the widget's window.
std::string TitleBarText(QWidget& widget) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return "(no X11 connection)";
  xcb_connection_t* connection = x11->connection();
  const auto cookie = xcb_get_property(connection, 0, static_cast<xcb_window_t>(widget.winId()),
                                       Atom(connection, "_NET_WM_NAME"),
                                       Atom(connection, "UTF8_STRING"), 0, 4096);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(connection, cookie, nullptr), &std::free);
  if (!reply) return "(no _NET_WM_NAME)";
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     xcb_get_property_value_length(reply.get()));
}

class WindowTitlesOnX11 : public ViewerTest {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") {
      if (std::getenv("KORVALE_EXPECT_X11"))
        FAIL() << "platform " << QGuiApplication::platformName().toStdString();
      GTEST_SKIP() << "needs the xcb platform (ctest runs it under xvfb-run -a)";
    }
    ViewerTest::SetUp();
  }
  void TearDown() override {
    platform::SetMessageBoxMode(platform::BoxMode::Scripted);
    if (QGuiApplication::platformName() == "xcb") ViewerTest::TearDown();
  }
};

}  // namespace

TEST_F(WindowTitlesOnX11, TitleBarsShowEachWindowsOwnCaption) {
  SetApplicationTitle();  // as the program does before its main window opens
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(TitleBarText(w), "Quelmark Korvale - UNTITLED");

  // A message box without a caption of its own carries the program's title.
  std::string boxTitle = "(no box)";
  QTimer::singleShot(0, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      if (QTest::qWaitForWindowExposed(box)) boxTitle = TitleBarText(*box);
      box->close();
    }
  });
  InstallMessageBoxPresenter();  // as the program does once its application exists
  platform::SetMessageBoxMode(platform::BoxMode::Interactive);
  platform::ShowMessageBox(platform::BoxKind::Information, "Shown on X11.");
  platform::SetMessageBoxMode(platform::BoxMode::Scripted);
  platform::SetMessageBoxPresenter(nullptr);
  EXPECT_EQ(boxTitle, "Quelmark Korvale");
}

// The X server's copy of the window: what the screen shows of it.
QImage WindowOnScreen(QWidget& widget, const QRect& area) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return {};
  xcb_connection_t* connection = x11->connection();
  const auto cookie = xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                    static_cast<xcb_window_t>(widget.winId()), area.x(), area.y(),
                                    area.width(), area.height(), ~0u);
  std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
      xcb_get_image_reply(connection, cookie, nullptr), &std::free);
  if (!reply || reply->depth < 24) return {};
  const auto* data = xcb_get_image_data(reply.get());
  const int stride = xcb_get_image_data_length(reply.get()) / area.height();
  QImage image(area.size(), QImage::Format_RGB32);
  for (int y = 0; y < area.height(); ++y)
    std::memcpy(image.scanLine(y), data + y * stride, static_cast<size_t>(area.width()) * 4);
  return image;
}

// When opening a log returns, the X server already holds its first page:
// the page went to the screen before the work that follows an open.
TEST_F(WindowTitlesOnX11, AnOpenedLogsPageIsOnTheScreenWhenTheOpenReturns) {
  const std::string first = Path("first.tfl"), second = Path("second.tfl");
  LogSpec spec;
  WriteLog(first, spec);
  spec.span = SpanForPages(4);  // another diagonal: another page
  WriteLog(second, spec);
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(first);
  QTest::qWait(100);  // the first page painted and flushed by the event loop
  const QImage before = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
  w.OpenLog(second);
  // No event is handled between the open and the look at the screen.
  const QRect seen = w.Image1->visibleRegion().boundingRect();
  const QImage screen =
      WindowOnScreen(w, QRect(w.Image1->mapTo(&w, seen.topLeft()), seen.size()));
  ASSERT_FALSE(screen.isNull());
  const QImage page = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
  // Where the two pages differ, the screen shows the new one.
  int differ = 0, shown = 0;
  for (int y = 0; y < seen.height(); ++y)
    for (int x = 0; x < seen.width(); ++x) {
      const QRgb now = page.pixel(seen.x() + x, seen.y() + y) & 0xFFFFFF;
      if (now == (before.pixel(seen.x() + x, seen.y() + y) & 0xFFFFFF)) continue;
      ++differ;
      shown += (screen.pixel(x, y) & 0xFFFFFF) == now;
    }
  ASSERT_GT(differ, 100) << "the two first pages differ where they are seen";
  EXPECT_GT(shown, differ * 95 / 100) << shown << " of " << differ << " pixels";
}

#else
TEST(WindowTitlesOnX11, TitleBarsShowEachWindowsOwnCaption) {
  GTEST_SKIP() << "built without the xcb headers";
}
#endif
