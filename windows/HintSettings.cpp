#include "windows/HintSettings.h"

#include <QApplication>
#include <QProxyStyle>
#include <QToolTip>

#include "support/Settings.h"

namespace {

// The tool hint behaviour: a proxy of the application's style answers the
// hint delay, and an application-wide filter drops hint events when hints
// are off.
int g_hintPause = 500;
bool g_hintsEnabled = true;

class HintFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip && !g_hintsEnabled) return true;
    return QObject::eventFilter(watched, event);
  }
};

class HintStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return g_hintPause;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

HintFilter* g_hintFilter = nullptr;
HintStyle* g_hintStyle = nullptr;

}  // namespace

void ApplyHintSettings() {
  g_hintPause = GeneralSettings.HintPause < 0 ? 0 : GeneralSettings.HintPause;
  g_hintsEnabled = GeneralSettings.HintPause != 0;
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) return;
  if (!g_hintFilter) {
    g_hintFilter = new HintFilter(app);
    app->installEventFilter(g_hintFilter);
  }
  if (!g_hintStyle || QApplication::style() != g_hintStyle) {
    g_hintStyle = new HintStyle();  // wraps the current style; the application owns it
    QApplication::setStyle(g_hintStyle);
  }
  const uint32_t color = static_cast<uint32_t>(GeneralSettings.HintColor);
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase,
                   QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  QToolTip::setPalette(palette);
}

bool HintsEnabled() { return g_hintsEnabled; }
