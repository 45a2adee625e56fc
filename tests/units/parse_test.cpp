#include "units/parse.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

using namespace std::string_view_literals;

// Multipliers as the parser holds them: the float nearest each power of ten.
constexpr float kPico = 1e-12f;
constexpr float kNano = 1e-9f;
constexpr float kMicro = 1e-6f;
constexpr float kMilli = 1e-3f;

struct ParseCase {
  std::string_view text;
  float expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << "\"" << c.text << "\" -> " << c.expected;
}

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsExactValue) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(ParseValue(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    TypedTexts, ParseTest,
    testing::Values(ParseCase{"10 pF", 10.0f * kPico}, ParseCase{"3.75MHz", 3750000.0f},
                    ParseCase{"  47u  ", 47.0f * kMicro}, ParseCase{"4.7m", 0.0047f},
                    ParseCase{"4.7M", 4700000.0f}, ParseCase{"1.5G", 1.5e9f},
                    ParseCase{"1e-3", 0.001f},
                    // A prefix after the exponent letter is ignored.
                    ParseCase{"1.5E3k", 1500.0f},
                    // Dropped characters: comma, second point, sign after a digit.
                    ParseCase{"1,500", 1500.0f}, ParseCase{"1.5.3", 1.53f}, ParseCase{"5-3", 53.0f},
                    ParseCase{"-5", -5.0f}, ParseCase{"+.5", 0.5f},
                    // Letters before the first taken character are ignored.
                    ParseCase{"k5", 5.0f}, ParseCase{"E5", 5.0f}, ParseCase{"-k5", 0.0f},
                    ParseCase{"abc", 0.0f}, ParseCase{"", 0.0f}, ParseCase{"   ", 0.0f},
                    ParseCase{"-", 0.0f}, ParseCase{".", 0.0f}, ParseCase{"-135 degrees", -135.0f},
                    ParseCase{"1.5 kW", 1500.0f}, ParseCase{"1500 Hz", 1500.0f},
                    ParseCase{"1.5e", 1.5f},
                    // No point is taken after the exponent letter: this is 2E03.
                    ParseCase{"2E0.3", 2000.0f}, ParseCase{"2e+", 2.0f}, ParseCase{"-0", 0.0f}));

INSTANTIATE_TEST_SUITE_P(
    FormattedTexts, ParseTest,
    testing::Values(ParseCase{"1.5 k", 1500.0f}, ParseCase{"1000 nH", 1000.0f * kNano},
                    ParseCase{"0.01 KF", 10.0f}, ParseCase{" 3.75 M", 3750000.0f},
                    ParseCase{" .5 m", 0.5f * kMilli}, ParseCase{"-.5 m", -0.5f * kMilli},
                    ParseCase{"-100 pF", -100.0f * kPico}));

INSTANTIATE_TEST_SUITE_P(
    Limits, ParseTest,
    testing::Values(ParseCase{"99999999999", 1e10f}, ParseCase{"-99999999999", -1e10f},
                    ParseCase{"1234567890123", 1e10f}, ParseCase{"1E39", 1e10f},
                    // An overflowing negative number keeps its sign.
                    ParseCase{"-1E39", -1e10f}, ParseCase{"-1E9999999999", -1e10f},
                    ParseCase{"1E-400", 0.0f}, ParseCase{"-1E-50", 0.0f},
                    // Only the first 12 characters after trimming are read.
                    ParseCase{"0.0000000001k", 1e-10f}, ParseCase{"   0.0000000001k   ", 1e-10f},
                    ParseCase{"1 2 3 4 5 6 7 8", 123456.0f}));

INSTANTIATE_TEST_SUITE_P(
    UnitWordOhm, ParseTest,
    testing::Values(ParseCase{"50 ohms", 50.0f}, ParseCase{"50 ohm", 50.0f},
                    ParseCase{"50ohms", 50.0f}, ParseCase{"50 Ohms", 50.0f},
                    ParseCase{"50 OHMS", 50.0f}, ParseCase{"50 mohms", 50.0f * kMilli},
                    ParseCase{"1.5 kohms", 1500.0f},
                    // Only blanks may stand between the number and the unit word.
                    ParseCase{"50x ohms", 50.0f * kMilli}, ParseCase{"ohms", 0.0f}));

INSTANTIATE_TEST_SUITE_P(
    ResistorCode, ParseTest,
    testing::Values(ParseCase{"2k2", 2200.0f}, ParseCase{"4n7", 4.7f * kNano},
                    ParseCase{"1M5", 1500000.0f}, ParseCase{"4p7", 4.7f * kPico},
                    ParseCase{"4m7", 4.7f * kMilli}, ParseCase{"-4K75", -4750.0f},
                    ParseCase{"4k7 ohms", 4700.0f}, ParseCase{"10u0", 10.0f * kMicro},
                    // Only the digits right after the letter belong to the number.
                    ParseCase{"2k2.5", 2200.0f}, ParseCase{"2k2 5", 2200.0f},
                    ParseCase{"2k2E3", 2200.0f},
                    // Not the resistor code: point before the letter, no digit beside it.
                    ParseCase{"2.2k5", 2200.0f}, ParseCase{"2 k2", 2000.0f},
                    ParseCase{"2k 2", 2000.0f}, ParseCase{".k5", 0.0f}));

INSTANTIATE_TEST_SUITE_P(ChosenReadings, ParseTest,
                         testing::Values(
                             // Digits only after the exponent letter read as 0.
                             ParseCase{"-e5", 0.0f}, ParseCase{".e5", 0.0f},
                             ParseCase{"+E-3", 0.0f},
                             // Bytes outside ASCII and NUL are dropped like any other character.
                             ParseCase{"4.7 \u00B5F", 4.7f}, ParseCase{"1\0k"sv, 1000.0f},
                             ParseCase{"\0 12"sv, 12.0f}));

// The formatters' texts carry up to 7 significant digits, so these agree with the exact decimal
// within a float rounding or two rather than bit for bit.
TEST(ParseFormattedTextTest, ReadsWithinFloatRounding) {
  EXPECT_FLOAT_EQ(ParseValue(" .047 uF"), 4.7e-8f);
  EXPECT_FLOAT_EQ(ParseValue("1000 nH"), 1e-6f);
  EXPECT_FLOAT_EQ(ParseValue("1.23457 k"), 1234.57f);
}

TEST(ParseZeroTest, NegativeZeroReadsAsPlainZero) {
  for (const std::string_view text : {"-0", "-0.0k", "-1E-50", "-.0"}) {
    EXPECT_FALSE(std::signbit(ParseValue(text))) << text;
  }
}

TEST(ParseAnyTextTest, ResultIsFiniteBoundedAndRepeatable) {
  constexpr std::string_view kLikelyBytes = "0123456789.+-eEkKmMuUnNpPgG ohms,\xFF";
  std::mt19937 random(42);
  std::uniform_int_distribution<int> length(0, 40);
  std::uniform_int_distribution<int> any_byte(0, 255);
  std::uniform_int_distribution<std::size_t> likely_byte(0, kLikelyBytes.size() - 1);
  std::bernoulli_distribution pick_any(0.2);
  for (int i = 0; i < 300000; ++i) {
    std::string text(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : text) {
      c = pick_any(random) ? static_cast<char>(any_byte(random))
                           : kLikelyBytes[likely_byte(random)];
    }
    const float value = ParseValue(text);
    ASSERT_TRUE(std::isfinite(value)) << text;
    ASSERT_LE(std::fabs(value), 1e10f) << text;
    const float again = ParseValue(text);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(again)) << text;
  }
}

