#include "SheetDrawing.h"

#include <cmath>

namespace libsheet {
namespace {

const QColor kInk(Qt::black);
const QColor kGuide(205, 215, 235);
const QColor kFrame(160, 160, 160);

int Round(double v) { return static_cast<int>(std::lround(v)); }

void UseInk(QPainter& p, const QColor& colour) {
  QPen pen(colour, 0);
  pen.setCapStyle(Qt::FlatCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
}

// A one-pixel line that, as on the program's canvas, leaves out its end
// pixel; a line of no length draws nothing.
void Segment(QPainter& p, int x1, int y1, int x2, int y2) {
  if (x1 != x2 || y1 != y2) p.drawLine(x1, y1, x2, y2);
}

QImage BlankSheet(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

void Label(QPainter& p, const Libraries& lib, const std::string& text, int x, int y) {
  UseInk(p, kInk);
  DrawStrokeText(p, lib, text, x, y, 6, 10);
}

}  // namespace

void DrawStrokeText(QPainter& p, const Libraries& lib, const std::string& text, double x,
                    double y, double w, double h) {
  double advance = 0;
  char previous = '+';
  for (char c : text.substr(0, 60)) {
    auto code = static_cast<unsigned char>(c);
    if (c == '`' || c == '|') {
      previous = c;
      continue;
    }
    double shift = previous == '`' ? h / 2 : previous == '|' ? -h / 2 : 0;
    if (code < lib.symbols.size() && c != ' ') {
      for (const Stroke& s : lib.symbols[code]) {
        Segment(p, Round(x + advance + s.x1 / 5.0 * w), Round(y - (s.y1 / 13.0 * h + shift)),
                Round(x + advance + s.x2 / 5.0 * w), Round(y - (s.y2 / 13.0 * h + shift)));
      }
    }
    advance += 1.2 * w;
    previous = c;
  }
}

void DrawSymbol(QPainter& p, const SymbolRecord& symbol, int cx, int cy, double sizePx) {
  double s = sizePx / 10;
  for (const Stroke& st : symbol)
    Segment(p, Round(cx + st.x1 * s), Round(cy - st.y1 * s), Round(cx + st.x2 * s),
            Round(cy - st.y2 * s));
}

void FillPattern(QPainter& p, const PatternRecord& pat, const QRect& area, double dpi,
                 double scale) {
  if (pat.tileWidth <= 0 || pat.tileHeight <= 0) return;
  const double ux = 0.02 * scale * dpi, uy = ux;
  p.save();
  p.setClipRect(area);
  UseInk(p, kInk);
  int dotRadius = static_cast<int>(dpi) / 100;
  if (dotRadius > 1) dotRadius /= 2;
  for (double row = area.bottom(); row >= area.top(); row -= pat.tileHeight * uy) {
    for (double col = area.left(); col <= area.right(); col += pat.tileWidth * ux) {
      for (const Stroke& s : pat.strokes) {
        int x1 = Round(col + s.x1 * ux), y1 = Round(row - s.y1 * uy);
        int x2 = Round(col + s.x2 * ux), y2 = Round(row - s.y2 * uy);
        if (x1 == x2 && y1 == y2) {
          if (dpi <= 100) {
            p.drawPoint(x1, y1);
          } else {
            p.setBrush(kInk);
            p.drawEllipse(QPoint(x1, y1), dotRadius, dotRadius);
            p.setBrush(Qt::NoBrush);
          }
        } else {
          p.drawLine(x1, y1, x2, y2);
        }
      }
    }
  }
  p.restore();
}

QImage GlyphSheet(const Libraries& lib) {
  std::string all;
  for (int c = 32; c <= 126; ++c)
    if (c != '`' && c != '|') all += static_cast<char>(c);
  const std::string samples[] = {
      "Depth 1,234.5 m  GR 45 API  Dip 12\xB0 \xB1" "3\xB0  Dt 89 \xB5s/ft  m\xB2 m\xB3 10\xB9",
      "The quick brown fox jumps over the lazy dog; H|2O, CO|2, 10`6 (a+b)*[c/d] {e} <f> #g",
      "SANDY LIMESTONE WITH CHERT NODULES, 3-5% porosity @ 2,450 ft ~ \"good\" show!"};
  QImage image = BlankSheet(1500, 1450);
  QPainter p(&image);
  int y = 30;
  Label(p, lib, "Stroke font: heights 10, 12 and 14 pixels (width 0.6 of height), then large",
        10, y);
  y += 30;
  for (double h : {10.0, 12.0, 14.0}) {
    UseInk(p, kInk);
    DrawStrokeText(p, lib, all.substr(0, 47), 10, y, 0.6 * h, h);
    DrawStrokeText(p, lib, all.substr(47), 10 + 48 * 1.2 * 0.6 * h, y, 0.6 * h, h);
    y += static_cast<int>(h * 2.2);
    for (const std::string& s : samples) {
      DrawStrokeText(p, lib, s, 10, y, 0.6 * h, h);
      y += static_cast<int>(h * 2.2);
    }
    y += 10;
  }
  // Large glyphs on their cell: 5 pixels a unit, grid from y -4 to 13.
  const int unit = 5, cellW = 5 * unit, cellsPerRow = 24, pitchX = 60, pitchY = 130;
  std::vector<int> codes;
  for (int c = 32; c <= 126; ++c) codes.push_back(c);
  for (int c : {176, 177, 178, 179, 181, 185}) codes.push_back(c);
  y += 80;
  for (size_t i = 0; i < codes.size(); ++i) {
    int gx = 20 + static_cast<int>(i % cellsPerRow) * pitchX;
    int gy = y + static_cast<int>(i / cellsPerRow) * pitchY;  // baseline
    UseInk(p, kGuide);
    p.drawRect(gx, gy - 13 * unit, cellW, 17 * unit);
    p.drawLine(gx, gy, gx + cellW, gy);
    p.drawLine(gx, gy - 9 * unit, gx + cellW, gy - 9 * unit);
    UseInk(p, kInk);
    for (const Stroke& s : lib.symbols[codes[i]])
      Segment(p, gx + s.x1 * unit, gy - s.y1 * unit, gx + s.x2 * unit, gy - s.y2 * unit);
    Label(p, lib, std::to_string(codes[i]), gx, gy + 4 * unit + 14);
  }
  return image;
}

QImage SymbolSheet(const Libraries& lib) {
  std::vector<int> numbers;
  for (int n = 256; n < static_cast<int>(lib.symbols.size()); ++n)
    if (!lib.symbols[n].empty()) numbers.push_back(n);
  const int perRow = 10, pitchX = 140, pitchY = 130;
  int rows = static_cast<int>((numbers.size() + perRow - 1) / perRow);
  QImage image = BlankSheet(perRow * pitchX + 20, rows * pitchY + 60);
  QPainter p(&image);
  Label(p, lib, "Symbols at 0.2 inch (96 dpi) and 70 pixels", 10, 25);
  for (size_t i = 0; i < numbers.size(); ++i) {
    int x = 10 + static_cast<int>(i % perRow) * pitchX;
    int y = 50 + static_cast<int>(i / perRow) * pitchY;
    UseInk(p, kGuide);
    p.drawRect(x + 45, y + 5, 70, 70);
    UseInk(p, kInk);
    DrawSymbol(p, lib.symbols[numbers[i]], x + 15, y + 40, 0.2 * 96);
    DrawSymbol(p, lib.symbols[numbers[i]], x + 80, y + 40, 70);
    Label(p, lib, std::to_string(numbers[i]), x + 10, y + 105);
  }
  return image;
}

QImage PatternSheet(const Libraries& lib, double dpi) {
  std::vector<int> numbers;
  for (int n = 0; n < static_cast<int>(lib.patterns.size()); ++n)
    if (n == 0 || !lib.patterns[n].strokes.empty()) numbers.push_back(n);
  const int boxW = dpi > 100 ? 300 : 150, boxH = dpi > 100 ? 180 : 100;
  const int perRow = dpi > 100 ? 5 : 8, pitchX = boxW + 20, pitchY = boxH + 35;
  int rows = static_cast<int>((numbers.size() + perRow - 1) / perRow);
  QImage image = BlankSheet(perRow * pitchX + 20, rows * pitchY + 60);
  QPainter p(&image);
  Label(p, lib, "Patterns at scale 1, " + std::to_string(static_cast<int>(dpi)) + " dpi", 10, 25);
  for (size_t i = 0; i < numbers.size(); ++i) {
    int x = 10 + static_cast<int>(i % perRow) * pitchX;
    int y = 45 + static_cast<int>(i / perRow) * pitchY;
    QRect area(x, y, boxW, boxH);
    FillPattern(p, lib.patterns[numbers[i]], area, dpi, 1.0);
    UseInk(p, kFrame);
    p.drawRect(area.adjusted(-1, -1, 0, 0));
    Label(p, lib, std::to_string(numbers[i]), x, y + boxH + 18);
  }
  return image;
}

}  // namespace libsheet
