// The Band page's logic without the window: the model's band question, the search on the
// worker (progress, cancel), the designs as text, the exports, and a design taken over by the
// design window that, solved again as a plain circuit, has the return loss the page shows.
#include "response/band_view.h"

#include <chrono>
#include <cmath>
#include <thread>

#include <gtest/gtest.h>

#include "model/design_answers.h"
#include "response/background_run.h"
#include "state/codes.h"
#include "support/circuit_solver.h"

namespace corvantile {
namespace {

using namespace std::chrono_literals;

template <typename Result>
std::optional<Result> WaitFor(BackgroundRun<Result>& run, std::vector<int>* seen = nullptr) {
  const auto deadline = std::chrono::steady_clock::now() + 120s;
  while (!run.Finished() && std::chrono::steady_clock::now() < deadline) {
    if (seen) seen->push_back(run.Progress());
    std::this_thread::sleep_for(2ms);
  }
  if (seen) seen->push_back(run.Progress());
  return run.Take();
}

// The default design with a reactive load: 300 ohm in series with 4 uH at 3.75 MHz.
DesignModel ReactiveLoad() {
  DesignModel model;
  model.Change([&] {
    ImpedanceValues& load = model.state().LoadValues;
    load[EntryForm] = FormSeriesPart;
    load[SeriesR] = 300.0f;
    load[SeriesPart] = 4e-6f;
    load[SeriesX] = static_cast<float>(2.0 * M_PI * 3.75e6 * 4e-6);
  });
  return model;
}

BandMatchOptions Band(double from, double to, int elements) {
  BandMatchOptions options;
  options.bands = {{from, to}};
  options.maxElements = elements;
  return options;
}

TEST(BandViewTest, ChoicesReadIntoASearch) {
  BandChoices choices;
  choices.bands = "3.5M:3.8M, 7M:7.2M";
  choices.maxElements = 9;
  const BandSearchChoice ok = BandSearchOf(choices);
  ASSERT_TRUE(ok.error.empty()) << ok.error;
  EXPECT_EQ(ok.options.bands.size(), 2u);
  EXPECT_EQ(ok.options.maxElements, 6);  // held at the most the search takes
  choices.bands = "";
  EXPECT_NE(BandSearchOf(choices).error.find("give a band"), std::string::npos);
  choices.bands = "3.8M:3.5M";
  EXPECT_NE(BandSearchOf(choices).error.find("must end above"), std::string::npos);
  EXPECT_EQ(DefaultBandsText(3.75e6), "3.5625M:3.9375M");
  EXPECT_EQ(DefaultBandsText(std::nan("")), "");
}

// The worker's answer is the model's own, and its progress grows to every step of the search.
TEST(BandViewTest, TheWorkerAnswersAsTheModelDoes) {
  const DesignModel model = ReactiveLoad();
  const BandMatchOptions options = Band(3.5e6, 4.0e6, 3);
  BackgroundRun<BandAnswer> run;
  run.Start(BandWork(model, options), BandSearchSteps(options));
  std::vector<int> seen;
  const std::optional<BandAnswer> answer = WaitFor(run, &seen);
  ASSERT_TRUE(answer);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]) << i;
  EXPECT_EQ(seen.back(), BandSearchSteps(options));
  EXPECT_EQ(BandSearchSteps(options), 4 + 8 + 16);

  const BandAnswer direct = BandOf(model, options);
  ASSERT_TRUE(direct.problem.empty()) << direct.problem;
  ASSERT_EQ(answer->match.designs.size(), direct.match.designs.size());
  for (std::size_t k = 0; k < direct.match.designs.size(); ++k) {
    EXPECT_EQ(answer->match.designs[k].figures.worstReturnLossDb,
              direct.match.designs[k].figures.worstReturnLossDb);
  }
  // The rows show every design, with nothing that is not a number.
  const auto rows = BandRows(*answer);
  ASSERT_EQ(rows.size(), direct.match.designs.size());
  for (const auto& row : rows) {
    for (const std::string& cell : row) {
      EXPECT_EQ(cell.find("nan"), std::string::npos) << cell;
      EXPECT_EQ(cell.find("inf"), std::string::npos) << cell;
    }
  }
  EXPECT_NE(BandBoundText(*answer).find("Bode-Fano bound: return loss"), std::string::npos)
      << BandBoundText(*answer);
}

TEST(BandViewTest, CancelStopsALongSearchPromptly) {
  const DesignModel model = ReactiveLoad();
  const BandMatchOptions options = Band(2.0e6, 6.0e6, 6);
  BackgroundRun<BandAnswer> run;
  run.Start(BandWork(model, options), BandSearchSteps(options));
  while (run.Progress() < 3) std::this_thread::sleep_for(1ms);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(run.Cancel());
  EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
  EXPECT_FALSE(run.Take());
}

