#include "viewer/PageImage.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

TPageImage::TPageImage(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setToolTip(QString());  // the page image shows no hints
}

void TPageImage::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseMoved(p.x(), p.y());
  QLabel::mouseMoveEvent(event);
}

void TPageImage::paintEvent(QPaintEvent*) {
  const QPixmap page = pixmap();
  if (page.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, page);
}

int ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96;
  const double dpi = screen->logicalDotsPerInchY();
  if (!std::isfinite(dpi) || dpi < 1 || dpi > 10000) return 96;
  return static_cast<int>(std::lround(dpi));
}
