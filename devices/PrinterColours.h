#pragma once
// What a printer puts on paper for a colour: the printer's nearest colour,
// which the canvas device's ink rule asks for (a pale line that would print
// as blank paper is printed black instead).
#include "platform/Canvas.h"

// A colour printer prints every colour as it is. A grey-scale printer prints
// the nearest of 16 grey levels to the colour's luminance, so the palest
// colours (luminance above about 246 of 255) come out white.
platform::COLORREF NearestPrinterColour(platform::COLORREF color, bool grayscale);
