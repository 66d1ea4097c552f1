// The page-size question while opening, the page setup it may raise and the
// header rewrite that follows.
#include <QImage>
#include <QPrinterInfo>
#include <QPushButton>
#include <cmath>
#include <cstring>
#include <unistd.h>

#include <filesystem>

#include "PrintTestSupport.h"
#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "core/LogHeader.h"
#include "viewer/PageGeometry.h"
#include "viewer/PageImage.h"
#include "viewer/PageSetup.h"
#include "viewer/PrinterAccess.h"
#include "viewer/Rerror.h"
#include "windows/DefaultPrinter.h"

#include <QLabel>

using namespace viewertest;
using platform::BoxAnswer;

namespace {

const char* kQuestion =
    "The Log and Printer Page Size do not match.\r\rDo you want to adjust the Log Page Size?";

// The program's current printer: letter paper, printable to the edges
// (writing PDF into dir).
void UseLetterPrinter(const std::string& pdf, double margin = 0) {
  viewer::SetPrintersInstalledForTests(true);
  printtest::PrintToPdf(pdf, 300, 8.5, 11.0, margin);
}

// Runs the page setup as the user would: types length and width, presses OK.
std::function<int(QDialog&)> PageSetupOk(double length, double width) {
  return [=](QDialog& d) {
    auto& dialog = dynamic_cast<TPageSetupFrm&>(d);
    dialog.PageLengthRe->setValue(length);
    dialog.PageWidthRe->setValue(width);
    dialog.OKBtn->click();
    return dialog.result();
  };
}

// A log whose page is the printer's page (the settings' page, no printer),
// so that no question comes before the bitmap.
void WriteLogOfThePrinterPage(const std::string& path, double length, double width) {
  SystemSettings.PageLength = length;
  SystemSettings.PageWidth = width;
  LogSpec spec;
  spec.pageLength = length;
  spec.pageWidth = width;
  WriteLog(path, spec);
}

tfl::Header HeaderInFile(const std::vector<unsigned char>& bytes) {
  tfl::Header h{};
  std::memcpy(&h, bytes.data() + 4, sizeof h);
  return h;
}

}  // namespace

TEST_F(ViewerTest, SizesWithinAHundredthRaiseNoQuestion) {
  const std::string log = Path("close.tfl");
  LogSpec spec;
  spec.pageLength = 11.0 + 0.0099;
  spec.pageWidth = 8.5 - 0.0099;
  WriteLog(log, spec);
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(DialogsRun(), 0);
}

// No or Cancel keeps the log's page size: the page image takes it, so the
// whole page is shown (and the file is not touched).
TEST_F(ViewerTest, AnsweringNoOrCancelShowsTheWholeLogPage) {
  const std::string log = Path("bigger.tfl");
  LogSpec spec;
  spec.pageLength = 11.02;
  spec.pageWidth = 9.0;
  WriteLog(log, spec);
  const auto original = testfiles::ReadAll(log);
  TKorvaleFrm& w = Window();
  const int dpi = ScreenPixelsPerInch();
  for (BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Cancel}) {
    platform::ClearShownBoxes();
    platform::QueueBoxAnswer(answer);
    w.OpenLog(log);
    ASSERT_EQ(platform::ShownBoxes().size(), 1u);
    EXPECT_EQ(platform::ShownBoxes()[0].text, kQuestion);
    EXPECT_EQ(platform::ShownBoxes()[0].buttons, platform::BoxButtons::YesNoCancel);
    EXPECT_EQ(DialogsRun(), 0);
    EXPECT_EQ(w.PageBitmap.size(), QSize(std::lround(dpi * 9.0), std::lround(dpi * 11.02)));
    EXPECT_EQ(PagePanel(), "1 of 1");
    // The diagonal starts at the top left of the body.
    const QImage page = w.PageBitmap.convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(page.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
  }
  EXPECT_EQ(testfiles::ReadAll(log), original);
}

