#include "units/value_text.h"

#include <cmath>
#include <complex>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "units/precision.h"

namespace corvantile {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kTiny = 1e-13f;

struct TextCase {
  const char* name;
  std::string text;
  const char* expected;
};

class ValueTexts : public testing::TestWithParam<TextCase> {};

TEST_P(ValueTexts, ReadAsTheyShould) { EXPECT_EQ(GetParam().text, GetParam().expected); }

std::string CaseName(const testing::TestParamInfo<TextCase>& info) { return info.param.name; }

// Part values: the design's sign rule, the window's formatters, and one word for no part.
INSTANTIATE_TEST_SUITE_P(
    PartValues, ValueTexts,
    testing::Values(
        TextCase{"Inductor", PartValueText(2.2e-7f, kTiny), "220 nH"},
        TextCase{"Capacitor", PartValueText(-1.17768e-10f, kTiny), "117.768 pF"},
        TextCase{"NoNanoRange", PartValueText(-4.7e-9f, kTiny), "4700 pF"},
        TextCase{"TenHenriesShows", PartValueText(10.0f, kTiny), "10 H"},
        // An L network's open shunt is stored as a huge inductance or a vanishing capacitance.
        TextCase{"HugeIsAbsent", PartValueText(10.5f, kTiny), "absent"},
        TextCase{"VanishingIsAbsent", PartValueText(-1e-16f, kTiny), "absent"},
        TextCase{"ZeroIsAbsent", PartValueText(0.0f, kTiny), "absent"},
        TextCase{"NaNIsAbsent", PartValueText(std::nanf(""), kTiny), "absent"},
        TextCase{"AnalysisInductor", InductanceText(2.01317e-5), "20.1317 uH"},
        TextCase{"AnalysisCapacitor", CapacitanceText(2.30945e-10), "230.945 pF"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Frequencies, ValueTexts,
    testing::Values(TextCase{"Megahertz", FrequencyText(3.75e6), "3.75 MHz"},
                    TextCase{"TwentyMetres", FrequencyText(14.2e6), "14.2 MHz"},
                    TextCase{"Kilohertz", FrequencyText(937500.0), "937.5 kHz"},
                    TextCase{"Hertz", FrequencyText(50.0), "50 Hz"}),
    CaseName);

// An impedance no real side presents reads as what it is, never as the largest float with a
// prefix ("3.402824E+29 Gohms").
INSTANTIATE_TEST_SUITE_P(
    Impedances, ValueTexts,
    testing::Values(
        TextCase{"Inductive", ImpedanceText({1500.0, 0.25}), "1500 + j0.25 ohms"},
        TextCase{"Capacitive", ImpedanceText({42.5, -13.1}), "42.5 - j13.1 ohms"},
        TextCase{"SixDigits", ImpedanceText({81.85714285, 1.0 / 3.0}), "81.8571 + j0.333333 ohms"},
        TextCase{"MatchedLeftover", ImpedanceText({2500.0, -2.57723e-12}), "2500 + j0 ohms"},
        TextCase{"LosslessLeftover", ImpedanceText({1e-6, 123456.0}), "0 + j123456 ohms"},
        TextCase{"SmallButReal", ImpedanceText({1e-3, 123456.0}), "0.001 + j123456 ohms"},
        TextCase{"Infinite", ImpedanceText({kInf, 0.0}), "open"},
        TextCase{"NotANumber", ImpedanceText({50.0, std::nan("")}), "open"},
        TextCase{"LargestFloat",
                 ImpedanceText({static_cast<double>(std::numeric_limits<float>::max()), 0.0}),
                 "open"},
        TextCase{"StoredOpen", ImpedanceText({50.0, -1e15}), "open"},
        TextCase{"JustBelowOpen", ImpedanceText({5e6, 9.99e14}), "5000000 + j9.99e+14 ohms"}),
    CaseName);

// A near-resistive case's loaded Q is rounding noise: it reads 0 as in the design window.
INSTANTIATE_TEST_SUITE_P(Qs, ValueTexts,
                         testing::Values(TextCase{"DefaultInput", QText(4.16228), "4.1623"},
                                         TextCase{"Twelve", QText(12.5), "12.5"},
                                         TextCase{"NearResistive", QText(2.389e-08), "0"},
                                         TextCase{"Negative", QText(-3.5), "-3.5"},
                                         TextCase{"NotANumber", QText(std::nan("")), "-"}),
                         CaseName);

// The solvers cap a perfect match at 300 dB; it reads as a perfect match, in every front end.
INSTANTIATE_TEST_SUITE_P(
    ReturnLosses, ValueTexts,
    testing::Values(TextCase{"Ordinary", ReturnLossText(23.4567, 2), "23.46 dB"},
                    TextCase{"ThreeDecimals", ReturnLossText(23.4567, 3), "23.457 dB"},
                    TextCase{"JustBelowPerfect", ReturnLossText(99.994, 2), "99.99 dB"},
                    TextCase{"Perfect", ReturnLossText(100.0, 2), "> 100 dB"},
                    TextCase{"Capped", ReturnLossText(300.0, 3), "> 100 dB"},
                    TextCase{"Infinite", ReturnLossText(kInf, 2), "> 100 dB"},
                    TextCase{"NotANumber", ReturnLossText(std::nan(""), 2), "-"},
                    TextCase{"Zero", ReturnLossText(-0.0001, 2), "0.00 dB"}),
    CaseName);

// A small share keeps its first significant digit: 0.05 % is not "0.1 %".
INSTANTIATE_TEST_SUITE_P(
    Percentages, ValueTexts,
    testing::Values(TextCase{"OneDecimal", PercentText(0.1234, 1), "12.3 %"},
                    TextCase{"TwoDecimals", PercentText(0.14021, 2), "14.02 %"},
                    TextCase{"HalfATenth", PercentText(0.0005, 1), "0.05 %"},
                    TextCase{"Smaller", PercentText(0.00004, 1), "0.004 %"},
                    TextCase{"BelowOneWithTwo", PercentText(0.0056, 2), "0.56 %"},
                    TextCase{"Whole", PercentText(1.0, 1), "100.0 %"},
                    TextCase{"Zero", PercentText(0.0, 1), "0.0 %"},
                    TextCase{"NotANumber", PercentText(std::nan(""), 1), "-"}),
    CaseName);

// A stored float widens to the decimal it was typed as, and reads back as the same float.
TEST(Decimal, IsTheFloatsShortestDecimal) {
  EXPECT_EQ(precision::Decimal(0.1f), 0.1);
  EXPECT_EQ(precision::Decimal(1500.0f), 1500.0);
  EXPECT_EQ(precision::Decimal(-1.17768e-10f), -1.17768e-10);
  for (const float value : {0.1f, 75.3f, 3.75e6f, -2.2e-7f, 1e-38f, 3.4e38f}) {
    EXPECT_EQ(static_cast<float>(precision::Decimal(value)), value) << value;
  }
  EXPECT_TRUE(std::isinf(precision::Decimal(std::numeric_limits<float>::infinity())));
}

}  // namespace
}  // namespace corvantile
