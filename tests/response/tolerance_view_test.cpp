// The tolerance view without the window: the run it asks for and figures that never show NaN.
#include "response/tolerance_view.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"

namespace corvantile {
namespace {

TEST(ToleranceView, EverySeriesCountNamesItsSeries) {
  for (int count : kSeriesCounts) {
    EXPECT_EQ(SeriesCount(SeriesOfCount(count)), count);
    EXPECT_EQ(SeriesName(SeriesOfCount(count)), "E" + std::to_string(count));
  }
  EXPECT_EQ(SeriesOfCount(7), StandardSeries::E12);
}

TEST(ToleranceView, TheRequestBuildsTheChosenNetworkWithTheSettings) {
  RunState state = MakeDefaultRunState();
  const DesignOutcome outcome = RunDesignPass(state);
  ToleranceSettings s;
  s.standard = ToleranceStandard::Nearest;
  s.inductorSeries = 6;
  s.inductorTolerance = 0.1;
  s.capacitorTolerance = 0.02;
  s.normal = true;
  s.builds = 123;
  s.seed = 99;
  const ToleranceRequest r = MakeToleranceRequest(state, outcome, s);
  ASSERT_TRUE(r.hasNetwork);
  StandardChoice choice;
  choice.inductors = StandardSeries::E6;
  const MatchingCircuit nearest = NearestStandardCircuit(DesignCircuit(state).circuit, choice);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(r.circuit.elements[k].kind, nearest.elements[k].kind);
    EXPECT_EQ(r.circuit.elements[k].value, nearest.elements[k].value);
    // Each part's tolerance follows its kind.
    const PartKind kind = r.circuit.elements[k].kind;
    const double expected = kind == PartKind::Inductor    ? 0.1
                            : kind == PartKind::Capacitor ? 0.02
                                                          : 0.0;
    EXPECT_EQ(r.options.tolerance[k], expected) << k;
  }
  EXPECT_EQ(r.options.distribution, ToleranceDistribution::Normal);
  EXPECT_EQ(r.options.builds, 123);
  EXPECT_EQ(r.options.seed, 99u);
  ASSERT_TRUE(r.options.envelope);
  EXPECT_EQ(r.options.envelope->from, DefaultSweepSpan(r.circuit.designFrequency).from);
  EXPECT_EQ(r.options.progress, nullptr);
}

// With the Response page's losses the request builds with them, picks the best combination by
// them and, compensated, starts from the design the Response page shows.
TEST(ToleranceView, TheRequestCarriesTheLossesAndTheCompensatedDesign) {
  RunState state = MakeDefaultRunState();
  const DesignOutcome outcome = RunDesignPass(state);
  LossModel losses;
  losses.inductor = {30.0, 0.5};
  losses.capacitor = {200.0, 0.0};
  ToleranceSettings s;
  s.standard = ToleranceStandard::Best;
  const MatchingCircuit designed = DesignCircuit(state).circuit;
  const ToleranceRequest lossy = MakeToleranceRequest(state, outcome, s, std::nullopt, losses);
  EXPECT_EQ(lossy.options.losses.inductor.q0, 30.0);
  EXPECT_EQ(lossy.options.losses.capacitor.q0, 200.0);
  const MatchingCircuit best = BestStandardCircuit(designed, {}, losses);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(lossy.circuit.elements[k].value, best.elements[k].value);
  }
  s.standard = ToleranceStandard::None;
  const ToleranceRequest compensated =
      MakeToleranceRequest(state, outcome, s, std::nullopt, losses, true);
  const MatchingCircuit expected =
      CompensateLosses(designed, losses, state.NetValues[DesignDriver]).circuit;
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(compensated.circuit.elements[k].value, expected.elements[k].value);
  }
  EXPECT_NE(compensated.circuit.elements[0].value, designed.elements[0].value);
  // Without losses the request is the lossless one.
  EXPECT_FALSE(IsLossy(MakeToleranceRequest(state, outcome, s).options.losses.inductor));
}

TEST(ToleranceView, AnImpossibleDesignAsksForNoRun) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkPhase] = 0.0f;
  const ToleranceRequest r = MakeToleranceRequest(state, RunDesignPass(state), {});
  EXPECT_FALSE(r.hasNetwork);
  EXPECT_EQ(r.noNetworkReason, "no network can be designed for these values");
}

TEST(ToleranceView, FiguresThatAreNotFiniteShowAsADash) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  ToleranceResult r;
  r.nominalReturnLossDb = kInf;  // a perfect match
  r.percentilesDb = {10.0, 20.0, std::nan(""), kInf, kInf};
  r.worst.returnLossDb = 12.345;
  r.worst.vswr = 1.6;
  r.worst.signs = {-1, 0, 1};
  r.atDesign = {0.973, 1.0};
  r.sensitivities[0] = {2, 0.5, 0.75};
  r.sensitivities[1] = {1, 0.1, 0.25};
  r.sensitivities[2] = {3, 0.0, 0.0};
  const ToleranceFigures f = DescribeTolerance(r);
  EXPECT_EQ(f.nominal, "Nominal return loss: - dB");
  EXPECT_EQ(f.percentiles, "Return loss percentiles 1/5/50/95/99: 10.0 / 20.0 / - / - / - dB");
  EXPECT_EQ(f.yieldAtDesign, "Yield at f0: 97.3 % within 1.5:1, 100.0 % within 2:1");
  EXPECT_TRUE(f.yieldOverBand.empty());
  EXPECT_EQ(f.worstCase, "Worst case (-0+): 12.35 dB, VSWR 1.60:1");
  ASSERT_EQ(f.sensitivities.size(), 2u);  // a part that does not vary is not ranked
  EXPECT_EQ(f.sensitivities[0], "Element 2: 75.0 % of the spread");
  EXPECT_EQ(f.sensitivities[1], "Element 1: 25.0 % of the spread");
}

}  // namespace
}  // namespace corvantile
