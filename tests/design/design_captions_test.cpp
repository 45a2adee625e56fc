// ComputeDesignCaptions against the design window itself: whatever the state, the window on the
// recording toolkit shows exactly the captions and visibility the pure function gives.
#include "design/design_captions.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "design/display_capture.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

// The default circuit with its sources, load, family, phase, frequency and power scattered
// over the ranges the window takes, impossible designs and zero power included.
RunState RandomState(std::mt19937& random) {
  RunState state = MakeDefaultRunState();
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto pick = [&](float low, float high) { return low + (high - low) * unit(random); };
  for (ImpedanceValues* side : {&state.SourceValues, &state.LoadValues}) {
    (*side)[EntryForm] = static_cast<float>(1 + random() % 4);
    (*side)[SeriesR] = pick(1.0f, 3000.0f);
    (*side)[SeriesX] = pick(-2000.0f, 2000.0f);
    (*side)[ParallelR] = pick(1.0f, 3000.0f);
    (*side)[ParallelX] = pick(-2000.0f, 2000.0f);
    (*side)[SeriesPart] = pick(-1e-9f, 1e-5f);
    (*side)[ParallelPart] = pick(-1e-9f, 1e-5f);
  }
  state.NetValues[NetworkFamily] = static_cast<float>(1 + random() % 4);
  state.NetValues[NetworkPhase] = pick(-170.0f, -10.0f);
  state.NetValues[Frequency] = pick(1e5f, 3e7f);
  state.NetValues[Power] = random() % 4 == 0 ? 0.0f : pick(1.0f, 5000.0f);
  return state;
}

TEST(DesignCaptions, AreWhatTheWindowShows) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 300; ++i) {
    const RunState entered = RandomState(random);
    RunState designed = entered;
    const DesignOutcome outcome = RunDesignPass(designed);
    const DesignCaptions shown = ComputeDesignCaptions(designed, outcome);
    const DisplayCapture window = CaptureDisplay(entered);
    ASSERT_EQ(shown.captions, window.captions) << "state " << i;
    ASSERT_EQ(VisibleOnOpening(shown), window.visible) << "state " << i;
  }
}

TEST(DesignCaptions, CautionOnlyForAnImpossibleDesign) {
  RunState state = MakeDefaultRunState();
  EXPECT_EQ(ComputeDesignCaptions(state, DesignOutcome::Impossible).visible.at("lblCaution"), true);
  EXPECT_EQ(ComputeDesignCaptions(state, DesignOutcome::NotDesigned).visible.at("lblCaution"),
            false);
  EXPECT_EQ(ComputeDesignCaptions(state, DesignOutcome::Designed).visible.at("lblCaution"), false);
}

// Without power a refresh leaves the part labels as they were; outside the limits it hides them.
TEST(DesignCaptions, PartLabelsWithoutPowerAreLeftAlone) {
  RunState state = MakeDefaultRunState();
  RunDesignPass(state);
  state.NetValues[Power] = 0.0f;
  state.NetValues[NetPart2Volts] = state.startup.VoltsShownMax * 2.0f;
  const DesignCaptions shown = ComputeDesignCaptions(state, DesignOutcome::Designed);
  EXPECT_FALSE(shown.visible.at("lblNetPart1Volts").has_value());
  EXPECT_FALSE(shown.visible.at("lblNetPart1Amps").has_value());
  EXPECT_EQ(shown.visible.at("lblNetPart2Volts"), false);
  EXPECT_EQ(shown.visible.at("lblNetPart2Amps"), false);
  EXPECT_EQ(shown.captions.size(), 19u);
  EXPECT_EQ(shown.visible.size(), 13u);
}

}  // namespace
}  // namespace corvantile