TEST(BandViewTest, AProblemIsOneLine) {
  const DesignModel model;
  EXPECT_EQ(BandOf(model, {}).problem, "give at least one band");
  const BandAnswer reversed = BandOf(model, Band(3.8e6, 3.5e6, 2));
  EXPECT_FALSE(reversed.searched);
  EXPECT_FALSE(reversed.problem.empty());
  EXPECT_EQ(reversed.problem.find('\n'), std::string::npos);
}

// The property the page promises: a design the design window takes, solved again as a plain
// circuit from the model's own network, has the worst in-band return loss the page shows.
TEST(BandViewTest, AnAppliedDesignHasTheReturnLossShown) {
  for (const DesignModel& start : {DesignModel{}, ReactiveLoad()}) {
    const BandAnswer answer = BandOf(start, Band(3.6e6, 3.9e6, 3));
    ASSERT_TRUE(answer.problem.empty()) << answer.problem;
    int applied = 0;
    for (std::size_t k = 0; k < answer.match.designs.size(); ++k) {
      const BandDesign& design = answer.match.designs[k];
      const BandApplicationChoice choice = ApplicationOf(start, answer, k);
      if (design.circuit.elements.size() == 1) {
        EXPECT_FALSE(choice.application);
        continue;
      }
      if (!choice.application) {
        ADD_FAILURE() << design.circuit.elements.size() << " elements: " << choice.reason;
        continue;
      }
      DesignModel model = start;
      ASSERT_EQ(model.Change([&] { ApplyBandDesign(model.state(), *choice.application); }), "");
      const Network network = NetworkOf(model);
      ASSERT_EQ(network.problem, CircuitProblem::None);
      double worst = HUGE_VAL;
      for (const double f : answer.match.frequencies) {
        const testing::Solution s = testing::Solve(network.built, f);
        worst = std::min(worst, testing::ReturnLossDb(s.inputImpedance, s.sourceImpedance));
      }
      // What the page says the window's network gives, and within a tenth of a dB of the band
      // design's own figure.
      EXPECT_NEAR(worst, choice.application->worstReturnLossDb, 1e-6);
      EXPECT_GE(worst, design.figures.worstReturnLossDb - 0.1)
          << design.circuit.elements.size() << " elements";
      ++applied;
    }
    EXPECT_GE(applied, 2);
  }
}

TEST(BandViewTest, ExportsOfTheChosenDesign) {
  const DesignModel model = ReactiveLoad();
  const BandAnswer answer = BandOf(model, Band(3.6e6, 3.9e6, 4));
  ASSERT_FALSE(answer.match.designs.empty());
  const std::size_t last = answer.match.designs.size() - 1;
  const BandCurve curve = BandCurveOf(answer, last, {{3.6e6, 3.9e6}});
  ASSERT_FALSE(curve.frequencies.empty());
  EXPECT_LT(curve.span.from, 3.6e6);
  EXPECT_GT(curve.span.to, 3.9e6);
  ASSERT_TRUE(curve.boundDb);
  // Over the band the curve is never below the design's worst figure, nor above the bound.
  for (std::size_t i = 0; i < curve.frequencies.size(); ++i) {
    if (curve.frequencies[i] < 3.6e6 || curve.frequencies[i] > 3.9e6) continue;
    EXPECT_GE(curve.returnLossDb[i], answer.match.designs[last].figures.worstReturnLossDb - 0.01);
  }
  const std::string spice = BandExportText(answer, last, BandExport::Spice, curve.span);
  EXPECT_NE(spice.find(".ac"), std::string::npos) << spice;
  const std::string csv = BandExportText(answer, last, BandExport::Csv, curve.span);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), curve.span.points + 1);
  EXPECT_NE(BandExportText(answer, last, BandExport::Touchstone, curve.span).find("# Hz S"),
            std::string::npos);
  EXPECT_TRUE(BandExportText(answer, 99, BandExport::Csv, curve.span).empty());
  const auto parts = LadderPartRows(answer.match.designs[last].circuit, 3.75e6);
  EXPECT_EQ(parts.size(), answer.match.designs[last].circuit.elements.size());
  EXPECT_EQ(LadderSchematicText(answer.match.designs[0].circuit).rfind("Source - ", 0), 0u);
}

TEST(BandViewTest, ReportLinesStandWhileTheSidesAreTheSearchedOnes) {
  DesignModel model = ReactiveLoad();
  const BandAnswer answer = BandOf(model, Band(3.6e6, 3.9e6, 2));
  ASSERT_FALSE(answer.match.designs.empty());
  const std::vector<std::string> lines = BandReportLines(answer, 0);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Bands: 3.6 MHz to 3.9 MHz");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }
  EXPECT_TRUE(SameBandSides(model, answer));
  // Another network between the same sides: the search still stands.
  model.Change([&] { model.state().NetValues[NetworkFamily] = FamilyTee; });
  EXPECT_TRUE(SameBandSides(model, answer));
  // Another load: it does not.
  model.Change([&] { model.state().LoadValues[SeriesR] = 250.0f; });
  EXPECT_FALSE(SameBandSides(model, answer));
  EXPECT_TRUE(BandReportLines(answer, 99).empty());
}

}  // namespace
}  // namespace corvantile
