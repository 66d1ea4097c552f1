// What the windows layer installs below itself: the message-box presenter
// of Interactive mode, the default printer query of the settings defaults,
// and the hint settings every window follows.
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "windows/DefaultPrinter.h"
#include "windows/HintSettings.h"
#include "windows/MessageBoxPresenter.h"

namespace {

class InteractiveBoxes : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearShownBoxes(); }
  void TearDown() override {
    platform::SetMessageBoxPresenter(nullptr);
    platform::SetDefaultBoxCaption("");
    platform::SetMessageBoxMode(platform::BoxMode::Scripted);
    platform::ClearShownBoxes();
  }
};

// Without a presenter (a program with no windows) an interactive box is a
// line on stderr with the default answer; with the windows layer's
// presenter it is a real QMessageBox whose clicked button is the answer.
TEST_F(InteractiveBoxes, GoThroughTheInstalledPresenter) {
  platform::SetMessageBoxMode(platform::BoxMode::Interactive);
  testing::internal::CaptureStderr();
  const auto unanswered = platform::ShowMessageBox(platform::BoxKind::Confirmation,
                                                   "Keep it?\rReally?",
                                                   platform::BoxButtons::YesNoCancel);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "korvale: confirmation: Keep it? Really?\n");
  EXPECT_EQ(unanswered, platform::BoxAnswer::Cancel);

  InstallMessageBoxPresenter();
  platform::SetDefaultBoxCaption("Quelmark Korvale");
  std::string title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    title = box->windowTitle().toStdString();
    text = box->text().toStdString();
    icon = box->icon();
    box->button(QMessageBox::No)->click();
  });
  poll.start(10);
  const auto answer = platform::ShowMessageBox(platform::BoxKind::Confirmation,
                                               "Keep it?\rReally?",
                                               platform::BoxButtons::YesNoCancel);
  EXPECT_EQ(answer, platform::BoxAnswer::No);
  EXPECT_EQ(title, "Quelmark Korvale");
  EXPECT_EQ(text, "Keep it?\nReally?");
  EXPECT_EQ(icon, QMessageBox::Question);
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[1].answer, platform::BoxAnswer::No);
}

// The system's own printer list (this machine has no printers): the settings
// defaults warn and take the letter page.
TEST(DefaultPrinterQuery, WithoutPrintersTheDefaultsWarnAndUseTheLetterPage) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed here";
  platform::ClearShownBoxes();
  InstallDefaultPrinterQuery();
  std::string name;
  double pw = 0, ph = 0, w = 0, h = 0;
  EXPECT_FALSE(GetPrinterPageSize(name, pw, ph, w, h));
  SetPrinterQuery(nullptr);
  EXPECT_EQ(name, "No Printer Selected");
  EXPECT_EQ(w, 8.0);
  EXPECT_EQ(h, 10.5);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  platform::ClearShownBoxes();
}

TEST(HintSettings, PauseZeroSwallowsHintsAndOtherPausesShowThem) {
  QLabel label("hinted");
  label.setToolTip("a hint");
  label.show();

  auto sendHint = [&label] {
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), label.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&label, &event);
  };

  GeneralSettings.HintPause = 0;
  ApplyHintSettings();
  EXPECT_FALSE(HintsEnabled());
  QToolTip::hideText();
  sendHint();
  EXPECT_FALSE(QToolTip::isVisible());

  GeneralSettings.HintPause = 750;
  GeneralSettings.HintColor = 0x00332211;  // red 0x11, green 0x22, blue 0x33
  ApplyHintSettings();
  EXPECT_TRUE(HintsEnabled());
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 750);
  EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0x11, 0x22, 0x33));
  sendHint();
  EXPECT_TRUE(QToolTip::isVisible());
  QToolTip::hideText();
}

}  // namespace
