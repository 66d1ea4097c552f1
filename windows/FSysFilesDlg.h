#pragma once
// TSysFilesDlg: the System Files dialog. It shows the keyword, pattern and
// symbol file names of SystemSettings in a TSysFilesFra; OK copies the names
// back into SystemSettings (in memory: the settings file is written when the
// main window closes). The libraries are not reopened: a graphic device opens
// them when it is created, so new names take effect at the next start.
#include <QDialog>
#include <functional>

class QFrame;
class QPushButton;
class TSysFilesFra;

class TSysFilesDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 58;

  explicit TSysFilesDlg(QWidget* owner = nullptr);

  TSysFilesFra* SysFilesFra;
  QFrame* ButtonPanel;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

  // Shows a help topic by its context number; the program attaches its help
  // window at start-up. Without it the Help button is disabled.
  static inline std::function<void(int context)> HelpCommand;

 public slots:
  void HelpBtnClick();
};

// Runs the System Files dialog over the main window and, on OK, stores the
// three names in SystemSettings. A failure is reported as "Error in the System
// Files Dialog - " + its message, and the settings keep their names.
void ShowSystemFilesDialog();
