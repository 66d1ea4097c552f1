// The program on a machine whose default printer is a CUPS queue of the
// cups-pdf backend, A4 by default: the real QPrinterInfo, QPrinter and
// scheduler of the run's private print system (PrivatePrintSystem.h). The
// start-up takes the queue's page, a letter log asks to be adjusted to it,
// the demo prints on it as korvale-render draws it, a queue that cannot
// print is reported, and Cancel in the status window ends the job.
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <cups/cups.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "PrintTestSupport.h"
#include "PrivatePrintSystem.h"
#include "TestFiles.h"
#include "ViewerFixture.h"
#include "devices/PrintPages.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/PageSetup.h"
#include "viewer/PrinterAccess.h"
#include "windows/DefaultPrinter.h"
#include "windows/StatusWin.h"

namespace fs = std::filesystem;
using namespace viewertest;
using namespace printtest;
using platform::BoxAnswer;

namespace {

constexpr const char* kSizeQuestion =
    "The Log and Printer Page Size do not match.\r\rDo you want to adjust the Log Page Size?";
constexpr const char* kCancelQuestion =
    "Are you sure that you want to cancel the current operation?";
// How long a job may take through the scheduler's filters and the backend.
constexpr int kJobSeconds = 180;

// A page size in inches, as Qt knows it (not as the program works it out).
QSizeF Inches(QPageSize::PageSizeId id) { return QPageSize(id).size(QPageSize::Inch); }

// The size of every page of a PDF file in points, as pdfinfo reads it.
std::vector<QSizeF> PdfPageSizes(const std::string& pdf) {
  QProcess p;
  p.start("pdfinfo", {"-f", "1", "-l", "1000", QString::fromStdString(pdf)});
  std::vector<QSizeF> sizes;
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return sizes;
  const QRegularExpression line(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
  auto it = line.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
  while (it.hasNext()) {
    const auto m = it.next();
    sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
  }
  return sizes;
}

class RealPrinter : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    system_ = printsystem::Current();
    if (!system_ || !system_->running())
      GTEST_SKIP() << "no private print system: "
                   << (system_ ? system_->why_not() : "the test program did not start one");
    ASSERT_TRUE(system_->Reset()) << system_->why_not();
    if (!PopplerAvailable()) GTEST_SKIP() << "pdfinfo and pdftoppm are not installed";
    // The program as it runs: the printer list and default printer of the
    // system (here the private one).
    viewer::SetPrintersInstalledForTests(std::nullopt);
    viewer::ResetCurrentPrinterForTests();
    InstallDefaultPrinterQuery();
    // The program folder holds the libraries, so that the window draws
    // patterns and symbols, and korvale-render copied beside it reads the
    // same settings file.
    for (const char* name : {"Zelmorth.Pat", "Zelmorth.Sym", "VESK.ERR"})
      if (fs::exists(testfiles::BinDir() + "/" + name))
        fs::copy_file(testfiles::BinDir() + "/" + name, Path(name));
  }
  void TearDown() override {
    SetPagePrintedHookForTests(nullptr);
    CancelRequested = false;
    ViewerTest::TearDown();
    viewer::ResetCurrentPrinterForTests();
  }

  // The demo log and its picture, copied into the scratch folder (the
  // program never writes the build's own copy); "" when it was not built.
  std::string CopyDemo() {
    for (const char* name : {"sample.tfl", "core-photo.jpg"}) {
      const std::string from = testfiles::BinDir() + "/" + name;
      if (!fs::exists(from)) return {};
      fs::copy_file(from, Path(name), fs::copy_options::overwrite_existing);
    }
    return Path("sample.tfl");
  }

