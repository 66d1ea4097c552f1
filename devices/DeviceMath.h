#pragma once
// Integer arithmetic of the canvas device. Every conversion from a double to
// a pixel goes through these checked helpers: a value that is not a number,
// infinite or beyond 32 bits raises RangeError ("Range check error"), which
// ends the page, instead of undefined behaviour.
#include <cstdint>

namespace device_math {

// round(): nearest, ties to even. Throws RangeError outside int32.
int32_t RoundChecked(double v);
// truncate toward zero. Throws RangeError outside int32.
int32_t TruncChecked(double v);
// int64 -> int32, throwing RangeError when it does not fit.
int32_t Narrow(int64_t v);
// a * b / c rounded to nearest (halves away from zero), as the Windows
// MulDiv; -1 when c is 0 or the result does not fit 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// a + b and a - b, throwing RangeError when the result does not fit.
int32_t AddChecked(int32_t a, int32_t b);

}  // namespace device_math
