#include "math/design_range.h"

#include <cctype>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "state/codes.h"

namespace corvantile {
namespace {

// A state the family's own conditions would design, but which names no meaningful network,
// ends in the caution state with the reason; one just within the range designs as before.
struct RangeCase {
  const char* name;
  std::function<void(RunState&)> edit;
  const char* reason;  // nullptr: within range
};

void Family(RunState& s, float family) { s.NetValues[NetworkFamily] = family; }

const RangeCase kCases[] = {
    {"default", [](RunState&) {}, nullptr},
    {"tiny frequency", [](RunState& s) { s.NetValues[Frequency] = 1e-30f; },
     "the frequency is outside 1 mHz to 10 GHz"},
    {"lowest frequency", [](RunState& s) { s.NetValues[Frequency] = 1e-3f; }, nullptr},
    {"frequency above 10 GHz", [](RunState& s) { s.NetValues[Frequency] = 5e10f; },
     "the frequency is outside 1 mHz to 10 GHz"},
    {"NaN frequency",
     [](RunState& s) { s.NetValues[Frequency] = std::numeric_limits<float>::quiet_NaN(); },
     "the frequency is outside 1 mHz to 10 GHz"},
    {"Tee phase 360",
     [](RunState& s) {
       Family(s, FamilyTee);
       s.NetValues[NetworkPhase] = 360.0f;
     },
     "the network phase is outside -180 to 180 degrees"},
    {"Pi phase -181",
     [](RunState& s) {
       Family(s, FamilyPi);
       s.NetValues[NetworkPhase] = -181.0f;
     },
     "the network phase is outside -180 to 180 degrees"},
    {"Pi phase -179",
     [](RunState& s) {
       Family(s, FamilyPi);
       s.NetValues[NetworkPhase] = -179.0f;
     },
     nullptr},
    // An L network finds its own phase: a stored one is never the user's.
    {"L phase 720",
     [](RunState& s) {
       Family(s, FamilyLowpassL);
       s.NetValues[NetworkPhase] = 720.0f;
     },
     nullptr},
    {"series source of 0 ohm",
     [](RunState& s) {
       s.SourceValues[EntryForm] = FormSeriesReactance;
       s.SourceValues[SeriesR] = 0.0f;
       s.SourceValues[SeriesX] = 0.0f;
     },
     "the source is a short circuit (zero ohms), which no network can match"},
    {"parallel load across 0 ohm",
     [](RunState& s) {
       s.LoadValues[EntryForm] = FormParallelReactance;
       s.LoadValues[ParallelR] = 50.0f;
       s.LoadValues[ParallelX] = 0.0f;
     },
     "the load is a short circuit (zero ohms), which no network can match"},
    // The power only sets the volts and amps; the network is right at any power.
    {"zero power", [](RunState& s) { s.NetValues[Power] = 0.0f; }, nullptr},
};

class DesignRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(DesignRange, RefusesWhatNamesNoNetworkAndNothingElse) {
  RunState state = MakeDefaultRunState();
  GetParam().edit(state);
  const DesignOutcome outcome = RunDesignPass(state);
  const std::optional<std::string> reason = OutOfDesignRange(state);
  if (GetParam().reason == nullptr) {
    EXPECT_EQ(reason, std::nullopt);
    EXPECT_EQ(outcome, DesignOutcome::Designed);
    EXPECT_NE(state.NetValues[NetX2], 0.0f);
  } else {
    EXPECT_EQ(reason, std::string(GetParam().reason));
    EXPECT_EQ(outcome, DesignOutcome::Impossible);
    for (const int k : {NetX1, NetX2, NetX3, NetPart1, NetPart2, NetPart3, InputQ, OutputQ}) {
      EXPECT_EQ(state.NetValues[k], 0.0f) << k;  // no meaningless part is left standing
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<RangeCase>& param) {
  std::string name = param.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(States, DesignRange, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace corvantile
