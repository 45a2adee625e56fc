#include "units/value_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "units/format.h"
#include "units/precision.h"

namespace corvantile {
namespace {

using precision::Saturated;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Fixed point with `decimals` decimals, never "-0.00": 12.3456 with 2 -> "12.35".
std::string Fixed(double value, int decimals) {
  std::array<char, 400> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 std::chars_format::fixed, decimals)
                       .ptr;
  std::string text(buffer.data(), end);
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// `significant` significant digits, trailing zeros dropped: 1500.0 with 6 -> "1500",
// 0.250004 with 6 -> "0.250004"; exponent form outside 1e-4 .. 1e7, as the formatters use it
// from 1e7 up: 9.99e14 -> "9.99e+14".
std::string Significant(double value, int significant) {
  if (value == 0.0) return "0";
  const double magnitude = std::fabs(value);
  std::string text;
  if (magnitude >= 1e-4 && magnitude < 1e7) {
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    text = Fixed(value, std::max(0, significant - 1 - exponent));
    if (text.find('.') != std::string::npos) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
    return text;
  }
  std::array<char, 64> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 std::chars_format::scientific, significant - 1)
                       .ptr;
  text.assign(buffer.data(), end);
  const std::size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  return mantissa + text.substr(e);
}

}  // namespace

std::string PartValueText(float part, float tinyMagnitude) {
  const float magnitude = std::fabs(part);
  if (!(magnitude <= 10.0f) || magnitude < tinyMagnitude) return std::string(kAbsentPartText);
  return Trimmed(part >= 0.0f ? FormatInductance(part) : FormatCapacitance(magnitude));
}

std::string InductanceText(double henries) { return Trimmed(FormatInductance(Saturated(henries))); }

std::string CapacitanceText(double farads) { return Trimmed(FormatCapacitance(Saturated(farads))); }

std::string FrequencyText(double hertz) {
  return Trimmed(FormatFrequency(Saturated(hertz)) + "Hz");
}

std::string ImpedanceText(std::complex<double> ohms) {
  const double r = ohms.real();
  const double x = ohms.imag();
  if (!std::isfinite(r) || !std::isfinite(x) || std::fabs(r) >= kOpenCircuitOhms ||
      std::fabs(x) >= kOpenCircuitOhms) {
    return "open";
  }
  // A part a billion times smaller than the other is rounding left over from the solution: the
  // matched 2500 - j2.6e-12 ohms reads 2500 + j0 ohms.
  const double noise = 1e-9 * std::hypot(r, x);
  const double shownR = std::fabs(r) < noise ? 0.0 : r;
  const double shownX = std::fabs(x) < noise ? 0.0 : x;
  return Significant(shownR, 6) + (shownX < 0.0 ? " - j" : " + j") +
         Significant(std::fabs(shownX), 6) + " ohms";
}

std::string QText(double q) {
  if (!std::isfinite(q)) return "-";
  const std::string text = Trimmed(FormatQuantity(Saturated(q)));
  return text.empty() ? "0" : text;
}

std::string ReturnLossText(double db, int decimals) {
  if (std::isnan(db) || db == -std::numeric_limits<double>::infinity()) return "-";
  if (db >= kPerfectMatchDb) return "> " + Fixed(kPerfectMatchDb, 0) + " dB";
  return Fixed(db, decimals) + " dB";
}

std::string PercentText(double fraction, int decimals) {
  if (!std::isfinite(fraction)) return "-";
  const double percent = 100.0 * fraction;
  const double magnitude = std::fabs(percent);
  // A share of 0.05 % keeps its first significant digit rather than rounding to 0.1 % or 0.0 %.
  if (magnitude > 0.0 && magnitude < 1.0) {
    const int firstDigit = -static_cast<int>(std::floor(std::log10(magnitude)));
    decimals = std::clamp(firstDigit, decimals, 9);
  }
  return Fixed(percent, decimals) + " %";
}

}  // namespace corvantile
