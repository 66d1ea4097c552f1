#pragma once
// Drawing of library records the way the program draws them: stroke text
// (cell 5 x 13, advance 1.2 widths, ` raises and | lowers the next
// character), symbols (tenths of the size about the centre) and pattern
// tiles (0.02 inch units, tiled upward and rightward from the bottom-left
// corner, one-pixel pens).
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "LibraryRecords.h"

namespace libsheet {

struct Libraries {
  std::vector<PatternRecord> patterns;
  std::vector<SymbolRecord> symbols;
};

// Draws text with its baseline at y (pixels, y down) from x.
void DrawStrokeText(QPainter& p, const Libraries& lib, const std::string& text, double x,
                    double y, double charWidth, double charHeight);
void DrawSymbol(QPainter& p, const SymbolRecord& symbol, int cx, int cy, double sizePx);
void FillPattern(QPainter& p, const PatternRecord& pattern, const QRect& area, double dpi,
                 double scale);

QImage GlyphSheet(const Libraries& lib);
QImage SymbolSheet(const Libraries& lib);
QImage PatternSheet(const Libraries& lib, double dpi);

}  // namespace libsheet
