#pragma once
// TTextViewDialog: a resizable, read-only window showing one plain-text file,
// with buttons to copy, save and print what it shows. The About box opens the
// program's revision notes in it.
//
// The file is read when the window is shown and again every time it becomes
// the active window, so changes made to it elsewhere show when the user comes
// back.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QFrame;

// One plain-text print job: lines go one below the other onto the printer's
// pages in the printer's current font, with a new page when one is full.
class TextPrintJob {
 public:
  virtual ~TextPrintJob() = default;
  // Starts the job. Throws InOutError when the printer cannot be started.
  virtual void Begin(const std::string& title) = 0;
  virtual void WriteLine(const std::string& line) = 0;
  virtual void End() = 0;
};

class TTextViewDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 90;

  explicit TTextViewDialog(QWidget* parent = nullptr);
  ~TTextViewDialog() override;

  QPlainTextEdit* Memo;
  QFrame* Panel1;
  QPushButton* OkButton;
  QPushButton* CopyButton;
  QPushButton* SaveAsButton;
  QPushButton* PrintButton;

  // The file shown; read on every activation.
  std::string TextFileName;

  // The save dialog: gets title, filter (Qt form), proposed name and default
  // extension; returns the chosen path or "" for Cancel.
  std::function<std::string(const std::string& title, const std::string& filter,
                            const std::string& fileName, const std::string& defaultExt)>
      SaveDialog;
  // The print dialog: returns a print job on the chosen printer, or nullptr
  // when the user cancels.
  std::function<std::unique_ptr<TextPrintJob>()> PrintDialog;

  // The memo's lines, as the file held them (without line ends).
  std::vector<std::string> Lines() const;

  void FormActivate();

 public slots:
  void OkButtonClick();
  void CopyButtonClick();
  void SaveAsButtonClick();
  void PrintButtonClick();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool lastLoadFailed_ = false;
};

// Opens a new text viewer with caption and file and returns at once; the
// viewer stays open beside the program's other windows. Every call makes a
// new viewer; viewers live until the program ends.
TTextViewDialog* ShowTextView(const std::string& caption, const std::string& fileName);

// "name" -> "name.TXT": the save dialog's default extension added to a name
// that has none.
std::string WithDefaultExtension(const std::string& fileName, const std::string& ext);
