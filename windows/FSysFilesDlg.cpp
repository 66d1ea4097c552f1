#include "windows/FSysFilesDlg.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "windows/CommandGuard.h"
#include "windows/HelpContext.h"
#include "windows/SysFileSettings.h"

namespace {

// The program's main window, which owns the dialog and centres it.
QWidget* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(widget) && widget->isVisible()) return widget;
  return QApplication::activeWindow();
}

// The three names fit their settings fields, or the settings stay as they
// were: nothing is stored unless all three can be.
void StoreNames(const TSysFilesFra& frame) {
  const std::string keyword = frame.KeywordFile();
  const std::string pattern = frame.PatternFile();
  const std::string symbol = frame.SymbolFile();
  for (const std::string* name : {&keyword, &pattern, &symbol})
    if (name->size() >= kSettingsPathSize)
      throw std::length_error("File name longer than " + std::to_string(kSettingsPathSize - 1) +
                              " characters: " + *name);
  SetKeywordFilePath(keyword);
  SetPatternFilePath(pattern);
  SetSymbolFilePath(symbol);
}

}  // namespace

TSysFilesDlg::TSysFilesDlg(QWidget* owner) : QDialog(owner) {
  setObjectName("SysFilesDlg");
  setWindowTitle("System Files");
  SetHelpContext(this, kHelpContext);
  setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  QFont dialogFont("Arial", 10);
  dialogFont.setBold(true);
  setFont(dialogFont);

  SysFilesFra = new TSysFilesFra(this);
  SysFilesFra->setObjectName("SysFilesFra");
  ButtonPanel = new QFrame(this);
  auto* buttons = new QHBoxLayout(ButtonPanel);
  buttons->addStretch(1);
  OkBtn = new QPushButton("OK", ButtonPanel);
  OkBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", ButtonPanel);
  HelpBtn = new QPushButton("&Help", ButtonPanel);
  HelpBtn->setEnabled(static_cast<bool>(HelpCommand));
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this,
          GuardedSlot(this, &TSysFilesDlg::HelpBtnClick, "Error in the System Files Dialog"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(SysFilesFra);
  layout->addWidget(ButtonPanel);
}

void TSysFilesDlg::HelpBtnClick() {
  if (HelpCommand) HelpCommand(kHelpContext);
}

void ShowSystemFilesDialog() {
  try {
    TSysFilesDlg dialog(MainWindow());
    dialog.SysFilesFra->SetKeywordFile(KeywordFilePath());
    dialog.SysFilesFra->SetPatternFile(PatternFilePath());
    dialog.SysFilesFra->SetSymbolFile(SymbolFilePath());
    if (QWidget* owner = dialog.parentWidget()) {
      dialog.adjustSize();
      dialog.move(owner->geometry().center() - dialog.rect().center());
      dialog.setWindowModality(Qt::WindowModal);  // its help stays usable beside it
    }
    if (dialog.exec() == QDialog::Accepted) StoreNames(*dialog.SysFilesFra);
  } catch (const std::exception& failure) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             std::string("Error in the System Files Dialog - ") + failure.what());
  }
}
