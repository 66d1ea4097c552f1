#include "windows/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextBlock>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/MessageBox.h"
#include "support/IoError.h"
#include "windows/CommandGuard.h"
#include "windows/HelpContext.h"
#include "windows/StatusWin.h"

namespace {

constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 20;
constexpr const char* kPrintIndent = "          ";  // ten blanks before every line

// The file's lines without their CR LF (or LF) ends. Throws InOutError when
// the file cannot be opened or read.
std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    const int code = errno ? errno : ENOENT;
    throw InOutError(code, "Cannot open file \"" + path + "\". " + std::strerror(code));
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (file.bad()) throw InOutError(EIO, "Cannot read file \"" + path + "\".");
  return lines;
}

// Printing on a QPrinter: the painter's default font, one line below the
// other, a new page when the next line would not fit.
class PrinterTextJob : public TextPrintJob {
 public:
  explicit PrinterTextJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

  void Begin(const std::string& title) override {
    printer_->setDocName(QString::fromStdString(title));
    if (!painter_.begin(printer_.get()))
      throw InOutError(EIO, "Printer cannot be started: " + printer_->printerName().toStdString());
    lineHeight_ = painter_.fontMetrics().lineSpacing();
    ascent_ = painter_.fontMetrics().ascent();
    y_ = 0;
  }
  void WriteLine(const std::string& line) override {
    const int pageHeight = painter_.viewport().height();
    if (y_ > 0 && y_ + lineHeight_ > pageHeight) {
      if (!printer_->newPage()) throw InOutError(EIO, "Printer cannot start a new page.");
      y_ = 0;
    }
    painter_.drawText(0, y_ + ascent_, QString::fromLatin1(line.c_str()));
    y_ += lineHeight_;
  }
  void End() override { painter_.end(); }

 private:
  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  int lineHeight_ = 0;
  int ascent_ = 0;
  int y_ = 0;
};

std::unique_ptr<TextPrintJob> RunPrintDialog(QWidget* parent) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(printer.get(), parent);
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  return std::make_unique<PrinterTextJob>(std::move(printer));
}

std::string RunSaveDialog(QWidget* parent, const std::string& title, const std::string& filter,
                          const std::string& fileName, const std::string&) {
  return QFileDialog::getSaveFileName(parent, QString::fromStdString(title),
                                      QString::fromStdString(fileName),
                                      QString::fromStdString(filter))
      .toStdString();
}

}  // namespace

std::string WithDefaultExtension(const std::string& fileName, const std::string& ext) {
  if (fileName.empty()) return fileName;
  const std::filesystem::path path(fileName);
  if (path.has_extension()) return fileName;
  return fileName + "." + ext;
}

TTextViewDialog::TTextViewDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Text View");
  SetHelpContext(this, kHelpContext);  // the memo and both file dialogs too
  setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  setSizeGripEnabled(true);
  // A viewer does not keep the program running once the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(630, 461);
  QFont dialogFont("MS Sans Serif", 8);
  dialogFont.setBold(true);
  setFont(dialogFont);

  Memo = new QPlainTextEdit(this);
  Memo->setReadOnly(true);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Lines longer than the window wrap at its width (the file's lines stay
  // whole for Copy, Save As and Print).
  Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFont memoFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  memoFont.setFamilies({"Fixedsys", memoFont.family()});
  memoFont.setBold(false);
  memoFont.setPixelSize(15);
  Memo->setFont(memoFont);
  QPalette memoColours = Memo->palette();
  memoColours.setColor(QPalette::Text, Qt::black);
  Memo->setPalette(memoColours);

  Panel1 = new QFrame(this);
  Panel1->setFixedHeight(28);
  auto* buttons = new QHBoxLayout(Panel1);
  buttons->setContentsMargins(4, 4, 4, 4);
  auto makeButton = [&](const char* caption, void (TTextViewDialog::*handler)()) {
    auto* button = new QPushButton(caption, Panel1);
    button->setFixedSize(kButtonWidth, kButtonHeight);
    connect(button, &QPushButton::clicked, this,
            GuardedSlot(this, handler, "Error in the text viewer"));
    buttons->addWidget(button);
    return button;
  };
  OkButton = makeButton("&Ok", &TTextViewDialog::OkButtonClick);
  CopyButton = makeButton("&Copy", &TTextViewDialog::CopyButtonClick);
  SaveAsButton = makeButton("Save &As", &TTextViewDialog::SaveAsButtonClick);
  PrintButton = makeButton("&Print", &TTextViewDialog::PrintButtonClick);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Memo, 1);
  layout->addWidget(Panel1);

  SaveDialog = [this](const std::string& title, const std::string& filter,
                      const std::string& fileName, const std::string& ext) {
    return RunSaveDialog(this, title, filter, fileName, ext);
  };
  PrintDialog = [this] { return RunPrintDialog(this); };
}

