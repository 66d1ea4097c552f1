#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {

ScreenMetrics PrimaryScreenMetrics() {
  ScreenMetrics m;
  if (QGuiApplication::instance()) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      m.width = screen->geometry().width();
      m.height = screen->geometry().height();
      double dpi = screen->logicalDotsPerInch();
      if (std::isfinite(dpi) && dpi >= 1 && dpi < 10000) m.pixelsPerInch = static_cast<int>(std::lround(dpi));
    }
  }
  return m;
}

}  // namespace platform