  // Opens a log whose page is not the queue's, keeping its page size.
  TKorvaleFrm& OpenKeepingItsPage(const std::string& log) {
    TKorvaleFrm& w = Window();
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    platform::QueueBoxAnswer(BoxAnswer::No);
    w.OpenLog(log);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSizeQuestion});
    platform::ClearShownBoxes();
    return w;
  }

  // Queues the print dialog: notes the printer it names, chooses pages
  // from..to and prints.
  void QueuePrintDialog(int from, int to) {
    QueueDialog([this, from, to](QDialog& d) {
      auto* dialog = dynamic_cast<QPrintDialog*>(&d);
      EXPECT_NE(dialog, nullptr) << "the print command runs a print dialog";
      if (!dialog) return int(QDialog::Rejected);
      dialogPrinter_ = dialog->printer()->printerName().toStdString();
      dialog->setFromTo(from, to);
      return int(QDialog::Accepted);
    });
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::ShownBoxes()) texts.push_back(box.text);
    return texts;
  }

  // The window takes commands again: enabled, the status window gone, and
  // paging works.
  void ExpectUsable(TKorvaleFrm& w) {
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(StatusVisible());
    const std::string before = PagePanel();
    w.PageDownBTNClick();
    EXPECT_NE(PagePanel(), before) << "paging after the print command";
    w.PageUpBTNClick();
    EXPECT_EQ(PagePanel(), before);
  }

  printsystem::PrivatePrintSystem* system_ = nullptr;
  std::string dialogPrinter_;
};

// What a start of the korvale program wrote into its fresh settings file.
struct Started {
  int exitCode = -1;
  std::string errors;
  TSystemSettings settings{};
};

// Starts a copy of the korvale program in `folder` with fresh settings, to
// end after start-up, with this process's print system.
Started StartProgram(const std::string& folder) {
  const std::string program = folder + "/korvale";
  if (!fs::exists(program)) {
    fs::create_directories(folder + "/home");
    fs::create_directories(folder + "/run");
    chmod((folder + "/run").c_str(), 0700);
    fs::copy_file(testfiles::BinDir() + "/korvale", program);
    for (const char* name : {"Zelmorth.Pat", "Zelmorth.Sym", "VESK.ERR"})
      fs::copy_file(testfiles::BinDir() + "/" + name, folder + "/" + name);
  }
  fs::remove(folder + "/korvale.Cn2");
  const std::string command =
      "cd '" + folder + "' && env -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME='" + folder +
      "/home' XDG_RUNTIME_DIR='" + folder +
      "/run' QT_QPA_PLATFORM=offscreen KORVALE_EXIT_AFTER_STARTUP=1 timeout 60 ./korvale "
      "> /dev/null 2> errors.txt";
  Started run;
  const int status = std::system(command.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream errors(folder + "/errors.txt");
  std::stringstream text;
  text << errors.rdbuf();
  run.errors = text.str();
  const auto bytes = testfiles::ReadAll(folder + "/korvale.Cn2");
  if (bytes.size() == sizeof run.settings) std::memcpy(&run.settings, bytes.data(), bytes.size());
  return run;
}

}  // namespace

// Fresh settings take the default printer's printable page, without the
// "No default printer" warning, and the program's printer (page setup, the
// page-size check, printing) the queue's paper; after the queue's default
// paper changes, the next start takes the new one.
TEST_F(RealPrinter, StartUpAndTheProgramsPrinterTakeTheQueuesDefaultPaper) {
  if (!fs::exists(testfiles::BinDir() + "/korvale")) GTEST_SKIP() << "korvale is not built";
  struct Case {
    const char* ppdName;
    QPageSize::PageSizeId paper;
  };
  std::vector<double> widths;
  for (const Case c : {Case{"A4", QPageSize::A4}, Case{"Letter", QPageSize::Letter}}) {
    SCOPED_TRACE(c.ppdName);
    if (c.paper != QPageSize::A4) {
      ASSERT_TRUE(system_->SetDefaultPageSize(c.ppdName)) << system_->last_output();
    }
    const Started run = StartProgram(Path("program"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors.find("No default printer"), std::string::npos) << run.errors;
    // The printable page lies within the paper, less at most small margins.
    const QSizeF paper = Inches(c.paper);
    EXPECT_LE(run.settings.PageWidth, paper.width() + 1e-6);
    EXPECT_GT(run.settings.PageWidth, paper.width() - 0.5);
    EXPECT_LE(run.settings.PageLength, paper.height() + 1e-6);
    EXPECT_GT(run.settings.PageLength, paper.height() - 0.5);
    widths.push_back(run.settings.PageWidth);

    viewer::ResetCurrentPrinterForTests();  // as in a new run of the viewer
    const auto current = viewer::CurrentPrinterPage();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->name, system_->queue());
    EXPECT_NEAR(current->paperWidth, paper.width(), 0.01);
    EXPECT_NEAR(current->paperHeight, paper.height(), 0.01);
  }
  ASSERT_EQ(widths.size(), 2u);
  EXPECT_GT(std::abs(widths[0] - widths[1]), 0.1) << "the page follows the queue's paper";
}

