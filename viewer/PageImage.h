#pragma once
// Image1: the label that shows the page bitmap and reports every mouse move
// over it in image pixels (tracking on, no button needed). The page keeps its
// colours when the window is disabled (as it is while a page is drawn): a
// plain label would show its picture greyed out then.
//
// Marks (a depth line, a text's outline, the depth cursor) are drawn over the
// bitmap in paintEvent, never into it: Copy Page and printing never see them.
#include <QLabel>
#include <QRect>
#include <vector>

// What is drawn over the page, in the shown bitmap's pixels.
struct PageMarks {
  struct Line {
    int row, left, right;  // a horizontal line from column left to right
    bool operator==(const Line&) const = default;
  };
  std::vector<Line> lines;
  std::vector<QRect> boxes;  // outlined rectangles
  bool operator==(const PageMarks&) const = default;
};

class TPageImage : public QLabel {
  Q_OBJECT
 public:
  explicit TPageImage(QWidget* parent = nullptr);

  void SetMarks(const PageMarks& marks);
  const PageMarks& Marks() const { return marks_; }

 signals:
  void MouseMoved(int x, int y);
  void MousePressed(int x, int y);
  void MouseLeft();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  PageMarks marks_;
};

// The screen's logical pixels per inch (96 when there is no screen).
int ScreenPixelsPerInch();
