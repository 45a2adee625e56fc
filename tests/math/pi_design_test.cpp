// The Pi network: element 1 a shunt across the source, element 2 in series, element 3 a shunt
// across the load.
#include <cmath>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "design_checks.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

using testing::Designed;
using testing::ExpectFixedElementRebuildsPhaseDesign;
using testing::ExpectSameNetwork;
using testing::FourFigures;
using testing::InCautionState;
using testing::MatchesAsCircuit;

RunState DefaultPi() { return Designed(MakeDefaultRunState()); }

TEST(PiDesign, DefaultCircuitToFourFigures) {
  const RunState state = DefaultPi();
  const NetworkValues& net = state.NetValues;
  EXPECT_TRUE(FourFigures(net[NetX1], -360.4));
  EXPECT_TRUE(FourFigures(net[NetPart1], -1.178e-10));  // a 117.8 pF capacitor
  EXPECT_TRUE(FourFigures(net[NetX2], 474.3));
  EXPECT_TRUE(FourFigures(net[NetPart2], 2.013e-5));  // 20.13 uH
  EXPECT_TRUE(FourFigures(net[NetX3], -183.8));
  EXPECT_TRUE(FourFigures(net[NetPart3], -2.309e-10));  // 230.9 pF
  EXPECT_TRUE(FourFigures(net[InputQ], 4.162));
  EXPECT_TRUE(FourFigures(net[OutputQ], 1.632));
  EXPECT_TRUE(FourFigures(net[IntermediateR], 81.86));
  EXPECT_TRUE(FourFigures(net[NetPart1Volts], 1225));
  EXPECT_TRUE(FourFigures(net[NetPart2Volts], 1658));
  EXPECT_TRUE(FourFigures(net[NetPart3Volts], 547.7));
  EXPECT_TRUE(FourFigures(net[NetPart1Amps], 3.398));
  EXPECT_TRUE(FourFigures(net[NetPart2Amps], 3.495));
  EXPECT_TRUE(FourFigures(net[NetPart3Amps], 2.980));
  EXPECT_EQ(net[NetworkPhase], -135.0f);
  EXPECT_EQ(net[NetworkFamily], FamilyPi);
  EXPECT_EQ(net[DesignDriver], DriverPhase);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

TEST(PiDesign, OppositePhaseGivesTheMirrorNetwork) {
  RunState mirrored = MakeDefaultRunState();
  mirrored.NetValues[NetworkPhase] = 135.0f;
  mirrored = Designed(mirrored);
  const RunState original = DefaultPi();
  for (const int k : {NetX1, NetX2, NetX3}) {
    EXPECT_FLOAT_EQ(mirrored.NetValues[k], -original.NetValues[k]) << k;
  }
  EXPECT_FLOAT_EQ(mirrored.NetValues[InputQ], original.NetValues[InputQ]);
  EXPECT_FLOAT_EQ(mirrored.NetValues[OutputQ], original.NetValues[OutputQ]);
  EXPECT_TRUE(MatchesAsCircuit(mirrored));
}

// A series-form source's angle is taken out of the typed phase: the same source entered in
// parallel form needs the phase less that angle for the same network, and each design keeps
// the phase that was typed.
TEST(PiDesign, SeriesSourceAngleShiftsThePhaseTheFormulasUse) {
  RunState series = MakeDefaultRunState();
  series.SourceValues[SeriesR] = 50.0f;
  series.SourceValues[SeriesX] = 50.0f;  // Angle -45
  series = Designed(series);
  RunState parallel = MakeDefaultRunState();
  parallel.SourceValues[EntryForm] = 2.0f;
  parallel.SourceValues[ParallelR] = 100.0f;
  parallel.SourceValues[ParallelX] = 100.0f;
  parallel.NetValues[NetworkPhase] = -135.0f + 45.0f;
  parallel = Designed(parallel);
  ExpectSameNetwork(series, parallel, "series vs parallel source");
  EXPECT_EQ(series.NetValues[NetworkPhase], -135.0f);
  EXPECT_EQ(parallel.NetValues[NetworkPhase], -90.0f);
  EXPECT_TRUE(MatchesAsCircuit(series));
}

struct ImpossiblePhase {
  float phase;
  float sourceSeriesX;  // a series-form source reactance moves the phase the formulas use
};

class PiImpossiblePhase : public ::testing::TestWithParam<ImpossiblePhase> {};

TEST_P(PiImpossiblePhase, EndsInTheCautionStateKeepingThePhase) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesR] = 50.0f;
  state.SourceValues[SeriesX] = GetParam().sourceSeriesX;
  state.NetValues[NetworkPhase] = GetParam().phase;
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible);
  EXPECT_EQ(state.NetValues[NetworkPhase], GetParam().phase);
  EXPECT_TRUE(InCautionState(state));
}

