#include "windows/StatusWin.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QTextOption>

#include <malloc.h>

#include <charconv>
#include <cmath>
#include <exception>
#include <vector>

#include "platform/Cursor.h"
#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"

TStatusForm* StatusForm = nullptr;
int StatusLineCount = 0;
bool CancelRequested = false;

namespace {

// What the window shows, kept also when there is no window.
bool g_visible = false;
int g_gauge = 0;
std::vector<std::string> g_lines;
std::string g_caption = "Please stand-by ...";

constexpr int kMaxStatusLines = 50;
constexpr int kPanelHeight = 27;
constexpr int kCancelWidth = 76;
constexpr int kCancelHeight = 27;

bool HaveGui() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void SetVisible(bool visible) {
  g_visible = visible;
  if (!StatusForm) return;
  if (visible && StatusForm->isHidden()) {
    StatusForm->show();
  } else if (!visible) {
    StatusForm->hide();
  }
}

void ClearMemo() {
  g_lines.clear();
  if (StatusForm) StatusForm->StatusMemo->clear();
}

// Free heap in megabytes as the diagnostic caption shows it: bytes / 1024,
// truncated, then / 1000.
std::string FreeHeapText() {
  struct mallinfo2 info = mallinfo2();
  double megabytes = static_cast<double>(info.fordblks / 1024) / 1000.0;
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, megabytes, std::chars_format::fixed, 1);
  return "(" + std::string(text, result.ptr) + ",)";
}

void ReportFailure(const std::string& phrase, const std::exception& failure) {
  platform::ShowMessageBox(platform::BoxKind::Error, phrase + failure.what());
}

}  // namespace

TStatusForm::TStatusForm(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowStaysOnTopHint) {
  setObjectName("StatusForm");
  setWindowTitle("Please stand-by ...");
  // Left showing (after a failure), it does not keep the program running once
  // the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont font("MS Sans Serif");
  font.setPointSize(8);
  setFont(font);

  StatusMemo = new QTextEdit(this);
  StatusMemo->setObjectName("StatusMemo");
  StatusMemo->setReadOnly(true);
  StatusMemo->setFocusPolicy(Qt::NoFocus);
  StatusMemo->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
  StatusMemo->viewport()->setCursor(Qt::WaitCursor);
  StatusMemo->setCursor(Qt::WaitCursor);

  ButtonPanel = new QWidget(this);
  ButtonPanel->setObjectName("ButtonPanel");
  ButtonPanel->setCursor(Qt::WaitCursor);

  StatusGauge = new QProgressBar(ButtonPanel);
  StatusGauge->setObjectName("StatusGauge");
  StatusGauge->setRange(0, 100);
  StatusGauge->setValue(0);
  StatusGauge->setAlignment(Qt::AlignCenter);
  QFont gaugeFont("MS Sans Serif");
  gaugeFont.setPointSize(10);
  gaugeFont.setBold(true);
  StatusGauge->setFont(gaugeFont);
  StatusGauge->setStyleSheet("QProgressBar::chunk { background-color: blue; }");

  CancelButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "&Cancel",
                                 ButtonPanel);
  CancelButton->setObjectName("CancelButton");
  CancelButton->setToolTip("Cancel current operation.");
  CancelButton->setCursor(Qt::ArrowCursor);
  connect(CancelButton, &QPushButton::clicked, this, &TStatusForm::CancelButtonClick);

  PlaceOnScreen(false);
  CancelButton->setFocus();
}