TEST(ParseAnyTextTest, VeryLongTextReadsItsFirstTwelveCharacters) {
  EXPECT_EQ(ParseValue(std::string(1 << 20, '9')), 1e10f);
  EXPECT_EQ(ParseValue("1.5" + std::string(1 << 20, ' ') + "k"), 1.5f);
}

// The command line's strict reading: each row is what it reads, or why not.
struct StrictCase {
  const char* text;
  StrictProblem problem;
  double value;  // when read (or its exact value for TooLarge and TooLong)
};

void PrintTo(const StrictCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class ParseStrictTest : public ::testing::TestWithParam<StrictCase> {};

TEST_P(ParseStrictTest, ReadsWholeOrRefuses) {
  const StrictValue read = ParseValueStrict(GetParam().text);
  EXPECT_EQ(read.problem, GetParam().problem);
  if (GetParam().problem != StrictProblem::NotAValue) {
    EXPECT_DOUBLE_EQ(read.value, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseStrictTest,
    ::testing::Values(
        StrictCase{"3.75M", StrictProblem::None, 3.75e6},
        StrictCase{" -100p ", StrictProblem::None, -1e-10},
        StrictCase{"4k7", StrictProblem::None, 4700.0}, StrictCase{"2m", StrictProblem::None, 2e-3},
        StrictCase{"+1e-3", StrictProblem::None, 1e-3}, StrictCase{".5", StrictProblem::None, 0.5},
        StrictCase{"5.", StrictProblem::None, 5.0}, StrictCase{"-0", StrictProblem::None, 0.0},
        StrictCase{"10G", StrictProblem::None, 1e10},
        StrictCase{"50G", StrictProblem::TooLarge, 5e10},
        StrictCase{"1e400", StrictProblem::TooLarge, HUGE_VAL},
        StrictCase{"-1e11", StrictProblem::TooLarge, -1e11},
        StrictCase{"1e-45", StrictProblem::TooSmall, 1e-45},
        StrictCase{"1e-400", StrictProblem::TooSmall, 0.0},
        StrictCase{"1234567890123e-3", StrictProblem::TooLong, 1234567890.123},
        StrictCase{"0.000000000001", StrictProblem::TooLong, 1e-12},
        StrictCase{"100.000000000p", StrictProblem::TooLong, 1e-10},
        StrictCase{"61.234567891234567", StrictProblem::None, 61.234567891234567},
        StrictCase{"1,5M", StrictProblem::NotAValue, 0.0},
        StrictCase{"5O", StrictProblem::NotAValue, 0.0},
        StrictCase{"1e3G", StrictProblem::NotAValue, 0.0},
        StrictCase{"e5", StrictProblem::NotAValue, 0.0},
        StrictCase{"5=6", StrictProblem::NotAValue, 0.0},
        StrictCase{"2k2.5", StrictProblem::NotAValue, 0.0},
        StrictCase{"2.2k5", StrictProblem::NotAValue, 0.0},
        StrictCase{"1e", StrictProblem::NotAValue, 0.0},
        StrictCase{"--5", StrictProblem::NotAValue, 0.0},
        StrictCase{"50 ohms", StrictProblem::NotAValue, 0.0},
        StrictCase{"3.75MHz", StrictProblem::NotAValue, 0.0},
        StrictCase{"nan", StrictProblem::NotAValue, 0.0},
        StrictCase{"inf", StrictProblem::NotAValue, 0.0},
        StrictCase{"0x10", StrictProblem::NotAValue, 0.0},
        StrictCase{"", StrictProblem::NotAValue, 0.0},
        StrictCase{"   ", StrictProblem::NotAValue, 0.0},
        StrictCase{"1 2", StrictProblem::NotAValue, 0.0}));

// What the strict reading takes, the entry dialogs' lenient one reads the same: nothing the
// command line accepts is read differently by the window.
TEST(ParseStrictAnyTextTest, WhatItTakesTheLenientReaderReadsTheSame) {
  constexpr std::string_view kLikelyBytes = "0123456789.+-eEkKmMuUnNpPgG ,=O";
  std::mt19937 random(7);
  std::uniform_int_distribution<int> length(0, 14);
  std::uniform_int_distribution<std::size_t> likely_byte(0, kLikelyBytes.size() - 1);
  int taken = 0;
  for (int i = 0; i < 300000; ++i) {
    std::string text(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : text) c = kLikelyBytes[likely_byte(random)];
    const StrictValue read = ParseValueStrict(text);
    if (read.problem != StrictProblem::None) continue;
    ++taken;
    const double lenient = static_cast<double>(ParseValue(text));
    ASSERT_NEAR(lenient, read.value, 1e-6 * std::fabs(read.value) + 1e-300) << "'" << text << "'";
  }
  EXPECT_GT(taken, 1000);
}

}  // namespace
}  // namespace corvantile