// File > Page Setup... gives the log shown a new page size at any time: the
// header in the file, the page image and the page count follow, and the page
// shown stays. Without a log it sets the default page size; Cancel changes
// nothing.
TEST_F(ViewerTest, PageSetupFromTheFileMenuGivesTheShownLogItsNewSize) {
  UseLetterPrinter(Path("printer.pdf"));
  TKorvaleFrm& w = Window();
  QueueDialog(PageSetupOk(10.0, 8.0));
  w.PageSetup1->trigger();
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 10.0);
  EXPECT_DOUBLE_EQ(SystemSettings.PageWidth, 8.0);

  const std::string log = Path("resized.tfl");
  LogSpec spec;
  spec.span = SpanForPages(3);
  spec.pageLength = 11.0;
  spec.pageWidth = 8.5;
  WriteLog(log, spec);
  w.OpenLog(log);
  ASSERT_EQ(w.ScreenPages.page_count(), 3);
  w.PageDownBTNClick();
  const auto before = testfiles::ReadAll(log);

  platform::ClearShownBoxes();
  QueueDialog([](QDialog&) { return int(QDialog::Rejected); });
  w.PageSetup1->trigger();
  EXPECT_EQ(testfiles::ReadAll(log), before);

  QueueDialog(PageSetupOk(5.5, 8.0));
  w.PageSetup1->trigger();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
  const tfl::Header written = HeaderInFile(testfiles::ReadAll(log));
  EXPECT_DOUBLE_EQ(written.page_height, 5.5);
  EXPECT_DOUBLE_EQ(written.page_width, 8.0);
  const int dpi = ScreenPixelsPerInch();
  EXPECT_EQ(w.PageBitmap.size(), QSize(std::lround(dpi * 8.0), std::lround(dpi * 5.5)));
  EXPECT_EQ(w.ScreenPages.page_count(), 6) << "twice the pages at half the length";
  EXPECT_EQ(w.CurrentPage, 1);
}

TEST_F(ViewerTest, YesAndOkRewritesOnlyTheHeaderBlock) {
  const std::string log = Path("adjust.tfl");
  LogSpec spec;
  spec.pageLength = 14.0;
  spec.pageWidth = 8.5;
  WriteLog(log, spec);
  const auto before = testfiles::ReadAll(log);
  UseLetterPrinter(Path("printer.pdf"));

  TKorvaleFrm& w = Window();
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog(PageSetupOk(10.0, 8.0));
  w.OpenLog(log);

  const auto after = testfiles::ReadAll(log);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    if (i >= 4 && i < 4 + sizeof(tfl::Header)) continue;
    ASSERT_EQ(after[i], before[i]) << "byte " << i << " outside the header block changed";
  }
  tfl::Header expected = HeaderFor(spec);
  expected.page_height = 10.0;
  expected.page_width = 8.0;
  const tfl::Header written = HeaderInFile(after);
  EXPECT_EQ(std::memcmp(&written, &expected, sizeof expected), 0);

  // The page is shown in the new size, and the size became the default.
  const int dpi = ScreenPixelsPerInch();
  EXPECT_EQ(w.PageBitmap.height(), std::lround(dpi * 10.0));
  EXPECT_EQ(w.PageBitmap.width(), std::lround(dpi * 8.0));
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 10.0);
  EXPECT_DOUBLE_EQ(SystemSettings.PageWidth, 8.0);
  EXPECT_EQ(PagePanel(), "1 of 1");
}

TEST_F(ViewerTest, CancelInPageSetupChangesNothingAndGoesOn) {
  const std::string log = Path("cancel.tfl");
  LogSpec spec;
  spec.pageLength = 14.0;
  WriteLog(log, spec);
  const auto before = testfiles::ReadAll(log);
  UseLetterPrinter(Path("printer.pdf"));
  TKorvaleFrm& w = Window();
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog([](QDialog&) { return int(QDialog::Rejected); });
  w.OpenLog(log);
  EXPECT_EQ(testfiles::ReadAll(log), before);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 11.0);
  // The bitmap takes the log's own page size.
  EXPECT_EQ(w.PageBitmap.height(), std::lround(ScreenPixelsPerInch() * 14.0));
  EXPECT_FALSE(w.NoDocument);
}

TEST_F(ViewerTest, ReadOnlyLogReportsTheErrorAndChangesNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only file stays writable";
  const std::string log = Path("readonly.tfl");
  LogSpec spec;
  spec.pageLength = 14.0;
  WriteLog(log, spec);
  std::filesystem::permissions(log, std::filesystem::perms::owner_read);
  const auto before = testfiles::ReadAll(log);
  UseLetterPrinter(Path("printer.pdf"));
  TKorvaleFrm& w = Window();
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog(PageSetupOk(10.0, 8.0));
  w.OpenLog(log);
  EXPECT_EQ(testfiles::ReadAll(log), before);
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[1].kind, platform::BoxKind::Error);
  EXPECT_TRUE(w.NoDocument);
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - UNTITLED");
}

