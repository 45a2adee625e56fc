// The Tee network: elements 1 and 3 in series at the source and the load, element 2 a shunt at
// the middle node.
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

RunState TeeState(float sourceR = 1500.0f, float loadR = 300.0f) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = FamilyTee;
  state.SourceValues[SeriesR] = sourceR;
  state.LoadValues[SeriesR] = loadR;
  return state;
}

TEST(TeeDesign, DefaultResistancesAtMinus135ToFourFigures) {
  const RunState state = Designed(TeeState());
  const NetworkValues& net = state.NetValues;
  EXPECT_TRUE(FourFigures(net[NetX1], 2449));
  EXPECT_TRUE(FourFigures(net[NetX2], -948.7));
  EXPECT_TRUE(FourFigures(net[NetX3], 1249));
  EXPECT_TRUE(FourFigures(net[InputQ], 1.632));
  EXPECT_TRUE(FourFigures(net[OutputQ], 4.162));
  EXPECT_TRUE(FourFigures(net[IntermediateR], 5497));
  EXPECT_EQ(net[NetworkPhase], -135.0f);
  EXPECT_EQ(net[NetworkFamily], FamilyTee);
  // The series elements carry the source and load currents at 1000 W.
  EXPECT_NEAR(net[NetPart1Amps], std::sqrt(1000.0 / 1500.0), 1e-6);
  EXPECT_NEAR(net[NetPart3Amps], std::sqrt(1000.0 / 300.0), 1e-6);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

// A parallel-form load's angle is added to the typed phase: the same load entered in series
// form needs the phase plus that angle for the same network, and each keeps its typed phase.
TEST(TeeDesign, ParallelLoadAngleShiftsThePhaseTheFormulasUse) {
  RunState parallel = TeeState();
  parallel.LoadValues[EntryForm] = 2.0f;
  parallel.LoadValues[ParallelR] = 100.0f;
  parallel.LoadValues[ParallelX] = 100.0f;  // 50 + j50: Angle -45
  parallel.NetValues[NetworkPhase] = -100.0f;
  parallel = Designed(parallel);
  RunState series = TeeState(1500.0f, 50.0f);
  series.LoadValues[SeriesX] = 50.0f;
  series.NetValues[NetworkPhase] = -145.0f;
  series = Designed(series);
  ExpectSameNetwork(parallel, series, "parallel vs series load");
  EXPECT_EQ(parallel.NetValues[NetworkPhase], -100.0f);
  EXPECT_TRUE(MatchesAsCircuit(parallel));
}

struct ImpossiblePhase {
  float phase;
  float loadParallelX;  // 0: a resistive series-form load; else a parallel-form load
};

class TeeImpossiblePhase : public ::testing::TestWithParam<ImpossiblePhase> {};

TEST_P(TeeImpossiblePhase, EndsInTheCautionStateKeepingThePhase) {
  RunState state = TeeState();
  if (GetParam().loadParallelX != 0.0f) {
    state.LoadValues[EntryForm] = 2.0f;
    state.LoadValues[ParallelR] = 100.0f;
    state.LoadValues[ParallelX] = GetParam().loadParallelX;
  }
  state.NetValues[NetworkPhase] = GetParam().phase;
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible);
  EXPECT_EQ(state.NetValues[NetworkPhase], GetParam().phase);
  EXPECT_TRUE(InCautionState(state));
}

INSTANTIATE_TEST_SUITE_P(Phases, TeeImpossiblePhase,
                         ::testing::Values(ImpossiblePhase{0.0f, 0.0f},
                                           ImpossiblePhase{180.0f, 0.0f},
                                           ImpossiblePhase{-180.0f, 0.0f},
                                           ImpossiblePhase{45.0f, 100.0f},      // 45 + -45
                                           ImpossiblePhase{-135.0f, 100.0f},    // -135 + -45
                                           ImpossiblePhase{-45.0f, -100.0f}));  // -45 + 45

// Parallel-form sides with reactance make the reported phase carry their angles.
RunState ReactiveParallelSides() {
  RunState state = TeeState();
  state.SourceValues[EntryForm] = 2.0f;
  state.SourceValues[ParallelR] = 1500.0f;
  state.SourceValues[ParallelX] = 2000.0f;
  state.LoadValues[EntryForm] = 4.0f;
  state.LoadValues[ParallelR] = 300.0f;
  state.LoadValues[ParallelPart] =
      static_cast<float>(1.0 / (-900.0 * 3.75e6 * 8.0 * std::atan(1.0)));  // -900 ohm
  return state;
}

class TeeFixedElement : public ::testing::TestWithParam<std::tuple<int, bool>> {};

// Fixing any one element (or its part value) at the value the phase design gave rebuilds the
// same network and reports the same phase; the middle element needs the second branch for
// -135 degrees.
TEST_P(TeeFixedElement, RebuildsThePhaseDesign) {
  const auto [driver, reactive] = GetParam();
  const RunState start = reactive ? ReactiveParallelSides() : TeeState();
  ExpectFixedElementRebuildsPhaseDesign(start, driver);
}

INSTANTIATE_TEST_SUITE_P(Drivers, TeeFixedElement,
                         ::testing::Combine(::testing::Range(1, 7), ::testing::Bool()));