// A letter log opened on the A4 queue asks to adjust its page; Yes, then
// "Set Default Size" and OK in the page setup dialog write the queue's
// printable page into the log's header and nothing else. The log then opens
// and prints on the queue without a question.
TEST_F(RealPrinter, LetterLogOnTheA4QueueTakesTheQueuesPageFromPageSetup) {
  const std::string log = Path("letter.tfl");
  LogSpec spec;  // 11 x 8.5 inches
  WriteLog(log, spec);
  const auto before = testfiles::ReadAll(log);

  TKorvaleFrm& w = Window();
  QString printer, paper;
  double length = 0, width = 0;
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  QueueDialog([&](QDialog& d) {
    auto& dialog = dynamic_cast<TPageSetupFrm&>(d);
    printer = dialog.PrinterLbl->text();
    paper = dialog.Page->text();
    dialog.Default->click();
    length = dialog.PageLengthRe->value();
    width = dialog.PageWidthRe->value();
    dialog.OKBtn->click();
    return dialog.result();
  });
  w.OpenLog(log);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kSizeQuestion});
  ASSERT_EQ(DialogsRun(), 1) << "page setup ran";
  EXPECT_EQ(printer.toStdString(), system_->queue());
  const QSizeF a4 = Inches(QPageSize::A4);
  EXPECT_EQ(paper, QString::asprintf("Page = %.2f\" x %.2f\"", a4.height(), a4.width()));
  EXPECT_GT(length, a4.height() - 0.5);
  EXPECT_LE(length, a4.height());
  EXPECT_GT(width, a4.width() - 0.5);
  EXPECT_LE(width, a4.width());

  const auto after = testfiles::ReadAll(log);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    if (i >= 4 && i < 4 + sizeof(tfl::Header)) continue;
    ASSERT_EQ(after[i], before[i]) << "byte " << i << " outside the header block changed";
  }
  tfl::Header written{};
  std::memcpy(&written, after.data() + 4, sizeof written);
  tfl::Header expected = HeaderFor(spec);
  expected.page_height = length;
  expected.page_width = width;
  EXPECT_EQ(std::memcmp(&written, &expected, sizeof expected), 0)
      << "only the page size changed: " << written.page_height << " x " << written.page_width;

  platform::ClearShownBoxes();
  ClearDialogQueue();
  w.OpenLog(log);
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "the queue's page is no mismatch";
  QueueDialog([](QDialog&) { return int(QDialog::Rejected); });
  w.Print1Click();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "no clipping on the queue's own page";
  EXPECT_EQ(DialogsRun(), 1) << "the print dialog ran";
}

