#pragma once
// Dragging the page with the left button pans it, as page viewers do, when
// it is larger than the view: the page follows the pointer. The page still
// sees the pointer move (the depth read-out follows it), at the point of the
// page that is now under it.
#include <QObject>
#include <QPoint>
#include <optional>

class QAbstractScrollArea;
class QMouseEvent;
class QWidget;

class TPagePan : public QObject {
  Q_OBJECT
 public:
  // `page` is the widget the scroll area `area` shows.
  TPagePan(QWidget* page, QAbstractScrollArea* area);
  bool Dragging() const { return grabbed_.has_value(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Pannable() const;
  bool Moved(QMouseEvent* event);

  QWidget* page_;
  QAbstractScrollArea* area_;
  std::optional<QPoint> grabbed_;  // the pointer on the screen at the press
  QPoint scrolledAtGrab_;
  bool resending_ = false;
};
