// The About box and the text viewer that shows the revision notes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextLayout>
#include <QTextBlock>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/ProgInfo.h"
#include "windows/StatusWin.h"
#include "windows/TextView.h"
#include "test_startup_util.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) {
  testfiles::WriteAll(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string ReadText(const std::string& path) {
  const std::vector<unsigned char> bytes = testfiles::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

void SetFileDate(const std::string& path, int year, int month, int day) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime(QDate(year, month, day), QTime(12, 0)),
                               QFileDevice::FileModificationTime));
}

}  // namespace

// --- About box -----------------------------------------------------------------

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearShownBoxes();
    saved_ = ProgramPath();
  }
  void TearDown() override {
    SetProgramPath(saved_);
    platform::SetShellOpenForTests({});
    GeneralSettings.BetaOptions = 0;
  }
  testfiles::TempDir dir_;
  std::string saved_;
};

TEST_F(AboutBox, ShowsVersionBuildAndDateOfTheExecutable) {
  const std::string program = startuptest::StampedProgram(dir_, "korvale", {2, 7, 0, 34});
  if (program.empty()) GTEST_SKIP() << "objcopy unavailable";
  SetFileDate(program, 2001, 3, 5);
  SetProgramPath(program);
  TProgInfoForm form;
  EXPECT_EQ(form.Version->text().toStdString(), "Version: 2.7.0.34");
  EXPECT_EQ(form.Build->text().toStdString(), "Build: 34");
  const QString march = QLocale::system().monthName(3, QLocale::LongFormat);
  EXPECT_EQ(form.RevisionDate->text(), "Last Revised: " + march + " 05, 2001");
  EXPECT_EQ(form.windowTitle(), "About");
  EXPECT_EQ(form.size(), QSize(632, 388));
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(AboutBox, ExecutableWithoutVersionShowsPrefixAndBuildZero) {
  const std::string program = dir_.file("korvale");
  fs::copy_file("/bin/true", program);
  SetProgramPath(program);
  TProgInfoForm form;
  EXPECT_EQ(form.Version->text().toStdString(), "Version: ");
  EXPECT_EQ(form.Build->text().toStdString(), "Build: 0");
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text.rfind("WIN ERROR ", 0), 0u);
}

TEST_F(AboutBox, IconClickTurnsBetaOptionsOffOnce) {
  SetProgramPath(dir_.file("absent"));
  TProgInfoForm form;
  form.ProgramIconClick();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "no beta options, no box";
  GeneralSettings.BetaOptions = 1;
  form.ProgramIconClick();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "Beta options will no longer be displayed.");
  EXPECT_EQ(GeneralSettings.BetaOptions, 0);
  form.ProgramIconClick();
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
}

