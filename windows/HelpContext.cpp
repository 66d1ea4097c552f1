#include "windows/HelpContext.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {

constexpr const char* kProperty = "korvaleHelpContext";

class HelpKeyFilter : public QObject {
 public:
  explicit HelpKeyFilter(std::function<void(int)> show) : show_(std::move(show)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    // The window system hands the key to a window first, which passes it on
    // to its focused control.
    QObject* target = watched;
    if (auto* window = qobject_cast<QWindow*>(watched)) target = window->focusObject();
    const int context = HelpContextOf(qobject_cast<QWidget*>(target));
    if (context == 0) return false;
    show_(context);
    return true;
  }

 private:
  std::function<void(int)> show_;
};

HelpKeyFilter* g_filter = nullptr;

}  // namespace

void SetHelpContext(QWidget* widget, int context) { widget->setProperty(kProperty, context); }

int HelpContextOf(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    const int context = widget->property(kProperty).toInt();
    if (context > 0) return context;
  }
  return 0;
}

void InstallHelpKey(std::function<void(int context)> show) {
  delete g_filter;
  g_filter = nullptr;
  if (!show || !QCoreApplication::instance()) return;
  g_filter = new HelpKeyFilter(std::move(show));
  QCoreApplication::instance()->installEventFilter(g_filter);
}