TTextViewDialog::~TTextViewDialog() = default;

std::vector<std::string> TTextViewDialog::Lines() const {
  std::vector<std::string> lines;
  const QTextDocument* document = Memo->document();
  if (document->isEmpty()) return lines;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
    lines.push_back(block.text().toLatin1().toStdString());
  return lines;
}

void TTextViewDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TTextViewDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The text shows at once, also where the window system does not make the
  // new window the active one (opened from a modal box, focus rules).
  if (!event->spontaneous()) FormActivate();
}

void TTextViewDialog::FormActivate() {
  try {
    const std::vector<std::string> lines = ReadLines(TextFileName);
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += '\n';
      text += QString::fromLatin1(lines[i].c_str());
    }
    Memo->setPlainText(text);
    lastLoadFailed_ = false;
  } catch (const std::exception& failure) {
    Memo->clear();
    // The box itself takes the activation away and gives it back when it
    // closes; one box per failure keeps that from repeating without end.
    if (!lastLoadFailed_) {
      lastLoadFailed_ = true;
      platform::ShowMessageBox(platform::BoxKind::Error, failure.what());
    }
  }
}

void TTextViewDialog::OkButtonClick() { hide(); }

void TTextViewDialog::CopyButtonClick() {
  Memo->selectAll();
  QApplication::clipboard()->setText(Memo->toPlainText());
}

void TTextViewDialog::SaveAsButtonClick() {
  const std::string chosen = SaveDialog("Save As ...", "Text File (*.TXT *.txt);;All Files (*)",
                                        "*.TXT", "TXT");
  if (chosen.empty()) return;
  const std::string path = WithDefaultExtension(chosen, "TXT");
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : Lines()) file << line << "\r\n";
  file.close();
  if (!file) {
    const int code = errno ? errno : EIO;
    platform::ShowMessageBox(platform::BoxKind::Error,
                             DescribeIoFailure("Cannot write", path, code));
  }
}

void TTextViewDialog::PrintButtonClick() {
  std::unique_ptr<TextPrintJob> job = PrintDialog();
  if (!job) return;
  ShowStatus("Initializing printer ...");
  try {
    const std::vector<std::string> lines = Lines();
    job->Begin(windowTitle().toStdString());
    const double count = static_cast<double>(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      job->WriteLine(kPrintIndent + lines[i]);
      SetStatusProgress(static_cast<double>(i) / count);
    }
    job->End();
  } catch (const std::exception& failure) {
    platform::ShowMessageBox(platform::BoxKind::Error, failure.what());
  }
  HideStatus();
}

TTextViewDialog* ShowTextView(const std::string& caption, const std::string& fileName) {
  auto* viewer = new TTextViewDialog();
  viewer->setWindowTitle(QString::fromStdString(caption));
  viewer->TextFileName = fileName;
  // Viewers stay until the program ends; the application takes them down.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, viewer, &QObject::deleteLater);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    viewer->move(screen->availableGeometry().center() - viewer->rect().center());
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return viewer;
}
