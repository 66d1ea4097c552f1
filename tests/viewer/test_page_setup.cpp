// The page setup dialog: colours, units, the default size and the "fix?"
// question.
#include <QLabel>
#include <QPrintDialog>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "PrintTestSupport.h"
#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/PageSetup.h"
#include "viewer/PrinterAccess.h"

using namespace viewertest;
using platform::BoxAnswer;

namespace {


QColor TextColour(const QWidget* w) { return w->palette().color(QPalette::Text); }
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// The program's current printer writes PDF here: its name is the PDF
// writer's.
constexpr const char* kPdfPrinter = "Print to File (PDF)";

class PageSetupTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    // A printer of letter paper with a quarter inch it cannot print on each
    // side: 8 x 10.5 inches printable.
    viewer::SetPrintersInstalledForTests(true);
    printtest::PrintToPdf(Path("setup.pdf"), 300, 8.5, 11.0, 0.25);
  }
  // The dialog as EditPageSetup fills it.
  std::unique_ptr<TPageSetupFrm> Dialog(double length, double width) {
    auto d = std::make_unique<TPageSetupFrm>();
    d->LogPageLength = length;
    d->LogPageWidth = width;
    d->FormShow();
    return d;
  }
};

}  // namespace

TEST_F(PageSetupTest, ShowsThePrinterInInchesAndColoursBySizeInHundredths) {
  auto d = Dialog(10.504, 8.0);
  EXPECT_EQ(d->PrinterLbl->text(), kPdfPrinter);
  EXPECT_EQ(d->Page->text(), "Page = 11.00\" x 8.50\"");
  EXPECT_EQ(d->PrintLength->text(), "Printable Length = 10.50\"");
  EXPECT_EQ(d->PrintWidth->text(), "Printable Width = 8.00\"");
  // 10.504 and 10.50 are both 1050 hundredths: equal, so blue.
  EXPECT_EQ(TextColour(d->PageLengthRe), kBlue);
  EXPECT_EQ(TextColour(d->PageWidthRe), kBlue);
  d->PageLengthRe->setValue(10.506);  // 1051 hundredths
  EXPECT_EQ(TextColour(d->PageLengthRe), kRed);
  d->PageWidthRe->setValue(8.01);
  EXPECT_EQ(TextColour(d->PageWidthRe), kRed);

  d->PageLengthRe->setValue(10.504);
  d->PageWidthRe->setValue(8.0);
  d->OKBtn->click();
  EXPECT_TRUE(platform::ShownBoxes().empty()) << "no question for equal sizes";
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(d->LogPageLength, 10.504);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 10.504);
}

TEST_F(PageSetupTest, SwitchingToCentimetresKeepsTheNumbersAndOkConvertsBack) {
  auto d = Dialog(10.0, 8.0);
  d->PageLengthRe->setValue(11);
  d->CMCb->click();
  EXPECT_TRUE(d->CMCb->isChecked());
  EXPECT_FALSE(d->InchCb->isChecked());
  EXPECT_EQ(d->PageLengthRe->value(), 11.0);
  EXPECT_EQ(d->PrintLength->text(), "Printable Length = 26.67cm");
  EXPECT_EQ(d->Page->text(), "Page = 27.94cm x 21.59cm");
  EXPECT_EQ(TextColour(d->PageLengthRe), kBlue) << "11 cm fits 26.67 cm";
  d->OKBtn->click();
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(d->LogPageLength, 11 / 2.54);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 11 / 2.54);
  EXPECT_DOUBLE_EQ(SystemSettings.PageWidth, 8.0 / 2.54);
  EXPECT_EQ(SystemSettings.UnitsInches, 0);

  // Back to inches: the numbers are again read as inches.
  auto again = Dialog(4.0, 3.0);
  EXPECT_TRUE(again->CMCb->isChecked()) << "the unit chosen last is remembered";
  EXPECT_DOUBLE_EQ(again->PageLengthRe->value(), 4.0 * 2.54);
  again->InchCb->click();
  EXPECT_DOUBLE_EQ(again->PageLengthRe->value(), 4.0 * 2.54);
  EXPECT_EQ(TextColour(again->PageLengthRe), kBlue) << "10.16 inches fits 10.50";
}

