#include "devices/DeviceMath.h"

#include <cmath>
#include <limits>

#include "core/FileError.h"

namespace device_math {

namespace {
constexpr double kMin = static_cast<double>(std::numeric_limits<int32_t>::min());
constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
}  // namespace

int32_t RoundChecked(double v) {
  if (!std::isfinite(v)) throw RangeError();
  const double r = std::nearbyint(v);  // default rounding mode: ties to even
  if (r < kMin || r > kMax) throw RangeError();
  return static_cast<int32_t>(r);
}

int32_t TruncChecked(double v) {
  if (!std::isfinite(v)) throw RangeError();
  const double t = std::trunc(v);
  if (t < kMin || t > kMax) throw RangeError();
  return static_cast<int32_t>(t);
}

int32_t Narrow(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw RangeError();
  return static_cast<int32_t>(v);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t num = static_cast<int64_t>(a) * b;
  int64_t q = num / c;
  const int64_t rem = num % c;
  // Round half away from zero: compare twice the remainder with the divisor.
  const int64_t twice = 2 * (rem < 0 ? -rem : rem);
  const int64_t div = c < 0 ? -static_cast<int64_t>(c) : c;
  if (twice >= div) q += ((num < 0) != (c < 0)) ? -1 : 1;
  if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
    return -1;
  return static_cast<int32_t>(q);
}

int32_t AddChecked(int32_t a, int32_t b) { return Narrow(static_cast<int64_t>(a) + b); }

}  // namespace device_math
