#include "viewer/PageImage.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <cmath>
#include <limits>

namespace {

// Stands for "the whole page" in HLine and VLine: clipped by the widget.
constexpr qreal kAcross = 1e7;

}  // namespace

PageMark PageMark::HLine(qreal row, const QColor& color, qreal width) {
  PageMark mark;
  mark.line = QLineF(-kAcross, row, kAcross, row);
  mark.color = color;
  mark.width = width;
  return mark;
}

PageMark PageMark::VLine(qreal column, const QColor& color, qreal width) {
  PageMark mark;
  mark.line = QLineF(column, -kAcross, column, kAcross);
  mark.color = color;
  mark.width = width;
  return mark;
}

PageMark PageMark::Outline(const QRectF& rect, const QColor& color, qreal width) {
  PageMark mark;
  mark.shape = Shape::Rect;
  mark.rect = rect;
  mark.color = color;
  mark.width = width;
  return mark;
}

TPageImage::TPageImage(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setToolTip(QString());  // the page image shows no hints
}

void TPageImage::ShowPage(const QPixmap& page, QSize pagePixels, qreal ratio) {
  page_ = page;
  pagePixels_ = pagePixels;
  ratio_ = ratio > 0 ? ratio : 1;
  // pixmap() gives what is shown, as a label would.
  QPixmap shown = page;
  shown.setDevicePixelRatio(ratio_);
  setPixmap(shown);
  resize(QSizeF(QSizeF(pagePixels) / ratio_).toSize());
  update();
}

bool TPageImage::ShowsStandIn() const { return !page_.isNull() && page_.size() != pagePixels_; }

QPointF TPageImage::ToPagePixel(QPointF widgetPoint) const { return widgetPoint * ratio_; }

QPointF TPageImage::ToWidgetPoint(QPointF pagePixel) const { return pagePixel / ratio_; }

void TPageImage::SetOverlay(const QString& layer, std::vector<PageMark> marks) {
  if (marks.empty())
    overlay_.erase(layer);
  else
    overlay_[layer] = std::move(marks);
  update();
}

void TPageImage::ClearOverlay(const QString& layer) {
  if (overlay_.erase(layer)) update();
}

const std::vector<PageMark>& TPageImage::Overlay(const QString& layer) const {
  static const std::vector<PageMark> none;
  const auto found = overlay_.find(layer);
  return found == overlay_.end() ? none : found->second;
}

void TPageImage::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = ToPagePixel(event->position());
  emit MouseMoved(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
  QLabel::mouseMoveEvent(event);
}

void TPageImage::mousePressEvent(QMouseEvent* event) {
  const QPointF p = ToPagePixel(event->position());
  emit MousePressed(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
  QLabel::mousePressEvent(event);
}

void TPageImage::leaveEvent(QEvent* event) {
  emit MouseLeft();
  QLabel::leaveEvent(event);
}

void TPageImage::paintEvent(QPaintEvent* event) {
  if (page_.isNull()) return;
  QPainter painter(this);
  const QRectF target(QPointF(0, 0), QSizeF(pagePixels_) / ratio_);
  if (page_.size() == pagePixels_) {
    QPixmap sharp = page_;
    sharp.setDevicePixelRatio(ratio_);
    painter.drawPixmap(QPointF(0, 0), sharp);
  } else {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, page_, QRectF(page_.rect()));
  }
  if (overlay_.empty()) return;
  painter.setClipRect(event->rect());
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const auto& [layer, marks] : overlay_) {
    for (const PageMark& mark : marks) {
      const QPen pen(mark.color, mark.width, mark.style);
      painter.setPen(pen);
      if (mark.shape == PageMark::Shape::Line) {
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(QLineF(ToWidgetPoint(mark.line.p1()), ToWidgetPoint(mark.line.p2())));
      } else {
        painter.setBrush(mark.fill.alpha() ? QBrush(mark.fill) : QBrush(Qt::NoBrush));
        painter.drawRect(
            QRectF(ToWidgetPoint(mark.rect.topLeft()), ToWidgetPoint(mark.rect.bottomRight())));
      }
    }
  }
}

int ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96;
  const double dpi = screen->logicalDotsPerInchY();
  if (!std::isfinite(dpi) || dpi < 1 || dpi > 10000) return 96;
  return static_cast<int>(std::lround(dpi));
}
