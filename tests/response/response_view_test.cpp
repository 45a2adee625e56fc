// What the response window shows for a state: the sweep engine's data, the harmonic markers,
// the Smith chart's path and locus, and "No network" with the reason.
#include "response/response_view.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "analysis/solvers/sweep_summary.h"
#include "response/response_text.h"

namespace corvantile {
namespace {

ResponseView ViewOf(RunState state, const ResponseSettings& settings = {}) {
  const DesignOutcome outcome = RunDesignPass(state);
  ResponseView view;
  UpdateResponseView(state, outcome, settings, view);
  return view;
}

void ExpectSameSweep(const std::vector<ResponsePoint>& shown,
                     const std::vector<ResponsePoint>& engine) {
  ASSERT_EQ(shown.size(), engine.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].frequency, engine[i].frequency) << i;
    EXPECT_EQ(shown[i].returnLossDb, engine[i].returnLossDb) << i;
    EXPECT_EQ(shown[i].transducerGainDb, engine[i].transducerGainDb) << i;
    EXPECT_EQ(shown[i].inputImpedance, engine[i].inputImpedance) << i;
  }
}

TEST(ResponseView, DefaultDesignShowsTheEnginesSweepOverTheDefaultSpan) {
  const RunState state = MakeDefaultRunState();
  const ResponseView view = ViewOf(state);
  ASSERT_TRUE(view.hasNetwork);
  const CircuitBuild build = DesignCircuit(state);
  const SweepSpan span = DefaultSweepSpan(build.circuit.designFrequency);
  EXPECT_EQ(view.span.from, span.from);
  EXPECT_EQ(view.span.to, span.to);
  EXPECT_EQ(view.span.points, kDefaultSweepPoints);
  ExpectSameSweep(view.sweep, SweepResponse(build.circuit, span));

  // Markers at f0, 2 f0 and 3 f0 with the exact response there.
  const double f0 = 3.75e6;
  for (int h = 1; h <= 3; ++h) {
    const HarmonicMarker& marker = view.markers[static_cast<std::size_t>(h - 1)];
    EXPECT_EQ(marker.harmonic, h);
    EXPECT_DOUBLE_EQ(marker.frequency, h * f0);
    EXPECT_TRUE(marker.inSpan);
    EXPECT_EQ(marker.response.transducerGainDb,
              EvaluateResponse(build.circuit, h * f0).transducerGainDb);
  }
  // A low-pass Pi passes f0 and stops its harmonics.
  EXPECT_GT(view.markers[0].response.transducerGainDb, -0.01);
  EXPECT_LT(view.markers[1].response.transducerGainDb, -3.0);

  const SweepSummary summary = SummarizeSweep(build.circuit, view.sweep);
  EXPECT_EQ(view.summaryLines, ResponseSummaryLines(summary, span));
  ASSERT_EQ(view.locus.size(), view.sweep.size());
  for (std::size_t i = 0; i < view.locus.size(); i += 100) {
    EXPECT_EQ(view.locus[i], ReflectionOf(view.sweep[i].inputImpedance / 50.0)) << i;
  }
  EXPECT_NEAR(std::abs(view.path.nodes.back().reflection - view.sourceTarget.reflection), 0.0,
              1e-4);
  // The default source is 1500 ohm, resistive.
  EXPECT_NEAR(std::abs(view.sourceTarget.impedance - 1500.0), 0.0, 1e-9);
}

TEST(ResponseView, AChosenSpanAndReferenceAreSweptAndMarkersOutsideItAreOffThePlot) {
  ResponseSettings settings;
  settings.span = SweepSpan{1e6, 8e6, 201, true};
  settings.referenceImpedance = 300.0;
  const ResponseView view = ViewOf(MakeDefaultRunState(), settings);
  ASSERT_TRUE(view.hasNetwork);
  ASSERT_EQ(view.sweep.size(), 201u);
  EXPECT_EQ(view.sweep.front().frequency, 1e6);
  EXPECT_EQ(view.sweep.back().frequency, 8e6);
  EXPECT_TRUE(view.markers[0].inSpan);
  EXPECT_TRUE(view.markers[1].inSpan);
  EXPECT_FALSE(view.markers[2].inSpan);
  // The 300 ohm load sits at the chart's centre.
  EXPECT_NEAR(std::abs(view.path.nodes.front().reflection), 0.0, 1e-12);
  EXPECT_EQ(view.referenceImpedance, 300.0);
}

struct NoNetworkCase {
  const char* name;
  std::function<void(RunState&, ResponseSettings&)> change;
  std::string reason;
};

class NoNetworkTest : public ::testing::TestWithParam<NoNetworkCase> {};

TEST_P(NoNetworkTest, ShowsWhyAndKeepsNothingStale) {
  RunState state = MakeDefaultRunState();
  ResponseSettings settings;
  ResponseView view;
  UpdateResponseView(state, RunDesignPass(state), settings, view);
  ASSERT_TRUE(view.hasNetwork);

  GetParam().change(state, settings);
  UpdateResponseView(state, RunDesignPass(state), settings, view);
  EXPECT_FALSE(view.hasNetwork);
  EXPECT_EQ(view.noNetworkReason, GetParam().reason);
  EXPECT_TRUE(view.sweep.empty());
  EXPECT_TRUE(view.locus.empty());
  EXPECT_TRUE(view.path.nodes.empty());
  EXPECT_TRUE(view.summaryLines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, NoNetworkTest,
    ::testing::Values(
        NoNetworkCase{"Impossible",
                      [](RunState& s, ResponseSettings&) { s.NetValues[NetworkPhase] = 0.0f; },
                      "no network can be designed for these values"},
        NoNetworkCase{"AnalysisMode",
                      [](RunState& s, ResponseSettings&) { s.NetValues[DesignMode] = -1.0f; },
                      std::string(CircuitProblemText(CircuitProblem::NotDesigned))},
        NoNetworkCase{"BackwardSpan",
                      [](RunState&, ResponseSettings& r) {
                        r.span = SweepSpan{5e6, 1e6, 11};
                      },
                      "the sweep must end above the frequency it starts at"},
        NoNetworkCase{"ZeroReference",
                      [](RunState&, ResponseSettings& r) { r.referenceImpedance = 0.0; },
                      "the reference impedance must be a positive number of ohms"}),
    [](const ::testing::TestParamInfo<NoNetworkCase>& param) { return param.param.name; });

// A change of family or of frequency gives a different sweep; with the default span the span
// and the markers follow the frequency.
TEST(ResponseView, FollowsAFamilyOrFrequencyChange) {
  RunState state = MakeDefaultRunState();
  const ResponseView pi = ViewOf(state);

  state.NetValues[NetworkFamily] = FamilyTee;
  const ResponseView tee = ViewOf(state);
  ASSERT_TRUE(tee.hasNetwork);
  EXPECT_NE(tee.sweep[100].transducerGainDb, pi.sweep[100].transducerGainDb);
  ExpectSameSweep(tee.sweep, SweepResponse(DesignCircuit(state).circuit, tee.span));

  state.NetValues[NetworkFamily] = FamilyPi;
  state.NetValues[Frequency] = 7e6f;
  const ResponseView moved = ViewOf(state);
  ASSERT_TRUE(moved.hasNetwork);
  EXPECT_EQ(moved.span.from, 7e6 / 4);
  EXPECT_EQ(moved.markers[2].frequency, 21e6);
  EXPECT_TRUE(moved.markers[2].inSpan);
}

}  // namespace
}  // namespace corvantile