TEST_F(PageSetupTest, SetDefaultSizeFillsThePrintableAreaSoOkAsksNothing) {
  SystemSettings.UnitsInches = 0;
  auto d = Dialog(30.0, 20.0);
  EXPECT_EQ(TextColour(d->PageLengthRe), kRed);
  d->Default->click();
  EXPECT_DOUBLE_EQ(d->PageLengthRe->value(), 10.5 * 2.54);
  EXPECT_DOUBLE_EQ(d->PageWidthRe->value(), 8.0 * 2.54);
  EXPECT_EQ(TextColour(d->PageLengthRe), kBlue);
  d->OKBtn->click();
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_NEAR(SystemSettings.PageLength, 10.5, 1e-9);
  EXPECT_NEAR(SystemSettings.PageWidth, 8.0, 1e-9);
}

TEST_F(PageSetupTest, YesToFixKeepsTheDialogOpenAndNoGoesOnWithTheLargerSize) {
  auto d = Dialog(12.0, 8.0);
  platform::QueueBoxAnswer(BoxAnswer::Yes);
  d->OKBtn->click();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text,
            "The user set page size is larger than the current printer page size. Do you want "
            "to fix?");
  EXPECT_EQ(platform::ShownBoxes()[0].buttons, platform::BoxButtons::YesNo);
  EXPECT_EQ(d->result(), 0) << "still open";
  EXPECT_DOUBLE_EQ(d->PageLengthRe->value(), 12.0);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 11.0) << "settings untouched";

  platform::ClearShownBoxes();
  platform::QueueBoxAnswer(BoxAnswer::No);
  d->OKBtn->click();
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 12.0);
}

TEST_F(PageSetupTest, EditPageSetupCancelLeavesEverythingAsItWas) {
  uint8_t orientation = 0;
  double length = -1, width = -1;
  SystemSettings.UnitsInches = 1;
  QueueDialog([](QDialog& d) {
    auto& dialog = dynamic_cast<TPageSetupFrm&>(d);
    dialog.CMCb->click();
    dialog.PageLengthRe->setValue(5);
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(EditPageSetup(12.0, 8.0, orientation, length, width));
  EXPECT_EQ(length, -1);
  EXPECT_EQ(SystemSettings.UnitsInches, 1);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 11.0);

  QueueDialog([](QDialog& d) {
    auto& dialog = dynamic_cast<TPageSetupFrm&>(d);
    EXPECT_DOUBLE_EQ(dialog.PageLengthRe->value(), 9.5) << "opens with the log's size";
    dialog.OKBtn->click();
    return dialog.result();
  });
  EXPECT_TRUE(EditPageSetup(9.5, 7.5, orientation, length, width));
  EXPECT_DOUBLE_EQ(length, 9.5);
  EXPECT_DOUBLE_EQ(width, 7.5);
}

TEST_F(PageSetupTest, SizesThatAreNoPositiveNumberAreRedAndNotAccepted) {
  auto d = Dialog(std::nan(""), 8.0);
  EXPECT_EQ(TextColour(d->PageLengthRe), kRed) << "a NaN size never fits";
  for (const char* text : {"abc", "", "0", "-3"}) {
    platform::ClearShownBoxes();
    d->PageLengthRe->setText(text);
    d->OKBtn->click();
    ASSERT_EQ(platform::ShownBoxes().size(), 1u) << text;
    EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
    EXPECT_EQ(d->result(), 0) << text;
  }
  d->PageLengthRe->setText("abc");
  EXPECT_EQ(TextColour(d->PageLengthRe), kRed);
  EXPECT_DOUBLE_EQ(SystemSettings.PageLength, 11.0);
}

// "&Printers" chooses among the printers (the print dialog, on the
// program's current printer), and the dialog shows the printer chosen.
TEST_F(PageSetupTest, PrintersChoosesTheCurrentPrinterAndShowsTheChoice) {
  auto d = Dialog(12.0, 8.0);
  EXPECT_EQ(TextColour(d->PageLengthRe), kRed);
  QueueDialog([this](QDialog& dialog) {
    auto* chooser = dynamic_cast<QPrintDialog*>(&dialog);
    EXPECT_NE(chooser, nullptr) << "a dialog that chooses the printer";
    if (chooser) EXPECT_EQ(chooser->printer(), &viewer::CurrentPrinter());
    // The user picks a printer of 11 x 17 inch paper.
    printtest::PrintToPdf(Path("wide.pdf"), 300, 11.0, 17.0, 0.25);
    return int(QDialog::Accepted);
  });
  d->Printers->click();
  EXPECT_EQ(DialogsRun(), 1);
  EXPECT_EQ(d->PrintLength->text(), "Printable Length = 16.50\"");
  EXPECT_EQ(TextColour(d->PageLengthRe), kBlue) << "12 inches fit the wide printer";
}
