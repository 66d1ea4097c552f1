#include "viewer/Rerror.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TResourceBox::TResourceBox(QWidget* owner) : QDialog(owner) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  QFont font("Arial");
  font.setPixelSize(13);
  setFont(font);
  setFixedSize(491, 266);

  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  Panel1->setLineWidth(2);
  Panel1->setGeometry(8, 8, 475, 210);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setGeometry(12, 12, 32, 32);
  ProgramIcon->setPixmap(QIcon(":/ZKORVALE").pixmap(32, 32));

  Memo1 = new QPlainTextEdit(Panel1);
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setGeometry(56, 12, 407, 116);
  Memo1->setPlainText(
      "There are insufficient resources to create a \n"
      "Tarnfel display.\n"
      "\n"
      "1) Close other programs.\n"
      "2) Reduce the number of screen colors to 256 or less.\n"
      "3) Decrease the default printer's page size.\n"
      "4) Close and restart Tarnfel.\n"
      "5) Windows 9x may require you to restart Windows to \n"
      "     recover resources and memory.");

  QFont bold = font;
  bold.setBold(true);
  SizeLBL = new QLabel(Panel1);
  ColorLBL = new QLabel(Panel1);
  ReqMem = new QLabel(Panel1);
  int top = 136;
  for (QLabel* label : {SizeLBL, ColorLBL, ReqMem}) {
    label->setFont(bold);
    label->setGeometry(56, top, 407, 20);
    top += 22;
  }

  OKButton = new QPushButton("OK", this);
  OKButton->setGeometry(208, 228, 75, 28);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}
