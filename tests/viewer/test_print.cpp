// The Print command: dialog set-up, the clipped-page question, page ranges
// and header kinds on paper, status and cancel, errors, and the device back
// on the screen afterwards. The current printer writes PDF files here, which
// poppler reads back.
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <cmath>

#include <filesystem>

#include "PrintTestSupport.h"
#include <QScrollArea>

#include "ViewerFixture.h"
#include "core/Libraries.h"
#include "devices/PrintPages.h"
#include "devices/SettingsValue.h"
#include "TestFiles.h"
#include "viewer/ExportDlg.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/PageImage.h"
#include "viewer/PrinterAccess.h"
#include "windows/StatusWin.h"

using namespace viewertest;
using namespace printtest;

namespace {

constexpr const char* kNothingToPrint =
    "There is nothing to print. Load or compile a log before selecting Print.";

// What the print dialog was opened with.
struct DialogSeen {
  int from = -1, to = -1, min = -1, max = -1;
  bool pageRangeOffered = false;
  QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::AllPages;
};

// A five-page body with a diagonal and horizontal rules of lengths that
// change from rule to rule, so that every page looks different.
void WriteRuledLog(const std::string& path, int pages) {
  LogSpec spec;
  spec.span = SpanForPages(pages);
  tfl::TflWriter writer(path, HeaderFor(spec));
  writer.write(tfl::ColorRecord{0});
  writer.write(tfl::VectorRecord{.x1 = 0, .y1 = spec.span, .z1 = 0, .x2 = 8, .y2 = 0, .z2 = 0});
  for (int k = 0; k * 30 < spec.span; ++k) {
    const double y = k * 30.0;
    writer.write(tfl::VectorRecord{.x1 = 0, .y1 = y, .z1 = 0, .x2 = 1.0 + (k * 3) % 7, .y2 = y, .z2 = 0});
  }
  writer.close();
}

// A paged log whose header sections each hold one short rule a quarter inch
// below the page top: section 1 on the left, section 2 in the middle,
// section 0 on the right.
void WriteSectionLog(const std::string& path, int pages) {
  LogSpec spec;
  spec.span = SpanForPages(pages + 1);
  spec.firstHeader = 1.0;
  tfl::Header h = HeaderFor(spec);
  h.repeat_header_height = 0.5;
  tfl::TflWriter writer(path, h);
  writer.write(tfl::ColorRecord{0});
  writer.write(tfl::SectionLineRecord{{0.2, 0.25, 2.3, 0.25}, 1});
  writer.write(tfl::SectionLineRecord{{3.2, 0.25, 5.3, 0.25}, 2});
  writer.write(tfl::SectionLineRecord{{6.2, 0.25, 7.8, 0.25}, 0});
  writer.close();
}

class PrintTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    if (!PopplerAvailable()) GTEST_SKIP() << "pdfinfo and pdftoppm are not installed";
    pdf_ = Path("out.pdf");
    PrintToPdf(pdf_, 150);
  }
  void TearDown() override {
    SetPagePrintedHookForTests(nullptr);
    CancelRequested = false;
    ViewerTest::TearDown();
  }

  // Queues the print dialog: records what it shows, chooses pages from..to
  // (0, 0: leave them) and closes it with `result`.
  void QueuePrintDialog(int from, int to, int result = QDialog::Accepted) {
    QueueDialog([this, from, to, result](QDialog& d) {
      auto* dialog = dynamic_cast<QPrintDialog*>(&d);
      EXPECT_NE(dialog, nullptr) << "the print command runs a print dialog";
      if (!dialog) return int(QDialog::Rejected);
      seen_ = {dialog->fromPage(), dialog->toPage(), dialog->minPage(), dialog->maxPage(),
               dialog->testOption(QAbstractPrintDialog::PrintPageRange), dialog->printRange()};
      if (from > 0) dialog->setFromTo(from, to);
      return result;
    });
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::ShownBoxes()) texts.push_back(box.text);
    return texts;
  }

  // Pages are drawn on the page bitmap at the screen's resolution again, and
  // the window is as before.
  void ExpectDeviceOnScreen(TKorvaleFrm& w) {
    ASSERT_NE(w.ViewCanvas, nullptr);
    EXPECT_FALSE(w.ViewCanvas->IsPrinter());
    EXPECT_EQ(w.ViewCanvas->Image(), &w.PageBitmap);
    const int dpi = ScreenPixelsPerInch();
    EXPECT_EQ(w.ScreenPages.resolution(), dpi);
    EXPECT_DOUBLE_EQ(w.ScreenPages.scale_y(), dpi / w.Document->header().y_units_per_inch);
    EXPECT_EQ(w.ScreenPages.page_height_px(), w.PageBitmap.height());
    EXPECT_EQ(w.ShownPage, w.CurrentPage);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.focusWidget(), w.ScrollBox1) << "the page view has the keyboard again";
  }

  std::string pdf_;
  DialogSeen seen_;
};

