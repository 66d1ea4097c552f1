// Find in the real main window: the panel's search, the result list, the
// outline over the page, Find Next and Find Previous with their keys, and the
// header texts found with each page's own number.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>

#include "ViewerFixture.h"
#include "viewer/FindPanel.h"
#include "viewer/PageImage.h"

using namespace viewertest;

namespace {

// A paged log of three pages with a header on every page ("Sheet #p of #t"),
// a one-line text and a label in the body of the second page, and a
// paragraph of two lines (each ends in "\r") on the first.
std::string WriteWordyLog(const std::string& path, LogSpec& spec) {
  spec.firstHeader = 1.0;
  spec.repeatHeader = 0.75;
  spec.span = SpanForPages(3);
  tfl::TflWriter w(path, HeaderFor(spec));
  tfl::FontRecord font{};
  font.face.assign("Arial");
  font.size = 12;
  w.write(font);
  for (const uint8_t section : {1, 2}) {
    tfl::PageTextRecord header{};
    header.x = 1;
    header.y = 0.2;
    header.section = section;
    header.text.assign("Sheet #p of #t");
    w.write(header);
  }
  // y runs up from 0 at the log's bottom to span at its top; page bodies
  // are about 11 inches (1100 units) long.
  tfl::TextRecord text{};
  text.x = 1;
  text.y = spec.span - 1500;
  text.alignment = 0;
  text.text.assign("CORRAN LIMESTONE top");
  w.write(text);
  tfl::LabelRecord label{};
  label.x = 4;
  label.y = spec.span - 1700;
  label.size = 10;
  label.size_mode = 2;
  label.text.assign("core 1 cut");
  w.write(label);
  tfl::ParagraphRecord para{};
  para.rect = {1, spec.span - 200, 6, spec.span - 400};
  w.paragraph(para, "Ls: wh-cream, mudst-wackst,\rhd, dns, no vis por.\r");
  w.close();
  return path;
}

int Ink(const QImage& image, const QRect& box) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  int ink = 0;
  for (int y = std::max(0, box.top()); y <= std::min(rgb.height() - 1, box.bottom()); ++y)
    for (int x = std::max(0, box.left()); x <= std::min(rgb.width() - 1, box.right()); ++x)
      if ((rgb.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++ink;
  return ink;
}

}  // namespace

TEST_F(ViewerTest, FindListsHitsShowsAndOutlinesThemAndStepsWithF3) {
  LogSpec spec;
  const std::string log = WriteWordyLog(Path("words.tfl"), spec);
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(log);
  ASSERT_EQ(w.ScreenPages.page_count(), 3);

  // Ctrl+F opens the panel with the keyboard in its box.
  QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(w.FindPanel->isVisible());
  QTest::keyClicks(w.FindPanel->FindEd, "limestone");
  QTest::keyClick(w.FindPanel->FindEd, Qt::Key_Return);
  ASSERT_EQ(w.FindPanel->ResultsList->topLevelItemCount(), 1);
  const auto at = w.ScreenPages.locate(-(spec.span - 1500), false, w.ViewSettings());
  ASSERT_TRUE(at);
  EXPECT_EQ(w.CurrentPage, at->page);
  EXPECT_EQ(w.FindPanel->ResultsList->topLevelItem(0)->text(0).toInt(), at->page + 1);
  EXPECT_EQ(w.FindPanel->ResultsList->topLevelItem(0)->text(2), "CORRAN LIMESTONE top");
  ASSERT_TRUE(w.FoundBox);
  EXPECT_NEAR(w.FoundBox->top(), at->row, 2) << "the text hangs from its point";
  // Scrolled into the middle of the view, not to its edge.
  const QPoint inView = w.Image1->mapTo(w.ScrollBox1->viewport(),
                                        w.Image1PointAt(QPointF(w.FoundBox->center())));
  ASSERT_GT(w.Image1PointAt(QPointF(w.FoundBox->center())).y(),
            w.ScrollBox1->viewport()->height() / 2) << "a text below the first screenful";
  EXPECT_NEAR(inView.y(), w.ScrollBox1->viewport()->height() / 2, 2);
  ASSERT_EQ(w.Image1->Overlay("find").size(), 1u);
  // The outline is over the page: the text's ink is in the box, and the
  // copied page is the page as drawn, without the outline.
  EXPECT_GT(Ink(w.PageBitmap, *w.FoundBox), 20);
  const QImage drawn = w.PageBitmap.copy();
  w.Copy1->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            drawn.convertToFormat(QImage::Format_RGB32));

  // The whole phrase, across the lines of a paragraph; not a phrase no text holds.
  w.RunFind("mudst-wackst, hd");
  ASSERT_EQ(w.FoundHits.size(), 1u);
  EXPECT_EQ(w.CurrentPage, 0);
  EXPECT_GT(Ink(w.PageBitmap, *w.FoundBox), 20);
  w.RunFind("limestone core");
  EXPECT_TRUE(w.FoundHits.empty());
  EXPECT_EQ(w.CurrentPage, 0) << "nothing found changes nothing";
  EXPECT_FALSE(w.FindPanel->StatusLbl->text().isEmpty());

  // Each page's header is found with its own number; F3 and Shift+F3 step
  // through the hits in page order and wrap round.
  w.RunFind("SHEET");
  ASSERT_EQ(w.FoundHits.size(), 3u);
  for (int p = 0; p < 3; ++p)
    EXPECT_EQ(w.FindPanel->ResultsList->topLevelItem(p)->text(2),
              QString("Sheet %1 of 3").arg(p + 1));
  EXPECT_EQ(w.CurrentPage, 0);
  w.activateWindow();
  QTest::keyClick(&w, Qt::Key_F3);
  EXPECT_EQ(w.CurrentPage, 1);
  EXPECT_GT(Ink(w.PageBitmap, *w.FoundBox), 20);
  w.FindNext1->trigger();
  EXPECT_EQ(w.CurrentPage, 2);
  w.FindNext1->trigger();
  EXPECT_EQ(w.CurrentPage, 0);
  QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(w.CurrentPage, 2);
  w.RunFind("sheet 2 of");
  ASSERT_EQ(w.FoundHits.size(), 1u);
  EXPECT_EQ(w.CurrentPage, 1);

  // Another page takes the outline away.
  w.PageDownBTNClick();
  EXPECT_FALSE(w.FoundBox);
  EXPECT_TRUE(w.Image1->Overlay("find").empty());

  // Escape closes the panel and its outline, in the panel and in the page
  // view; the page has the keyboard again.
  for (const bool inPanel : {true, false}) {
    SCOPED_TRACE(inPanel);
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(w.FindPanel->isVisible());
    QTest::keyClick(w.FindPanel->FindEd, Qt::Key_Return);  // the phrase typed before
    ASSERT_FALSE(w.Image1->Overlay("find").empty());
    if (!inPanel) w.ScrollBox1->setFocus();
    QTest::keyClick(w.focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(w.FindPanel->isVisible());
    EXPECT_TRUE(w.Image1->Overlay("find").empty());
    EXPECT_EQ(w.focusWidget(), w.ScrollBox1);
  }
}

TEST(FindPanel, TextAroundKeepsThePhraseInView) {
  const QString text = QString(100, 'a') + "LIMESTONE" + QString(100, 'b');
  const QString around = viewer::TextAround(text, "limestone", 40);
  EXPECT_TRUE(around.contains("LIMESTONE"));
  EXPECT_TRUE(around.startsWith("...") && around.endsWith("..."));
  EXPECT_LE(around.size(), 46);
  EXPECT_EQ(viewer::TextAround("short", "o", 40), "short");
}
