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

void TPageImage::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MousePressed(p.x(), p.y());
  QLabel::mousePressEvent(event);
}

void TPageImage::leaveEvent(QEvent* event) {
  emit MouseLeft();
  QLabel::leaveEvent(event);
}

void TPageImage::SetMarks(const PageMarks& marks) {
  if (marks == marks_) return;
  marks_ = marks;
  update();
}

void TPageImage::paintEvent(QPaintEvent*) {
  const QPixmap page = pixmap();
  if (page.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, page);
  if (marks_.lines.empty() && marks_.boxes.empty()) return;
  // A colour that no log draws with much, so the mark stands out on any page.
  QPen pen(QColor(220, 0, 120));
  pen.setWidth(1);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  for (const PageMarks::Line& line : marks_.lines)
    painter.drawLine(line.left, line.row, line.right, line.row);
  pen.setWidth(2);
  painter.setPen(pen);
  for (const QRect& box : marks_.boxes) painter.drawRect(box.adjusted(-2, -2, 2, 2));
}

int ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96;
  const double dpi = screen->logicalDotsPerInchY();
  if (!std::isfinite(dpi) || dpi < 1 || dpi > 10000) return 96;
  return static_cast<int>(std::lround(dpi));
}
