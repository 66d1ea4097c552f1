#include "devices/PrinterColours.h"

#include <QColor>

#include <cmath>

platform::COLORREF NearestPrinterColour(platform::COLORREF color, bool grayscale) {
  color &= 0xFFFFFF;
  if (!grayscale) return color;
  constexpr int kLevels = 16;
  const int luminance = qGray(platform::GetRValue(color), platform::GetGValue(color),
                              platform::GetBValue(color));
  const int level = static_cast<int>(std::lround(luminance * (kLevels - 1) / 255.0));
  const platform::COLORREF grey = static_cast<platform::COLORREF>(level * 255 / (kLevels - 1));
  return grey | grey << 8 | grey << 16;
}
