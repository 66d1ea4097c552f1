// The status window: line limit, gauge rounding, cooperative cancelling,
// placement, and the state kept without a window.
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

#include <cmath>

#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/StatusWin.h"

namespace {

int MemoLines() {
  QString text = StatusForm->StatusMemo->toPlainText();
  return text.isEmpty() ? 0 : static_cast<int>(text.split('\n').size());
}

class StatusWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseLogForTests();
    ResetStatusForTests();
    GeneralSettings.DiagnosticMode = 0;
    platform::ClearShownBoxes();
    CreateStatusWindow();
    ASSERT_NE(StatusForm, nullptr);
    HideStatus();  // as start-up does
  }
  void TearDown() override {
    ResetStatusForTests();
    GeneralSettings.DiagnosticMode = 0;
  }

  // A long operation of `steps` steps that polls like the interpreter does;
  // returns how many steps it finished.
  static int RunOperation(int steps) {
    ShowStatus("Processing graphic commands within test.tfl ...");
    CancelRequested = false;
    int done = 0;
    for (int i = 0; i < steps; ++i) {
      SetStatusProgress(static_cast<double>(i) / steps);
      if (CancelConfirmed()) return done;
      ++done;
    }
    HideStatus();
    return done;
  }
};

TEST_F(StatusWindow, FiftyFirstMessageClearsTheMemo) {
  for (int i = 1; i <= 50; ++i) ShowStatus("line " + std::to_string(i));
  EXPECT_EQ(MemoLines(), 50);
  EXPECT_EQ(StatusLineCount, 50);
  ShowStatus("line 51");
  EXPECT_EQ(MemoLines(), 1);
  EXPECT_EQ(StatusForm->StatusMemo->toPlainText(), "line 51");
  EXPECT_EQ(StatusMemoText(), "line 51");
  EXPECT_EQ(StatusLineCount, 0);
  // After the first clearing the memo holds 51 lines before the next one.
  for (int i = 52; i <= 101; ++i) ShowStatus("line " + std::to_string(i));
  EXPECT_EQ(MemoLines(), 51);
  ShowStatus("line 102");
  EXPECT_EQ(MemoLines(), 1);
}

TEST_F(StatusWindow, HidingClearsTheMemoButKeepsTheCount) {
  for (int i = 0; i < 10; ++i) ShowStatus("x");
  HideStatus();
  EXPECT_EQ(MemoLines(), 0);
  EXPECT_FALSE(StatusForm->isVisible());
  for (int i = 0; i < 40; ++i) ShowStatus("y");
  EXPECT_EQ(MemoLines(), 40);
  ShowStatus("z");  // the 51st since creation
  EXPECT_EQ(MemoLines(), 1);
}

TEST_F(StatusWindow, ShowStatusShowsTheWindowAndSetsTheCaption) {
  EXPECT_FALSE(StatusForm->isVisible());
  ShowStatus("Creating new canvas...");
  EXPECT_TRUE(StatusForm->isVisible());
  EXPECT_TRUE(StatusVisible());
  EXPECT_EQ(StatusForm->windowTitle(), "Processing");
}

TEST_F(StatusWindow, GaugeRoundsHalvesToEven) {
  SetStatusProgress(0.125);
  EXPECT_EQ(StatusForm->StatusGauge->value(), 12);
  SetStatusProgress(0.375);
  EXPECT_EQ(StatusForm->StatusGauge->value(), 38);
  EXPECT_EQ(StatusGaugePercent(), 38);
  EXPECT_TRUE(StatusForm->isVisible());  // progress shows a hidden window
  SetStatusProgress(1.0);
  EXPECT_EQ(StatusForm->StatusGauge->value(), 100);
  SetStatusProgress(7.0);  // out of range stays on the gauge's scale
  EXPECT_EQ(StatusGaugePercent(), 100);
  SetStatusProgress(std::nan(""));
  EXPECT_EQ(StatusGaugePercent(), 0);
}