INSTANTIATE_TEST_SUITE_P(Phases, PiImpossiblePhase,
                         ::testing::Values(ImpossiblePhase{0.0f, 0.0f},
                                           ImpossiblePhase{180.0f, 0.0f},
                                           ImpossiblePhase{-180.0f, 0.0f},
                                           ImpossiblePhase{-45.0f, 50.0f},    // -45 less -45
                                           ImpossiblePhase{135.0f, 50.0f}));  // 135 less -45

// Fixing any one element (or its part value) at the value the phase design gave must rebuild
// the same network and report the same phase; the middle element needs the second branch for
// -135 degrees. Series-form sides with reactance make the reported phase carry their angles.
RunState ReactiveSeriesSides() {
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesR] = 1000.0f;
  state.SourceValues[SeriesX] = 300.0f;
  state.LoadValues[SeriesR] = 200.0f;
  state.LoadValues[SeriesX] = -100.0f;
  state.LoadValues[EntryForm] = 3.0f;
  state.LoadValues[SeriesPart] = static_cast<float>(1.0 / (-100.0 * 3.75e6 * 8.0 * std::atan(1.0)));
  return state;
}

class PiFixedElement : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(PiFixedElement, RebuildsThePhaseDesign) {
  const auto [driver, reactive] = GetParam();
  const RunState start = reactive ? ReactiveSeriesSides() : MakeDefaultRunState();
  ExpectFixedElementRebuildsPhaseDesign(start, driver);
}

INSTANTIATE_TEST_SUITE_P(Drivers, PiFixedElement,
                         ::testing::Combine(::testing::Range(1, 7), ::testing::Bool()));

TEST(PiDesign, MiddleElementBranchesAreThePhaseAndItsSupplement) {
  const float x2 = DefaultPi().NetValues[NetX2];  // 474.3 ohm: G sin 45 degrees
  RunState atMinus45 = MakeDefaultRunState();
  atMinus45.NetValues[NetworkPhase] = -45.0f;
  atMinus45 = Designed(atMinus45);
  for (const float branch : {0.0f, 1.0f}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[DesignDriver] = 2.0f;
    state.NetValues[NetX2] = x2;
    state.NetValues[SolutionBranch] = branch;
    state = Designed(state);
    EXPECT_EQ(state.NetValues[SolutionBranch], 1.0f);  // not chosen is taken as the first
    EXPECT_NEAR(state.NetValues[NetworkPhase], -45.0, 1e-3);
    ExpectSameNetwork(state, atMinus45, "branch " + std::to_string(branch));
  }
  // A capacitive middle element mirrors the network.
  RunState mirrored = MakeDefaultRunState();
  mirrored.NetValues[DesignDriver] = 2.0f;
  mirrored.NetValues[NetX2] = -x2;
  mirrored.NetValues[SolutionBranch] = 2.0f;
  mirrored = Designed(mirrored);
  EXPECT_NEAR(mirrored.NetValues[NetworkPhase], 135.0, 1e-3);
  EXPECT_NEAR(mirrored.NetValues[NetX1], 360.4, 0.05);
  EXPECT_TRUE(MatchesAsCircuit(mirrored));
}

TEST(PiDesign, MiddleElementOfExactlyGGivesOneNetworkForBothBranches) {
  const float g = static_cast<float>(std::sqrt(1500.0 * 300.0));
  RunState first = MakeDefaultRunState();
  first.NetValues[DesignDriver] = 2.0f;
  first.NetValues[NetX2] = g;
  first.NetValues[SolutionBranch] = 1.0f;
  RunState second = first;
  second.NetValues[SolutionBranch] = 2.0f;
  first = Designed(first);
  second = Designed(second);
  ExpectSameNetwork(second, first, "branch 2 vs 1");
  EXPECT_NEAR(first.NetValues[NetworkPhase], -90.0, 1e-4);
  EXPECT_TRUE(MatchesAsCircuit(first));
}

struct ImpossibleFixed {
  const char* name;
  float sourceR, loadR;
  int driver;
  float value;  // reactance (drivers 1-3) or part value (4-6)
};

class PiImpossibleFixedElement : public ::testing::TestWithParam<ImpossibleFixed> {};

