#include "analysis/formats/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace corvantile {
namespace {

// precision -1: the shortest text that reads back, in the format the library picks;
// -2: the shortest text that reads back, in `format`; otherwise `precision` digits in `format`.
std::string Chars(double value, std::chars_format format, int precision) {
  if (!std::isfinite(value)) return "0";
  std::array<char, 400> buffer{};
  char* const first = buffer.data();
  char* const last = first + buffer.size();
  const std::to_chars_result result = precision == -1 ? std::to_chars(first, last, value)
                                      : precision == -2
                                          ? std::to_chars(first, last, value, format)
                                          : std::to_chars(first, last, value, format, precision);
  return std::string(first, result.ptr);
}

}  // namespace

std::string ExactNumber(double value) {
  if (value == 0.0) return "0";  // also for -0
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-3 && magnitude < 1e15) return Chars(value, std::chars_format::fixed, -2);
  return Chars(value, std::chars_format::scientific, -2);
}

std::string ShortNumber(double value, int significant) {
  if (!std::isfinite(value) || value == 0.0) return "0";
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-4 && magnitude < 1e15) {
    // Fixed point with as many decimals as the significant digits need, then trimmed.
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const int decimals = std::max(0, significant - 1 - exponent);
    std::string text = Chars(value, std::chars_format::fixed, decimals);
    if (text.find('.') != std::string::npos) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
    return text;
  }
  std::string text = Chars(value, std::chars_format::scientific, significant - 1);
  // 1.500e+20 -> 1.5e+20
  const std::size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  return mantissa + text.substr(e);
}

std::string FixedNumber(double value, int decimals) {
  std::string text = Chars(value, std::chars_format::fixed, decimals);
  if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);  // no "-0.00"
  }
  return text;
}

std::string EngineeringText(double value, std::string_view unit) {
  static constexpr std::array<const char*, 9> kPrefixes = {"p", "n", "u", "m", "",
                                                           "k", "M", "G", ""};
  std::string prefix;
  double scaled = value;
  if (std::isfinite(value) && value != 0.0) {
    int group = static_cast<int>(std::floor(std::log10(std::fabs(value)) / 3.0));
    // Rounding to 4 digits can carry into the next group: 999.96 k -> 1 M.
    const double inGroup = std::fabs(value) / std::pow(10.0, 3 * group);
    const double step = std::pow(10.0, std::floor(std::log10(inGroup)) - 3.0);
    if (std::round(inGroup / step) * step >= 1000.0) ++group;
    group = std::clamp(group, -4, 3);
    scaled = value / std::pow(10.0, 3 * group);
    const int prefixIndex = group + 4;  // kPrefixes starts at 1e-12
    prefix = kPrefixes[static_cast<std::size_t>(prefixIndex)];
  }
  return ShortNumber(scaled, 4) + " " + prefix + std::string(unit);
}

}  // namespace corvantile
