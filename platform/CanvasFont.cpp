#include "platform/CanvasFont.h"

#include <QFontInfo>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform {
namespace {

// GDI font sizes beyond this are refused by the font mapper anyway; the cap
// keeps a wild height in a file from asking for glyphs a page tall.
constexpr int kMaxPixelSize = 20000;
constexpr int kDefaultPixelSize = 13;
constexpr int kReferenceSize = 100;

QFontMetrics Metrics(const QFont& font, QPaintDevice* device) {
  return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

QString FaceName(const LogFont& lf) {
  if (!lf.faceName.empty()) return QString::fromLatin1(lf.faceName.data(), static_cast<qsizetype>(lf.faceName.size()));
  // No face asked for: the family and pitch choose one, as the font mapper does.
  if ((lf.pitchAndFamily & 0x3) == FIXED_PITCH || (lf.pitchAndFamily & 0xF0) == FF_MODERN)
    return QStringLiteral("Courier New");
  if ((lf.pitchAndFamily & 0xF0) == FF_ROMAN) return QStringLiteral("Times New Roman");
  return QStringLiteral("Arial");
}

QFont::StyleHint Hint(const LogFont& lf) {
  switch (lf.pitchAndFamily & 0xF0) {
    case FF_ROMAN: return QFont::Serif;
    case FF_SWISS: return QFont::SansSerif;
    case FF_MODERN: return QFont::TypeWriter;
    case 0x40: return QFont::Cursive;
    case 0x50: return QFont::Decorative;
    default: break;
  }
  return (lf.pitchAndFamily & 0x3) == FIXED_PITCH ? QFont::TypeWriter : QFont::AnyStyle;
}

int CellHeight(const QFont& font, int pixelSize, QPaintDevice* device) {
  QFont probe(font);
  probe.setPixelSize(pixelSize);
  const QFontMetrics fm = Metrics(probe, device);
  return fm.ascent() + fm.descent();
}

// A positive LOGFONT height is the cell height (ascent + descent): find the
// em size whose cell comes closest, from the face's proportions.
int PixelSizeForCell(const QFont& font, int cell, QPaintDevice* device) {
  const int reference = CellHeight(font, kReferenceSize, device);
  if (reference <= 0) return std::clamp(cell, 1, kMaxPixelSize);
  const double guess = std::round(static_cast<double>(cell) * kReferenceSize / reference);
  int best = static_cast<int>(std::clamp(guess, 1.0, static_cast<double>(kMaxPixelSize)));
  int bestError = std::abs(CellHeight(font, best, device) - cell);
  for (int candidate : {best - 1, best + 1}) {
    if (candidate < 1 || candidate > kMaxPixelSize || bestError == 0) continue;
    const int error = std::abs(CellHeight(font, candidate, device) - cell);
    if (error < bestError) {
      best = candidate;
      bestError = error;
    }
  }
  return best;
}

}  // namespace

ResolvedFont::ResolvedFont(const LogFont& lf, QPaintDevice* device)
    : font_(FaceName(lf)), fm_(font_) {
  font_.setStyleHint(Hint(lf), QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferNoShaping));
  font_.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferNoShaping));
  font_.setKerning(false);
  const int weight = lf.weight <= 0 ? FW_NORMAL : std::min(lf.weight, 1000);
  font_.setWeight(static_cast<QFont::Weight>(weight));
  font_.setItalic(lf.italic);
  font_.setUnderline(lf.underline);
  font_.setStrikeOut(lf.strikeOut);
  if ((lf.pitchAndFamily & 0x3) == FIXED_PITCH) font_.setFixedPitch(true);

  const std::int64_t height = lf.height;
  int pixelSize = kDefaultPixelSize;
  if (height < 0)
    pixelSize = static_cast<int>(std::min<std::int64_t>(-height, kMaxPixelSize));
  else if (height > 0)
    pixelSize = PixelSizeForCell(font_, static_cast<int>(std::min<std::int64_t>(height, kMaxPixelSize)), device);
  font_.setPixelSize(pixelSize);

  if (lf.width > 0) {
    // The average character width asked for, as a stretch of the face.
    const int natural = Metrics(font_, device).averageCharWidth();
    if (natural > 0) {
      const double stretch = std::round(100.0 * lf.width / natural);
      font_.setStretch(static_cast<int>(std::clamp(stretch, 1.0, 4000.0)));
    }
  }

  fm_ = Metrics(font_, device);
  metrics_.ascent = fm_.ascent();
  metrics_.descent = fm_.descent();
  metrics_.height = metrics_.ascent + metrics_.descent;
  metrics_.internalLeading = std::max(0, metrics_.height - pixelSize);
  metrics_.externalLeading = std::max(0, fm_.leading());
  metrics_.aveCharWidth = fm_.averageCharWidth();
  metrics_.maxCharWidth = fm_.maxWidth();
  metrics_.weight = weight;
  metrics_.italic = lf.italic;
  const QFontInfo info(font_);
  metrics_.fixedPitch = info.fixedPitch();
  metrics_.faceName = info.family().toStdString();
}

QString DecodeWindows1252(std::string_view text) {
  // 0x80..0x9F differ from Latin-1; 0 marks the five unused codes.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  QChar* data = out.data();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char16_t code = byte;
    if (byte >= 0x80 && byte <= 0x9F) code = kHigh[byte - 0x80] ? kHigh[byte - 0x80] : byte;
    data[i] = QChar(code);
  }
  return out;
}

}  // namespace platform
