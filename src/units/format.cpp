#include "units/format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
using precision::F;

constexpr float kLargestFloat = std::numeric_limits<float>::max();

// One row of a range table. The test compares the input widened to double with the threshold;
// a zero divisor marks the bottom row, where the value is too small to show.
struct Range {
  double threshold;
  double divisor;
  std::string_view suffix;
};

constexpr std::array<Range, 5> kFrequencyRanges = {{
    {1e9, 1e9, " G"},
    {1e6, 1e6, " M"},
    {1e3, 1e3, " k"},
    {1.0, 1.0, " "},
    {-std::numeric_limits<double>::infinity(), 1e-3, " m"},  // below 1, zero and negative
}};

constexpr std::array<Range, 8> kCapacitanceRanges = {{
    {1e7, 1e9, " GF"},
    {1e4, 1e6, " MF"},
    {10.0, 1e3, " KF"},
    {1.0, 1.0, " F"},
    {0.01, 1e-3, " mF"},
    {1e-8, 1e-6, " uF"},
    {1e-14, 1e-12, " pF"},
    {0.0, 0.0, ""},
}};

constexpr std::array<Range, 8> kInductanceRanges = {{
    {1e9, 1e9, " GH"},
    {1e6, 1e6, " MH"},
    {1e3, 1e3, " KH"},
    {1.0, 1.0, " H"},
    {1e-3, 1e-3, " mH"},
    {1e-6, 1e-6, " uH"},
    {1e-10, 1e-9, " nH"},
    {0.0, 0.0, ""},
}};

constexpr std::array<Range, 9> kEngineeringRanges = {{
    {1e9, 1e9, " G"},
    {1e6, 1e6, " M"},
    {1e3, 1e3, " k"},
    {1.0, 1.0, " "},
    {1e-3, 1e-3, " m"},
    {1e-6, 1e-6, " u"},
    {1e-9, 1e-9, " n"},
    {1e-14, 1e-12, " p"},
    {0.0, 0.0, ""},
}};

constexpr std::array<double, 7> kPowersOfTen = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};

enum class Style {
  kPlain,        // "-0.047", "1500"
  kBlankSigned,  // " .047", "-.047", " 1500"
};

// NaN reads as 0 and the infinities as the largest finite floats, so that every later step works
// on a finite value.
float Sanitize(float value) {
  if (std::isnan(value)) return 0.0f;
  if (std::isinf(value)) return value > 0.0f ? kLargestFloat : -kLargestFloat;
  return value;
}

// Rounds a double to float, holding values beyond the float range at the largest finite float
// instead of letting them become infinite.
float ToFloat(double value) {
  const double limit = D(kLargestFloat);
  if (value > limit) return kLargestFloat;
  if (value < -limit) return -kLargestFloat;
  return F(value);
}

const Range& PickRange(std::span<const Range> table, double tested) {
  for (const Range& range : table) {
    if (tested >= range.threshold) return range;
  }
  return table.back();
}

// Scales the value by the row's divisor in double precision and rounds the result to float.
float Scale(float value, const Range& range) {
  if (range.divisor == 0.0) return 0.0f;
  return ToFloat(D(value) / range.divisor);
}

// Decimals for capacitance, inductance and engineering values, chosen from the magnitude of y.
int PlainDecimals(float y) {
  const float magnitude = std::fabs(y);
  if (magnitude > 1000.0f) return 2;
  if (magnitude > 100.0f) return 3;
  if (magnitude > 10.0f) return 4;
  if (magnitude > 1.0f) return 5;
  return 6;
}

// Decimals for frequencies, chosen from the signed y: every negative y gets five.
int FrequencyDecimals(float y) {
  if (y > 100.0f) return 2;
  if (y > 10.0f) return 3;
  if (y > 1.0f) return 4;
  return 5;
}

// Rounds y to the given number of decimals, a half going away from zero. A float times a power of
// ten up to 10^6 is exact in double, so the half is judged on the exact value of y, and dividing
// back and rounding to float gives the float nearest the rounded decimal.
float RoundToDecimals(float y, int decimals) {
  // From 2^23 up every float is a whole number already.
  if (std::fabs(y) >= 8388608.0f) return y;
  const double scale = kPowersOfTen[static_cast<std::size_t>(decimals)];
  return F(std::round(D(y) * scale) / scale);
}

