#include "platform/MessageBox.h"

#include <cstdio>
#include <deque>

namespace platform {
namespace {

BoxMode g_mode = BoxMode::Interactive;
std::deque<BoxAnswer> g_queue;
std::vector<ShownBox> g_shown;
std::string g_defaultCaption;
BoxPresenter g_presenter = nullptr;

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
  BoxMode mode = g_mode;
  if (mode == BoxMode::Interactive && !g_presenter) mode = BoxMode::Headless;
  switch (mode) {
    case BoxMode::Interactive:
      answer = g_presenter(kind, text, buttons, caption.empty() ? g_defaultCaption : caption);
      if (!Offers(buttons, answer)) answer = DefaultAnswer(buttons);
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
void SetMessageBoxPresenter(BoxPresenter presenter) { g_presenter = presenter; }
BoxMode MessageBoxMode() { return g_mode; }
void QueueBoxAnswer(BoxAnswer answer) { g_queue.push_back(answer); }
const std::vector<ShownBox>& ShownBoxes() { return g_shown; }
void ClearShownBoxes() {
  g_shown.clear();
  g_queue.clear();
}

}  // namespace platform
