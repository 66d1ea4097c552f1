#pragma once
// The page setup dialog: gives a compiled log a new page length and width,
// shown against the current printer's paper and printable area, in inches or
// centimetres.
#include <QDialog>
#include <QLineEdit>
#include <cstdint>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// A one-line number edit (the dialog's "calculator" edits without their
// button). The value is whatever the text reads as; NaN when it is no number.
class TNumberEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TNumberEdit(QWidget* parent = nullptr);
  double value() const;
  void setValue(double v);
};

class TPageSetupFrm : public QDialog {
  Q_OBJECT
 public:
  explicit TPageSetupFrm(QWidget* owner = nullptr);

  QGroupBox* GroupBox1;
  QLabel* PrinterLbl;
  QLabel* Page;
  QLabel* PrintLength;
  QLabel* PrintWidth;
  QPushButton* Printers;
  QGroupBox* GroupBox2;
  QLabel* StaticText1;
  QLabel* StaticText2;
  TNumberEdit* PageLengthRe;
  TNumberEdit* PageWidthRe;
  QPushButton* Default;
  QGroupBox* GroupBox3;
  QRadioButton* InchCb;
  QRadioButton* CMCb;
  QWidget* Panel1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

  double LogPageLength = 0;
  double LogPageWidth = 0;
  double PrintableLength = 0;
  double PrintableWidth = 0;
  uint8_t DialogOrientation = 0;

  static constexpr int kHelpContext = 54;

  // Inches to the unit shown (the value itself, or centimetres).
  double ToDisplayUnits(double inches) const;
  void ShowPrinterInfo();
  // Fills the dialog from the settings and the Log* fields; EditPageSetup
  // calls it just before the dialog runs.
  void FormShow();

 public slots:
  void OKBtnClick();
  void PrintersClick();
  void UnitClick();
  void PageLengthREChange();
  void PageWidthReChange();
  void DefaultClick();

 private:
  void Recolour(TNumberEdit* edit, double printable);
};

// Runs the page setup dialog on a log page of length x width inches. On OK:
// true with the new size in inches in newLength/newWidth and the chosen
// orientation in orientation (the settings' page size, units and orientation
// are updated too). On Cancel: false and nothing changes.
bool EditPageSetup(double pageLength, double pageWidth, uint8_t& orientation, double& newLength,
                   double& newWidth);

// Sets the current printer's orientation (0 portrait, 1 landscape); a failure
// is shown as "<reason> - Unable to set printer orientation." and work goes
// on with the printer's orientation as it was.
void SetPrinterOrientation(int orientation);
