#pragma once
// The status window: one always-on-top window with a scrolling list of
// message lines, a percentage gauge and a Cancel button. Cancelling is
// cooperative: the button only raises CancelRequested; the running operation
// polls CancelConfirmed and stops by itself once the user confirms.
//
// The free functions keep their state even when no window was created
// (command-line tools, tests): then nothing is shown.
#include <string>

#include <QWidget>

class QTextEdit;
class QProgressBar;
class QPushButton;

class TStatusForm : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusForm(QWidget* owner = nullptr);

  QTextEdit* StatusMemo;
  QWidget* ButtonPanel;
  QProgressBar* StatusGauge;
  QPushButton* CancelButton;

  // Sizes and places the window on the screen (diagnostic or normal layout).
  void PlaceOnScreen(bool diagnostic);

 public slots:
  void CancelButtonClick();
};

// The single status window (nullptr until CreateStatusWindow).
extern TStatusForm* StatusForm;
// Messages added since the memo was last cleared by the line limit.
extern int StatusLineCount;
// Set by the Cancel button, cleared by CancelConfirmed and by new operations.
extern bool CancelRequested;

// Creates, places and shows the window (start-up hides it again at once).
void CreateStatusWindow();
// Shows the window and appends one line; the 51st line clears the memo first.
void ShowStatus(const std::string& message);
// Dispatches pending events (the Cancel click), shows the window and sets the
// gauge to round(fraction * 100) percent.
void SetStatusProgress(double fraction);
// Clears the memo, hides the window and restores the default cursor.
void HideStatus();
// After a Cancel click asks "Are you sure ..."; true means stop now.
bool CancelConfirmed();

// State of the window, also kept without a window (tests, tools).
bool StatusVisible();
int StatusGaugePercent();
std::string StatusMemoText();
std::string StatusCaption();
// Deletes the window and clears the module state (tests).
void ResetStatusForTests();
