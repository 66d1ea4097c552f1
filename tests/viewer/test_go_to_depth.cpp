// Go to Depth: the dialog, the tool bar's depth box and Enter, the mark over
// the page, and the answers for depths outside the log and texts that are no
// number; the typed forms of a depth in the user's locale.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <cstdlib>

#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "viewer/DepthInput.h"
#include "viewer/GoToDepth.h"
#include "viewer/PageImage.h"

using namespace viewertest;

namespace {

// Types `text` into the tool bar's depth box and presses Enter.
void TypeDepth(TKorvaleFrm& w, const QString& text) {
  w.DepthEd->setFocus();
  w.DepthEd->selectAll();
  QTest::keyClicks(w.DepthEd, text);
  QTest::keyClick(w.DepthEd, Qt::Key_Return);
}

}  // namespace

TEST(DepthInput, TypedInTheUsersLocaleOrWithAPoint) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const QLocale german(QLocale::German, QLocale::Germany);
  const QLocale french(QLocale::French, QLocale::France);
  EXPECT_EQ(viewer::ParseDepthInput("4,512.5", english), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput(" 4512.5 ", english), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput("4.512,5", german), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput("4512,5", german), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput("4512.5", german), 4512.5) << "a point is a decimal point too";
  EXPECT_EQ(viewer::ParseDepthInput("4.512", german), 4512) << "a group of three is a group";
  EXPECT_EQ(viewer::ParseDepthInput("4 512,5", french), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput("4512.5", french), 4512.5);
  EXPECT_EQ(viewer::ParseDepthInput("-12.25", english), -12.25);
  for (const char* text : {"", "abc", "12 ft", "1.2.3,4,5", "nan", "inf"})
    EXPECT_FALSE(viewer::ParseDepthInput(text, english)) << text;
  EXPECT_EQ(viewer::FormatDepth(9000, english), "9,000.00");
  EXPECT_EQ(viewer::FormatDepth(9000, german), "9.000,00");
}