TEST(TeeDesign, MiddleElementBranchesAreThePhaseAndItsSupplement) {
  const float x2 = Designed(TeeState()).NetValues[NetX2];  // -948.7 ohm: -G / sin 45 degrees
  RunState first = TeeState();
  first.NetValues[DesignDriver] = 5.0f;  // by part value this time
  first.NetValues[NetPart2] = NetPartFromReactance(x2, 3750000.0 * first.startup.TwoPi);
  first = Designed(first);
  EXPECT_EQ(first.NetValues[SolutionBranch], 1.0f);
  EXPECT_NEAR(first.NetValues[NetworkPhase], -45.0, 1e-3);
  RunState atMinus45 = TeeState();
  atMinus45.NetValues[NetworkPhase] = -45.0f;
  ExpectSameNetwork(first, Designed(atMinus45), "first branch");
  EXPECT_TRUE(MatchesAsCircuit(first));
}

TEST(TeeDesign, MiddleElementOfExactlyGGivesOneNetworkForBothBranches) {
  RunState first = TeeState();
  first.NetValues[DesignDriver] = 2.0f;
  first.NetValues[NetX2] = static_cast<float>(std::sqrt(1500.0 * 300.0));
  first.NetValues[SolutionBranch] = 1.0f;
  RunState second = first;
  second.NetValues[SolutionBranch] = 2.0f;
  first = Designed(first);
  second = Designed(second);
  ExpectSameNetwork(second, first, "branch 2 vs 1");
  EXPECT_NEAR(first.NetValues[NetworkPhase], 90.0, 1e-4);
  EXPECT_TRUE(MatchesAsCircuit(first));
}

// An outer element fixed at 0 is absent: the rest is an L section, which exists only when it
// steps down from the side where the element is missing.
struct AbsentOuter {
  const char* name;
  int driver;
  float sourceR, loadR;
  bool designed;
};

class TeeAbsentOuterElement : public ::testing::TestWithParam<AbsentOuter> {};

TEST_P(TeeAbsentOuterElement, IsAnLSectionOrImpossible) {
  const AbsentOuter& c = GetParam();
  RunState state = TeeState(c.sourceR, c.loadR);
  state.NetValues[DesignDriver] = static_cast<float>(c.driver);
  const int slot = c.driver == 1 ? NetX1 : NetX3;
  state.NetValues[slot] = 0.0f;
  const DesignOutcome outcome = RunDesignPass(state);
  if (!c.designed) {
    EXPECT_EQ(outcome, DesignOutcome::Impossible);
    EXPECT_TRUE(InCautionState(state));
    return;
  }
  ASSERT_EQ(outcome, DesignOutcome::Designed);
  EXPECT_EQ(state.NetValues[slot], 0.0f);
  EXPECT_EQ(state.NetValues[slot + (NetPart1 - NetX1)], 0.0f);
  EXPECT_EQ(state.NetValues[c.driver == 1 ? NetPart1Volts : NetPart3Volts], 0.0f);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

INSTANTIATE_TEST_SUITE_P(Cases, TeeAbsentOuterElement,
                         ::testing::Values(AbsentOuter{"SourceSideStepDown", 1, 1500, 300, true},
                                           AbsentOuter{"SourceSideStepUp", 1, 300, 1500, false},
                                           AbsentOuter{"SourceSideEqual", 1, 300, 300, false},
                                           AbsentOuter{"LoadSideStepUp", 3, 300, 1500, true},
                                           AbsentOuter{"LoadSideStepDown", 3, 1500, 300, false},
                                           AbsentOuter{"LoadSideEqual", 3, 300, 300, false}),
                         [](const auto& tested) { return std::string(tested.param.name); });

struct ImpossibleFixed {
  const char* name;
  float sourceR, loadR;
  int driver;
  float value;
};

class TeeImpossibleFixedElement : public ::testing::TestWithParam<ImpossibleFixed> {};

TEST_P(TeeImpossibleFixedElement, EndsInTheCautionStateKeepingTheFixedValue) {
  const ImpossibleFixed& c = GetParam();
  RunState state = TeeState(c.sourceR, c.loadR);
  state.NetValues[DesignDriver] = static_cast<float>(c.driver);
  const int slot = c.driver <= 3 ? NetX1 + c.driver - 1 : NetPart1 + c.driver - 4;
  state.NetValues[slot] = c.value;
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible);
  EXPECT_EQ(state.NetValues[slot], c.value);
  EXPECT_TRUE(InCautionState(state));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TeeImpossibleFixedElement,
    ::testing::Values(
        ImpossibleFixed{"MiddleZero", 1500, 300, 2, 0.0f},
        ImpossibleFixed{"MiddlePartZero", 1500, 300, 5, 0.0f},
        // G is 670.82 ohm; the shunt may fall below it by the 1.00001 margin only.
        ImpossibleFixed{"MiddleBelowG", 1500, 300, 2, 670.81f},
        ImpossibleFixed{"MiddleFarBelowG", 1500, 300, 2, -100.0f},
        // 100 ohm in series with 300 ohm lifts the middle node to 333 ohm, short of 1500.
        ImpossibleFixed{"SourceSeriesTooSmall", 300, 1500, 1, 100.0f},
        ImpossibleFixed{"LoadSeriesTooSmall", 1500, 300, 3, -100.0f},
        ImpossibleFixed{"LoadSeriesPartTooSmall", 1500, 300, 6, 1e-7f}),
    [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
}  // namespace corvantile