// The same failure as a read-only file, reachable also as root: the log
// disappears while the page setup dialog is open.
TEST_F(ViewerTest, LogThatCannotBeOpenedForWritingAbandonsTheOpen) {
  const std::string shown = Path("shown.tfl");
  LogSpec five;
  five.span = SpanForPages(5);
  WriteLog(shown, five);
  const std::string log = Path("vanishing.tfl");
  LogSpec spec;
  spec.pageLength = 14.0;
  WriteLog(log, spec);
  UseLetterPrinter(Path("printer.pdf"));

  TKorvaleFrm& w = Window();
  w.OpenLog(shown);
  w.PageDownBTNClick();
  w.PageDownBTNClick();
  const QSize shownSize = w.PageBitmap.size();
  platform::ClearShownBoxes();
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog([&](QDialog& d) {
    std::filesystem::remove(log);
    return PageSetupOk(10.0, 8.0)(d);
  });
  w.OpenLog(log);
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[1].kind, platform::BoxKind::Error);
  EXPECT_NE(platform::ShownBoxes()[1].text.find(log), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(log)) << "nothing may create the file";
  // The window still shows the log it showed, on the page it showed.
  EXPECT_EQ(w.FileName, shown);
  EXPECT_EQ(PagePanel(), "3 of 5");
  EXPECT_EQ(w.PageBitmap.size(), shownSize);
  EXPECT_DOUBLE_EQ(w.Document->header().page_height, 11.0);
  w.PageDownBTNClick();
  EXPECT_EQ(PagePanel(), "4 of 5");
}

TEST(HeaderRewrite, WritesTheBlockAtOffsetFourOnly) {
  testfiles::TempDir dir;
  const std::string log = dir.file("h.tfl");
  viewertest::WriteLog(log, viewertest::LogSpec{});
  auto before = testfiles::ReadAll(log);
  tfl::Header h = viewertest::HeaderFor(viewertest::LogSpec{});
  h.page_height = 7.25;
  const auto result = RewriteHeaderBlock(log, h);
  ASSERT_EQ(result.status, HeaderRewriteResult::Ok) << result.message;
  auto after = testfiles::ReadAll(log);
  ASSERT_EQ(after.size(), before.size());
  std::memcpy(before.data() + 4, &h, sizeof h);
  EXPECT_EQ(after, before);
}

TEST(HeaderRewrite, ShortOrMissingFilesAreRefusedUntouched) {
  testfiles::TempDir dir;
  const std::string shortFile = dir.file("short.tfl");
  const std::vector<unsigned char> bytes(60, 0xAB);
  testfiles::WriteAll(shortFile, bytes);
  const tfl::Header h = viewertest::HeaderFor(viewertest::LogSpec{});
  EXPECT_EQ(RewriteHeaderBlock(shortFile, h).status,
            HeaderRewriteResult::WriteFailed);
  EXPECT_EQ(testfiles::ReadAll(shortFile), bytes) << "a short file is not extended";

  const std::string missing = dir.file("missing.tfl");
  const auto result = RewriteHeaderBlock(missing, h);
  EXPECT_EQ(result.status, HeaderRewriteResult::OpenFailed);
  EXPECT_FALSE(result.message.empty());
  EXPECT_FALSE(std::filesystem::exists(missing));
}

// A page needing a side beyond the longest page image the viewer makes is
// refused like any other unusable page size: no memory would help.
TEST_F(ViewerTest, PageWithASideOverTheBitmapLimitIsRefusedAndTheViewerStaysOpen) {
  TKorvaleFrm& w = Window();
  w.show();
  const std::string shown = Path("shown.tfl");
  WriteLog(shown, LogSpec{});
  w.OpenLog(shown);
  const QSize before = w.PageBitmap.size();
  const std::string log = Path("huge.tfl");
  WriteLogOfThePrinterPage(log, 400.0, 300.0);
  platform::ClearShownBoxes();
  w.OpenLog(log);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  EXPECT_EQ(platform::ShownBoxes()[0].text,
            "The page size of " + log +
                " is not usable.\rA page of 400.00 x 300.00 inches needs a page image of more "
                "than 32767 pixels a side.");
  EXPECT_EQ(DialogsRun(), 0) << "no resource box";
  EXPECT_TRUE(w.isVisible()) << "the viewer stays open";
  EXPECT_EQ(w.PageBitmap.size(), before);
}

