#include "viewer/PageSetup.h"

#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <cmath>
#include <string>

#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/Gotofrm.h"
#include "viewer/HelpWin.h"
#include "viewer/PrinterAccess.h"
#include "windows/HelpContext.h"

namespace {

constexpr double kCentimetresPerInch = 2.54;

// Hundredths of the unit, as the dialog compares sizes. A value that does not
// fit (NaN, huge) counts as larger than any printable size.
int64_t Hundredths(double v) {
  const double h = std::nearbyint(v * 100.0);
  if (!std::isfinite(h) || std::fabs(h) > 9.0e18) return INT64_MAX;
  return static_cast<int64_t>(h);
}

QString Formatted(const char* format, double a, const char* suffix) {
  return QString::asprintf(format, a, suffix);
}

}  // namespace

// --- TNumberEdit --------------------------------------------------------------

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent) {
  auto* validator = new QDoubleValidator(this);
  validator->setLocale(QLocale::c());
  validator->setNotation(QDoubleValidator::StandardNotation);
  setValidator(validator);
  setAlignment(Qt::AlignRight);
}

double TNumberEdit::value() const {
  bool ok = false;
  const double v = QLocale::c().toDouble(text().trimmed(), &ok);
  return ok && std::isfinite(v) ? v : std::nan("");
}

void TNumberEdit::setValue(double v) { setText(QString::number(v, 'g', 12)); }

// --- TPageSetupFrm ------------------------------------------------------------

TPageSetupFrm::TPageSetupFrm(QWidget* owner) : QDialog(owner) {
  setWindowTitle("Page Setup");
  SetHelpContext(this, kHelpContext);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(367, 275);

  GroupBox1 = new QGroupBox("Printer Info", this);
  GroupBox1->setGeometry(8, 4, 351, 104);
  PrinterLbl = new QLabel(GroupBox1);
  PrinterLbl->setGeometry(10, 18, 240, 16);
  Page = new QLabel("Printer Paper:", GroupBox1);
  Page->setGeometry(10, 38, 240, 16);
  PrintLength = new QLabel(GroupBox1);
  PrintLength->setGeometry(10, 58, 165, 16);
  PrintWidth = new QLabel(GroupBox1);
  PrintWidth->setGeometry(178, 58, 165, 16);
  Printers = new QPushButton("&Printers", GroupBox1);
  Printers->setIcon(QIcon(":/icons/print.png"));
  Printers->setGeometry(256, 16, 86, 28);

  GroupBox2 = new QGroupBox("Page Settings", this);
  GroupBox2->setGeometry(8, 112, 220, 110);
  StaticText1 = new QLabel("Length", GroupBox2);
  StaticText1->setGeometry(12, 20, 65, 16);
  StaticText2 = new QLabel("Width", GroupBox2);
  StaticText2->setGeometry(90, 20, 65, 16);
  PageLengthRe = new TNumberEdit(GroupBox2);
  PageLengthRe->setGeometry(12, 38, 65, 22);
  PageWidthRe = new TNumberEdit(GroupBox2);
  PageWidthRe->setGeometry(90, 38, 65, 22);
  Default = new QPushButton("&Set Default Size", GroupBox2);
  Default->setGeometry(12, 72, 143, 26);

  GroupBox3 = new QGroupBox("Units", this);
  GroupBox3->setGeometry(236, 112, 123, 110);
  InchCb = new QRadioButton("Inches", GroupBox3);
  InchCb->setGeometry(12, 30, 100, 20);
  InchCb->setChecked(true);
  CMCb = new QRadioButton("CM's", GroupBox3);
  CMCb->setGeometry(12, 60, 100, 20);

  Panel1 = new QWidget(this);
  Panel1->setGeometry(0, 230, 367, 45);
  OKBtn = new QPushButton("OK", Panel1);
  OKBtn->setGeometry(100, 8, 80, 28);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", Panel1);
  CancelBtn->setGeometry(188, 8, 80, 28);
  HelpBtn = new QPushButton("Help", Panel1);
  HelpBtn->setGeometry(276, 8, 80, 28);

  connect(OKBtn, &QPushButton::clicked, this, &TPageSetupFrm::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
  connect(Printers, &QPushButton::clicked, this, &TPageSetupFrm::PrintersClick);
  connect(InchCb, &QRadioButton::clicked, this, &TPageSetupFrm::UnitClick);
  connect(CMCb, &QRadioButton::clicked, this, &TPageSetupFrm::UnitClick);
  connect(PageLengthRe, &QLineEdit::textChanged, this, &TPageSetupFrm::PageLengthREChange);
  connect(PageWidthRe, &QLineEdit::textChanged, this, &TPageSetupFrm::PageWidthReChange);
  connect(Default, &QPushButton::clicked, this, &TPageSetupFrm::DefaultClick);
}

double TPageSetupFrm::ToDisplayUnits(double inches) const {
  return InchCb->isChecked() ? inches : inches * kCentimetresPerInch;
}

void TPageSetupFrm::ShowPrinterInfo() {
  const bool inches = InchCb->isChecked();
  const char* suffix = inches ? "\"" : "cm";
  const double factor = inches ? 1.0 : kCentimetresPerInch;

  std::string name;
  double paperWidth = 0, paperHeight = 0;
  DescribePrinterPage(viewer::CurrentPrinterPage(), name, paperWidth, paperHeight, PrintableWidth,
                      PrintableLength);
  PrinterLbl->setText(QString::fromStdString(name));
  Page->setText(QString::asprintf("Page = %.2f%s x %.2f%s", paperHeight * factor, suffix,
                                  paperWidth * factor, suffix));
  PrintableLength *= factor;
  PrintLength->setText(Formatted("Printable Length = %.2f%s", PrintableLength, suffix));
  PrintableWidth *= factor;
  PrintWidth->setText(Formatted("Printable Width = %.2f%s", PrintableWidth, suffix));
  PageLengthREChange();
  PageWidthReChange();
}

void TPageSetupFrm::FormShow() {
  InchCb->setChecked(SystemSettings.UnitsInches != 0);
  CMCb->setChecked(SystemSettings.UnitsInches == 0);
  SetPrinterOrientation(SystemSettings.PageOrientation);
  ShowPrinterInfo();
  PageLengthRe->setValue(ToDisplayUnits(LogPageLength));
  PageWidthRe->setValue(ToDisplayUnits(LogPageWidth));
}

void TPageSetupFrm::Recolour(TNumberEdit* edit, double printable) {
  const bool fits = Hundredths(printable) >= Hundredths(edit->value());
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Text, fits ? QColor(0, 0, 255) : QColor(255, 0, 0));
  edit->setPalette(palette);
}

