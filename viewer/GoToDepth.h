#pragma once
// The Go to Depth dialog: a depth, or an elevation when its box is ticked,
// typed as the user writes numbers.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TGoToDepthDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TGoToDepthDlg(QWidget* owner = nullptr);
  static constexpr int kHelpContext = 63;  // F1

  QLabel* Label1;
  QLineEdit* DepthEd;
  QCheckBox* ElevationCb;
  QPushButton* OKBTN;
  QPushButton* CancelBTN;
};