TEST_F(PrintTest, WithoutALogOnlyTheWarningIsShown) {
  TKorvaleFrm& w = Window();
  w.PrintBtn->setEnabled(true);
  w.PrintBtn->click();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kNothingToPrint});
  EXPECT_EQ(DialogsRun(), 0);
  EXPECT_FALSE(std::filesystem::exists(pdf_));
}

TEST_F(PrintTest, DialogOffersThePagesOfTheLog) {
  const std::string one = Path("one.tfl"), five = Path("five.tfl");
  WriteRuledLog(one, 1);
  WriteRuledLog(five, 5);
  TKorvaleFrm& w = Window();

  w.OpenLog(one);
  ASSERT_EQ(PagePanel(), "1 of 1");
  QueuePrintDialog(0, 0, QDialog::Rejected);
  w.Print1Click();
  EXPECT_EQ(seen_.from, 1);
  EXPECT_EQ(seen_.to, 1);
  EXPECT_FALSE(seen_.pageRangeOffered) << "a one-page log has no page numbers to choose";

  w.OpenLog(five);
  ASSERT_EQ(PagePanel(), "1 of 5");
  QueuePrintDialog(0, 0, QDialog::Rejected);
  w.Print1Click();
  EXPECT_EQ(seen_.from, 1);
  EXPECT_EQ(seen_.to, 5);
  EXPECT_EQ(seen_.min, 1);
  EXPECT_EQ(seen_.max, 5);
  EXPECT_TRUE(seen_.pageRangeOffered);
  EXPECT_EQ(seen_.range, QAbstractPrintDialog::PageRange);

  // Cancel in the dialog prints nothing and says nothing.
  EXPECT_FALSE(std::filesystem::exists(pdf_));
  EXPECT_TRUE(platform::ShownBoxes().empty());
  ExpectDeviceOnScreen(w);
}

TEST_F(PrintTest, PagesTwoToThreeLookAsOnTheScreen) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  PrintToPdf(pdf_, 300);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  const int dpi = ScreenPixelsPerInch();
  std::vector<QImage> screen;
  for (int page = 0; page < 3; ++page) {
    screen.push_back(w.PageBitmap.copy().convertToFormat(QImage::Format_RGB32));
    w.PageDownBTNClick();
  }
  w.PageUpBTNClick();
  w.PageUpBTNClick();
  ASSERT_EQ(PagePanel(), "2 of 5");

  QueuePrintDialog(2, 3);
  w.Print1Click();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << BoxTexts().front();
  ASSERT_EQ(PdfPageCount(pdf_), 2);
  for (int i = 0; i < 2; ++i) {
    const QImage paper = PdfPage(pdf_, i + 1, dpi);
    const QImage& shown = screen[i + 1];
    ASSERT_EQ(paper.size(), shown.size());
    ASSERT_GT(InkCount(shown), 500);
    EXPECT_GT(InkCovered(shown, paper, 2), 0.97) << "printed page " << i + 1;
    EXPECT_GT(InkCovered(paper, shown, 2), 0.97) << "printed page " << i + 1;
  }
  // The comparison tells pages apart: paper page 1 is not screen page 3.
  EXPECT_LT(InkCovered(screen[2], PdfPage(pdf_, 1, dpi), 2), 0.9);
  ExpectDeviceOnScreen(w);
}