// Every body row of the first, a middle and the last page: the read-out's
// text for the row, typed back, shows that page with the row marked.
TEST_F(ViewerTest, GoingToTheReadOutsDepthLandsOnItsRowOnEveryPageKind) {
  struct Case {
    const char* name;
    LogSpec spec;
  };
  std::vector<Case> cases;
  LogSpec sections;
  sections.firstHeader = 2.0;
  sections.repeatHeader = 1.0;
  sections.footer = 0.5;
  sections.span = SpanForPages(4);
  cases.push_back({"repeated header", sections});
  LogSpec unpaged = sections;
  unpaged.paged = 0;
  cases.push_back({"unpaged strip", unpaged});

  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = Path(std::string(c.name) + ".tfl");
    WriteLog(log, c.spec);
    w.OpenLog(log);
    const int32_t last = w.ScreenPages.last_page();
    ASSERT_GE(last, 2);
    // At 100% and zoomed: rows are those of the page as shown.
    for (const double zoom : {100.0, 237.0}) {
      SCOPED_TRACE(zoom);
      w.SetZoom(zoom);
      ASSERT_EQ(w.ShownModel().page_height_px() == w.ScreenPages.page_height_px(), zoom == 100);
      for (const bool elevation : {false, true}) {
        w.ElevationCb->setChecked(elevation);
        for (const int32_t page : {0, last / 2, last}) {
          const PageModel& shown = w.ShownModel();
          ASSERT_EQ(shown.last_page(), last);
          const PageKind kind = shown.screen_kind(page);
          const PageLayout l = shown.layout(page, kind, w.ViewSettings());
          // The body rows that show the log (the first page's body may begin
          // above the log's top, the last one's end below its bottom).
          const auto inLog = [&](int32_t row) {
            const double depth = shown.depth_at(page, kind, row, false, w.ViewSettings());
            return depth >= -c.spec.span && depth <= 0;
          };
          int32_t first = l.body_clip_top, final = l.body_clip_bottom - 1;
          while (first < final && !inLog(first)) ++first;
          while (final > first && !inLog(final)) --final;
          ASSERT_LT(first + 10, final);
          for (const int32_t row : {first, (first + final) / 2, final}) {
            w.CurrentPage = page;
            w.PlotCurrentPage();
            w.DepthEd->setModified(false);
            w.Image1MouseMove(5, row);
            const QString readOut = w.DepthEd->text();
            w.CurrentPage = page == 0 ? last : 0;  // away from it
            w.PlotCurrentPage();
            TypeDepth(w, readOut);
            ASSERT_EQ(w.CurrentPage, page) << readOut.toStdString() << " row " << row;
            ASSERT_EQ(w.focusWidget(), w.ScrollBox1) << "Enter gives the page the keyboard";
            ASSERT_TRUE(w.DepthMarkRow);
            EXPECT_NEAR(*w.DepthMarkRow, row, 1) << readOut.toStdString();
            ASSERT_EQ(w.Image1->Overlay("go-to-depth").size(), 1u);
            EXPECT_EQ(static_cast<int>(w.Image1->Overlay("go-to-depth")[0].line.y1()), *w.DepthMarkRow);
            // The marked row is scrolled into view.
            const QRect seen = w.Image1->visibleRegion().boundingRect();
            EXPECT_TRUE(seen.top() <= *w.DepthMarkRow && *w.DepthMarkRow <= seen.bottom());
          }
        }
      }
    }
    w.ElevationCb->setChecked(false);
    w.SetZoom(100);
  }
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(ViewerTest, GoToDepthDialogMarksUntilAClickOrAnotherPageAndNeverDrawsIntoThePage) {
  const std::string log = Path("dialog.tfl");
  LogSpec spec;
  spec.span = SpanForPages(3);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  const QImage before = w.PageBitmap.copy();
  // The middle of the second page's body.
  const PageModel::Interval body = w.ScreenPages.body_interval(1, w.ScreenPages.screen_kind(1),
                                                               w.ViewSettings());
  const double depth = (body.top + body.bottom) / 2;
  bool elevationOffered = true;
  QueueDialog([&](QDialog& d) {
    auto& dialog = dynamic_cast<TGoToDepthDlg&>(d);
    elevationOffered = dialog.ElevationCb->isEnabled() && !dialog.ElevationCb->isChecked();
    dialog.DepthEd->setText(viewer::FormatDepth(depth));
    return int(QDialog::Accepted);
  });
  w.GoToDepthBtn->click();
  EXPECT_TRUE(elevationOffered);
  EXPECT_EQ(w.CurrentPage, 1);
  ASSERT_TRUE(w.DepthMarkRow);
  w.Image1MouseMove(5, *w.DepthMarkRow);
  EXPECT_NEAR(w.DepthEd->text().toDouble(), depth, 0.01 + 100.0 / ScreenPixelsPerInch());

  // The mark is over the page, not in it: the page drawn again is the same.
  QImage shown = w.PageBitmap.copy();
  w.PlotCurrentPage();
  EXPECT_EQ(shown, w.PageBitmap);
  EXPECT_FALSE(w.DepthMarkRow) << "a page drawn anew has no mark";

  // A press on the page takes the mark away.
  w.GoToDepth(depth, false);
  ASSERT_TRUE(w.DepthMarkRow);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::mouseClick(w.Image1, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_FALSE(w.DepthMarkRow);
  EXPECT_TRUE(w.Image1->Overlay("go-to-depth").empty());

  // Cancel goes nowhere.
  w.CurrentPage = 0;
  w.PlotCurrentPage();
  QueueDialog([&](QDialog& d) {
    dynamic_cast<TGoToDepthDlg&>(d).DepthEd->setText(viewer::FormatDepth(depth));
    return int(QDialog::Rejected);
  });
  w.GoToDepth1->trigger();
  EXPECT_EQ(w.CurrentPage, 0);
  EXPECT_EQ(before, w.PageBitmap);
}

TEST_F(ViewerTest, DepthsOutsideTheLogAndTextsThatAreNoNumberAreToldAndChangeNothing) {
  const std::string log = Path("outside.tfl");
  LogSpec spec;
  spec.span = SpanForPages(2);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(log);
  w.PageDownBTNClick();
  const double top = -spec.span, bottom = 0;  // the log's depths: -y_max to -y_min
  struct Case {
    QString typed;
    bool elevation;
    std::string message;
  };
  const Case cases[] = {
      {"9000", false, "Depth " + viewer::FormatDepth(9000).toStdString() +
                          " is outside this log (" + viewer::FormatDepth(top).toStdString() +
                          " to " + viewer::FormatDepth(bottom).toStdString() + ")."},
      {viewer::FormatDepth(top - 1), false, ""},
      {viewer::FormatDepth(bottom + 0.5), false, ""},
      {viewer::FormatDepth(1000 - bottom - 1), true,
       "Elevation " + viewer::FormatDepth(1000 - bottom - 1).toStdString() +
           " is outside this log (" + viewer::FormatDepth(1000 - top).toStdString() + " to " +
           viewer::FormatDepth(1000 - bottom).toStdString() + ")."},
      {"deep", false, "Please type a depth, for example 4512.5."},
      {"", false, "Please type a depth, for example 4512.5."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    platform::ClearShownBoxes();
    w.ElevationCb->setChecked(c.elevation);
    TypeDepth(w, c.typed);
    EXPECT_EQ(w.focusWidget(), w.DepthEd) << "the box keeps the keyboard to type again";
    ASSERT_EQ(platform::ShownBoxes().size(), 1u);
    EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Information)
        << "a hint of what to type, not an error";
    const std::string& text = platform::ShownBoxes()[0].text;
    if (c.message.empty())
      EXPECT_EQ(text.rfind("Depth " + c.typed.toStdString() + " is outside this log (", 0), 0u)
          << text;
    else
      EXPECT_EQ(text, c.message);
    EXPECT_EQ(w.CurrentPage, 1);
    EXPECT_FALSE(w.DepthMarkRow);
  }
  // Escape gives up the typed depth: the read-out is back (empty, the
  // pointer being nowhere over the page) and the page has the keyboard.
  QTest::keyClick(w.DepthEd, Qt::Key_Escape);
  EXPECT_EQ(w.focusWidget(), w.ScrollBox1);
  EXPECT_TRUE(w.DepthEd->text().isEmpty()) << w.DepthEd->text().toStdString();
  EXPECT_FALSE(w.DepthEd->isModified());
}

// The depth cursor: a line at the pointer's row over the log body, none over
// the header or footer; shown on the screen, never in the page Copy Page copies.
// The rows are those of the page as shown, at every zoom (ctest runs this
// once more at a device pixel ratio of 2, ViewerAtPixelRatio2).
TEST_F(ViewerTest, DepthCursorFollowsThePointerOverTheBodyAndStaysOutOfThePage) {
  const std::string log = Path("cursor.tfl");
  LogSpec spec;
  spec.firstHeader = 1.5;
  spec.footer = 0.5;
  spec.span = SpanForPages(2);
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(log);
  if (const char* ratio = std::getenv("KORVALE_EXPECT_PIXEL_RATIO")) {
    ASSERT_EQ(w.devicePixelRatioF(), std::atof(ratio));
  }
  // The pointer over page row `row` of the page as shown, scrolled into view.
  int column = 40;
  const auto moveTo = [&](int row) {
    column = column == 40 ? 60 : 40;
    const QPoint at = w.Image1PointAt(QPointF(column, row));
    w.ScrollBox1->ensureVisible(at.x(), at.y());
    QMouseEvent move(QEvent::MouseMove, at, w.Image1->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.Image1, &move);
  };

  for (const double zoom : {100.0, 50.0, 200.0, 400.0}) {
    SCOPED_TRACE(zoom);
    w.SetZoom(zoom);
    QTRY_VERIFY_WITH_TIMEOUT(!w.DrawingPage(), 20000);
    // The sections in the page pixels of the page as shown: the header's
    // 1.5 inches at the top, the footer's half inch at the bottom.
    const int dpi = w.ShownDpi();
    const int headerBottom = static_cast<int>(std::lround(1.5 * dpi));
    const int footerTop = static_cast<int>(std::lround(spec.pageLength * dpi) -
                                           std::lround(0.5 * dpi));
    const int margin = dpi / 8;
    const QImage drawn = w.PageBitmap.copy();

    if (!w.DepthCursor1->isChecked()) {
      moveTo(headerBottom + margin);
      EXPECT_TRUE(w.Image1->Overlay("depth-cursor").empty()) << "off until asked for";
      w.activateWindow();
      QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
      ASSERT_TRUE(w.DepthCursor1->isChecked());
    }
    for (const int row : {headerBottom + margin, (headerBottom + footerTop) / 2,
                          footerTop - margin}) {
      moveTo(row);
      ASSERT_EQ(w.Image1->Overlay("depth-cursor").size(), 1u) << "body row " << row;
      EXPECT_NEAR(w.Image1->Overlay("depth-cursor")[0].line.y1(), row, 1.5);
      EXPECT_EQ(w.DepthEd->text(),
                QString::asprintf("%.2f", w.ShownModel().depth_at(0, PageKind::First, *w.CursorRow,
                                                                  false, w.ViewSettings())));
    }
    // On the screen the line crosses the body; the page and its copy have none.
    const QLineF line = w.Image1->Overlay("depth-cursor")[0].line;
    const QPoint onLine = w.Image1PointAt(QPointF((line.x1() + line.x2()) / 2, line.y1()));
    const QImage screen = w.Image1->grab(QRect(onLine - QPoint(2, 2), QSize(5, 5)))
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    bool marked = false;
    for (int y = 0; y < screen.height(); ++y)
      for (int x = 0; x < screen.width(); ++x) marked |= screen.pixel(x, y) == qRgb(220, 0, 120);
    EXPECT_TRUE(marked) << "the line on the screen";
    w.Copy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              drawn.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(w.PageBitmap, drawn);

    for (const int row : {headerBottom / 2, headerBottom - margin, footerTop + margin}) {
      moveTo(row);
      EXPECT_TRUE(w.Image1->Overlay("depth-cursor").empty()) << "row " << row;
    }
    moveTo(headerBottom + margin);
    EXPECT_EQ(w.Image1->Overlay("depth-cursor").size(), 1u);
  }
  w.DepthCursor1->trigger();  // off
  EXPECT_TRUE(w.Image1->Overlay("depth-cursor").empty());
}
