#pragma once
// Every modal message box of the program goes through ShowMessageBox.
//
// Three modes:
//  - Interactive: the presenter that the windows layer installs shows the box
//    (a QMessageBox) and the user's answer is returned; without a presenter
//    (a program with no windows) a box is handled as in Headless mode.
//  - Scripted (tests): answers are taken from a queue filled in advance; when
//    the queue is empty the default answer is returned. Every box is recorded.
//  - Headless (command-line tools): each box becomes one line on stderr,
//    "korvale: <kind>: <text>" with line breaks turned into spaces, and the
//    default answer is returned.
//
// The default answer is the one that changes nothing: OK for a box with only
// OK, Cancel when the box offers Cancel, otherwise No.
//
// Texts use "\r" for a line break inside the box.

#include <string>
#include <vector>

namespace platform {

enum class BoxKind { Warning, Error, Information, Confirmation, Plain };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };

enum class BoxMode { Interactive, Scripted, Headless };

struct ShownBox {
  BoxKind kind;
  BoxButtons buttons;
  std::string caption;
  std::string text;
  BoxAnswer answer;
};

BoxAnswer ShowMessageBox(BoxKind kind, const std::string& text,
                         BoxButtons buttons = BoxButtons::Ok,
                         const std::string& caption = {});

BoxAnswer DefaultAnswer(BoxButtons buttons);

// The title bar text of a box shown without a caption of its own: the
// application's title once start-up has set it, the executable's name before.
void SetDefaultBoxCaption(const std::string& caption);

void SetMessageBoxMode(BoxMode mode);
BoxMode MessageBoxMode();

// Shows one box to the user and returns the button chosen (one that buttons
// offers). caption is the box's own caption or, when it brings none, the
// default caption; empty when neither is set.
using BoxPresenter = BoxAnswer (*)(BoxKind kind, const std::string& text, BoxButtons buttons,
                                   const std::string& caption);
// Installs the presenter of Interactive mode; nullptr removes it.
void SetMessageBoxPresenter(BoxPresenter presenter);

// Scripted mode: answers used in order by the next boxes.
void QueueBoxAnswer(BoxAnswer answer);
// Boxes shown since the last ClearShownBoxes (all modes record them).
const std::vector<ShownBox>& ShownBoxes();
void ClearShownBoxes();

// "\r" and "\r\n" as line breaks, as QMessageBox wants them ("\n").
std::string BoxTextWithNewlines(const std::string& text);

}  // namespace platform
