#pragma once
// The program's help: one HTML document beside the executable (the program's
// path with the extension ".hlp"), shown in a help window at its contents, its
// index or a numbered topic (an anchor "topic<number>").
#include <QTextBrowser>
#include <string>

class THelpWindow : public QTextBrowser {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  // Loads the help file (if it changed) and scrolls to anchor.
  bool ShowAnchor(const std::string& helpFile, const QString& anchor);
  const QString& CurrentAnchor() const { return anchor_; }

 private:
  QString loadedFile_;
  QString anchor_;
};

// Help commands of the help engine that the program uses.
constexpr int HELP_CONTEXT = 1;       // show a topic by its context number
constexpr int HELP_FINDER = 15;       // the contents page
constexpr int HELP_PARTIALKEY = 261;  // the index

void SetApplicationHelpFile(const std::string& path);
const std::string& ApplicationHelpFile();

// Runs a help command on the application's help file. A missing help file is
// reported in an error box. Returns whether the help was shown.
bool RunHelpCommand(int command, int context = 0);
bool ShowHelpTopic(int context);

// The single help window (nullptr until help was first asked for).
THelpWindow* HelpWindow();
void CloseHelpWindowForTests();
