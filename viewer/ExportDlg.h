#pragma once
// File > Export's pages dialog: the current page, all pages or a range, and
// the resolution of PNG pictures (SVG drawings use it for their units; PDF
// prints at 600 dots per inch as korvale-render does).
#include <QDialog>
#include <cstdint>
#include <string>

class QRadioButton;
class QSpinBox;

class TExportDLG : public QDialog {
  Q_OBJECT
 public:
  // pageCount pages, the current one `current` (1-based).
  TExportDLG(QWidget* owner, int32_t pageCount, int32_t current);
  // F1 here and in the export's file chooser.
  static constexpr int kHelpContext = 64;

  QRadioButton* CurrentRB;
  QRadioButton* AllRB;
  QRadioButton* RangeRB;
  QSpinBox* FromSE;
  QSpinBox* ToSE;
  QSpinBox* DpiSE;

  // The pages chosen, 1-based, first <= last.
  int32_t FirstPage() const;
  int32_t LastPage() const;

 private:
  int32_t current_;
  int32_t count_;
};

// An export name for several pages holds "%d" for the page number: a name
// without it gets "-%d" before its suffix.
std::string NameForPages(const std::string& name, bool severalPages);