// A page within the side limit that memory cannot hold, even at 16 colours:
// the resource box describes the printer page, then the program ends.
TEST_F(ViewerTest, PageTooLargeForMemoryShowsTheResourceWarningAndCloses) {
  TKorvaleFrm& w = Window();
  w.show();
  const QSize before = w.PageBitmap.size();
  viewer::SetBitmapByteLimitForTests(1 << 20);  // a machine short of memory
  const std::string log = Path("large.tfl");
  WriteLogOfThePrinterPage(log, 40.0, 30.0);

  QString size, colors, memory;
  QueueDialog([&](QDialog& d) {
    auto& box = dynamic_cast<TResourceBox&>(d);
    EXPECT_EQ(box.windowTitle(), "Korvale - Insufficient Resources");
    size = box.SizeLBL->text();
    colors = box.ColorLBL->text();
    memory = box.ReqMem->text();
    return int(QDialog::Accepted);
  });
  w.OpenLog(log);

  const int64_t dpi = ScreenPixelsPerInch();
  const int64_t kb = (dpi * 30 * dpi * 40 * 4) / 1024;
  EXPECT_EQ(size.toStdString(), "Page Size: 30.00 x 40.00");
  EXPECT_EQ(colors.toStdString(), "Screen colors: 4294967296");
  EXPECT_EQ(memory.toStdString(), "Required Memory: " + std::to_string(kb) + "k");
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[0].text,
            "Low on resources. Reducing the number of colors to display.");
  EXPECT_EQ(platform::ShownBoxes()[1].text, "Our of resources for creating the view screen.");
  EXPECT_FALSE(w.isVisible()) << "the main window closes";
  EXPECT_EQ(w.PageBitmap.size(), before) << "the old bitmap is never half replaced";
}

// Once reduced to 16 colours the page image is sized at its own two bytes a
// pixel: a page that fits so raises no new warning.
TEST_F(ViewerTest, ReducedBitmapIsSizedAtItsOwnBytesPerPixel) {
  TKorvaleFrm& w = Window();
  const int64_t dpi = ScreenPixelsPerInch();
  // Room for a letter page at two bytes a pixel, not at four.
  viewer::SetBitmapByteLimitForTests(std::lround(dpi * 8.5) * std::lround(dpi * 11.0) * 3);
  const std::string narrower = Path("narrower.tfl"), shorter = Path("shorter.tfl");
  LogSpec spec;
  spec.pageWidth = 8.4;
  WriteLog(narrower, spec);
  spec.pageLength = 10.9;
  WriteLog(shorter, spec);

  platform::QueueBoxAnswer(BoxAnswer::No);  // keep the log's page size
  w.OpenLog(narrower);
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[1].text,
            "Low on resources. Reducing the number of colors to display.");
  EXPECT_EQ(w.PageBitmap.format(), QImage::Format_RGB444);
  EXPECT_EQ(w.PageBitmap.width(), std::lround(dpi * 8.4));

  platform::ClearShownBoxes();
  platform::QueueBoxAnswer(BoxAnswer::No);
  w.OpenLog(shorter);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u) << platform::ShownBoxes().back().text;
  EXPECT_EQ(platform::ShownBoxes()[0].text, kQuestion);
  EXPECT_EQ(w.PageBitmap.format(), QImage::Format_RGB444);
  EXPECT_EQ(w.PageBitmap.height(), std::lround(dpi * 10.9));
}

