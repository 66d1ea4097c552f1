#include "viewer/ExportDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <limits>

#include "windows/HelpContext.h"

TExportDLG::TExportDLG(QWidget* owner, int32_t pageCount, int32_t current)
    : QDialog(owner), current_(current), count_(std::max(1, pageCount)) {
  setWindowTitle("Export");
  SetHelpContext(this, kHelpContext);
  const int most = static_cast<int>(std::min<int64_t>(count_, std::numeric_limits<int>::max()));
  auto* layout = new QVBoxLayout(this);
  CurrentRB = new QRadioButton(QString("&Current page (%1)").arg(current), this);
  AllRB = new QRadioButton(QString("&All pages (%1)").arg(count_), this);
  RangeRB = new QRadioButton("&Pages", this);
  CurrentRB->setChecked(true);
  FromSE = new QSpinBox(this);
  ToSE = new QSpinBox(this);
  for (QSpinBox* box : {FromSE, ToSE}) {
    box->setRange(1, most);
    box->setValue(std::clamp<int>(current, 1, most));
  }
  auto* range = new QHBoxLayout;
  range->addWidget(RangeRB);
  range->addWidget(FromSE);
  range->addWidget(new QLabel("to", this));
  range->addWidget(ToSE);
  layout->addWidget(CurrentRB);
  layout->addWidget(AllRB);
  layout->addLayout(range);
  DpiSE = new QSpinBox(this);
  DpiSE->setRange(1, 4800);
  DpiSE->setValue(96);
  DpiSE->setSuffix(" dpi");
  auto* form = new QFormLayout;
  form->addRow("PNG &resolution:", DpiSE);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // Changing a page number picks the range.
  for (QSpinBox* box : {FromSE, ToSE})
    connect(box, &QSpinBox::valueChanged, this, [this] { RangeRB->setChecked(true); });
}

int32_t TExportDLG::FirstPage() const {
  if (AllRB->isChecked()) return 1;
  if (RangeRB->isChecked()) return std::min(FromSE->value(), ToSE->value());
  return current_;
}

int32_t TExportDLG::LastPage() const {
  if (AllRB->isChecked()) return count_;
  if (RangeRB->isChecked()) return std::max(FromSE->value(), ToSE->value());
  return current_;
}

std::string NameForPages(const std::string& name, bool severalPages) {
  if (!severalPages || name.find("%d") != std::string::npos) return name;
  const std::filesystem::path path(name);
  const std::string suffix = path.extension().string();
  return name.substr(0, name.size() - suffix.size()) + "-%d" + suffix;
}