TEST_P(PiImpossibleFixedElement, EndsInTheCautionStateKeepingTheFixedValue) {
  const ImpossibleFixed& c = GetParam();
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesR] = c.sourceR;
  state.LoadValues[SeriesR] = c.loadR;
  state.NetValues[DesignDriver] = static_cast<float>(c.driver);
  const int slot = c.driver <= 3 ? NetX1 + c.driver - 1 : NetPart1 + c.driver - 4;
  state.NetValues[slot] = c.value;
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible);
  EXPECT_EQ(state.NetValues[slot], c.value);
  EXPECT_TRUE(InCautionState(state));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PiImpossibleFixedElement,
    ::testing::Values(
        ImpossibleFixed{"SourceShuntZero", 1500, 300, 1, 0.0f},
        ImpossibleFixed{"MiddleZero", 1500, 300, 2, 0.0f},
        ImpossibleFixed{"LoadShuntZero", 1500, 300, 3, 0.0f},
        ImpossibleFixed{"MiddlePartZero", 1500, 300, 5, 0.0f},
        // G is 670.82 ohm; the middle element may exceed it by the 1.00001 margin only.
        ImpossibleFixed{"MiddleAboveG", 1500, 300, 2, 670.83f},
        ImpossibleFixed{"MiddleFarAboveG", 1500, 300, 2, -1000.0f},
        // A shunt of Q 0.015 across 1500 ohm cannot bring it down to 300.
        ImpossibleFixed{"SourceShuntTooWeak", 1500, 300, 1, 1e5f},
        ImpossibleFixed{"LoadShuntTooWeak", 300, 1500, 3, 1e5f},
        ImpossibleFixed{"SourceShuntPartTooWeak", 1500, 300, 4, -1e-14f}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(PiDesign, MiddleElementWithinTheMarginOfGIsDesigned) {
  RunState state = MakeDefaultRunState();
  state.NetValues[DesignDriver] = 2.0f;
  state.NetValues[NetX2] = 670.825f;  // above G by less than the margin
  state = Designed(state);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

// A parallel-form side whose own reactance the fixed shunt element exactly cancels: the pair
// is an open circuit, and the design proceeds as if the side were resistive.
TEST(PiDesign, FixedShuntCancellingTheSideReactanceExactly) {
  RunState source = MakeDefaultRunState();
  source.SourceValues[EntryForm] = 2.0f;
  source.SourceValues[ParallelR] = 300.0f;
  source.SourceValues[ParallelX] = -500.0f;
  source.LoadValues[SeriesR] = 1500.0f;
  source.NetValues[DesignDriver] = 1.0f;
  source.NetValues[NetX1] = 500.0f;
  source = Designed(source);
  EXPECT_NEAR(source.NetValues[InputQ], 300.0 / (500.0 * 1e6), 1e-9);  // the shunt is X1 * 1e6
  EXPECT_TRUE(MatchesAsCircuit(source));

  RunState load = MakeDefaultRunState();
  load.LoadValues[EntryForm] = 2.0f;
  load.LoadValues[ParallelR] = 300.0f;
  load.LoadValues[ParallelX] = -800.0f;
  load.NetValues[DesignDriver] = 3.0f;
  load.NetValues[NetX3] = 800.0f;
  load = Designed(load);
  EXPECT_NEAR(load.NetValues[OutputQ], 300.0 / (800.0 * 1e8), 1e-11);  // the shunt is X3 * 1e8
  EXPECT_TRUE(MatchesAsCircuit(load));
}

// A fixed shunt element and the side's own parallel reactance combine in parallel whatever their
// signs; only a sum near zero in magnitude is a cancellation.
struct ShuntPair {
  float sideX, elementX;
};

class PiFixedShuntWithReactiveSide : public ::testing::TestWithParam<ShuntPair> {};

TEST_P(PiFixedShuntWithReactiveSide, SourceSideMatches) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[EntryForm] = 2.0f;
  state.SourceValues[ParallelR] = 300.0f;
  state.SourceValues[ParallelX] = GetParam().sideX;
  state.LoadValues[SeriesR] = 1500.0f;
  state.NetValues[DesignDriver] = 1.0f;
  state.NetValues[NetX1] = GetParam().elementX;
  state = Designed(state);
  EXPECT_EQ(state.NetValues[NetX1], GetParam().elementX);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

TEST_P(PiFixedShuntWithReactiveSide, LoadSideMatches) {
  RunState state = MakeDefaultRunState();
  state.LoadValues[EntryForm] = 2.0f;
  state.LoadValues[ParallelR] = 300.0f;
  state.LoadValues[ParallelX] = GetParam().sideX;
  state.NetValues[DesignDriver] = 3.0f;
  state.NetValues[NetX3] = GetParam().elementX;
  state = Designed(state);
  EXPECT_EQ(state.NetValues[NetX3], GetParam().elementX);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

INSTANTIATE_TEST_SUITE_P(Pairs, PiFixedShuntWithReactiveSide,
                         ::testing::Values(ShuntPair{-500.0f, -400.0f},  // both capacitive
                                           ShuntPair{-500.0f, -1200.0f},
                                           ShuntPair{500.0f, -700.0f},  // sum negative
                                           ShuntPair{-500.0f, 400.0f},
                                           ShuntPair{500.0f, 400.0f},     // both inductive
                                           ShuntPair{-500.0f, 499.0f}));  // nearly cancelling

}  // namespace
}  // namespace corvantile
