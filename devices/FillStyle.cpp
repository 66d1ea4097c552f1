#include "devices/FillStyle.h"

namespace {

// The hatch of a fill-style code 2 to 7; -1 for codes without one.
int HatchOfFillStyle(uint8_t code) {
  switch (code) {
    case 2: return platform::HS_HORIZONTAL;
    case 3: return platform::HS_VERTICAL;
    case 4: return platform::HS_FDIAGONAL;
    case 5: return platform::HS_BDIAGONAL;
    case 6: return platform::HS_CROSS;
    case 7: return platform::HS_DIAGCROSS;
    default: return -1;
  }
}

}  // namespace

bool FillStyleIsNone(uint8_t code) { return code != 0 && HatchOfFillStyle(code) < 0; }

platform::Brush FillStyleBrush(uint8_t code, platform::COLORREF color) {
  platform::Brush brush;
  brush.color = color;
  if (code == 0) {
    brush.style = platform::BS_SOLID;
  } else if (const int hatch = HatchOfFillStyle(code); hatch >= 0) {
    brush.style = platform::BS_HATCHED;
    brush.hatch = hatch;
  } else {
    brush.style = platform::BS_HOLLOW;
  }
  return brush;
}
