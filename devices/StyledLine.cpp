#include "devices/StyledLine.h"

#include <algorithm>
#include <cstdlib>

#include "devices/DeviceMath.h"

namespace styled_line {

using device_math::MulDiv;

int32_t Period(int32_t width) {
  const int32_t half = width / 2;
  if (half < 1) return 12;
  const int64_t p = 12 * static_cast<int64_t>(width);
  return p > INT32_MAX ? INT32_MAX : static_cast<int32_t>(p);
}

bool PixelOn(int style, int64_t c, int32_t period) {
  const int64_t phase = c % period;
  auto part = [period](int32_t k) { return static_cast<int64_t>(MulDiv(k, period, 12)); };
  switch (style) {
    case 1:
      return phase <= part(6);
    case 2: {
      const int64_t step = part(2);
      return step > 0 && c % step == 0;
    }
    case 3:
      return phase <= part(8) || phase == part(10);
    case 4:
      return phase <= part(6) || phase == part(8) || phase == part(10);
    default:
      return true;
  }
}

namespace {

// Minor-axis offset of step k on a line of major length dmaj and minor
// length dmin (both >= 0, dmaj > 0): k * dmin / dmaj rounded, halves up.
int64_t MinorAt(int64_t k, int64_t dmin, int64_t dmaj) {
  const __int128 num = static_cast<__int128>(2) * k * dmin + dmaj;
  return static_cast<int64_t>(num / (static_cast<__int128>(2) * dmaj));
}

}  // namespace

void Walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const Window& window,
          int64_t& counter, const std::function<void(int32_t, int32_t, int64_t)>& visit) {
  const int64_t dx = static_cast<int64_t>(x1) - x0;
  const int64_t dy = static_cast<int64_t>(y1) - y0;
  const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  const bool x_major = adx >= ady;
  const int64_t n = x_major ? adx : ady;  // pixels walked, end excluded
  const int64_t start = counter;
  counter += n;
  if (n == 0) return;

  const int64_t dmaj = n, dmin = x_major ? ady : adx;
  const int64_t smaj = (x_major ? dx : dy) < 0 ? -1 : 1;
  const int64_t smin = (x_major ? dy : dx) < 0 ? -1 : 1;
  const int64_t maj0 = x_major ? x0 : y0, min0 = x_major ? y0 : x0;
  const int64_t maj_lo = x_major ? window.left : window.top;
  const int64_t maj_hi = x_major ? window.right : window.bottom;
  const int64_t min_lo = x_major ? window.top : window.left;
  const int64_t min_hi = x_major ? window.bottom : window.right;

  // Steps whose major coordinate lies in the window.
  int64_t k_lo, k_hi;
  if (smaj > 0) {
    k_lo = maj_lo - maj0;
    k_hi = maj_hi - maj0;
  } else {
    k_lo = maj0 - maj_hi;
    k_hi = maj0 - maj_lo;
  }
  k_lo = std::max<int64_t>(k_lo, 0);
  k_hi = std::min<int64_t>(k_hi, n - 1);
  if (k_lo > k_hi) return;

  // The minor coordinate moves monotonically with k: narrow the range to the
  // steps whose minor coordinate lies in the window by bisection.
  auto minor = [&](int64_t k) { return min0 + smin * MinorAt(k, dmin, dmaj); };
  auto inside_or_before = [&](int64_t k) {  // true while not yet past the window
    const int64_t m = minor(k);
    return smin > 0 ? m <= min_hi : m >= min_lo;
  };
  auto before = [&](int64_t k) {  // true while not yet in the window
    const int64_t m = minor(k);
    return smin > 0 ? m < min_lo : m > min_hi;
  };
  {  // first step not before the window
    int64_t lo = k_lo, hi = k_hi + 1;
    while (lo < hi) {
      const int64_t mid = lo + (hi - lo) / 2;
      if (before(mid)) lo = mid + 1; else hi = mid;
    }
    k_lo = lo;
  }
  {  // last step not past the window
    int64_t lo = k_lo - 1, hi = k_hi;
    while (lo < hi) {
      const int64_t mid = hi - (hi - lo) / 2;
      if (inside_or_before(mid)) lo = mid; else hi = mid - 1;
    }
    k_hi = lo;
  }
  for (int64_t k = k_lo; k <= k_hi; ++k) {
    const int64_t maj = maj0 + smaj * k;
    const int64_t mn = minor(k);
    const int64_t x = x_major ? maj : mn;
    const int64_t y = x_major ? mn : maj;
    visit(static_cast<int32_t>(x), static_cast<int32_t>(y), start + k);
  }
}

}  // namespace styled_line
