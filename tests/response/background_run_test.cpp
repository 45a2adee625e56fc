// The pages' worker without a window: cancel stops a run promptly and hands nothing over,
// progress only grows and reaches the end, and a finished run's result is the model's own
// answer computed directly.
#include "response/background_run.h"

#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "model/design_answers.h"
#include "model/design_model.h"
#include "response/explore_view.h"
#include "response/tolerance_view.h"

namespace corvantile {
namespace {

using namespace std::chrono_literals;

// Polls as the window's timer does, recording every progress it sees, until the run finishes.
template <typename Result>
std::optional<Result> WaitFor(BackgroundRun<Result>& run, std::vector<int>* seen = nullptr) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!run.Finished() && std::chrono::steady_clock::now() < deadline) {
    if (seen) seen->push_back(run.Progress());
    std::this_thread::sleep_for(1ms);
  }
  if (seen) seen->push_back(run.Progress());
  return run.Take();
}

ToleranceSettings ManyBuilds(int builds) {
  ToleranceSettings settings;
  settings.builds = builds;
  settings.band = std::array<double, 2>{3.6e6, 3.9e6};
  return settings;
}

TEST(BackgroundRunTest, AFinishedToleranceRunIsTheModelsAnswer) {
  const DesignModel model;
  const ToleranceRequest request = ToleranceOf(model, ManyBuilds(3000));
  ASSERT_TRUE(request.hasNetwork) << request.noNetworkReason;
  BackgroundRun<ToleranceResult> run;
  run.Start(ToleranceWork(request), request.options.builds);
  std::vector<int> seen;
  const std::optional<ToleranceResult> result = WaitFor(run, &seen);
  ASSERT_TRUE(result);
  EXPECT_FALSE(run.Running());  // taken: the run is over

  // Progress never goes back and ends at every build.
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]) << i;
  EXPECT_EQ(seen.back(), request.options.builds);

  const ToleranceResult direct = RunTolerance(request.circuit, request.options);
  EXPECT_EQ(result->builds, direct.builds);
  EXPECT_EQ(result->percentilesDb, direct.percentilesDb);
  EXPECT_EQ(result->histogram.counts, direct.histogram.counts);
  EXPECT_EQ(result->atDesign.vswr15, direct.atDesign.vswr15);
  EXPECT_EQ(ToleranceLines(*result), ToleranceLines(direct));
}

TEST(BackgroundRunTest, CancelStopsPromptlyAndKeepsTheLastResult) {
  const DesignModel model;
  BackgroundRun<ToleranceResult> run;
  const ToleranceRequest small = ToleranceOf(model, ManyBuilds(500));
  run.Start(ToleranceWork(small), small.options.builds);
  const std::optional<ToleranceResult> kept = WaitFor(run);
  ASSERT_TRUE(kept);

  // A run far too long to finish here: ten million builds over a band.
  const ToleranceRequest huge = ToleranceOf(model, ManyBuilds(kMaxToleranceBuilds));
  run.Start(ToleranceWork(huge), huge.options.builds);
  while (run.Progress() == 0) std::this_thread::sleep_for(1ms);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(run.Cancel());
  const auto waited = std::chrono::steady_clock::now() - before;
  EXPECT_LT(waited, 2s);  // generous for a loaded machine; the run checks between small blocks
  EXPECT_FALSE(run.Running());
  EXPECT_FALSE(run.Take());  // nothing of the cancelled run is handed over
  EXPECT_FALSE(run.Cancel());
  // The last finished result is the caller's and stands.
  EXPECT_EQ(kept->builds, 500);
}

TEST(BackgroundRunTest, StartingAgainDropsTheRunningOne) {
  BackgroundRun<int> run;
  run.Start(
      [](std::stop_token stop, std::atomic<int>&) -> std::optional<int> {
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        return 1;  // stopped: dropped whatever it says
      },
      1);
  run.Start(
      [](std::stop_token, std::atomic<int>& done) -> std::optional<int> {
        done = 1;
        return 2;
      },
      1);
  EXPECT_EQ(WaitFor(run), 2);
}

TEST(BackgroundRunTest, AFinishedExplorationIsTheModelsAnswer) {
  const DesignModel model;
  BackgroundRun<ExploreView> run;
  run.Start(ExploreWork(model.state(), DesignOutcome::Designed, nullptr, nullptr, Figure::Bandwidth,
                        Figure::Efficiency),
            1);
  std::vector<int> seen;
  const std::optional<ExploreView> view = WaitFor(run, &seen);
  ASSERT_TRUE(view);
  EXPECT_EQ(seen.back(), 1);
  EXPECT_EQ(view->x, Figure::Bandwidth);
  EXPECT_EQ(view->y, Figure::Efficiency);
  const Exploration direct = ExplorationOf(model);
  ASSERT_TRUE(view->hasCandidates);
  ASSERT_EQ(view->exploration.candidates.size(), direct.candidates.size());
  for (std::size_t i = 0; i < direct.candidates.size(); ++i) {
    const Candidate& a = view->exploration.candidates[i];
    const Candidate& b = direct.candidates[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.summary.attenuation2f0Db, b.summary.attenuation2f0Db) << a.name;
    ASSERT_EQ(a.circuit.elements.size(), b.circuit.elements.size()) << a.name;
    for (std::size_t k = 0; k < a.circuit.elements.size(); ++k) {
      EXPECT_EQ(a.circuit.elements[k].part.value, b.circuit.elements[k].part.value) << a.name;
    }
  }
}

TEST(BackgroundRunTest, AToleranceRequestWithoutANetworkGivesNoResult) {
  ToleranceRequest none;
  BackgroundRun<ToleranceResult> run;
  run.Start(ToleranceWork(none), 1);
  EXPECT_FALSE(WaitFor(run));
  EXPECT_FALSE(run.Running());
}

// The report lists a finished run only while the design is the one it ran for.
TEST(BackgroundRunTest, AResultStandsOnlyForTheSameNetwork) {
  DesignModel model;
  const ToleranceRequest before = ToleranceOf(model, ManyBuilds(100));
  EXPECT_TRUE(SameToleranceNetwork(before, ToleranceOf(model, ManyBuilds(100))));
  model.Change([&] { model.state().NetValues[Frequency] = 7.1e6f; });
  EXPECT_FALSE(SameToleranceNetwork(before, ToleranceOf(model, ManyBuilds(100))));
  EXPECT_FALSE(SameToleranceNetwork(ToleranceRequest{}, ToleranceRequest{}));
}

}  // namespace
}  // namespace corvantile