void TStatusForm::PlaceOnScreen(bool diagnostic) {
  int screenWidth = 1024, screenHeight = 768;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    screenWidth = screen->geometry().width();
    screenHeight = screen->geometry().height();
  }
  // Rounding halves to even, as the window was always placed.
  int width = static_cast<int>(std::nearbyint(screenWidth / 3.5));
  int height, top;
  if (diagnostic) {
    width -= 34;
    height = screenHeight;
    top = 0;
  } else {
    height = static_cast<int>(std::nearbyint(screenHeight / 3.0));
    top = screenHeight - height - 34;
  }
  setFixedSize(width, height);
  move(screenWidth - width, top);

  QPalette memoPalette = StatusMemo->palette();
  memoPalette.setColor(QPalette::Base, diagnostic ? QColor(255, 255, 0) : QColor(255, 255, 255));
  memoPalette.setColor(QPalette::Text, Qt::black);
  StatusMemo->setPalette(memoPalette);

  StatusMemo->setGeometry(0, 0, width, height - kPanelHeight);
  ButtonPanel->setGeometry(0, height - kPanelHeight, width, kPanelHeight);
  int cancelLeft = ButtonPanel->width() - kCancelWidth - (diagnostic ? 10 : 0);
  CancelButton->setGeometry(cancelLeft, 0, kCancelWidth, kCancelHeight);
  StatusGauge->setGeometry(0, 0, cancelLeft, ButtonPanel->height());
}

void TStatusForm::CancelButtonClick() {
  try {
    CancelRequested = true;
    SetVisible(false);
    platform::RestoreDefaultCursor();
  } catch (const std::exception& failure) {
    ReportFailure("Error in Status cancel - ", failure);
  }
}

void CreateStatusWindow() {
  try {
    CancelRequested = false;
    WriteLog("Creating status window...");
    if (!HaveGui()) return;
    delete StatusForm;
    StatusForm = new TStatusForm(QApplication::activeWindow());
    StatusLineCount = 0;
    g_lines.clear();
    g_gauge = 0;
    StatusForm->PlaceOnScreen(GeneralSettings.DiagnosticMode != 0);
    StatusForm->show();
    StatusForm->raise();
    g_visible = true;
  } catch (const std::exception& failure) {
    ReportFailure("Error in creating Status window - ", failure);
  }
}

void ShowStatus(const std::string& message) {
  SetVisible(true);
  if (++StatusLineCount > kMaxStatusLines) {
    ClearMemo();
    StatusLineCount = 0;
  }
  g_caption = "Processing";
  if (GeneralSettings.DiagnosticMode) g_caption += " " + FreeHeapText();
  g_lines.push_back(message);
  if (StatusForm) {
    StatusForm->setWindowTitle(QString::fromStdString(g_caption));
    StatusForm->StatusMemo->append(QString::fromLocal8Bit(message.c_str()));
  }
}

void SetStatusProgress(double fraction) {
  // The Cancel click of a running operation is handled here.
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
  SetVisible(true);
  double percent = fraction * 100.0;
  if (!(percent > 0.0)) percent = 0.0;  // also NaN
  if (percent > 100.0) percent = 100.0;
  g_gauge = static_cast<int>(std::nearbyint(percent));
  if (StatusForm) StatusForm->StatusGauge->setValue(g_gauge);
}

void HideStatus() {
  try {
    ClearMemo();
    SetVisible(false);
    platform::RestoreDefaultCursor();
  } catch (const std::exception& failure) {
    std::string text = std::string("Error in hiding Status window - ") + failure.what();
    platform::ShowMessageBox(platform::BoxKind::Error, text);
    try {
      WriteLog(text);
    } catch (const std::exception&) {
      // The box has told the user already.
    }
  }
}

bool CancelConfirmed() {
  if (!CancelRequested) return false;
  platform::BoxAnswer answer = platform::ShowMessageBox(
      platform::BoxKind::Error, "Are you sure that you want to cancel the current operation?",
      platform::BoxButtons::YesNo, "Cancellation Confirmation");
  if (answer == platform::BoxAnswer::Yes) {
    HideStatus();
    CancelRequested = false;
    platform::RestoreDefaultCursor();
    return true;
  }
  CancelRequested = false;
  return false;
}

bool StatusVisible() { return g_visible; }
int StatusGaugePercent() { return g_gauge; }

std::string StatusMemoText() {
  std::string text;
  for (std::size_t i = 0; i < g_lines.size(); ++i) {
    if (i) text += "\n";
    text += g_lines[i];
  }
  return text;
}

std::string StatusCaption() { return g_caption; }

void ResetStatusForTests() {
  delete StatusForm;
  StatusForm = nullptr;
  StatusLineCount = 0;
  CancelRequested = false;
  g_visible = false;
  g_gauge = 0;
  g_lines.clear();
  g_caption = "Please stand-by ...";
}
