#pragma once
// Brushes for the fill-style codes of compiled logs: 0 solid, 1 none,
// 2 horizontal, 3 vertical, 4 forward diagonal, 5 backward diagonal, 6 cross,
// 7 diagonal cross hatch.
#include <cstdint>

#include "platform/Canvas.h"

// The brush of a fill-style code in a colour; codes above 7 are treated as
// 1 (no fill).
platform::Brush FillStyleBrush(uint8_t code, platform::COLORREF color);
// Whether the code fills nothing (1 and unknown codes).
bool FillStyleIsNone(uint8_t code);
