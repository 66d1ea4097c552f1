// korvale-icons: draws the viewer's tool-button images and program icon as
// PNG files. Run once when an icon changes; the PNGs are kept in
// viewer/icons/ and compiled into the program as Qt resources. With a second
// folder it also draws the program icon at the sizes of the desktop's icon
// theme, kept in data/icons/hicolor/ and installed with the program:
//
//   korvale-icons viewer/icons data/icons/hicolor
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kSize = 20;
const QColor kInk(40, 40, 48);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 96, 184);
const QColor kGreen(40, 150, 80);
const QColor kOchre(212, 160, 60);

void Page(QPainter& p, QRectF r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 4, r.top());
  path.lineTo(r.right(), r.top() + 4);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
  p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

// A little well-log trace down a page.
void Trace(QPainter& p, double x, double top, double bottom) {
  p.setPen(QPen(kGreen, 1.2));
  QPainterPath path;
  path.moveTo(x, top);
  bool left = true;
  for (double y = top + 2; y <= bottom; y += 2) {
    path.lineTo(x + (left ? -2.0 : 2.0), y);
    left = !left;
  }
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void Arrow(QPainter& p, QPointF tip, bool down) {
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  const double d = down ? -1 : 1;
  QPolygonF head{tip, QPointF(tip.x() - 5, tip.y() + 5 * d), QPointF(tip.x() + 5, tip.y() + 5 * d)};
  p.drawPolygon(head);
  p.drawRect(QRectF(tip.x() - 2, tip.y() + 5 * d, 4, 5 * d));
}

void DrawOpen(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kOchre);
  p.drawRect(QRectF(2.5, 6.5, 14, 10));
  p.drawRect(QRectF(2.5, 4.5, 6, 2));
  p.setBrush(QColor(240, 200, 100));
  QPolygonF flap{QPointF(5.5, 9.5), QPointF(18.5, 9.5), QPointF(15.5, 16.5), QPointF(2.5, 16.5)};
  p.drawPolygon(flap);
}

void DrawSave(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kBlue);
  p.drawRect(QRectF(2.5, 2.5, 15, 15));
  p.setBrush(kPaper);
  p.drawRect(QRectF(5.5, 2.5, 9, 6));
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(5.5, 11.5, 9, 6));
  p.fillRect(QRectF(11, 3.5, 2, 4), kInk);
}

void DrawCopy(QPainter& p) {
  Page(p, QRectF(2.5, 2.5, 9, 12));
  Page(p, QRectF(8.5, 6.5, 9, 12));
  Trace(p, 13, 8, 17);
}

void DrawPageDown(QPainter& p) {
  Page(p, QRectF(2.5, 1.5, 11, 16));
  Trace(p, 6, 3, 16);
  Arrow(p, QPointF(14.5, 18.5), true);
}

void DrawPageUp(QPainter& p) {
  Page(p, QRectF(2.5, 1.5, 11, 16));
  Trace(p, 6, 3, 16);
  Arrow(p, QPointF(14.5, 1.5), false);
}

void DrawPageNum(QPainter& p) {
  Page(p, QRectF(2.5, 1.5, 14, 17));
  p.setPen(kBlue);
  QFont font("DejaVu Sans");
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRectF(3, 5, 13, 12), Qt::AlignCenter, "#");
}

void DrawHelp(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(255, 230, 120));
  p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
  p.setPen(kBlue);
  QFont font("DejaVu Sans");
  font.setPixelSize(14);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRectF(1.5, 1.5, 17, 17), Qt::AlignCenter, "?");
}

void DrawPrint(QPainter& p) {
  Page(p, QRectF(5.5, 1.5, 9, 8));
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(170, 170, 180));
  p.drawRoundedRect(QRectF(1.5, 8.5, 17, 7), 1.5, 1.5);
  p.setBrush(kPaper);
  p.drawRect(QRectF(5.5, 13.5, 9, 5));
  p.fillRect(QRectF(15, 10, 2, 1.5), kGreen);
}

// The program icon: a log page with a curve on a blue ground and a "K".
void DrawProgram(QPainter& p, int size) {
  const double s = size / 32.0;
  p.scale(s, s);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
  p.setBrush(kPaper);
  p.drawRect(QRectF(5, 3, 15, 26));
  p.setPen(QPen(kGreen, 1.6));
  QPainterPath curve;
  curve.moveTo(12, 4);
  const double xs[] = {9, 15, 10, 17, 8, 14, 11, 16, 9, 13, 12};
  double y = 4;
  for (double x : xs) curve.lineTo(x, y += 2.3);
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
  p.setPen(kPaper);
  QFont font("DejaVu Sans");
  font.setPixelSize(13);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRectF(19, 14, 13, 16), Qt::AlignCenter, "K");
}

bool Save(const QString& folder, const char* name, int size,
          const std::function<void(QPainter&)>& draw) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
  }
  const QString path = folder + "/" + name + ".png";
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "korvale-icons: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: korvale-icons OUTPUT_FOLDER [THEME_FOLDER]\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  ok &= Save(folder, "open", kSize, DrawOpen);
  ok &= Save(folder, "save", kSize, DrawSave);
  ok &= Save(folder, "copy", kSize, DrawCopy);
  ok &= Save(folder, "pagedown", kSize, DrawPageDown);
  ok &= Save(folder, "pageup", kSize, DrawPageUp);
  ok &= Save(folder, "pagenum", kSize, DrawPageNum);
  ok &= Save(folder, "help", kSize, DrawHelp);
  ok &= Save(folder, "print", kSize, DrawPrint);
  ok &= Save(folder, "korvale32", 32, [](QPainter& p) { DrawProgram(p, 32); });
  ok &= Save(folder, "korvale64", 64, [](QPainter& p) { DrawProgram(p, 64); });
  if (argc == 3) {
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
      const QString apps = QString::fromLocal8Bit(argv[2]) + QString("/%1x%1/apps").arg(size);
      ok &= QDir().mkpath(apps);
      ok &= Save(apps, "korvale", size, [size](QPainter& p) { DrawProgram(p, size); });
    }
  }
  return ok ? 0 : 1;
}
