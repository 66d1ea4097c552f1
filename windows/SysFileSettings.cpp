#include "windows/SysFileSettings.h"

#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "windows/CommandGuard.h"

namespace {

// The platform's file dialog: "Select", the file must exist. Read-only files
// are offered: the libraries are only read, and installed ones are read-only.
std::string RunBrowseDialog(QWidget* parent, const std::string& filter,
                            const std::string& current) {
  QFileDialog dialog(parent, "Select");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(QString());
  dialog.setNameFilters(QString::fromStdString(filter).split(";;"));
  dialog.setSizeGripEnabled(true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, false);
  const QFileInfo currentFile(QString::fromStdString(current));
  if (!current.empty()) dialog.setDirectory(currentFile.absolutePath());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

QGroupBox* FileGroup(const char* title, QWidget* parent, QLineEdit*& box, QToolButton*& button) {
  auto* group = new QGroupBox(title, parent);
  auto* row = new QHBoxLayout(group);
  box = new QLineEdit(group);
  box->setReadOnly(true);  // names come from the browse dialog only
  box->setMinimumWidth(360);
  button = new QToolButton(group);
  button->setText("...");
  button->setToolTip("Browse");
  row->addWidget(box, 1);
  row->addWidget(button);
  return group;
}

}  // namespace

TSysFilesFra::TSysFilesFra(QWidget* parent) : QFrame(parent) {
  auto* layout = new QVBoxLayout(this);
  KeywordGroup = FileGroup("&Keyword File", this, KeywordEd, KeywordBtn);
  PatternGroup = FileGroup("&Pattern File", this, PatternEd, PatternBtn);
  SymbolGroup = FileGroup("S&ymbol File", this, SymbolEd, SymbolBtn);
  layout->addWidget(KeywordGroup);
  layout->addWidget(PatternGroup);
  layout->addWidget(SymbolGroup);
  // A failure while browsing is shown and the dialog stays open.
  constexpr const char* kPhrase = "Error in the System Files Dialog";
  connect(KeywordBtn, &QToolButton::clicked, this,
          GuardedSlot(this, &TSysFilesFra::KeywordBtnClick, kPhrase));
  connect(PatternBtn, &QToolButton::clicked, this,
          GuardedSlot(this, &TSysFilesFra::PatternBtnClick, kPhrase));
  connect(SymbolBtn, &QToolButton::clicked, this,
          GuardedSlot(this, &TSysFilesFra::SymbolBtnClick, kPhrase));
}

std::string TSysFilesFra::KeywordFile() const { return KeywordEd->text().toStdString(); }
std::string TSysFilesFra::PatternFile() const { return PatternEd->text().toStdString(); }
std::string TSysFilesFra::SymbolFile() const { return SymbolEd->text().toStdString(); }
void TSysFilesFra::SetKeywordFile(const std::string& p) { KeywordEd->setText(QString::fromStdString(p)); }
void TSysFilesFra::SetPatternFile(const std::string& p) { PatternEd->setText(QString::fromStdString(p)); }
void TSysFilesFra::SetSymbolFile(const std::string& p) { SymbolEd->setText(QString::fromStdString(p)); }

void TSysFilesFra::KeywordBtnClick() { Browse(KeywordEd, kKeywordFilter); }
void TSysFilesFra::PatternBtnClick() { Browse(PatternEd, kPatternFilter); }
void TSysFilesFra::SymbolBtnClick() { Browse(SymbolEd, kSymbolFilter); }

void TSysFilesFra::Browse(QLineEdit* box, const char* filter) {
  const std::string current = box->text().toStdString();
  const std::string chosen =
      BrowseDialog ? BrowseDialog(filter, current) : RunBrowseDialog(this, filter, current);
  if (chosen.empty()) return;
  // The dialog insists on an existing file; a name that does not (any more)
  // exist is not taken either way.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(chosen, ec)) return;
  box->setText(QString::fromStdString(chosen));
}
