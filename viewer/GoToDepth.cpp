#include "viewer/GoToDepth.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "windows/HelpContext.h"

TGoToDepthDlg::TGoToDepthDlg(QWidget* owner) : QDialog(owner) {
  setWindowTitle("Go to Depth");
  SetHelpContext(this, kHelpContext);
  auto* layout = new QGridLayout(this);
  Label1 = new QLabel("&Depth:", this);
  DepthEd = new QLineEdit(this);
  DepthEd->setMinimumWidth(140);
  Label1->setBuddy(DepthEd);
  ElevationCb = new QCheckBox("&Elevation", this);
  auto* buttons = new QDialogButtonBox(this);
  OKBTN = buttons->addButton(QDialogButtonBox::Ok);
  CancelBTN = buttons->addButton(QDialogButtonBox::Cancel);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(DepthEd, 0, 1);
  layout->addWidget(ElevationCb, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ElevationCb, &QCheckBox::toggled, this,
          [this](bool on) { Label1->setText(on ? "&Elevation:" : "&Depth:"); });
  DepthEd->setFocus();
}