TEST_F(AboutBox, WebAndMailLinksGoToTheShell) {
  SetProgramPath(dir_.file("absent"));
  std::vector<std::string> opened;
  int result = 42;
  platform::SetShellOpenForTests([&](const std::string& url) {
    opened.push_back(url);
    return result;
  });
  TProgInfoForm form;
  const QColor before = form.WebSite->palette().color(QPalette::WindowText);
  form.WebButtonClick();
  form.EmailClick();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], quelmark::kWebSite);
  EXPECT_EQ(opened[1], std::string("mailto:") + quelmark::kEmail);
  EXPECT_EQ(form.WebSite->text().toStdString(), quelmark::kWebSite);
  EXPECT_EQ(form.Email->text().toStdString(), quelmark::kEmail);
  EXPECT_NE(before, QColor(128, 0, 0));
  EXPECT_EQ(form.WebSite->palette().color(QPalette::WindowText), QColor(128, 0, 0));
  EXPECT_EQ(form.Email->palette().color(QPalette::WindowText), QColor(128, 0, 0));
  EXPECT_TRUE(platform::ShownBoxes().empty());

  // 32 and below are the shell's failures.
  result = 32;
  TProgInfoForm second;
  second.WebButtonClick();
  second.EmailClick();
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "Unable to access your Internet Browser.");
  EXPECT_EQ(platform::ShownBoxes()[1].text, "Unable to access your email application.");
  EXPECT_NE(second.WebSite->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

// The revision notes open beside the About box: their text is there at once,
// and the viewer takes real input (scrolling, printing, closing) while the
// About box is still open over the main window.
TEST_F(AboutBox, RevisionNotesOpenInAViewerThatWorksBesideTheAboutBox) {
  SetProgramPath(dir_.file("absent"));
  std::string notes;
  for (int i = 1; i <= 200; ++i) notes += "Revision " + std::to_string(i) + "\r\n";
  WriteText(dir_.file("korvale.INF"), notes);
  QWidget main;
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

  // Clicks and keys through the window system, which holds back input from
  // windows that a modal window blocks.
  auto click = [](QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {},
                      window->mapFromGlobal(widget->mapToGlobal(widget->rect().center())));
  };
  TTextViewDialog* viewer = nullptr;
  int printDialogs = 0, scrolled = 0;
  bool textAtOnce = false, closed = false;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<TProgInfoForm*>(QApplication::activeModalWidget());
    if (!about) return;
    about->RevisionsButton->click();
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* candidate = qobject_cast<TTextViewDialog*>(widget)) viewer = candidate;
    if (viewer) {
      textAtOnce = viewer->Lines().size() == 200;
      EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer));
      viewer->Memo->setFocus();
      QTest::keyClick(viewer->windowHandle(), Qt::Key_PageDown);
      scrolled = viewer->Memo->verticalScrollBar()->value();
      viewer->PrintDialog = [&] {
        ++printDialogs;
        return std::unique_ptr<TextPrintJob>();
      };
      click(viewer->PrintButton);
      click(viewer->OkButton);
      closed = !viewer->isVisible();
    }
    about->reject();
  });
  ShowAboutBox(dir_.file("korvale"), "Korvale 2001");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->windowTitle(), "Program Revisions");
  EXPECT_EQ(viewer->TextFileName, dir_.file("korvale.INF"));
  EXPECT_TRUE(textAtOnce) << "the notes show as soon as the viewer opens";
  EXPECT_GT(scrolled, 0);
  EXPECT_EQ(printDialogs, 1);
  EXPECT_TRUE(closed);
  delete viewer;
}

TEST(RevisionNotes, ShippedFileIsPlainCrLfText) {
  const std::string text = ReadText(testfiles::SourceDir() + "/data/korvale.INF");
  ASSERT_FALSE(text.empty());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    }
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  const std::string built = testfiles::BinDir() + "/korvale.INF";
  if (fs::exists(built)) {
    EXPECT_EQ(ReadText(built), text);
  }
}

// --- Text viewer ---------------------------------------------------------------

namespace {

// Records what a print job receives and the progress shown at each step.
struct PrintLog {
  bool begun = false, ended = false;
  std::vector<std::string> lines;
  std::vector<int> percentBeforeLine;
  int percentAtEnd = -1;
  std::string statusAtBegin;
};

class RecordingPrintJob : public TextPrintJob {
 public:
  explicit RecordingPrintJob(PrintLog& log) : log_(log) {}
  void Begin(const std::string&) override {
    log_.begun = true;
    log_.statusAtBegin = StatusMemoText();
  }
  void WriteLine(const std::string& line) override {
    log_.percentBeforeLine.push_back(StatusGaugePercent());
    log_.lines.push_back(line);
  }
  void End() override {
    log_.ended = true;
    log_.percentAtEnd = StatusGaugePercent();
  }

 private:
  PrintLog& log_;
};

}  // namespace

