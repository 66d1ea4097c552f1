#pragma once
// The "insufficient resources" box: what the page needs and what to do about
// it, shown when the page bitmap cannot be made even with reduced colours.
#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TResourceBox : public QDialog {
  Q_OBJECT
 public:
  explicit TResourceBox(QWidget* owner = nullptr);

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* SizeLBL;
  QLabel* ColorLBL;
  QLabel* ReqMem;
  QPlainTextEdit* Memo1;
  QPushButton* OKButton;
};
