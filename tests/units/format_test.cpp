#include "units/format.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "units/parse.h"

namespace corvantile {
namespace {

using Formatter = std::string (*)(float);

struct FormatCase {
  const char* formatter_name;
  Formatter format;
  float input;
  std::string_view expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.formatter_name << "(" << c.input << ") -> \"" << c.expected << "\"";
}

#define CASE(formatter, input, expected) \
  FormatCase { #formatter, formatter, input, expected }

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, GivesExactText) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(c.format(c.input), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, FormatTest,
    testing::Values(
        CASE(FormatFrequency, 3750000.0f, " 3.75 M"), CASE(FormatFrequency, 14200000.0f, " 14.2 M"),
        CASE(FormatFrequency, 1500.4f, " 1.5004 k"), CASE(FormatFrequency, 50.0f, " 50 "),
        CASE(FormatFrequency, 0.5f, " 500 m"), CASE(FormatFrequency, 0.0f, "0.0 "),
        CASE(FormatCapacitance, 1e-10f, "100 pF"), CASE(FormatCapacitance, 3.3e-11f, "33 pF"),
        CASE(FormatCapacitance, 2.2e-9f, "2200 pF"), CASE(FormatCapacitance, 4.7e-8f, "0.047 uF"),
        CASE(FormatCapacitance, 0.0015f, "1500 uF"), CASE(FormatCapacitance, 0.05f, "50 mF"),
        CASE(FormatCapacitance, -1e-10f, "-100 pF"), CASE(FormatInductance, 4.7e-6f, "4.7 uH"),
        CASE(FormatInductance, 2.2e-7f, "220 nH"), CASE(FormatInductance, 1.5e-10f, "0.15 nH"),
        CASE(FormatInductance, 0.5f, "500 mH"), CASE(FormatEngineering, 50.0f, "50 "),
        CASE(FormatEngineering, 1500.0f, "1.5 k"), CASE(FormatEngineering, 1234.567f, "1.23457 k"),
        CASE(FormatEngineering, -25.3f, "-25.3 "), CASE(FormatEngineering, 0.0047f, "4.7 m"),
        CASE(FormatQuantity, 1000.0f, "1 k"), CASE(FormatQuantity, 12345.0f, "12.345 k"),
        CASE(FormatQuantity, 123.456f, "123.46 "), CASE(FormatQuantity, 70.7107f, "70.711 "),
        CASE(FormatQuantity, -135.0f, "-135 "), CASE(FormatQuantity, 0.0012345f, "0.00123 ")));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, FormatTest,
    testing::Values(
        // Rounding carries y to the next power of ten but the range stays.
        CASE(FormatFrequency, 999.9999f, " 1000 "), CASE(FormatQuantity, 999.996f, "1000 "),
        CASE(FormatQuantity, 0.0f, "0 "), CASE(FormatCapacitance, 0.0f, ""),
        CASE(FormatInductance, 0.0f, ""), CASE(FormatEngineering, 0.0f, ""),
        CASE(FormatCapacitance, 5e-15f, ""), CASE(FormatInductance, 5e-11f, ""),
        CASE(FormatQuantity, 0.0005f, "0 "), CASE(FormatQuantity, 0.001f, "0 "),
        // The floats nearest 1e-6, 0.01 and 1e-8 lie below those powers of ten.
        CASE(FormatInductance, 1e-6f, "1000 nH"), CASE(FormatCapacitance, 1e-6f, "1 uF"),
        CASE(FormatCapacitance, 0.01f, "10000 uF"), CASE(FormatCapacitance, 1e-8f, "10000 pF"),
        CASE(FormatCapacitance, 10.0f, "0.01 KF"), CASE(FormatCapacitance, 1e7f, "0.01 GF"),
        CASE(FormatQuantity, 1.5e16f, "1.5E+07 G"),
        // An exact half in the first dropped place goes away from zero.
        CASE(FormatQuantity, 100.125f, "100.13 "), CASE(FormatQuantity, -100.125f, "-100.13 "),
        CASE(FormatFrequency, 100.125f, " 100.13 "), CASE(FormatEngineering, 100.0625f, "100.063 "),
        // Negative values are ranged by magnitude, except frequencies, which all go to milli.
        CASE(FormatInductance, -4.7e-6f, "-4.7 uH"), CASE(FormatEngineering, -1500.0f, "-1.5 k"),
        CASE(FormatQuantity, -0.0012345f, "-0.00123 "), CASE(FormatFrequency, -0.5f, "-500 m"),
        CASE(FormatFrequency, -50.0f, "-50000 m"),
        // Blank-signed style: no "0" before the point, exponent form with the blank kept.
        CASE(FormatFrequency, 0.0005f, " .5 m"), CASE(FormatFrequency, -0.0005f, "-.5 m"),
        CASE(FormatFrequency, -20000.0f, "-2E+07 m"), CASE(FormatFrequency, 1.5e16f, " 1.5E+07 G"),
        // Exponent form keeps 7 significant digits and at least two exponent digits.
        CASE(FormatEngineering, 1.2345678e16f, "1.234568E+07 G"),
        CASE(FormatEngineering, -1e19f, "-1E+10 G"),
        CASE(FormatEngineering, 123456.78e9f, "123456.8 G")));

// Texts this program settles itself where the value cannot be shown normally.
INSTANTIATE_TEST_SUITE_P(
    ChosenTexts, FormatTest,
    testing::Values(
        // A frequency that rounds to zero in the milli range shows as zero.
        CASE(FormatFrequency, 1e-9f, "0.0 "), CASE(FormatFrequency, -4e-9f, "0.0 "),
        CASE(FormatFrequency, std::numeric_limits<float>::denorm_min(), "0.0 "),
        // NaN is 0; the infinities are the largest finite floats.
        CASE(FormatFrequency, std::numeric_limits<float>::quiet_NaN(), "0.0 "),
        CASE(FormatQuantity, std::numeric_limits<float>::quiet_NaN(), "0 "),
        CASE(FormatCapacitance, std::numeric_limits<float>::quiet_NaN(), ""),
        CASE(FormatFrequency, std::numeric_limits<float>::infinity(), " 3.402824E+29 G"),
        CASE(FormatFrequency, -std::numeric_limits<float>::infinity(), "-3.402823E+38 m"),
        CASE(FormatCapacitance, -std::numeric_limits<float>::infinity(), "-3.402824E+29 GF"),
        CASE(FormatQuantity, std::numeric_limits<float>::infinity(), "3.402824E+29 G")));

#undef CASE

constexpr std::array<Formatter, 5> kAllFormatters = {
    FormatFrequency, FormatCapacitance, FormatInductance, FormatEngineering, FormatQuantity};

bool HasNonFiniteWord(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c | 0x20);
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

TEST(FormatAnyFloatTest, TextIsShortAndFiniteForEveryBitPattern) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 200000; ++i) {
    const std::uint32_t pattern = bits(random);
    const float value = std::bit_cast<float>(pattern);
    for (const Formatter format : kAllFormatters) {
      const std::string text = format(value);
      ASSERT_LE(text.size(), 16u) << value << " -> " << text;
      ASSERT_FALSE(HasNonFiniteWord(text)) << value << " -> " << text;
    }
  }
}