// Writes a finite value with 7 significant digits in the given style.
std::string WriteValue(float value, Style style) {
  // "-d.dddddde+dd": sign, 7 digits, point, "e", sign and two exponent digits at most.
  std::array<char, 32> buffer{};
  const std::to_chars_result written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                                     value, std::chars_format::scientific, 6);
  const std::string_view scientific(buffer.data(),
                                    static_cast<std::size_t>(written.ptr - buffer.data()));

  const bool negative = scientific.front() == '-';
  const std::string_view unsignedPart = scientific.substr(negative ? 1 : 0);
  const std::size_t ePosition = unsignedPart.find('e');
  std::string digits;
  for (const char c : unsignedPart.substr(0, ePosition)) {
    if (c != '.') digits.push_back(c);
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  int exponent = 0;
  const std::string_view exponentText = unsignedPart.substr(ePosition + 1);
  const char* exponentBegin = exponentText.data() + (exponentText.front() == '+' ? 1 : 0);
  std::from_chars(exponentBegin, exponentText.data() + exponentText.size(), exponent);

  std::string text;
  if (negative) {
    text.push_back('-');
  } else if (style == Style::kBlankSigned) {
    text.push_back(' ');
  }

  if (exponent >= 7) {
    text.push_back(digits.front());
    if (digits.size() > 1) {
      text.push_back('.');
      text.append(digits, 1);
    }
    text.append("E+");
    if (exponent < 10) text.push_back('0');
    text.append(std::to_string(exponent));
  } else if (exponent >= 0) {
    const std::size_t wholeDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= wholeDigits) {
      text.append(digits);
      text.append(wholeDigits - digits.size(), '0');
    } else {
      text.append(digits, 0, wholeDigits);
      text.push_back('.');
      text.append(digits, wholeDigits);
    }
  } else {
    if (style == Style::kPlain) text.push_back('0');
    text.push_back('.');
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text.append(digits);
  }
  return text;
}

// The steps shared by every formatter once the range and the decimals are known. A y that is
// zero before or after rounding gives the zero text; the range stays even when rounding carries
// y to the next power of ten (999.9999 Hz stays in the unit range as " 1000 ").
std::string Finish(float y, int decimals, std::string_view suffix, std::string_view zeroText,
                   Style style) {
  if (y == 0.0f) return std::string(zeroText);
  const float rounded = RoundToDecimals(y, decimals);
  if (rounded == 0.0f) return std::string(zeroText);
  std::string text = WriteValue(rounded, style);
  text.append(suffix);
  return text;
}

std::string FormatPlain(float value, std::span<const Range> table) {
  const float clean = Sanitize(value);
  const Range& range = PickRange(table, std::fabs(D(clean)));
  const float y = Scale(clean, range);
  return Finish(y, PlainDecimals(y), range.suffix, "", Style::kPlain);
}

}  // namespace

std::string FormatFrequency(float hertz) {
  const float clean = Sanitize(hertz);
  const Range& range = PickRange(kFrequencyRanges, D(clean));
  const float y = Scale(clean, range);
  return Finish(y, FrequencyDecimals(y), range.suffix, "0.0 ", Style::kBlankSigned);
}

std::string FormatCapacitance(float farads) { return FormatPlain(farads, kCapacitanceRanges); }

std::string FormatInductance(float henries) { return FormatPlain(henries, kInductanceRanges); }

std::string FormatEngineering(float value) { return FormatPlain(value, kEngineeringRanges); }

std::string FormatQuantity(float value) {
  // The decimals belong to the row here; below the unit there is no prefix.
  struct QuantityRange {
    double threshold;
    double divisor;
    int decimals;
    std::string_view suffix;
  };
  static constexpr std::array<QuantityRange, 6> kRanges = {{
      {1e9, 1e9, 3, " G"},
      {1e6, 1e6, 3, " M"},
      {1e3, 1e3, 3, " k"},
      {100.0, 1.0, 2, " "},
      {10.0, 1.0, 3, " "},
      {1.0, 1.0, 4, " "},
  }};
  // Anything not above the float nearest 0.001 shows as zero, that float itself included.
  constexpr float kSmallest = 0.001f;

  const float clean = Sanitize(value);
  const double magnitude = std::fabs(D(clean));
  int decimals = 5;
  std::string_view suffix = " ";
  float y = 0.0f;
  bool ranged = false;
  for (const QuantityRange& range : kRanges) {
    if (magnitude >= range.threshold) {
      y = ToFloat(D(clean) / range.divisor);
      decimals = range.decimals;
      suffix = range.suffix;
      ranged = true;
      break;
    }
  }
  if (!ranged && magnitude > 0.001) y = clean;
  if (std::fabs(y) <= kSmallest) y = 0.0f;
  return Finish(y, decimals, suffix, "0 ", Style::kPlain);
}

}  // namespace corvantile
