#pragma once
// The go-to-page dialog: one spin box holding a page number counted from 1.
#include <QDialog>

class QLabel;
class QSpinBox;
class QPushButton;
class QFrame;

class TGotoDLG : public QDialog {
  Q_OBJECT
 public:
  explicit TGotoDLG(QWidget* owner = nullptr);

  QFrame* Bevel1;
  QLabel* Label1;
  QSpinBox* PageSE;
  QPushButton* OKBTN;
  QPushButton* BitBtn1;

  static constexpr int kHelpContext = 61;
};

// Runs a dialog modally: for its owner window when it has one, else for the
// whole program. Tests replace the runner so that no real modal loop starts;
// the default calls exec().
using DialogRunner = int (*)(QDialog& dialog);
void SetDialogRunnerForTests(DialogRunner runner);  // nullptr: exec()
int RunDialog(QDialog& dialog);
