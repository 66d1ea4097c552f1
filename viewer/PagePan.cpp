#include "viewer/PagePan.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

TPagePan::TPagePan(QWidget* page, QAbstractScrollArea* area)
    : QObject(page), page_(page), area_(area) {
  page->installEventFilter(this);
}

bool TPagePan::Pannable() const {
  return area_->horizontalScrollBar()->maximum() > area_->horizontalScrollBar()->minimum() ||
         area_->verticalScrollBar()->maximum() > area_->verticalScrollBar()->minimum();
}

bool TPagePan::eventFilter(QObject* watched, QEvent* event) {
  if (watched != page_ || resending_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() != Qt::LeftButton || press->modifiers() != Qt::NoModifier || !Pannable())
        return false;
      grabbed_ = press->globalPosition().toPoint();
      scrolledAtGrab_ = QPoint(area_->horizontalScrollBar()->value(),
                               area_->verticalScrollBar()->value());
      page_->setCursor(Qt::ClosedHandCursor);
      return false;  // the page sees the press as well
    }
    case QEvent::MouseMove:
      return grabbed_ && Moved(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
      if (grabbed_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        grabbed_.reset();
        page_->unsetCursor();
      }
      return false;
    default:
      return false;
  }
}

bool TPagePan::Moved(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    grabbed_.reset();
    page_->unsetCursor();
    return false;
  }
  const QPoint global = event->globalPosition().toPoint();
  const QPoint moved = global - *grabbed_;
  area_->horizontalScrollBar()->setValue(scrolledAtGrab_.x() - moved.x());
  area_->verticalScrollBar()->setValue(scrolledAtGrab_.y() - moved.y());
  // The move as the page now lies under the pointer.
  QMouseEvent under(QEvent::MouseMove, page_->mapFromGlobal(QPointF(global)), event->globalPosition(),
                    event->button(), event->buttons(), event->modifiers());
  resending_ = true;
  QApplication::sendEvent(page_, &under);
  resending_ = false;
  return true;
}
