// The L networks: a series element and one shunt element across the side with the higher
// resistance, built as a Pi whose other shunt element is open.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "design_checks.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

using testing::Designed;
using testing::InCautionState;
using testing::MatchesAsCircuit;

const double kDegreesPerRadian = 45.0 / std::atan(1.0);

RunState LState(float family, float sourceR, float loadR) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = family;
  state.SourceValues[SeriesR] = sourceR;
  state.LoadValues[SeriesR] = loadR;
  return state;
}

TEST(LDesign, HighPassFrom1500To300PutsAShuntInductorAcrossTheSource) {
  const RunState state = Designed(LState(FamilyHighpassL, 1500.0f, 300.0f));
  const NetworkValues& net = state.NetValues;
  EXPECT_NEAR(net[NetworkPhase], std::atan(2.0) * kDegreesPerRadian, 1e-4);  // 63.43 degrees
  EXPECT_NEAR(net[NetX1], 750.0, 1e-3);
  EXPECT_NEAR(net[NetX2], -600.0, 1e-3);
  EXPECT_EQ(std::fabs(net[NetX3]), OpenReactanceStored);
  EXPECT_EQ(net[NetworkFamily], FamilyHighpassL);
  EXPECT_EQ(net[DesignDriver], DriverPhase);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

TEST(LDesign, LowPassFrom1500To300IsTheMirror) {
  const RunState state = Designed(LState(FamilyLowpassL, 1500.0f, 300.0f));
  const NetworkValues& net = state.NetValues;
  EXPECT_NEAR(net[NetworkPhase], -std::atan(2.0) * kDegreesPerRadian, 1e-4);
  EXPECT_NEAR(net[NetX1], -750.0, 1e-3);
  EXPECT_NEAR(net[NetX2], 600.0, 1e-3);
  EXPECT_EQ(std::fabs(net[NetX3]), OpenReactanceStored);
  EXPECT_EQ(net[NetworkFamily], FamilyLowpassL);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

TEST(LDesign, From50To200PutsTheShuntAcrossTheLoad) {
  const double q = std::sqrt(3.0);
  for (const float family : {FamilyHighpassL, FamilyLowpassL}) {
    const RunState state = Designed(LState(family, 50.0f, 200.0f));
    const NetworkValues& net = state.NetValues;
    const double sign = family == FamilyHighpassL ? 1.0 : -1.0;
    EXPECT_NEAR(net[NetworkPhase], sign * 60.0, 1e-4) << family;
    EXPECT_EQ(std::fabs(net[NetX1]), OpenReactanceStored) << family;
    EXPECT_NEAR(net[NetX2], -sign * 50.0 * q, 1e-3) << family;  // series: C for high-pass
    EXPECT_NEAR(net[NetX3], sign * 200.0 / q, 1e-3) << family;  // shunt: L for high-pass
    EXPECT_TRUE(MatchesAsCircuit(state)) << family;
  }
}

// The absent element is an open circuit at every frequency: exactly 1e15 ohm in magnitude, its
// part value derived from that, and its current its voltage over 1e15.
struct OpenCase {
  float family;
  float sourceR, loadR;
  float frequency;
};

class LOpenElement : public ::testing::TestWithParam<OpenCase> {};

TEST_P(LOpenElement, IsStoredAsAnOpenCircuit) {
  const OpenCase& c = GetParam();
  RunState state = LState(c.family, c.sourceR, c.loadR);
  state.NetValues[Frequency] = c.frequency;
  state = Designed(state);
  const NetworkValues& net = state.NetValues;
  const bool shuntAtSource = c.sourceR > c.loadR;
  const int open = shuntAtSource ? NetX3 : NetX1;
  const int part = shuntAtSource ? NetPart3 : NetPart1;
  const int volts = shuntAtSource ? NetPart3Volts : NetPart1Volts;
  const int amps = shuntAtSource ? NetPart3Amps : NetPart1Amps;
  ASSERT_EQ(std::fabs(net[open]), OpenReactanceStored);
  const double omega = static_cast<double>(c.frequency) * state.startup.TwoPi;
  const double x = static_cast<double>(net[open]);
  const double expectedPart = x > 0.0 ? x / omega : 1.0 / (omega * x);
  EXPECT_NEAR(net[part], expectedPart, 1e-6 * std::fabs(expectedPart));
  EXPECT_GT(net[volts], 0.0f);
  EXPECT_NEAR(net[amps], static_cast<double>(net[volts]) / 1e15,
              1e-6 * static_cast<double>(net[volts]) / 1e15);
  EXPECT_TRUE(MatchesAsCircuit(state));
}

INSTANTIATE_TEST_SUITE_P(Frequencies, LOpenElement,
                         ::testing::Values(OpenCase{FamilyHighpassL, 1500, 300, 1e3f},
                                           OpenCase{FamilyHighpassL, 1500, 300, 3.75e6f},
                                           OpenCase{FamilyHighpassL, 1500, 300, 1e9f},
                                           OpenCase{FamilyLowpassL, 1500, 300, 3e9f},
                                           OpenCase{FamilyLowpassL, 50, 200, 1e3f},
                                           OpenCase{FamilyLowpassL, 50, 200, 2.4e9f},
                                           OpenCase{FamilyHighpassL, 50, 200, 3e9f},
                                           OpenCase{FamilyHighpassL, 12.5f, 50, 144e6f},
                                           OpenCase{FamilyLowpassL, 50, 12.5f, 433e6f}));

// Resistances within 0.0005 ohm of each other have no L section.
struct NearlyEqual {
  float sourceR, loadR;
  bool designed;
};

class LNearlyEqualResistances : public ::testing::TestWithParam<NearlyEqual> {};

TEST_P(LNearlyEqualResistances, AreImpossibleInsideTheMargin) {
  for (const float family : {FamilyHighpassL, FamilyLowpassL}) {
    RunState state = LState(family, GetParam().sourceR, GetParam().loadR);
    const DesignOutcome outcome = RunDesignPass(state);
    EXPECT_EQ(state.NetValues[NetworkFamily], family);
    if (GetParam().designed) {
      EXPECT_EQ(outcome, DesignOutcome::Designed);
      EXPECT_TRUE(MatchesAsCircuit(state));
    } else {
      EXPECT_EQ(outcome, DesignOutcome::Impossible);
      EXPECT_TRUE(InCautionState(state));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Margins, LNearlyEqualResistances,
    ::testing::Values(NearlyEqual{300.0f, 300.0f, false}, NearlyEqual{300.0f, 300.0004f, false},
                      NearlyEqual{300.0004f, 300.0f, false}, NearlyEqual{50.0f, 50.0f, false},
                      NearlyEqual{300.0f, 300.01f, true}, NearlyEqual{300.01f, 300.0f, true}));

// The L design owns the phase: it replaces whatever drove the design before and stays as the
// phase a following Pi design starts from, which then shows the same network.
TEST(LDesign, TakesOverThePhaseAndHandsItToAFollowingPi) {
  RunState state = LState(FamilyHighpassL, 1500.0f, 300.0f);
  state.NetValues[DesignDriver] = 1.0f;
  state.NetValues[NetX1] = 123.0f;
  state = Designed(state);
  EXPECT_EQ(state.NetValues[DesignDriver], DriverPhase);
  const float lPhase = state.NetValues[NetworkPhase];

  RunState pi = state;
  pi.NetValues[NetworkFamily] = FamilyPi;
  pi = Designed(pi);
  EXPECT_EQ(pi.NetValues[NetworkPhase], lPhase);
  EXPECT_NEAR(pi.NetValues[NetX1], state.NetValues[NetX1], 1e-3);
  EXPECT_NEAR(pi.NetValues[NetX2], state.NetValues[NetX2], 1e-3);
  // Open in effect (rounding noise, some million times the load), until the phase changes.
  EXPECT_GT(std::fabs(pi.NetValues[NetX3]), 1e8f);
  EXPECT_TRUE(MatchesAsCircuit(pi));
}

// The shunt goes across the side with the higher resistance whatever form the sides take.
TEST(LDesign, ReactiveSidesInEveryFormMatch) {
  for (const float family : {FamilyHighpassL, FamilyLowpassL}) {
    for (int sourceForm = 1; sourceForm <= 2; ++sourceForm) {
      for (int loadForm = 1; loadForm <= 2; ++loadForm) {
        RunState state = MakeDefaultRunState();
        state.NetValues[NetworkFamily] = family;
        state.SourceValues[EntryForm] = static_cast<float>(sourceForm);
        state.SourceValues[sourceForm == 1 ? SeriesR : ParallelR] = 50.0f;
        state.SourceValues[sourceForm == 1 ? SeriesX : ParallelX] = 20.0f;
        state.LoadValues[EntryForm] = static_cast<float>(loadForm);
        state.LoadValues[loadForm == 1 ? SeriesR : ParallelR] = 600.0f;
        state.LoadValues[loadForm == 1 ? SeriesX : ParallelX] = -900.0f;
        state = Designed(state);
        EXPECT_TRUE(MatchesAsCircuit(state))
            << "family " << family << ", forms " << sourceForm << ' ' << loadForm;
      }
    }
  }
}

}  // namespace
}  // namespace corvantile