TEST_F(PrintTest, HeaderKindsFollowTheRepeatSetting) {
  const std::string log = Path("sections.tfl");
  WriteSectionLog(log, 3);
  const int dpi = 72;
  // Ink on the quarter-inch row of the rule of section 1, 2 or 0.
  auto rule = [&](const QImage& page, double fromInch, double toInch) {
    return InkIn(page, int(fromInch * dpi) + 2, dpi / 4 - 3, int(toInch * dpi) - 2, dpi / 4 + 3) >
           20;
  };
  for (const uint8_t repeat : {uint8_t{1}, uint8_t{0}}) {
    SCOPED_TRACE(repeat ? "repeated page header" : "no repeated page header");
    SystemSettings.RepeatPageHeader = repeat;
    std::filesystem::remove(pdf_);
    TKorvaleFrm& w = Window();
    w.OpenLog(log);
    ASSERT_GE(w.ScreenPages.last_page(), 2);
    QueuePrintDialog(1, 3);
    w.Print1Click();
    ASSERT_EQ(PdfPageCount(pdf_), 3);
    for (int page = 1; page <= 3; ++page) {
      const QImage paper = PdfPage(pdf_, page, dpi);
      const bool first = page == 1;
      EXPECT_EQ(rule(paper, 0.2, 2.3), first) << "page " << page;
      EXPECT_EQ(rule(paper, 3.2, 5.3), !first && repeat) << "page " << page;
      EXPECT_EQ(rule(paper, 6.2, 7.8), !first && !repeat) << "page " << page;
    }
  }
}

TEST_F(PrintTest, OnlyAPageLongerThanTheMarginAsksBeforeClipping) {
  struct Case {
    double length;
    bool asks;
  };
  for (const Case c : {Case{11.005, false}, Case{11.02, true}}) {
    SCOPED_TRACE(c.length);
    const std::string log = Path("long.tfl");
    LogSpec spec;
    spec.pageLength = c.length;
    WriteLog(log, spec);
    TKorvaleFrm& w = Window();
    // The open compares with the settings' page (no printer): keep the log's.
    platform::QueueBoxAnswer(platform::BoxAnswer::No);
    w.OpenLog(log);
    platform::ClearShownBoxes();
    ClearDialogQueue();

    platform::QueueBoxAnswer(platform::BoxAnswer::No);
    QueuePrintDialog(0, 0, QDialog::Rejected);
    w.Print1Click();
    if (c.asks) {
      ASSERT_EQ(platform::ShownBoxes().size(), 1u);
      EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
      EXPECT_EQ(platform::ShownBoxes()[0].buttons, platform::BoxButtons::YesNo);
      EXPECT_EQ(BoxTexts()[0],
                "The output size (11.02 x 8.50) is larger than the printer page (11.00 x "
                "8.50).\rThe printout will be clipped.\r\rDo you want to continue?");
      EXPECT_EQ(DialogsRun(), 0) << "No stops the command before the dialog";
      // Yes goes on to the dialog and prints the clipped page.
      platform::ClearShownBoxes();
      ClearDialogQueue();  // the dialog queued above never ran
      platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
      QueuePrintDialog(0, 0);
      w.Print1Click();
      EXPECT_EQ(platform::ShownBoxes().size(), 1u) << BoxTexts().back();
      EXPECT_EQ(DialogsRun(), 1);
      EXPECT_EQ(PdfPageCount(pdf_), 1);
    } else {
      EXPECT_TRUE(platform::ShownBoxes().empty());
      EXPECT_EQ(DialogsRun(), 1);
    }
    window_.reset();
    platform::ClearShownBoxes();
    ClearDialogQueue();
  }
}

TEST_F(PrintTest, DepthReadOutIsTheSameAfterPrinting) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.PageDownBTNClick();
  w.PageDownBTNClick();
  w.Image1MouseMove(10, 300);
  const QString depth = w.DepthEd->text();
  w.ElevationCb->setChecked(true);
  w.Image1MouseMove(10, 900);
  const QString elevation = w.DepthEd->text();

  QueuePrintDialog(1, 5);
  w.Print1Click();
  ASSERT_EQ(PdfPageCount(pdf_), 5);
  ExpectDeviceOnScreen(w);
  w.Image1MouseMove(10, 900);
  EXPECT_EQ(w.DepthEd->text(), elevation);
  w.ElevationCb->setChecked(false);
  w.Image1MouseMove(10, 300);
  EXPECT_EQ(w.DepthEd->text(), depth);
  EXPECT_EQ(PagePanel(), "3 of 5");
}

