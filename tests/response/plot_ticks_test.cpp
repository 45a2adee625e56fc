// The plots' tick choice: round values, as many as fit, labels that say each tick exactly.
#include "response/plot_ticks.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

// A tick's label as the plot prints it ("%.*f").
std::string Label(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::vector<std::string> Labels(const LinearTicks& ticks) {
  std::vector<std::string> labels;
  for (const double v : ticks.values) labels.push_back(Label(v, ticks.decimals));
  return labels;
}

// 1, 2 or 5 times a power of ten.
bool IsRoundStep(double step) {
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (std::abs(mantissa - m) < 1e-9) return true;
  }
  return false;
}

struct TicksCase {
  double low, high;
  int maxTicks;
  std::vector<std::string> labels;
};

class RoundTicksTest : public testing::TestWithParam<TicksCase> {};

TEST_P(RoundTicksTest, LabelsRoundValues) {
  const TicksCase& row = GetParam();
  const LinearTicks ticks = RoundTicks(row.low, row.high, row.maxTicks);
  EXPECT_EQ(Labels(ticks), row.labels);
  EXPECT_EQ(ticks.low, row.low);
  EXPECT_EQ(ticks.high, row.high);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RoundTicksTest,
    testing::Values(
        // A measured antenna's band in MHz: no power of ten inside it.
        TicksCase{3.4, 4.1, 8, {"3.4", "3.5", "3.6", "3.7", "3.8", "3.9", "4.0", "4.1"}},
        TicksCase{3.4, 4.1, 5, {"3.4", "3.6", "3.8", "4.0"}},
        TicksCase{3.45, 4.12, 8, {"3.5", "3.6", "3.7", "3.8", "3.9", "4.0", "4.1"}},
        TicksCase{0.0, 37.0, 5, {"0", "10", "20", "30"}},
        TicksCase{14.0,
                  14.35,
                  8,
                  {"14.00", "14.05", "14.10", "14.15", "14.20", "14.25", "14.30", "14.35"}},
        TicksCase{1.0, 1.02, 8, {"1.000", "1.005", "1.010", "1.015", "1.020"}},
        TicksCase{-12.0, 3.0, 6, {"-10", "-5", "0"}},
        TicksCase{
            200.0, 1000.0, 9, {"200", "300", "400", "500", "600", "700", "800", "900", "1000"}},
        TicksCase{200.0, 1000.0, 8, {"200", "400", "600", "800", "1000"}}));

// Any range: every tick inside it, at a round step, at most maxTicks of them, and the next
// smaller round step would give too many (as many as fit); each label says its tick exactly and
// differs from its neighbours.
TEST(RoundTicks, PropertiesOverRandomRanges) {
  std::mt19937 random(22);
  std::uniform_real_distribution<double> exponent(-4.0, 7.0), unit(0.0, 1.0);
  for (int trial = 0; trial < 4000; ++trial) {
    const double scale = std::pow(10.0, exponent(random));
    const double low = (unit(random) * 2.0 - 1.0) * scale;
    const double high = low + scale * (0.01 + unit(random));
    const int maxTicks = 3 + trial % 8;
    const LinearTicks ticks = RoundTicks(low, high, maxTicks);
    SCOPED_TRACE(testing::Message() << low << " to " << high << ", " << maxTicks << " ticks");
    ASSERT_TRUE(IsRoundStep(ticks.step)) << ticks.step;
    ASSERT_FALSE(ticks.values.empty());
    EXPECT_LE(static_cast<int>(ticks.values.size()), maxTicks);
    const double smaller = ticks.step / (IsRoundStep(ticks.step / 2.0) ? 2.0 : 2.5);
    const double fitting = std::floor(high / smaller + 1e-9) - std::ceil(low / smaller - 1e-9) + 1;
    EXPECT_GT(fitting, maxTicks) << "a step of " << smaller << " fits too";
    std::set<std::string> distinct;
    for (const double v : ticks.values) {
      EXPECT_GE(v, low - 1e-9 * scale);
      EXPECT_LE(v, high + 1e-9 * scale);
      const std::string label = Label(v, ticks.decimals);
      EXPECT_NEAR(std::stod(label), v, 1e-9 * scale) << label;
      distinct.insert(label);
    }
    EXPECT_EQ(distinct.size(), ticks.values.size());
  }
}

