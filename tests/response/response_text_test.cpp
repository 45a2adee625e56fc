// The response window's summary lines, tooltip texts, nearest sweep point and axis ranges.
#include "response/response_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

SweepSummary Summary() {
  SweepSummary s;
  s.designFrequency = 3.75e6;
  s.atDesign.vswr = 1.0;
  s.bands[0] = {2.0, 3.462e6, 3.987e6, 0.14, true};
  s.bands[1] = {1.5, std::nullopt, 3.8e6, std::nullopt, true};
  s.attenuation2f0Db = 12.345;
  s.attenuation3f0Db = 20.5;
  return s;
}

TEST(ResponseSummaryLines, BandsThenHarmonicAttenuation) {
  const SweepSpan span{937500, 15e6, 1001, true};
  EXPECT_EQ(ResponseSummaryLines(Summary(), span),
            (std::vector<std::string>{"2:1 VSWR bandwidth: 3.462 MHz to 3.987 MHz (14 %)",
                                      "1.5:1 VSWR bandwidth: below 937.5 kHz to 3.8 MHz",
                                      "Attenuation at 2f (7.5 MHz): 12.35 dB",
                                      "Attenuation at 3f (11.25 MHz): 20.50 dB"}));
  SweepSummary missed = Summary();
  missed.atDesign.vswr = 2.5;
  missed.bands[0] = {2.0, std::nullopt, std::nullopt, std::nullopt, false};
  missed.bands[1] = {1.5, std::nullopt, std::nullopt, std::nullopt, false};
  EXPECT_EQ(ResponseSummaryLines(missed, span)[0],
            "2:1 VSWR bandwidth: none: VSWR 2.5 at 3.75 MHz");
  missed.bands[0] = {2.0, 1e6, std::nullopt, std::nullopt, true};
  EXPECT_EQ(ResponseSummaryLines(missed, span)[0], "2:1 VSWR bandwidth: 1 MHz to above 15 MHz");
}

struct ImpedanceCase {
  std::complex<double> ohms;
  std::string text;
};

class ImpedanceTextTest : public ::testing::TestWithParam<ImpedanceCase> {};

TEST_P(ImpedanceTextTest, WritesRealAndImaginaryParts) {
  EXPECT_EQ(ImpedanceText(GetParam().ohms), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, ImpedanceTextTest,
                         ::testing::Values(ImpedanceCase{{50, 25}, "50 + j25 ohms"},
                                           ImpedanceCase{{1500, -0.25}, "1500 - j0.25 ohms"},
                                           ImpedanceCase{{300, 0}, "300 + j0 ohms"},
                                           ImpedanceCase{{300, -0.0}, "300 + j0 ohms"},
                                           ImpedanceCase{{28.3, 45.04}, "28.3 + j45.04 ohms"},
                                           ImpedanceCase{{1e-6, 123456}, "0 + j123456 ohms"},
                                           ImpedanceCase{{std::numeric_limits<double>::quiet_NaN(),
                                                          std::numeric_limits<double>::infinity()},
                                                         "open"}));

TEST(SweepPointText, NamesFrequencyDbAndImpedance) {
  ResponsePoint p;
  p.frequency = 3.75e6;
  p.returnLossDb = 45.214;
  p.vswr = 1.011;
  p.transducerGainDb = -1e-4;
  p.inputImpedance = {1500, 0.25};
  EXPECT_EQ(SweepPointText(p, 50.0),
            "3.75 MHz\nReturn loss 45.21 dB (VSWR 1.011)\nTransducer gain -0.0001 dB\n"
            "Zin 1500 + j0.25 ohms (z 30 + j0.005)");
  p.returnLossDb = 300.0;  // the solvers' cap for a perfect match
  EXPECT_NE(SweepPointText(p, 50.0).find("\nReturn loss > 100 dB (VSWR"), std::string::npos);
  const SmithNode node{"Load", {300, 0}, {6, 0}, {5.0 / 7.0, 0}, 0};
  EXPECT_EQ(SmithNodeText(node), "Load\n300 + j0 ohms (z 6 + j0)");
}

TEST(NearestSweepIndex, PicksTheNearerNeighbourOnALogScale) {
  std::vector<ResponsePoint> sweep(3);
  sweep[0].frequency = 1e3;
  sweep[1].frequency = 1e4;
  sweep[2].frequency = 1e5;
  EXPECT_EQ(NearestSweepIndex(sweep, 10), 0u);
  EXPECT_EQ(NearestSweepIndex(sweep, 3e3), 0u);  // below sqrt(1e3 * 1e4) = 3162
  EXPECT_EQ(NearestSweepIndex(sweep, 3.2e3), 1u);
  EXPECT_EQ(NearestSweepIndex(sweep, 1e4), 1u);
  EXPECT_EQ(NearestSweepIndex(sweep, 5e4), 2u);
  EXPECT_EQ(NearestSweepIndex(sweep, 1e9), 2u);
}

TEST(UnitForSpan, CountsInTheLargestUnitTheUpperEndReaches) {
  EXPECT_EQ(UnitForSpan({937500, 15e6, 11}).name, "MHz");
  EXPECT_EQ(UnitForSpan({937500, 15e6, 11}).hertz, 1e6);
  EXPECT_EQ(UnitForSpan({1e8, 1e9, 11}).name, "GHz");
  EXPECT_EQ(UnitForSpan({100, 999, 11}).name, "Hz");
  EXPECT_EQ(UnitForSpan({100, 1000, 11}).name, "kHz");
}

struct DbAxesCase {
  double loss1, loss2, gain1, gain2;
  int steps;
};

class PlotDbAxesTest : public ::testing::TestWithParam<DbAxesCase> {};

TEST_P(PlotDbAxesTest, SharesWholeTenDecibelStepsWithinTheLimit) {
  std::vector<ResponsePoint> sweep(2);
  sweep[0].returnLossDb = GetParam().loss1;
  sweep[1].returnLossDb = GetParam().loss2;
  sweep[0].transducerGainDb = GetParam().gain1;
  sweep[1].transducerGainDb = GetParam().gain2;
  const DbAxes axes = PlotDbAxes(sweep);
  EXPECT_EQ(axes.steps, GetParam().steps);
  EXPECT_EQ(axes.returnLossTop, 10.0 * GetParam().steps);
  EXPECT_EQ(axes.gainBottom, -10.0 * GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Sweeps, PlotDbAxesTest,
    ::testing::Values(DbAxesCase{3, 23, -2, -0.1, 3}, DbAxesCase{3, 5, -31, -0.1, 4},
                      DbAxesCase{0, 0, 0, 0, 1}, DbAxesCase{300, 0.1, -0.5, 0, kMaxReturnLossSteps},
                      DbAxesCase{300, 0.1, -75, 0, kMaxDbSteps},
                      DbAxesCase{1, 2, -300, 0, kMaxDbSteps}, DbAxesCase{50, 2, -50, 0, 5}));

TEST(PlotDbAxes, AnEmptySweepHasOneStep) { EXPECT_EQ(PlotDbAxes({}).steps, 1); }

}  // namespace
}  // namespace corvantile