TEST_F(PrintTest, CancelConfirmedBeforeAPageEndsTheJobWithThePagesPrinted) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);

  // Cancel during page 1, confirmed when page 2 is announced.
  SetPagePrintedHookForTests([](int32_t page) {
    if (page == 0) CancelRequested = true;
  });
  platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
  QueuePrintDialog(1, 3);
  w.Print1Click();
  EXPECT_EQ(PdfPageCount(pdf_), 1) << "no blank sheet after the last page printed";
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text,
            "Are you sure that you want to cancel the current operation?");
  EXPECT_FALSE(StatusVisible());
  ExpectDeviceOnScreen(w);

  // Answering No prints on.
  platform::ClearShownBoxes();
  platform::QueueBoxAnswer(platform::BoxAnswer::No);
  QueuePrintDialog(1, 3);
  w.Print1Click();
  EXPECT_EQ(PdfPageCount(pdf_), 3);
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
}

TEST_F(PrintTest, CancelStillPendingAfterTheJobIsReportedAsAborted) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  SetPagePrintedHookForTests([](int32_t page) {
    if (page == 1) CancelRequested = true;  // after the last page
  });
  platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
  QueuePrintDialog(1, 2);
  w.Print1Click();
  EXPECT_EQ(PdfPageCount(pdf_), 2);
  const auto texts = BoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Are you sure that you want to cancel the current operation?");
  EXPECT_EQ(texts[1], "Print job aborted.");
  EXPECT_EQ(platform::ShownBoxes()[1].kind, platform::BoxKind::Warning);
}

TEST_F(PrintTest, AnErrorEndsTheJobAndTheDeviceIsBackOnTheScreen) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.PageDownBTNClick();
  w.Image1MouseMove(10, 300);
  const QString depth = w.DepthEd->text();
  // The log disappears while page 1 is printed: page 2 cannot be read.
  SetPagePrintedHookForTests([&](int32_t) { std::filesystem::remove(log); });
  QueuePrintDialog(1, 4);
  w.Print1Click();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Error);
  // The document was ended: page 1 in full, page 2 as far as it was drawn.
  ASSERT_EQ(PdfPageCount(pdf_), 2);
  EXPECT_GT(InkCount(PdfPage(pdf_, 1, 48)), 100);
  EXPECT_EQ(InkCount(PdfPage(pdf_, 2, 48)), 0);
  ExpectDeviceOnScreen(w);
  EXPECT_FALSE(StatusVisible()) << "the status window goes when the job has ended";
  w.Image1MouseMove(10, 300);
  EXPECT_EQ(w.DepthEd->text(), depth);
}

// A line too pale for the printer would vanish on paper: it prints black.
// What is too pale depends on the printer's colour mode: a grey-scale
// printer loses near-white greys and pale yellows, a colour printer only
// white itself.
TEST_F(PrintTest, PaleLinesPrintBlackByThePrintersColourMode) {
  const std::string log = Path("pale.tfl");
  {
    tfl::TflWriter writer(log, HeaderFor(LogSpec{}));
    // Rules 1, 2 and 3 inches below the top of the body.
    const int32_t colours[] = {0xFAFAFA, 0xDCFFFF /* pale yellow */, 0xFFFFFF};
    for (int k = 0; k < 3; ++k) {
      writer.write(tfl::ColorRecord{colours[k]});
      const double y = 400 - 100 * k;
      writer.write(tfl::VectorRecord{.x1 = 0, .y1 = y, .z1 = 0, .x2 = 8, .y2 = y, .z2 = 0});
    }
  }
  for (const auto mode : {QPrinter::GrayScale, QPrinter::Color}) {
    SCOPED_TRACE(mode == QPrinter::GrayScale ? "grey-scale printer" : "colour printer");
    PrintToPdf(pdf_, 150);
    viewer::CurrentPrinter().setColorMode(mode);
    TKorvaleFrm& w = Window();
    w.OpenLog(log);
    QueuePrintDialog(0, 0);
    w.Print1Click();
    ASSERT_EQ(PdfPageCount(pdf_), 1);
    const QImage paper = PdfPage(pdf_, 1, 150);
    auto blackRule = [&](int inch) { return InkIn(paper, 10, inch * 150 - 2, 1000, inch * 150 + 2) > 500; };
    EXPECT_EQ(blackRule(1), mode == QPrinter::GrayScale) << "near-white grey";
    EXPECT_EQ(blackRule(2), mode == QPrinter::GrayScale) << "pale yellow";
    EXPECT_TRUE(blackRule(3)) << "white";
    window_.reset();
  }
}

