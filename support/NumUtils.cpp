#include "support/NumUtils.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <system_error>

#include "support/Paths.h"

double Real48(double v) {
  if (!std::isfinite(v) || v == 0.0) return v;
  int exponent = 0;
  double mantissa = std::frexp(v, &exponent);  // 0.5 <= |mantissa| < 1
  // 40 significant bits; nearbyint rounds ties to even in the default mode.
  return std::ldexp(std::nearbyint(std::ldexp(mantissa, 40)), exponent - 40);
}

namespace {

struct TickRow {
  double threshold, minor, major;
};

constexpr TickRow kTickRows[] = {
    {0.0001, 0.0002, 0.001},   {0.0002, 0.00025, 0.001}, {0.00025, 0.0005, 0.002},
    {0.0005, 0.001, 0.005},    {0.001, 0.002, 0.01},     {0.002, 0.0025, 0.01},
    {0.0025, 0.005, 0.025},    {0.005, 0.01, 0.05},      {0.01, 0.02, 0.1},
    {0.02, 0.025, 0.1},        {0.025, 0.05, 0.25},      {0.05, 0.1, 0.5},
    {0.1, 0.2, 1},             {0.2, 0.25, 1},           {0.25, 0.5, 2},
    {0.5, 1, 5},               {1, 2, 10},               {2, 5, 25},
    {5, 10, 50},               {10, 20, 100},            {20, 25, 100},
    {25, 50, 200},             {50, 100, 500},           {100, 200, 1000},
    {200, 250, 1000},          {250, 500, 2000},         {500, 1000, 5000},
    {1000, 2000, 10000},       {2000, 2500, 10000},      {2500, 5000, 20000},
    {5000, 10000, 50000},      {10000, 20000, 100000},   {20000, 25000, 100000},
    {25000, 50000, 200000},    {50000, 100000, 500000},  {100000, 200000, 1000000},
    {200000, 250000, 1000000}, {250000, 500000, 2000000}, {500000, 1000000, 5000000},
};

// More whole steps than this are not walked one by one: the bound is placed
// by multiplication instead (a huge range over a tiny step would hang).
constexpr int kMaxSnapSteps = 1000000;

// The digits of |value| rounded half away from zero to `decimals` places,
// from its 15 significant decimal digits, as "integer" and "fraction" texts.
void FixedDigits(double magnitude, int decimals, std::string& integerPart,
                 std::string& fractionPart) {
  std::string digits = "0";
  int pointAt = 1;  // digits before the decimal point
  if (magnitude != 0.0) {
    // to_chars: the decimal point is "." whatever the user's locale says.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                std::chars_format::scientific, 14);
    std::string text(buffer, result.ptr);
    std::size_t e = text.find('e');
    digits = text.substr(0, 1) + text.substr(2, e - 2);
    pointAt = std::stoi(text.substr(e + 1)) + 1;
  }
  long keep = static_cast<long>(pointAt) + decimals;  // digits that survive
  if (keep < 0) {
    digits = "0";
    pointAt = 1;
  } else if (keep < static_cast<long>(digits.size())) {
    bool roundUp = digits[keep] >= '5';
    digits.erase(keep);
    if (roundUp) {
      long i = keep - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits.insert(digits.begin(), '1');
        ++pointAt;
      }
    }
    if (digits.empty()) digits = "0", pointAt = 1;
  }
  // Leading zeros for values below 1, trailing zeros for the wanted places.
  if (pointAt <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - pointAt), '0');
    pointAt = 1;
  }
  std::size_t total = static_cast<std::size_t>(pointAt) + decimals;
  if (digits.size() < total) digits.append(total - digits.size(), '0');
  integerPart = digits.substr(0, pointAt);
  fractionPart = digits.substr(pointAt, decimals);
}

double SafeTrig(double (*fn)(double), double radians) {
  // The processor's sine and cosine give up beyond 2^63; such angles count as 0.
  if (!std::isfinite(radians) || std::fabs(radians) >= 9.2233720368547758e18) return 0.0;
  return fn(radians);
}

}  // namespace