class TextView : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearShownBoxes();
    ResetStatusForTests();
    file_ = dir_.file("notes.INF");
  }
  void TearDown() override { ResetStatusForTests(); }
  std::unique_ptr<TTextViewDialog> Open(const std::string& text) {
    WriteText(file_, text);
    auto viewer = std::make_unique<TTextViewDialog>();
    viewer->TextFileName = file_;
    viewer->PrintDialog = [this] { return std::make_unique<RecordingPrintJob>(print_); };
    viewer->FormActivate();
    return viewer;
  }
  testfiles::TempDir dir_;
  std::string file_;
  PrintLog print_;
};

TEST_F(TextView, PrintsTenBlanksBeforeEachLineWithProgress) {
  auto viewer = Open("one\r\ntwo\r\nthree\r\nfour\r\n");
  viewer->PrintButtonClick();
  EXPECT_TRUE(print_.begun);
  EXPECT_TRUE(print_.ended);
  EXPECT_EQ(print_.lines, (std::vector<std::string>{"          one", "          two",
                                                    "          three", "          four"}));
  // Progress after line i is i / 4: 0, 0.25, 0.5, 0.75.
  EXPECT_EQ(std::vector<int>(print_.percentBeforeLine.begin() + 1, print_.percentBeforeLine.end()),
            (std::vector<int>{0, 25, 50}));
  EXPECT_EQ(print_.percentAtEnd, 75);
  EXPECT_NE(print_.statusAtBegin.find("Initializing printer ..."), std::string::npos);
  EXPECT_FALSE(StatusVisible());
}

TEST_F(TextView, EmptyFilePrintsNothingAndReportsNoProgress) {
  auto viewer = Open("");
  EXPECT_TRUE(viewer->Memo->toPlainText().isEmpty());
  SetStatusProgress(0.9);  // left from earlier work: printing must not touch it
  viewer->PrintButtonClick();
  EXPECT_TRUE(print_.lines.empty());
  EXPECT_EQ(print_.percentAtEnd, 90);
}

TEST_F(TextView, CancelledPrintDialogPrintsNothing) {
  auto viewer = Open("one\r\n");
  viewer->PrintDialog = [] { return std::unique_ptr<TextPrintJob>(); };
  viewer->PrintButtonClick();
  EXPECT_FALSE(StatusVisible());
  EXPECT_EQ(StatusMemoText(), "");
}

TEST_F(TextView, SaveAsAppendsTxtToANameWithoutExtension) {
  auto viewer = Open("alpha\r\nbeta\r\n");
  std::string title, filter, proposed, ext;
  std::string answer = dir_.file("copy");
  viewer->SaveDialog = [&](const std::string& t, const std::string& f, const std::string& n,
                           const std::string& e) {
    title = t, filter = f, proposed = n, ext = e;
    return answer;
  };
  viewer->SaveAsButtonClick();
  EXPECT_EQ(title, "Save As ...");
  EXPECT_EQ(filter, "Text File (*.TXT *.txt);;All Files (*)");
  EXPECT_EQ(proposed, "*.TXT");
  EXPECT_EQ(ext, "TXT");
  EXPECT_FALSE(fs::exists(dir_.file("copy")));
  EXPECT_EQ(ReadText(dir_.file("copy.TXT")), "alpha\r\nbeta\r\n");

  answer = dir_.file("kept.log");
  viewer->SaveAsButtonClick();
  EXPECT_EQ(ReadText(dir_.file("kept.log")), "alpha\r\nbeta\r\n");
  auto count = [&] {
    return std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator());
  };
  const auto files = count();
  answer = "";
  viewer->SaveAsButtonClick();  // Cancel writes nothing
  EXPECT_EQ(count(), files);
  EXPECT_EQ(WithDefaultExtension("/a.b/name", "TXT"), "/a.b/name.TXT");

  // A failure inside the command is shown; the viewer stays open.
  viewer->SaveDialog = [](const std::string&, const std::string&, const std::string&,
                          const std::string&) -> std::string {
    throw std::runtime_error("no dialog");
  };
  viewer->show();
  viewer->SaveAsButton->click();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "Error in the text viewer - no dialog");
  EXPECT_TRUE(viewer->isVisible());
}

