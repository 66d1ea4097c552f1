#pragma once
// Numeric and geometric helpers shared by the interpreter and the devices:
// tick intervals, range snapping, digit counts, polar points in the azimuth
// convention (degrees clockwise from +y), number texts and temporary names.
#include <cstdint>
#include <string>

// Rounds v to the 40-bit mantissa of the 6-byte real the log tools keep their
// running values in (round to nearest, ties to even). Non-finite values pass.
double Real48(double v);

// minor and major tick steps for about `divisions` divisions of [a, b].
void ChooseTickSteps(int32_t divisions, double& minor, double& major, double a, double b);
// Widens [low, high] to whole steps counted from a multiple of step.
// A step that is not a positive finite number, or a non-finite bound, leaves
// the range unchanged.
void SnapRangeToStep(double& low, double& high, double step);
// How many of 10, 1, 0.1, ... 1e-7 exceed high - low (0 when equal).
int32_t SpanDigits(double low, double high);

double AzimuthToRadians(double angle);
// dx = distance sin(angle), dy = distance cos(angle).
void PolarOffset(double& dx, double& dy, double angle, double distance);
void PolarPoint(double& x, double& y, double x0, double y0, double angle, double distance);
// Rotates both points by AzimuthToRadians(angle) about the origin.
void RotatePair(double angle, double& x1, double& y1, double& x2, double& y2);

// value with up to `decimals` decimals, trailing zeros dropped, commas between
// thousands for values >= 1000 ((2, 1234.5) -> "1,234.5").
std::string FormatDecimal(int32_t decimals, double value);

// TempDirectory() + first four characters of prefix + n + ".tmp" for the
// first n = 1, 2, ... whose file does not exist.
std::string UniqueTempName(const std::string& prefix);
