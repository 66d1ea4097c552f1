// The page panel (View > Pages, F9): a row for every page with its body's
// depths, the page shown selected, a click showing another page, pictures
// drawn in the background, and the panel's visibility and width kept.
#include <QAction>
#include <QDockWidget>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include "ViewerFixture.h"
#include "viewer/DepthInput.h"
#include "viewer/PageImage.h"
#include "viewer/PageList.h"

using namespace viewertest;

TEST_F(ViewerTest, PagePanelListsEachBodysDepthsAsTheReadOutGivesThem) {
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  LogSpec spec;
  spec.firstHeader = 1.5;
  spec.repeatHeader = 0.75;
  spec.footer = 0.5;
  spec.span = SpanForPages(5);
  const std::string log = Path("panel.tfl");
  WriteLog(log, spec);
  w.OpenLog(log);
  const int32_t pages = w.ScreenPages.page_count();
  ASSERT_GE(pages, 4);
  EXPECT_FALSE(w.PagesDock->isVisible());
  QTest::keyClick(&w, Qt::Key_F9);
  ASSERT_TRUE(w.PagesDock->isVisible());
  ASSERT_EQ(w.PagesList->model()->rowCount(), pages);
  EXPECT_EQ(w.PagesList->currentIndex().row(), 0);

  const double oneRow = 100.0 / ScreenPixelsPerInch();  // units of depth a row
  for (int32_t p = 0; p < pages; ++p) {
    SCOPED_TRACE(p);
    w.CurrentPage = p;
    w.PlotCurrentPage();
    EXPECT_EQ(w.PagesList->currentIndex().row(), p) << "the page shown is selected";
    // The read-out at the first and last body rows that show the log.
    const PageKind kind = w.ScreenPages.screen_kind(p);
    const PageLayout l = w.ScreenPages.layout(p, kind, w.ViewSettings());
    std::vector<double> shown;
    for (int32_t row = l.body_clip_top; row < l.body_clip_bottom; ++row) {
      if (row < l.header_bottom_px) continue;
      w.Image1MouseMove(3, row);
      const double depth = w.DepthEd->text().toDouble();
      if (depth >= -spec.span && depth <= 0) shown.push_back(depth);
    }
    ASSERT_FALSE(shown.empty());
    const QString text = w.PagesList->model()->index(p, 0).data().toString();
    const QStringList parts = text.split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(parts.size(), 4) << text.toStdString();
    EXPECT_EQ(parts[0].toInt(), p + 1);
    EXPECT_NEAR(*viewer::ParseDepthInput(parts[1]), shown.front(), oneRow) << text.toStdString();
    EXPECT_NEAR(*viewer::ParseDepthInput(parts[3]), shown.back(), oneRow) << text.toStdString();
  }

  // A click shows the page; the pictures of the rows in view are drawn.
  const QModelIndex third = w.PagesList->model()->index(2, 0);
  QTest::mouseClick(w.PagesList->viewport(), Qt::LeftButton, {},
                    w.PagesList->visualRect(third).center());
  EXPECT_EQ(w.CurrentPage, 2);
  auto* list = dynamic_cast<TPageList*>(w.PagesList->model());
  ASSERT_TRUE(list);
  QTRY_VERIFY_WITH_TIMEOUT(list->HasThumbnail(0), 20000);
  const QPixmap picture = third.data(Qt::DecorationRole).value<QPixmap>();
  EXPECT_LE(std::max(picture.width(), picture.height()), TPageList::kThumbnailSize);

  // Another log: the list is the new log's.
  w.OpenLog(Path("panel.tfl"));
  EXPECT_EQ(w.PagesList->model()->rowCount(), pages);
}

TEST_F(ViewerTest, PagePanelVisibilityAndWidthAreKept) {
  {
    TKorvaleFrm& w = Window();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Pages1->trigger();
    ASSERT_TRUE(w.PagesDock->isVisible());
    w.resizeDocks({w.PagesDock}, {230}, Qt::Horizontal);
    QApplication::processEvents();
    const int width = w.PagesDock->width();
    w.close();
    window_.reset();
    TKorvaleFrm& again = Window();
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_TRUE(again.PagesDock->isVisible());
    EXPECT_NEAR(again.PagesDock->width(), width, 2);
    again.Pages1->trigger();
    again.close();
  }
  window_.reset();
  EXPECT_FALSE(Window().PagesDock->isVisible());
}
