#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <deque>

namespace platform {
namespace {

BoxMode g_mode = BoxMode::Interactive;
std::deque<BoxAnswer> g_queue;
std::vector<ShownBox> g_shown;
std::string g_defaultCaption;

const char* KindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Warning: return "warning";
    case BoxKind::Error: return "error";
    case BoxKind::Information: return "information";
    case BoxKind::Confirmation: return "confirmation";
    case BoxKind::Plain: return "message";
  }
  return "message";
}

bool Offers(BoxButtons buttons, BoxAnswer answer) {
  switch (buttons) {
    case BoxButtons::Ok: return answer == BoxAnswer::Ok;
    case BoxButtons::OkCancel: return answer == BoxAnswer::Ok || answer == BoxAnswer::Cancel;
    case BoxButtons::YesNo: return answer == BoxAnswer::Yes || answer == BoxAnswer::No;
    case BoxButtons::YesNoCancel:
      return answer == BoxAnswer::Yes || answer == BoxAnswer::No || answer == BoxAnswer::Cancel;
  }
  return false;
}

BoxAnswer AskUser(BoxKind kind, const std::string& text, BoxButtons buttons,
                  const std::string& caption) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (kind) {
    case BoxKind::Warning: icon = QMessageBox::Warning; break;
    case BoxKind::Error: icon = QMessageBox::Critical; break;
    case BoxKind::Information: icon = QMessageBox::Information; break;
    case BoxKind::Confirmation: icon = QMessageBox::Question; break;
    case BoxKind::Plain: break;
  }
  QMessageBox::StandardButtons set = QMessageBox::Ok;
  switch (buttons) {
    case BoxButtons::Ok: set = QMessageBox::Ok; break;
    case BoxButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case BoxButtons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case BoxButtons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  const std::string& shown = caption.empty() ? g_defaultCaption : caption;
  const QString title =
      shown.empty() ? QApplication::applicationName() : QString::fromLocal8Bit(shown.c_str());
  QMessageBox box(icon, title, QString::fromLocal8Bit(BoxTextWithNewlines(text).c_str()), set,
                  QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    default: return Offers(buttons, BoxAnswer::Cancel) ? BoxAnswer::Cancel : DefaultAnswer(buttons);
  }
}

}  // namespace

BoxAnswer DefaultAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok: return BoxAnswer::Ok;
    case BoxButtons::OkCancel:
    case BoxButtons::YesNoCancel: return BoxAnswer::Cancel;
    case BoxButtons::YesNo: return BoxAnswer::No;
  }
  return BoxAnswer::Ok;
}

std::string BoxTextWithNewlines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

BoxAnswer ShowMessageBox(BoxKind kind, const std::string& text, BoxButtons buttons,
                         const std::string& caption) {
  BoxAnswer answer = DefaultAnswer(buttons);
  switch (g_mode) {
    case BoxMode::Interactive:
      answer = AskUser(kind, text, buttons, caption);
      break;
    case BoxMode::Scripted:
      if (!g_queue.empty()) {
        answer = g_queue.front();
        g_queue.pop_front();
        if (!Offers(buttons, answer)) answer = DefaultAnswer(buttons);
      }
      break;
    case BoxMode::Headless: {
      std::string line = BoxTextWithNewlines(text);
      for (char& c : line)
        if (c == '\n') c = ' ';
      std::fprintf(stderr, "korvale: %s: %s\n", KindName(kind), line.c_str());
      std::fflush(stderr);
      break;
    }
  }
  g_shown.push_back(ShownBox{kind, buttons, caption, text, answer});
  return answer;
}

void SetDefaultBoxCaption(const std::string& caption) { g_defaultCaption = caption; }
void SetMessageBoxMode(BoxMode mode) { g_mode = mode; }
BoxMode MessageBoxMode() { return g_mode; }
void QueueBoxAnswer(BoxAnswer answer) { g_queue.push_back(answer); }
const std::vector<ShownBox>& ShownBoxes() { return g_shown; }
void ClearShownBoxes() {
  g_shown.clear();
  g_queue.clear();
}

}  // namespace platform
