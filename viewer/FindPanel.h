#pragma once
// The Find panel: the text to look for and the list of what was found, one
// row per text with its page, its depth and the text around the phrase.
#include <QDockWidget>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TFindPanel : public QDockWidget {
  Q_OBJECT
 public:
  explicit TFindPanel(QWidget* parent = nullptr);

  QLineEdit* FindEd;
  QPushButton* FindBtn;
  QLabel* StatusLbl;
  QTreeWidget* ResultsList;

 signals:
  // Enter or the Find button with the phrase typed.
  void Search(const QString& phrase);
  // A row of the result list chosen, counted from 0.
  void HitChosen(int row);
};

namespace viewer {
// The part of `text` around its first `phrase` (case ignored), at most about
// `width` characters, with "..." where it was cut.
QString TextAround(const QString& text, const QString& phrase, int width = 60);
}  // namespace viewer
