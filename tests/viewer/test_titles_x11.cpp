// Window titles as the window system shows them: the _NET_WM_NAME property
// that window managers put in the title bar, read back from the X server.
// ctest runs this suite once more under xvfb-run with the xcb platform (the
// entry WindowTitlesOnX11); on the offscreen platform it skips itself.
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <string>

#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "windows/MessageBoxPresenter.h"
#include "windows/Startup.h"

#if KORVALE_HAVE_XCB
#include <xcb/xcb.h>

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

#else
TEST(WindowTitlesOnX11, TitleBarsShowEachWindowsOwnCaption) {
  GTEST_SKIP() << "built without the xcb headers";
}
#endif
