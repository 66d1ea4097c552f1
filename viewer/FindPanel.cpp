#include "viewer/FindPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

TFindPanel::TFindPanel(QWidget* parent) : QDockWidget("Find", parent) {
  setObjectName("FindPanel");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* row = new QHBoxLayout;
  FindEd = new QLineEdit(body);
  FindEd->setPlaceholderText("Text to find");
  FindBtn = new QPushButton("&Find", body);
  row->addWidget(FindEd, 1);
  row->addWidget(FindBtn);
  layout->addLayout(row);
  StatusLbl = new QLabel(body);
  layout->addWidget(StatusLbl);
  ResultsList = new QTreeWidget(body);
  ResultsList->setRootIsDecorated(false);
  ResultsList->setUniformRowHeights(true);
  ResultsList->setHeaderLabels({"Page", "Depth", "Text"});
  ResultsList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  ResultsList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  layout->addWidget(ResultsList, 1);
  setWidget(body);

  const auto search = [this] { emit Search(FindEd->text()); };
  connect(FindEd, &QLineEdit::returnPressed, this, search);
  connect(FindBtn, &QPushButton::clicked, this, search);
  connect(ResultsList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    emit HitChosen(ResultsList->indexOfTopLevelItem(item));
  });
  connect(ResultsList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    emit HitChosen(ResultsList->indexOfTopLevelItem(item));
  });
}

namespace viewer {

QString TextAround(const QString& text, const QString& phrase, int width) {
  if (text.size() <= width) return text;
  const qsizetype at = std::max<qsizetype>(0, text.indexOf(phrase, 0, Qt::CaseInsensitive));
  // The phrase with as much before it as after it.
  qsizetype start = std::max<qsizetype>(0, at - (width - phrase.size()) / 2);
  start = std::min<qsizetype>(start, text.size() - width);
  QString part = text.mid(start, width);
  if (start > 0) part = "..." + part;
  if (start + width < text.size()) part += "...";
  return part;
}

}  // namespace viewer