// Pages 2 to 4 of the demo (8 x 10.5 inches, a hundredth wider than the A4
// queue's printable width, so printing asks first) become one job whose
// output has three A4 pages, each the page korvale-render prints at the
// printer's resolution.
TEST_F(RealPrinter, DemoPagesTwoToFourPrintAsKorvaleRenderPrintsThem) {
  const std::string render = testfiles::BinDir() + "/korvale-render";
  if (!fs::exists(render)) GTEST_SKIP() << "korvale-render is not built";
  const std::string log = CopyDemo();
  if (log.empty()) GTEST_SKIP() << "the demo log is not built";
  TKorvaleFrm& w = OpenKeepingItsPage(log);
  ASSERT_EQ(PagePanel(), "1 of 6");
  const auto logBytes = testfiles::ReadAll(log);

  const QPrinter& printer = viewer::CurrentPrinter();
  const QRectF points = printer.pageLayout().paintRect(QPageLayout::Point);
  const QRectF printable(points.topLeft() / 72.0, points.size() / 72.0);  // inches
  platform::QueueBoxAnswer(BoxAnswer::Yes);  // print the clipped pages
  QueuePrintDialog(2, 4);
  w.Print1Click();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u) << BoxTexts().back();
  EXPECT_EQ(BoxTexts()[0],
            QString::asprintf("The output size (10.50 x 8.00) is larger than the printer page "
                              "(%.2f x %.2f).",
                              printable.height(), printable.width())
                    .toStdString() +
                "\rThe printout will be clipped.\r\rDo you want to continue?");
  EXPECT_EQ(dialogPrinter_, system_->queue()) << "the print dialog names the queue";
  ASSERT_TRUE(system_->WaitForJobsToEnd(1, kJobSeconds)) << system_->LogTail();
  const auto jobs = system_->Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].state, IPP_JSTATE_COMPLETED) << system_->LogTail();
  EXPECT_EQ(testfiles::ReadAll(log), logBytes);

  const auto files = system_->OutputFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string printed = files[0];
  const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
  const auto sizes = PdfPageSizes(printed);
  ASSERT_EQ(sizes.size(), 3u);
  for (const QSizeF& size : sizes) {
    EXPECT_NEAR(size.width(), a4.width(), 1.0);
    EXPECT_NEAR(size.height(), a4.height(), 1.0);
  }

  // korvale-render beside the window's settings file, at the printer's
  // resolution.
  SaveSystemSettings();
  const std::string renderCopy = Path("korvale-render");
  fs::copy_file(render, renderCopy);
  const std::string reference = Path("reference.pdf");
  QProcess run;
  run.start(QString::fromStdString(renderCopy),
            {"--pages", "2-4", "--dpi", QString::number(w.PrinterDpiY), "-o",
             QString::fromStdString(reference), QString::fromStdString(log)});
  ASSERT_TRUE(run.waitForFinished(120000));
  ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
  ASSERT_EQ(PdfPageCount(reference), 3);

  // Both rasterised alike; the printed page holds the log page at the top
  // left of the printable area.
  constexpr int kDpi = 100;
  const QPoint origin(std::lround(printable.left() * kDpi), std::lround(printable.top() * kDpi));
  std::vector<QImage> drawn;
  for (int page = 1; page <= 3; ++page) drawn.push_back(PdfPage(reference, page, kDpi));
  for (int page = 1; page <= 3; ++page) {
    SCOPED_TRACE("printed page " + std::to_string(page));
    const QImage& want = drawn[page - 1];
    ASSERT_FALSE(want.isNull());
    ASSERT_GT(InkCount(want), 1000);
    const QImage paper = PdfPage(printed, page, kDpi);
    ASSERT_FALSE(paper.isNull());
    const QImage got = paper.copy(QRect(origin, want.size()));
    EXPECT_GT(InkCovered(want, got, 2), 0.97);
    EXPECT_GT(InkCovered(got, want, 2), 0.97);
    // The comparison tells pages apart.
    const QImage& other = drawn[page % 3];
    EXPECT_LT(InkCovered(other, got, 2), 0.9);
  }
}