TEST_F(StatusWindow, NoPendingCancelAsksNothing) {
  EXPECT_FALSE(CancelConfirmed());
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(StatusWindow, CancelAnsweredNoLetsTheOperationFinish) {
  platform::QueueBoxAnswer(platform::BoxAnswer::No);
  // The click arrives while the operation dispatches events in SetStatusProgress.
  QTimer::singleShot(0, StatusForm->CancelButton, &QPushButton::click);
  EXPECT_EQ(RunOperation(10), 10);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  const auto& box = platform::ShownBoxes()[0];
  EXPECT_EQ(box.caption, "Cancellation Confirmation");
  EXPECT_EQ(box.text, "Are you sure that you want to cancel the current operation?");
  EXPECT_EQ(box.buttons, platform::BoxButtons::YesNo);
  EXPECT_EQ(box.kind, platform::BoxKind::Error);
  EXPECT_FALSE(CancelRequested);
}

TEST_F(StatusWindow, CancelAnsweredYesStopsTheOperation) {
  platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
  QTimer::singleShot(0, StatusForm->CancelButton, &QPushButton::click);
  ShowStatus("earlier message");
  EXPECT_EQ(RunOperation(10), 0);  // stopped at the first poll after the click
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_FALSE(CancelRequested);
  EXPECT_FALSE(StatusForm->isVisible());
  EXPECT_EQ(MemoLines(), 0);
}

TEST_F(StatusWindow, CancelClickHidesTheWindowUntilTheNextMessage) {
  ShowStatus("working");
  StatusForm->CancelButton->click();
  EXPECT_TRUE(CancelRequested);
  EXPECT_FALSE(StatusForm->isVisible());
  ShowStatus("still working");
  EXPECT_TRUE(StatusForm->isVisible());
  // An unpolled cancel stays pending until the next poll.
  platform::QueueBoxAnswer(platform::BoxAnswer::No);
  EXPECT_FALSE(CancelConfirmed());
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_FALSE(CancelConfirmed());
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
}

TEST_F(StatusWindow, NormalPlacementIsAThirdOfTheScreenAtTheRightEdge) {
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  const int width = static_cast<int>(std::nearbyint(screen.width() / 3.5));
  const int height = static_cast<int>(std::nearbyint(screen.height() / 3.0));
  EXPECT_EQ(StatusForm->width(), width);
  EXPECT_EQ(StatusForm->height(), height);
  EXPECT_EQ(StatusForm->pos(), QPoint(screen.width() - width, screen.height() - height - 34));
  EXPECT_EQ(StatusForm->CancelButton->geometry(), QRect(width - 76, 0, 76, 27));
  EXPECT_EQ(StatusForm->StatusGauge->geometry(), QRect(0, 0, width - 76, 27));
  EXPECT_EQ(StatusForm->ButtonPanel->geometry(), QRect(0, height - 27, width, 27));
  EXPECT_EQ(StatusForm->StatusMemo->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_TRUE(StatusForm->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(StatusForm->CancelButton->text(), "&Cancel");
  EXPECT_EQ(StatusForm->CancelButton->toolTip(), "Cancel current operation.");
}

TEST_F(StatusWindow, DiagnosticModeIsTallYellowAndShowsFreeMemory) {
  GeneralSettings.DiagnosticMode = 1;
  CreateStatusWindow();
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  const int width = static_cast<int>(std::nearbyint(screen.width() / 3.5)) - 34;
  EXPECT_EQ(StatusForm->width(), width);
  EXPECT_EQ(StatusForm->height(), screen.height());
  EXPECT_EQ(StatusForm->pos(), QPoint(screen.width() - width, 0));
  EXPECT_EQ(StatusForm->CancelButton->x(), width - 76 - 10);
  EXPECT_EQ(StatusForm->StatusGauge->width(), width - 86);
  EXPECT_EQ(StatusForm->StatusMemo->palette().color(QPalette::Base), QColor(255, 255, 0));
  ShowStatus("m");
  std::string caption = StatusForm->windowTitle().toStdString();
  ASSERT_GE(caption.size(), 16u) << caption;
  EXPECT_EQ(caption.substr(0, 12), "Processing (");
  EXPECT_EQ(caption.substr(caption.size() - 2), ",)");
  // One decimal: "...d.d,)".
  EXPECT_EQ(caption[caption.size() - 4], '.');
}

TEST(StatusWithoutWindow, StateIsKeptAndNothingIsShown) {
  ResetStatusForTests();
  platform::ClearShownBoxes();
  ShowStatus("tool message");
  SetStatusProgress(0.5);
  EXPECT_TRUE(StatusVisible());
  EXPECT_EQ(StatusGaugePercent(), 50);
  EXPECT_EQ(StatusMemoText(), "tool message");
  EXPECT_EQ(StatusCaption(), "Processing");
  EXPECT_FALSE(CancelConfirmed());
  CancelRequested = true;
  platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
  EXPECT_TRUE(CancelConfirmed());
  EXPECT_FALSE(StatusVisible());
  EXPECT_EQ(StatusMemoText(), "");
  ResetStatusForTests();
}

}  // namespace
