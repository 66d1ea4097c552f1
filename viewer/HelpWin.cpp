#include "viewer/HelpWin.h"

#include <QFileInfo>
#include <QUrl>

#include "platform/MessageBox.h"

namespace {
std::string g_helpFile;
THelpWindow* g_window = nullptr;
}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowTitle("Korvale Help");
  // The help stands beside the main window: closing the main window ends the
  // program even while the help is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setOpenExternalLinks(true);
  resize(640, 560);
}

bool THelpWindow::ShowAnchor(const std::string& helpFile, const QString& anchor) {
  const QString file = QString::fromStdString(helpFile);
  if (file != loadedFile_) {
    // The help file keeps the ".hlp" name of the program's help, so tell the
    // browser it is HTML rather than letting it guess from the extension.
    setSource(QUrl::fromLocalFile(file), QTextDocument::HtmlResource);
    loadedFile_ = file;
  }
  anchor_ = anchor;
  scrollToAnchor(anchor);
  return true;
}

void SetApplicationHelpFile(const std::string& path) { g_helpFile = path; }
const std::string& ApplicationHelpFile() { return g_helpFile; }

bool RunHelpCommand(int command, int context) {
  QString anchor;
  switch (command) {
    case HELP_FINDER: anchor = "contents"; break;
    case HELP_PARTIALKEY: anchor = "index"; break;
    case HELP_CONTEXT: anchor = QString("topic%1").arg(context); break;
    default: return false;
  }
  if (g_helpFile.empty() || !QFileInfo(QString::fromStdString(g_helpFile)).isFile()) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "Unable to open the help file " + g_helpFile + ".");
    return false;
  }
  if (!g_window) g_window = new THelpWindow;
  g_window->ShowAnchor(g_helpFile, anchor);
  g_window->show();
  g_window->raise();
  return true;
}

bool ShowHelpTopic(int context) { return RunHelpCommand(HELP_CONTEXT, context); }

THelpWindow* HelpWindow() { return g_window; }

void CloseHelpWindowForTests() {
  delete g_window;
  g_window = nullptr;
}