// Formatting and parsing the text back gives the value rounded to the displayed digits.
struct RoundTripCase {
  const char* formatter_name;
  Formatter format;
  double smallest;  // magnitudes from here ...
  double largest;   // ... to here, spread evenly over the decades
  bool negatives;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.formatter_name; }

class RoundTripTest : public testing::TestWithParam<RoundTripCase> {};

// The value of one unit in the last written digit, prefix included: "0.047 uF" -> 1e-9.
double LastDigitUnit(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::size_t blank = text.find(' ', 1);
  const std::size_t decimals = point == std::string_view::npos ? 0 : blank - point - 1;
  double unit = std::pow(10.0, -static_cast<double>(decimals));
  if (blank + 1 < text.size()) {
    const float multiplier = ParseValue(std::string("1") + text[blank + 1]);
    if (multiplier != 0.0f) unit *= static_cast<double>(multiplier);
  }
  return unit;
}

TEST_P(RoundTripTest, ParsedTextIsTheValueToTheDisplayedDigits) {
  const RoundTripCase& c = GetParam();
  std::mt19937 random(7);
  std::uniform_real_distribution<double> decade(std::log10(c.smallest), std::log10(c.largest));
  std::bernoulli_distribution negative(c.negatives ? 0.5 : 0.0);
  for (int i = 0; i < 50000; ++i) {
    float value = static_cast<float>(std::pow(10.0, decade(random)));
    if (negative(random)) value = -value;
    const std::string text = c.format(value);
    ASSERT_LE(text.size(), 12u) << text;  // the parser reads 12 characters
    ASSERT_EQ(text.find('E'), std::string::npos) << text;
    const double parsed = static_cast<double>(ParseValue(text));
    // Half a unit of the last digit, plus the float roundings of the scaled and parsed values.
    const double tolerance =
        0.5 * LastDigitUnit(text) + 4.0 * std::fabs(static_cast<double>(value)) * 0x1p-24;
    ASSERT_LE(std::fabs(parsed - static_cast<double>(value)), tolerance)
        << value << " -> \"" << text << "\" -> " << parsed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formatters, RoundTripTest,
    testing::Values(RoundTripCase{"FormatEngineering", FormatEngineering, 1e-14, 9.9e9, true},
                    RoundTripCase{"FormatCapacitance", FormatCapacitance, 1e-14, 9.9e9, true},
                    RoundTripCase{"FormatInductance", FormatInductance, 1e-10, 9.9e9, true},
                    RoundTripCase{"FormatQuantity", FormatQuantity, 2e-3, 9.9e9, true},
                    RoundTripCase{"FormatFrequency", FormatFrequency, 1e-6, 9.9e9, false}));

}  // namespace
}  // namespace corvantile