struct RangeCase {
  double low, high;
  int maxTicks;
  double axisLow, axisHigh, step;
};

class RoundRangeTest : public testing::TestWithParam<RangeCase> {};

TEST_P(RoundRangeTest, EndsOnRoundTicks) {
  const RangeCase& row = GetParam();
  const LinearTicks ticks = RoundRange(row.low, row.high, row.maxTicks);
  EXPECT_NEAR(ticks.low, row.axisLow, 1e-12);
  EXPECT_NEAR(ticks.high, row.axisHigh, 1e-12);
  EXPECT_NEAR(ticks.step, row.step, 1e-12);
  ASSERT_FALSE(ticks.values.empty());
  EXPECT_NEAR(ticks.values.front(), ticks.low, 1e-12);
  EXPECT_NEAR(ticks.values.back(), ticks.high, 1e-12);
  EXPECT_LE(static_cast<int>(ticks.values.size()), row.maxTicks);
}

INSTANTIATE_TEST_SUITE_P(Table, RoundRangeTest,
                         testing::Values(
                             // Bandwidths in percent never give a negative axis.
                             RangeCase{0.8, 25.0, 7, 0.0, 30.0, 5.0},
                             RangeCase{0.0, 12.3, 8, 0.0, 14.0, 2.0},
                             // Attenuations in dB that may be negative keep their margin below.
                             RangeCase{-2.0, 60.0, 9, -10.0, 70.0, 10.0},
                             // A single value, and a single zero.
                             RangeCase{5.0, 5.0, 6, 4.5, 5.5, 0.5},
                             RangeCase{0.0, 0.0, 6, 0.0, 1.0, 0.2}));

TEST(RoundRange, HoldsEveryPointWithItsMargin) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 2000; ++trial) {
    const double scale = std::pow(10.0, unit(random) * 8.0 - 3.0);
    const double low = (unit(random) - 0.3) * scale;
    const double high = low + unit(random) * scale;
    const LinearTicks ticks = RoundRange(low, high, 8);
    SCOPED_TRACE(testing::Message() << low << " to " << high);
    EXPECT_LE(ticks.low, low - 0.05 * (high - low) * (low >= 0.0 ? 0.0 : 1.0) + 1e-12 * scale);
    EXPECT_GE(ticks.high, high + 0.05 * (high - low) - 1e-12 * scale);
    if (low >= 0.0) {
      EXPECT_GE(ticks.low, 0.0);
    }
    EXPECT_LE(ticks.values.size(), 8u);
  }
}

TEST(ChooseFrequencyTicks, NarrowBandIsLinearWithLabels) {
  // 3.4 to 4.1 MHz holds no power of ten: a logarithmic axis would label nothing.
  const FrequencyTicks narrow = ChooseFrequencyTicks(3.4, 4.1);
  ASSERT_FALSE(narrow.logarithmic);
  EXPECT_EQ(narrow.linear.low, 3.4);
  EXPECT_EQ(narrow.linear.high, 4.1);
  EXPECT_GE(narrow.linear.values.size(), 4u);
  EXPECT_EQ(Labels(narrow.linear).front(), "3.4");
  EXPECT_EQ(Labels(narrow.linear).back(), "4.1");
  // Just short of tenfold: still linear, still labelled.
  EXPECT_FALSE(ChooseFrequencyTicks(1.5, 14.9).logarithmic);
  EXPECT_GE(ChooseFrequencyTicks(1.5, 14.9).linear.values.size(), 4u);
}

TEST(ChooseFrequencyTicks, TenfoldSpanIsLogarithmic) {
  // The default span, a quarter to four times the design frequency, holds a power of ten.
  EXPECT_TRUE(ChooseFrequencyTicks(0.9375, 15.0).logarithmic);
  EXPECT_TRUE(ChooseFrequencyTicks(3.5, 56.0).logarithmic);
  EXPECT_TRUE(ChooseFrequencyTicks(2.0, 20.0).logarithmic);
  // Nothing to choose from: the logarithmic axis as before.
  EXPECT_TRUE(ChooseFrequencyTicks(0.0, 4.0).logarithmic);
  EXPECT_TRUE(ChooseFrequencyTicks(4.0, 4.0).logarithmic);
}

}  // namespace
}  // namespace corvantile
