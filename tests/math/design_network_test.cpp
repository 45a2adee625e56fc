// The frame every family shares: the fixed quantity, the analysis-only mode, the family choice,
// part values, and the caution state when no network can be built.
#include "math/design_network.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "design_checks.h"

namespace corvantile {
namespace {

using testing::InCautionState;

constexpr double kOmega375 = 23561944.901923448;  // 2 pi 3.75 MHz

bool AllFinite(const RunState& state) {
  for (const float v : state.SourceValues) {
    if (!std::isfinite(v)) return false;
  }
  for (const float v : state.NetValues) {
    if (!std::isfinite(v)) return false;
  }
  for (const float v : state.LoadValues) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

TEST(PartValues, FollowTheSignRule) {
  // 100 pF is stored as -1e-10 and is -424.4 ohm at 3.75 MHz.
  EXPECT_NEAR(NetReactanceFromPart(-1e-10f, kOmega375), -424.4132, 1e-3);
  EXPECT_NEAR(NetPartFromReactance(-424.4132f, kOmega375), -1e-10, 1e-16);
  // An inductor is stored in henries: 100 ohm at 1 MHz is 15.92 uH.
  EXPECT_NEAR(NetPartFromReactance(100.0f, 6283185.307179586), 15.9154943e-6, 1e-11);
  EXPECT_NEAR(NetReactanceFromPart(15.915494e-6f, 6283185.307179586), 100.0, 1e-4);
  // A network element of 0 ohm has a part value of 0, and back.
  EXPECT_EQ(NetPartFromReactance(0.0f, kOmega375), 0.0f);
  EXPECT_EQ(NetReactanceFromPart(0.0f, kOmega375), 0.0f);
}

// With DesignMode negative the stored reactances are kept and only their part values follow a
// change of frequency.
TEST(DesignNetwork, AnalysisModeOnlyDerivesPartValues) {
  RunState state = MakeDefaultRunState();
  ASSERT_EQ(RunDesignPass(state), DesignOutcome::Designed);
  const NetworkValues before = state.NetValues;
  state.NetValues[DesignMode] = -1.0f;
  state.NetValues[Frequency] = 7.5e6f;
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::NotDesigned);
  for (int k = 0; k < NetValueCount; ++k) {
    const std::size_t i = static_cast<std::size_t>(k);
    if (k == NetPart1 || k == NetPart2 || k == NetPart3 || k == Frequency || k == DesignMode) {
      continue;
    }
    EXPECT_EQ(state.NetValues[i], before[i]) << k;
  }
  // Twice the frequency halves every part value, inductor and capacitor alike.
  for (const int k : {NetPart1, NetPart2, NetPart3}) {
    EXPECT_FLOAT_EQ(state.NetValues[k], before[static_cast<std::size_t>(k)] / 2.0f) << k;
  }
}

TEST(DesignNetwork, UnknownFamilyLeavesEveryNetworkValue) {
  for (const float family : {0.0f, 5.0f, 2.5f, -1.0f}) {
    RunState state = MakeDefaultRunState();
    ASSERT_EQ(RunDesignPass(state), DesignOutcome::Designed);
    state.NetValues[NetworkFamily] = family;
    state.NetValues[Frequency] = 1e6f;
    const NetworkValues before = state.NetValues;
    EXPECT_EQ(RunDesignPass(state), DesignOutcome::NotDesigned) << family;
    EXPECT_EQ(state.NetValues, before) << family;
  }
}

TEST(DesignNetwork, BranchChoiceSurvivesOnlyWhileTheMiddleElementIsFixed) {
  const struct {
    float driver, branchBefore, branchAfter;
  } cases[] = {{7, 2, 0}, {1, 2, 0}, {4, 1, 0}, {2, 2, 2}, {5, 2, 2}, {2, 0, 1}, {5, 0, 1}};
  for (const auto& c : cases) {
    RunState reference = MakeDefaultRunState();
    ASSERT_EQ(RunDesignPass(reference), DesignOutcome::Designed);
    RunState state = reference;
    state.NetValues[DesignDriver] = c.driver;
    state.NetValues[SolutionBranch] = c.branchBefore;
    RunDesignPass(state);
    EXPECT_EQ(state.NetValues[SolutionBranch], c.branchAfter) << "driver " << c.driver;
  }
}

// Whatever makes a design impossible, the caution state keeps exactly the quantity the design
// was driven by, and the settings.
class CautionState : public ::testing::TestWithParam<int> {};

TEST_P(CautionState, KeepsOnlyTheDriverQuantity) {
  const int driver = GetParam();
  const std::function<void(RunState&)> causes[] = {
      [](RunState& s) { s.NetValues[Frequency] = 0.0f; },
      [](RunState& s) { s.NetValues[Power] = -1.0f; }};
  for (const float family : {FamilyTee, FamilyPi}) {
    for (const auto& cause : causes) {
      RunState state = MakeDefaultRunState();
      NetworkValues& net = state.NetValues;
      net[NetworkFamily] = family;
      ASSERT_EQ(RunDesignPass(state), DesignOutcome::Designed);  // a network that would fit
      net[DesignDriver] = static_cast<float>(driver);
      cause(state);
      const NetworkValues before = net;
      EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible) << driver << ' ' << family;
      EXPECT_TRUE(InCautionState(state)) << driver << ' ' << family;
      const int slots[] = {NetX1, NetX2, NetX3, NetPart1, NetPart2, NetPart3, NetworkPhase};
      const int kept = slots[driver - 1];
      EXPECT_NE(net[kept], 0.0f);
      EXPECT_EQ(net[kept], before[static_cast<std::size_t>(kept)]) << driver << ' ' << family;
      for (const int k : {Frequency, NetworkFamily, DesignDriver, Power, DesignMode, 14, 25, 28}) {
        EXPECT_EQ(net[k], before[static_cast<std::size_t>(k)]) << k;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, CautionState, ::testing::Range(1, 8));

// An arithmetic fault must never reach the user: every one ends in the caution state with
// nothing but finite values stored, in every family.
struct Fault {
  const char* name;
  std::function<void(RunState&)> apply;
};

class ArithmeticFault : public ::testing::TestWithParam<Fault> {};

TEST_P(ArithmeticFault, EndsInTheCautionStateWithFiniteValues) {
  for (const float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[NetworkFamily] = family;
    GetParam().apply(state);
    EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible) << "family " << family;
    EXPECT_TRUE(InCautionState(state)) << "family " << family;
    // A non-finite setting stays what it was; everything the pass derived must be finite.
    RunState derived = state;
    for (const int k : {Frequency, Power}) {
      if (!std::isfinite(derived.NetValues[k])) derived.NetValues[k] = 0.0f;
    }
    EXPECT_TRUE(AllFinite(derived)) << "family " << family;
  }
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Faults, ArithmeticFault,
    ::testing::Values(
        Fault{"ZeroFrequency", [](RunState& s) { s.NetValues[Frequency] = 0.0f; }},
        Fault{"NegativeFrequency", [](RunState& s) { s.NetValues[Frequency] = -3.75e6f; }},
        Fault{"NaNFrequency", [](RunState& s) { s.NetValues[Frequency] = kNaN; }},
        Fault{"InfiniteFrequency", [](RunState& s) { s.NetValues[Frequency] = kInf; }},
        Fault{"NegativePower", [](RunState& s) { s.NetValues[Power] = -1000.0f; }},
        Fault{"NaNPower", [](RunState& s) { s.NetValues[Power] = kNaN; }},
        Fault{"InfinitePower", [](RunState& s) { s.NetValues[Power] = kInf; }},
        Fault{"NegativeSourceResistance", [](RunState& s) { s.SourceValues[SeriesR] = -1500.0f; }},
        Fault{"NegativeLoadResistance", [](RunState& s) { s.LoadValues[SeriesR] = -300.0f; }},
        Fault{"BothResistancesNegative",
              [](RunState& s) {
                s.SourceValues[SeriesR] = -1500.0f;
                s.LoadValues[SeriesR] = -300.0f;
              }},
        Fault{"BothResistancesNegativeAtZeroPower",
              [](RunState& s) {
                s.SourceValues[SeriesR] = -1500.0f;
                s.LoadValues[SeriesR] = -300.0f;
                s.NetValues[Power] = 0.0f;
              }},
        Fault{"NegativeParallelResistance",
              [](RunState& s) {
                s.LoadValues[EntryForm] = 2.0f;
                s.LoadValues[ParallelR] = -300.0f;
                s.LoadValues[ParallelX] = 100.0f;
              }},
        Fault{"HugeResistances",
              [](RunState& s) {
                s.SourceValues[SeriesR] = 3e38f;
                s.LoadValues[SeriesR] = 1e38f;
              }}),
    [](const auto& tested) { return std::string(tested.param.name); });

// Only the phase and the six element codes say what to design from; an edited session file
// with any other code gets the caution state, in the L families too.
class UnknownDriver : public ::testing::TestWithParam<float> {};

TEST_P(UnknownDriver, IsAnImpossibleDesign) {
  for (const float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[NetworkFamily] = family;
    state.NetValues[DesignDriver] = GetParam();
    state.NetValues[NetX1] = -360.0f;
    EXPECT_EQ(RunDesignPass(state), DesignOutcome::Impossible) << family;
    EXPECT_TRUE(InCautionState(state)) << family;
    EXPECT_EQ(state.NetValues[NetworkPhase], 0.0f);  // no quantity is named, none is kept
    EXPECT_EQ(state.NetValues[NetX1], 0.0f);
    EXPECT_EQ(state.NetValues[DesignDriver], GetParam());
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownDriver, ::testing::Values(0.0f, 8.0f, 2.5f, -1.0f, 7.5f));

// A zero power is no fault: the network is built, and nothing is carried.
TEST(DesignNetwork, ZeroPowerDesignsTheNetworkWithNoVoltsOrAmps) {
  for (const float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[NetworkFamily] = family;
    state.NetValues[Power] = 0.0f;
    ASSERT_EQ(RunDesignPass(state), DesignOutcome::Designed) << family;
    for (int k = NetPart1Volts; k <= NetPart3Amps; ++k) {
      EXPECT_EQ(state.NetValues[static_cast<std::size_t>(k)], 0.0f) << family << ' ' << k;
    }
    EXPECT_NE(state.NetValues[NetX2], 0.0f);
  }
}

// The pass reduces both sides before it designs: stale derived values do not steer it.
TEST(DesignNetwork, PassReducesBothSidesFirst) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[ParallelR] = 5.0f;
  state.LoadValues[ParallelR] = 7.0f;
  state.SourceValues[ParallelX] = 1.0f;
  ASSERT_EQ(RunDesignPass(state), DesignOutcome::Designed);
  EXPECT_EQ(state.SourceValues[ParallelR], 1500.0f);
  EXPECT_EQ(state.LoadValues[ParallelR], 300.0f);
  EXPECT_NEAR(state.NetValues[NetX1], -360.4, 0.05);
}

}  // namespace
}  // namespace corvantile