void TPageSetupFrm::PageLengthREChange() { Recolour(PageLengthRe, PrintableLength); }
void TPageSetupFrm::PageWidthReChange() { Recolour(PageWidthRe, PrintableWidth); }

void TPageSetupFrm::UnitClick() {
  // Called from either radio button; without a sender the selection stands.
  const bool inches = sender() ? sender() == InchCb : InchCb->isChecked();
  InchCb->setChecked(inches);
  CMCb->setChecked(!InchCb->isChecked());
  ShowPrinterInfo();
}

void TPageSetupFrm::PrintersClick() {
  // Qt has no dialog that only chooses a printer: the print dialog chooses
  // the printer and, under its properties, the paper and orientation. Here
  // it prints nothing, so its button says OK.
  QPrintDialog dialog(&viewer::CurrentPrinter(), this);
  dialog.setWindowTitle("Print Setup");
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText("OK");
  if (RunDialog(dialog) == QDialog::Accepted) ShowPrinterInfo();
}

void TPageSetupFrm::DefaultClick() {
  PageLengthRe->setValue(PrintableLength);
  PageWidthRe->setValue(PrintableWidth);
}

void TPageSetupFrm::OKBtnClick() {
  LogPageLength = PageLengthRe->value();
  LogPageWidth = PageWidthRe->value();
  // A size that is no positive number would end up in the log's header and
  // leave it without a usable page: ask again instead.
  if (!(LogPageLength > 0) || !(LogPageWidth > 0)) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "Please enter a page length and width greater than zero.");
    return;
  }
  if (Hundredths(LogPageLength) > Hundredths(PrintableLength) ||
      Hundredths(LogPageWidth) > Hundredths(PrintableWidth)) {
    const auto answer = platform::ShowMessageBox(
        platform::BoxKind::Confirmation,
        "The user set page size is larger than the current printer page size. Do you want to fix?",
        platform::BoxButtons::YesNo);
    if (answer == platform::BoxAnswer::Yes) return;  // back to the dialog
  }
  const int orientation = viewer::CurrentPrinterOrientation();
  DialogOrientation = static_cast<uint8_t>(orientation);
  if (CMCb->isChecked()) {
    LogPageLength /= kCentimetresPerInch;
    LogPageWidth /= kCentimetresPerInch;
  }
  SystemSettings.UnitsInches = InchCb->isChecked() ? 1 : 0;
  SystemSettings.PageOrientation = static_cast<uint8_t>(orientation);
  SystemSettings.PageLength = LogPageLength;
  SystemSettings.PageWidth = LogPageWidth;
  accept();
}

bool EditPageSetup(double pageLength, double pageWidth, uint8_t& orientation, double& newLength,
                   double& newWidth) {
  TPageSetupFrm dialog;
  dialog.LogPageLength = pageLength;
  dialog.LogPageWidth = pageWidth;
  dialog.DialogOrientation = orientation;
  dialog.FormShow();
  if (RunDialog(dialog) != QDialog::Accepted) return false;
  newLength = dialog.LogPageLength;
  newWidth = dialog.LogPageWidth;
  orientation = dialog.DialogOrientation;
  return true;
}

void SetPrinterOrientation(int orientation) {
  QPrinter& printer = viewer::CurrentPrinter();
  const auto wanted = orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
  if (!printer.setPageOrientation(wanted)) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "The printer refused the orientation - Unable to set printer "
                             "orientation.");
  }
}
