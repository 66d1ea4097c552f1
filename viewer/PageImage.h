#pragma once
// Image1: the widget that shows the page bitmap, with marks over it.
//
// Coordinates. "Page pixels" are the pixels of the shown page as drawn at the
// current zoom: column x and row y of the bitmap the window draws (at 100% on
// a screen of device pixel ratio 1 they are the widget's own pixels). The
// widget is the page's size in device-independent pixels (page pixels divided
// by the device pixel ratio the page was drawn for). While a zoom step waits
// for its sharp page, the previous drawing is shown scaled to the new size;
// page pixels always mean the page at the new zoom.
//
//   QPointF ToPagePixel(QPointF widgetPoint) const;   // widget -> page pixel
//   QPointF ToWidgetPoint(QPointF pagePixel) const;   // page pixel -> widget
//   qreal PagePixelRatio() const;   // page pixels per widget pixel
//   QSize PagePixels() const;       // the shown page's size in page pixels
//
// The main window adds the page's resolution: TKorvaleFrm::ShownDpi() (page
// pixels per inch of the page shown), TKorvaleFrm::PagePixelAt(QPoint in
// Image1) and TKorvaleFrm::Image1PointAt(QPointF page pixel), which forward to
// the functions above.
//
// Overlay. Marks are drawn over the bitmap in paintEvent, never into it, so
// the page and a copy of it stay clean. Each mark is in page pixels; its pen
// width is in widget pixels (a one-pixel line stays one pixel at any zoom).
// Marks are held in named layers, so that each feature replaces or clears
// only its own:
//
//   SetOverlay("depth-cursor", {PageMark::HLine(row, Qt::red)});
//   ClearOverlay("depth-cursor");
//
// Marks are kept when the page is redrawn or zoomed: a feature whose marks
// depend on the zoom sets them again after a zoom (the window's ZoomChanged
// signal). MouseMoved reports the pointer in page pixels (tracking on, no
// button needed). The page keeps its colours when the window is disabled (as
// it is while a page is drawn).
#include <QColor>
#include <QLabel>
#include <QLineF>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <map>
#include <vector>

// One mark over the page, in page pixels.
struct PageMark {
  enum class Shape { Line, Rect };
  Shape shape = Shape::Line;
  QLineF line;                      // Line: from and to, page pixels
  QRectF rect;                      // Rect: page pixels (outlined, filled with `fill`)
  QColor color = Qt::red;           // the pen
  qreal width = 1;                  // pen width in widget pixels
  Qt::PenStyle style = Qt::SolidLine;
  QColor fill = Qt::transparent;    // Rect only

  // A line across the whole page at page row `row`.
  static PageMark HLine(qreal row, const QColor& color, qreal width = 1);
  // A line down the whole page at page column `column`.
  static PageMark VLine(qreal column, const QColor& color, qreal width = 1);
  static PageMark Outline(const QRectF& rect, const QColor& color, qreal width = 1);
};

class TPageImage : public QLabel {
  Q_OBJECT
 public:
  explicit TPageImage(QWidget* parent = nullptr);

  // Shows `page` as the page of `pagePixels` page pixels drawn for device
  // pixel ratio `ratio`. A bitmap of another size (the stand-in while the
  // sharp page is drawn) is scaled to that size. The widget takes the size
  // pagePixels / ratio.
  void ShowPage(const QPixmap& page, QSize pagePixels, qreal ratio);
  QSize PagePixels() const { return pagePixels_; }
  qreal PagePixelRatio() const { return ratio_; }
  // True while the shown bitmap is a stand-in of another size.
  bool ShowsStandIn() const;

  QPointF ToPagePixel(QPointF widgetPoint) const;
  QPointF ToWidgetPoint(QPointF pagePixel) const;

  // The overlay (see the comment at the top).
  void SetOverlay(const QString& layer, std::vector<PageMark> marks);
  void ClearOverlay(const QString& layer);
  const std::vector<PageMark>& Overlay(const QString& layer) const;

 signals:
  void MouseMoved(int x, int y);  // page pixels
  void MousePressed(int x, int y);  // page pixels
  void MouseLeft();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap page_;
  QSize pagePixels_;
  qreal ratio_ = 1;
  std::map<QString, std::vector<PageMark>> overlay_;
};

// The screen's logical pixels per inch (96 when there is no screen).
int ScreenPixelsPerInch();