TEST_F(PrintTest, StatusLinesNameEachPage) {
  const std::string log = Path("five.tfl");
  WriteRuledLog(log, 5);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  std::string memo;
  SetPagePrintedHookForTests([&](int32_t) { memo = StatusMemoText(); });
  QueuePrintDialog(4, 5);
  w.Print1Click();
  EXPECT_NE(memo.find("Printing page 4..."), std::string::npos) << memo;
  EXPECT_NE(memo.find("   Done printing page 4"), std::string::npos) << memo;
  EXPECT_NE(memo.find("Printing page 5..."), std::string::npos) << memo;
  EXPECT_EQ(memo.find("Printing page 3..."), std::string::npos) << memo;
  EXPECT_FALSE(StatusVisible()) << "hidden when the job has ended";
}

}  // namespace

// File > Export through the real pages dialog (the file chooser replaced):
// PNG pages equal, pixel for pixel, to korvale-render's for the same pages
// and resolution; a name without %d numbers the pages; SVG one file a page.
TEST_F(ViewerTest, ExportedPngPagesEqualKorvaleRendersAndSvgHasOneFileAPage) {
  const std::string render = testfiles::BinDir() + "/korvale-render";
  if (!std::filesystem::exists(render)) GTEST_SKIP() << "korvale-render is not built";
  const std::string log = Path("export.tfl");
  LogSpec spec;
  spec.span = SpanForPages(3);
  spec.paged = 0;
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  ASSERT_EQ(w.ScreenPages.page_count(), 3);
  const auto exportAs = [&](const std::string& name, auto choose) {
    w.ExportDlg = [&] { return name; };
    QueueDialog([&](QDialog& d) {
      choose(dynamic_cast<TExportDLG&>(d));
      return int(QDialog::Accepted);
    });
    w.Export1Click();
  };
  exportAs(Path("view.png"), [](TExportDLG& d) {
    d.FromSE->setValue(2);
    d.ToSE->setValue(3);
    d.DpiSE->setValue(120);
  });
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
  EXPECT_FALSE(std::filesystem::exists(Path("view-1.png")));
  const LibraryPaths libraries = LibraryPathsFromSettings();
  QProcess run;
  run.start(QString::fromStdString(render),
            {"--pages", "2-3", "--dpi", "120", "--patterns",
             QString::fromStdString(libraries.pattern), "--symbols",
             QString::fromStdString(libraries.symbol), "-o",
             QString::fromStdString(Path("cli-%d.png")), QString::fromStdString(log)});
  ASSERT_TRUE(run.waitForFinished(60000));
  ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
  for (const int page : {2, 3}) {
    const QImage viewer(QString::fromStdString(Path("view-" + std::to_string(page) + ".png")));
    const QImage cli(QString::fromStdString(Path("cli-" + std::to_string(page) + ".png")));
    ASSERT_FALSE(viewer.isNull()) << page;
    EXPECT_EQ(viewer.size(), QSize(std::lround(8.5 * 120), std::lround(11.0 * 120)));
    EXPECT_EQ(viewer.convertToFormat(QImage::Format_RGB32), cli.convertToFormat(QImage::Format_RGB32))
        << page;
  }
  // The current page (2) as SVG; an unknown suffix is refused.
  w.PageDownBTNClick();
  exportAs(Path("page.svg"), [](TExportDLG&) {});
  EXPECT_TRUE(std::filesystem::exists(Path("page.svg")));
  exportAs(Path("page.jpg"), [](TExportDLG& d) { d.AllRB->setChecked(true); });
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_NE(platform::ShownBoxes().front().text.find(".png, .pdf or .svg"), std::string::npos);
}