// Hostile headers: every failure is reported, nothing hangs or crashes, and
// the window ends in a state that matches what it shows.
TEST_F(ViewerTest, HostileHeaderValuesAreReportedNotFatal) {
  TKorvaleFrm& w = Window();
  const QSize bitmap = w.PageBitmap.size();

  struct Case {
    const char* name;
    std::function<void(tfl::Header&)> spoil;
    bool reported;  // whether the user hears of it (a negative section is just absent)
  };
  const Case cases[] = {
      {"nan page length", [](tfl::Header& h) { h.page_height = std::nan(""); }, true},
      {"infinite span", [](tfl::Header& h) { h.y_max = INFINITY; }, true},
      {"zero y units", [](tfl::Header& h) { h.y_units_per_inch = 0; }, true},
      {"huge span", [](tfl::Header& h) { h.y_max = 1e300; }, true},
      {"negative sections", [](tfl::Header& h) { h.first_header_height = -1e300; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = Path(std::string(c.name) + ".tfl");
    tfl::Header h = HeaderFor(LogSpec{});
    c.spoil(h);
    {
      tfl::TflWriter writer(log, h);
      tfl::VectorRecord line{};
      line.x2 = 8;
      line.y1 = 100;
      writer.write(line);
    }
    platform::ClearShownBoxes();
    w.OpenLog(log);  // any question is answered with its default (Cancel)
    EXPECT_EQ(!platform::ShownBoxes().empty(), c.reported);
    EXPECT_FALSE(w.NoDocument);
    const std::string panel = PagePanel();
    EXPECT_EQ(panel.substr(0, 5), "1 of ") << panel;
    EXPECT_EQ(w.PageBitmap.size(), bitmap);
    w.Image1MouseMove(3, 3);  // any value, as long as it is no crash
    w.PageDownBTNClick();
  }
}

TEST_F(ViewerTest, UnusablePageSizeKeepsTheBitmapAndSaysSo) {
  TKorvaleFrm& w = Window();
  const QSize bitmap = w.PageBitmap.size();
  SystemSettings.PageWidth = 0;  // the "printer" page matches the log's
  const std::string log = Path("zero.tfl");
  LogSpec spec;
  spec.pageWidth = 0;
  WriteLog(log, spec);
  w.OpenLog(log);
  ASSERT_FALSE(platform::ShownBoxes().empty());
  EXPECT_NE(platform::ShownBoxes()[0].text.find("is not usable"), std::string::npos);
  EXPECT_EQ(w.PageBitmap.size(), bitmap);
}

// Page setup, the page-size check and printing read one printer, the
// program's current printer, in its current orientation: a page set to the
// printable area in landscape is accepted at the next open and prints
// without the clipping question.
TEST_F(ViewerTest, LandscapePageFromPageSetupMatchesAtTheNextOpenAndInPrint) {
  UseLetterPrinter(Path("printer.pdf"), 0.25);  // 8 x 10.5 inches printable
  SystemSettings.PageOrientation = 1;
  const std::string log = Path("letter.tfl");
  WriteLog(log, LogSpec{});
  TKorvaleFrm& w = Window();
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog([](QDialog& d) {
    auto& dialog = dynamic_cast<TPageSetupFrm&>(d);
    EXPECT_EQ(dialog.PrintLength->text(), "Printable Length = 8.00\"");
    dialog.Default->click();
    dialog.OKBtn->click();
    return dialog.result();
  });
  w.OpenLog(log);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u) << platform::ShownBoxes().back().text;
  EXPECT_EQ(platform::ShownBoxes()[0].text, kQuestion);
  EXPECT_EQ(SystemSettings.PageOrientation, 1);
  EXPECT_DOUBLE_EQ(w.Document->header().page_height, 8.0);
  EXPECT_DOUBLE_EQ(w.Document->header().page_width, 10.5);

  platform::ClearShownBoxes();
  w.OpenLog(log);
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "no question at the next open";
  QueueDialog([](QDialog&) { return int(QDialog::Rejected); });  // the print dialog
  w.Print1Click();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "no clipping question";
}

// Through this machine's own printer list (no printers here): fresh settings
// take the page "Set Default Size" gives there; a log of that page opens
// without a question, a letter page asks.
TEST_F(ViewerTest, WithoutAPrinterTheDefaultPageOpensWithoutAQuestion) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has printers";
  viewer::SetPrintersInstalledForTests(std::nullopt);
  InstallDefaultPrinterQuery();
  SetSystemDefaults();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  const std::string fitting = Path("fitting.tfl"), letter = Path("letter.tfl");
  LogSpec spec;
  spec.pageLength = 10.5;
  spec.pageWidth = 8.0;
  WriteLog(fitting, spec);
  WriteLog(letter, LogSpec{});

  TKorvaleFrm& w = Window();
  w.OpenLog(fitting);
  EXPECT_TRUE(platform::ShownBoxes().empty()) << platform::ShownBoxes().front().text;
  platform::QueueBoxAnswer(BoxAnswer::No);
  w.OpenLog(letter);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, kQuestion);
}
