#pragma once

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

// Every stored value is single precision while the arithmetic runs in double. These helpers
// make each widening and each rounding visible at the place it happens.
namespace corvantile::precision {

// Widens a stored value for arithmetic: D(0.1f) -> 0.100000001490116.
constexpr double D(float value) { return static_cast<double>(value); }

// Widens a stored value to the double its shortest text names, for a value the user typed that
// leaves the program as a number again (an exported netlist, a JSON document): Decimal(0.1f) ->
// 0.1, where D(0.1f) is 0.100000001490116; Decimal(1500.0f) -> 1500. Not finite: as D.
inline double Decimal(float value) {
  if (!std::isfinite(value)) return D(value);
  char digits[32];
  const char* end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  double widened = 0.0;
  std::from_chars(digits, end, widened);
  return widened;
}

// Rounds a result to single precision; out of range gives an infinity of the same sign
// (a plain cast would be undefined there): F(1e39) -> +inf, F(0.1) -> 0.1f.
inline float F(double value) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// Rounds to single precision and keeps the result finite, for values that have no failure path
// of their own: NaN becomes 0, an overflow the largest float of that sign.
inline float Saturated(double value) {
  constexpr float kMax = std::numeric_limits<float>::max();
  if (std::isnan(value)) return 0.0f;
  const float rounded = F(value);
  if (std::isinf(rounded)) return rounded > 0.0f ? kMax : -kMax;
  return rounded;
}

}  // namespace corvantile::precision
