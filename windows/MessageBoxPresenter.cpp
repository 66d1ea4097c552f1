#include "windows/MessageBoxPresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/MessageBox.h"

namespace {

using platform::BoxAnswer;
using platform::BoxButtons;
using platform::BoxKind;

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
  const QString title =
      caption.empty() ? QApplication::applicationName() : QString::fromLocal8Bit(caption.c_str());
  QMessageBox box(icon, title,
                  QString::fromLocal8Bit(platform::BoxTextWithNewlines(text).c_str()), set,
                  QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    // Closed without a button: Cancel where the box offers it; the caller
    // turns an answer the box does not offer into its default.
    default: return BoxAnswer::Cancel;
  }
}

}  // namespace

void InstallMessageBoxPresenter() { platform::SetMessageBoxPresenter(&AskUser); }
