#pragma once
// Image1: the label that shows the page bitmap and reports every mouse move
// over it in image pixels (tracking on, no button needed). The page keeps its
// colours when the window is disabled (as it is while a page is drawn): a
// plain label would show its picture greyed out then.
#include <QLabel>

class TPageImage : public QLabel {
  Q_OBJECT
 public:
  explicit TPageImage(QWidget* parent = nullptr);

 signals:
  void MouseMoved(int x, int y);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

// The screen's logical pixels per inch (96 when there is no screen).
int ScreenPixelsPerInch();