// A queue that cannot print: stopped or taking no jobs before the job, or
// removed after the print dialog while the pages are drawn. Each time the
// print command ends with its error, the window takes commands again and the
// log is as it was.
TEST_F(RealPrinter, AQueueThatCannotPrintIsReportedAndTheWindowGoesOn) {
  // A page within the queue's printable page: printing asks nothing first.
  const std::string log = Path("three.tfl");
  LogSpec spec;
  spec.span = SpanForPages(3);
  spec.pageLength = 10.0;
  spec.pageWidth = 7.5;
  WriteLog(log, spec);
  const auto logBytes = testfiles::ReadAll(log);
  TKorvaleFrm& w = OpenKeepingItsPage(log);
  const std::string prefix = "Unable to print on " + system_->queue() + " - ";

  struct Case {
    const char* name;
    bool (printsystem::PrivatePrintSystem::*spoil)();
    const char* reason;
  };
  for (const Case c : {Case{"stopped", &printsystem::PrivatePrintSystem::StopQueue,
                            "The printer is stopped."},
                       Case{"rejecting", &printsystem::PrivatePrintSystem::RejectJobs,
                            "The printer is not accepting jobs."}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(system_->Reset()) << system_->why_not();
    platform::ClearShownBoxes();
    ASSERT_TRUE((system_->*c.spoil)()) << system_->last_output();
    QueuePrintDialog(1, 2);
    w.Print1Click();
    ASSERT_EQ(platform::ShownBoxes().size(), 1u);
    EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Error);
    EXPECT_EQ(BoxTexts()[0], prefix + c.reason);
    EXPECT_TRUE(system_->Jobs().empty()) << "no job sent to the queue";
    ExpectUsable(w);
    EXPECT_EQ(testfiles::ReadAll(log), logBytes);
  }

  ASSERT_TRUE(system_->Reset()) << system_->why_not();
  platform::ClearShownBoxes();
  SetPagePrintedHookForTests([this](int32_t page) {
    if (page == 0) {
      EXPECT_TRUE(system_->RemoveQueue()) << system_->last_output();
    }
  });
  QueuePrintDialog(1, 2);
  w.Print1Click();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Error);
  // CUPS's own words for a queue it does not know.
  EXPECT_EQ(BoxTexts()[0], prefix + "The printer or class does not exist.");
  EXPECT_TRUE(system_->Jobs().empty());
  ExpectUsable(w);
  EXPECT_EQ(testfiles::ReadAll(log), logBytes);
}

// Cancel in the status window after the first page, confirmed: the job ends
// with that page, and nothing more reaches the queue.
TEST_F(RealPrinter, CancelInTheStatusWindowEndsTheJobWithThePagesPrinted) {
  const std::string log = CopyDemo();
  if (log.empty()) GTEST_SKIP() << "the demo log is not built";
  CreateStatusWindow();  // as start-up does, before the main window
  TKorvaleFrm& w = OpenKeepingItsPage(log);
  SetPagePrintedHookForTests([](int32_t page) {
    if (page == 0) StatusForm->CancelButton->click();
  });
  platform::QueueBoxAnswer(BoxAnswer::Yes);  // print the clipped pages
  platform::QueueBoxAnswer(BoxAnswer::Yes);  // cancel
  QueuePrintDialog(1, 6);
  w.Print1Click();
  ASSERT_EQ(platform::ShownBoxes().size(), 2u) << BoxTexts().back();
  EXPECT_EQ(BoxTexts()[1], kCancelQuestion);
  ASSERT_TRUE(system_->WaitForJobsToEnd(1, kJobSeconds)) << system_->LogTail();
  const auto jobs = system_->Jobs();
  ASSERT_EQ(jobs.size(), 1u) << "one job, and no other";
  EXPECT_EQ(jobs[0].state, IPP_JSTATE_COMPLETED) << system_->LogTail();
  const auto files = system_->OutputFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PdfPageCount(files[0]), 1) << "the page printed before the cancel";
  ExpectUsable(w);
}
