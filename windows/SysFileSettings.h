#pragma once
// TSysFilesFra: the three library file names of the System Files dialog
// (keyword file, pattern library, symbol library). The boxes cannot be typed
// in: a name is chosen with the browse button beside its box, and only a
// file that exists is taken.
#include <QFrame>
#include <functional>
#include <string>

class QGroupBox;
class QLineEdit;
class QToolButton;

class TSysFilesFra : public QFrame {
  Q_OBJECT
 public:
  explicit TSysFilesFra(QWidget* parent = nullptr);

  QGroupBox* KeywordGroup;
  QGroupBox* PatternGroup;
  QGroupBox* SymbolGroup;
  QLineEdit* KeywordEd;
  QLineEdit* PatternEd;
  QLineEdit* SymbolEd;
  QToolButton* KeywordBtn;
  QToolButton* PatternBtn;
  QToolButton* SymbolBtn;

  // Browse filters, in the form of the file dialog. Library names come in any
  // case ("Zelmorth.Pat"), and the platform's own dialogs match patterns
  // case-sensitively; "*" lists every file, also names without a dot.
  static constexpr const char* kKeywordFilter = "Keyword Files (*.key *.Key *.KEY);;All files (*)";
  static constexpr const char* kPatternFilter = "Pattern Files (*.pat *.Pat *.PAT);;All files (*)";
  static constexpr const char* kSymbolFilter = "Symbol File (*.sym *.Sym *.SYM);;All files (*)";

  // The browse dialog ("Select", existing files only, resizable): gets the filter and the current name, returns the chosen
  // path or "" for Cancel. Tests replace it.
  static inline std::function<std::string(const std::string& filter, const std::string& current)>
      BrowseDialog;

  std::string KeywordFile() const;
  std::string PatternFile() const;
  std::string SymbolFile() const;
  void SetKeywordFile(const std::string& path);
  void SetPatternFile(const std::string& path);
  void SetSymbolFile(const std::string& path);

 public slots:
  void KeywordBtnClick();
  void PatternBtnClick();
  void SymbolBtnClick();

 private:
  void Browse(QLineEdit* box, const char* filter);
};
