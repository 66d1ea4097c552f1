#pragma once
// ResolvedFont: a logical font (LOGFONT) turned into the QFont that draws it
// and GDI's metrics for it. Face names go through fontconfig ("Arial" comes
// out as Liberation Sans); text is drawn without kerning, ligatures or
// antialiasing, as GDI draws it.

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <string_view>

#include "platform/Canvas.h"

class QPaintDevice;

namespace platform {

class ResolvedFont {
 public:
  // device: the target whose pixels the sizes are in (may be null).
  ResolvedFont(const LogFont& logFont, QPaintDevice* device);

  const QFont& qfont() const { return font_; }
  const TextMetrics& metrics() const { return metrics_; }
  // Width in whole pixels of a run of text.
  int Advance(const QString& text) const { return fm_.horizontalAdvance(text); }
  int Advance(QChar c) const { return fm_.horizontalAdvance(c); }
  // The pixel size (em height) chosen for the font.
  int PixelSize() const { return font_.pixelSize(); }

 private:
  QFont font_;
  QFontMetrics fm_;
  TextMetrics metrics_;
};

// The canvas keeps the resolved form of its current font until it changes.
struct Canvas::FontCache {
  ResolvedFont font;
};

// Single-byte Windows-1252 text, as our files hold it, to Unicode.
QString DecodeWindows1252(std::string_view text);

}  // namespace platform
