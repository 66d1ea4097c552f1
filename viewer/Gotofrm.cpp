#include "viewer/Gotofrm.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "windows/HelpContext.h"

namespace {
DialogRunner g_runner = nullptr;
}

void SetDialogRunnerForTests(DialogRunner runner) { g_runner = runner; }

int RunDialog(QDialog& dialog) {
  // A dialog with an owner blocks only its owner: the help window and the
  // text viewers stay usable while it is open.
  if (dialog.parentWidget()) dialog.setWindowModality(Qt::WindowModal);
  return g_runner ? g_runner(dialog) : dialog.exec();
}

TGotoDLG::TGotoDLG(QWidget* owner) : QDialog(owner) {
  setWindowTitle("Tarnfel: Page");
  SetHelpContext(this, kHelpContext);  // F1: the dialog has no Help button
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QFont font("Arial");
  font.setPixelSize(13);
  font.setBold(true);
  setFont(font);
  setFixedSize(160, 102);

  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::Box);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 144, 50);

  Label1 = new QLabel("Go to page:", this);
  Label1->setGeometry(16, 22, 76, 20);

  PageSE = new QSpinBox(this);
  PageSE->setGeometry(94, 20, 50, 24);
  PageSE->setRange(1, 1000);
  PageSE->setValue(1);

  OKBTN = new QPushButton("OK", this);
  OKBTN->setGeometry(8, 66, 70, 28);
  OKBTN->setDefault(true);
  BitBtn1 = new QPushButton("Cancel", this);
  BitBtn1->setGeometry(82, 66, 70, 28);

  connect(OKBTN, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
  PageSE->setFocus();
}