void ChooseTickSteps(int32_t divisions, double& minor, double& major, double a, double b) {
  double v = divisions != 0 ? std::fabs(a - b) / divisions : 0.0;
  if (std::isnan(v) || v < 1e-8) v = 1.0;
  minor = v;
  major = 5 * v;
  for (const TickRow& row : kTickRows) {
    if (row.threshold < v) {
      minor = row.minor;
      major = row.major;
    }
  }
}

void SnapRangeToStep(double& low, double& high, double step) {
  if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(low) || !std::isfinite(high)) return;
  double t = Real48(std::trunc(low / step) * step);
  for (int n = 0; t > low; ++n) {
    double next = Real48(t - step);
    if (next >= t || n >= kMaxSnapSteps) {  // no progress at this magnitude
      t = Real48(std::floor(low / step) * step);
      if (t > low) t = low;
      break;
    }
    t = next;
  }
  low = t;
  for (int n = 0; t < high; ++n) {
    double next = Real48(t + step);
    if (next <= t || n >= kMaxSnapSteps) {
      t = Real48(low + std::ceil((high - low) / step) * step);
      if (t < high) t = high;
      break;
    }
    t = next;
  }
  high = t;
}

int32_t SpanDigits(double low, double high) {
  double d = Real48(Real48(high) - Real48(low));
  if (d == 0.0) return 0;
  int32_t count = 0;
  // The running threshold is a 6-byte real compared against the constant.
  for (double t = 10.0; static_cast<long double>(t) >= 1e-7L; t = Real48(t / 10.0)) {
    if (d < t) ++count;
  }
  return count;
}

double AzimuthToRadians(double angle) { return (90.0 - angle) * std::numbers::pi / 180.0; }

void PolarOffset(double& dx, double& dy, double angle, double distance) {
  double r = AzimuthToRadians(angle);
  dx = SafeTrig(std::cos, r) * distance;
  dy = SafeTrig(std::sin, r) * distance;
}

void PolarPoint(double& x, double& y, double x0, double y0, double angle, double distance) {
  double dx = 0, dy = 0;
  PolarOffset(dx, dy, angle, distance);
  x = x0 + dx;
  y = y0 + dy;
}

void RotatePair(double angle, double& x1, double& y1, double& x2, double& y2) {
  double r = AzimuthToRadians(angle);
  double c = SafeTrig(std::cos, r);
  double s = SafeTrig(std::sin, r);
  double nx1 = c * x1 - s * y1, ny1 = c * y1 + s * x1;
  double nx2 = c * x2 - s * y2, ny2 = c * y2 + s * x2;
  x1 = nx1;
  y1 = ny1;
  x2 = nx2;
  y2 = ny2;
}

std::string FormatDecimal(int32_t decimals, double value) {
  value = Real48(value);
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // The runtime's fixed notation carries at most 18 decimals.
  int places = decimals < 0 ? 0 : (decimals > 18 ? 18 : decimals);

  std::string integerPart, fractionPart;
  FixedDigits(std::fabs(value), places, integerPart, fractionPart);
  bool allZero = integerPart.find_first_not_of('0') == std::string::npos &&
                 fractionPart.find_first_not_of('0') == std::string::npos;
  if (value < 0 && !allZero) integerPart.insert(0, "-");

  // Commas by the value's size, up to five groups; negative numbers get none.
  double threshold = 1000.0;
  for (int k = 1; k <= 5 && value >= threshold; ++k, threshold *= 1000.0) {
    long at = static_cast<long>(integerPart.size()) - (4 * k - 1);
    if (at > 0) integerPart.insert(static_cast<std::size_t>(at), ",");
  }

  if (places == 0) return integerPart;
  std::string text = integerPart + "." + fractionPart;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string UniqueTempName(const std::string& prefix) {
  std::string stem = TempDirectory() + prefix.substr(0, 4);
  for (unsigned long n = 1;; ++n) {
    std::string name = stem + std::to_string(n) + ".tmp";
    std::error_code ec;
    auto status = std::filesystem::symlink_status(name, ec);
    if (status.type() == std::filesystem::file_type::not_found) return name;
    // A folder we cannot look into would make every name look taken.
    if (ec && n >= 100000) return name;
  }
}