TEST_F(TextView, SwitchingAwayAndBackReloadsTheFile) {
  auto viewer = Open("first\r\n");
  viewer->show();
  QWidget other;
  other.show();
  auto activate = [](QWidget* widget) {
    widget->activateWindow();
    for (int i = 0; i < 20 && !widget->isActiveWindow(); ++i) QApplication::processEvents();
    return widget->isActiveWindow();
  };
  if (!activate(viewer.get())) GTEST_SKIP() << "this platform plugin does not activate windows";
  EXPECT_EQ(viewer->Lines(), std::vector<std::string>{"first"});
  WriteText(file_, "second\r\nthird\r\n");
  ASSERT_TRUE(activate(&other));
  EXPECT_EQ(viewer->Lines(), std::vector<std::string>{"first"}) << "reads only on activation";
  ASSERT_TRUE(activate(viewer.get()));
  EXPECT_EQ(viewer->Lines(), (std::vector<std::string>{"second", "third"}));
}

TEST_F(TextView, MissingFileLeavesAnEmptyWindowAndOneBox) {
  auto viewer = Open("text\r\n");
  fs::remove(file_);
  viewer->FormActivate();
  EXPECT_TRUE(viewer->Memo->toPlainText().isEmpty());
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_NE(platform::ShownBoxes()[0].text.find(file_), std::string::npos);
  viewer->FormActivate();  // the box's own activation change must not repeat it
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
  WriteText(file_, "back\r\n");
  viewer->FormActivate();
  EXPECT_EQ(viewer->Lines(), std::vector<std::string>{"back"});
}

TEST_F(TextView, CopyPutsTheWholeTextOnTheClipboard) {
  auto viewer = Open("line one\r\nline two\r\n");
  QApplication::clipboard()->clear();
  viewer->CopyButtonClick();
  EXPECT_EQ(QApplication::clipboard()->text(), "line one\nline two");
}

TEST_F(TextView, ReadOnlyMemoAndButtons) {
  auto viewer = Open("x\r\n");
  EXPECT_TRUE(viewer->Memo->isReadOnly());
  EXPECT_EQ(viewer->windowTitle(), "Text View");
  EXPECT_EQ(viewer->OkButton->text(), "&Ok");
  EXPECT_EQ(viewer->SaveAsButton->text(), "Save &As");
  viewer->show();
  viewer->OkButton->click();
  EXPECT_FALSE(viewer->isVisible());
}

// A line longer than the window wraps at its width (no part of it is cut off
// at the right, nothing to scroll sideways); the file's lines stay whole.
TEST_F(TextView, LongLinesWrapAtTheWindowsWidth) {
  const std::string longLine = "- " + std::string(60, 'x') + " " + std::string(60, 'y') +
                               " " + std::string(60, 'z') + " end of the line";
  std::string text;
  for (int i = 0; i < 40; ++i) text += "short line " + std::to_string(i) + "\r\n";
  auto viewer = Open(text + longLine + "\r\n");
  viewer->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
  viewer->Memo->verticalScrollBar()->setValue(viewer->Memo->verticalScrollBar()->maximum());
  QApplication::processEvents();
  const QTextBlock block = viewer->Memo->document()->findBlockByNumber(40);
  ASSERT_EQ(block.text().toStdString(), longLine);
  EXPECT_GE(block.layout()->lineCount(), 2);
  EXPECT_EQ(viewer->Memo->horizontalScrollBar()->maximum(), 0);
  for (int i = 0; i < block.layout()->lineCount(); ++i)
    EXPECT_LE(block.layout()->lineAt(i).naturalTextWidth(), viewer->Memo->viewport()->width());
  EXPECT_EQ(viewer->Lines().back(), longLine);
}
