// The Explore page's logic: figures as text without NaN or infinity, which candidates the
// design window can take (family, then phase), the Bode-Fano bar, and a view that follows the
// exploration.
#include "response/explore_view.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "support/design_cases.h"

namespace corvantile {
namespace {

struct TextCase {
  Figure figure;
  std::optional<double> value;
  const char* text;
};

TEST(ExploreViewTest, FiguresAsText) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TextCase cases[] = {
      {Figure::Bandwidth, 0.1234, "12.34"},
      {Figure::BoundShare, 1.0, "100.00"},
      {Figure::Attenuation2f, 17.456, "17.46"},
      {Figure::InputLoadedQ, 3.0, "3"},
      {Figure::InputLoadedQ, 4.16228, "4.1623"},
      // A near-resistive case's Q is rounding noise, shown as the design window shows it.
      {Figure::OutputLoadedQ, 2.389e-08, "0"},
      {Figure::Voltage, 1234.5678, "1235"},
      {Figure::Current, 0.012345, "0.01235"},
      {Figure::Bandwidth, std::nullopt, "-"},
      {Figure::Attenuation3f, nan, "-"},
      {Figure::Voltage, inf, "-"},
      {Figure::Efficiency, -inf, "-"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(FigureText(c.figure, c.value), c.text) << FigureName(c.figure);
  }
}

// A harmonic no measured file reaches reads "not measured" in the table and the hover, whatever
// number its summary holds (NaN included); a measured one reads as its figure.
TEST(ExploreViewTest, AnUnmeasuredHarmonicReadsNotMeasured) {
  Candidate c;
  c.name = "Pi at -135 degrees";
  c.summary.attenuation2f0Db = 21.5;
  c.summary.attenuation3f0Db = std::numeric_limits<double>::quiet_NaN();
  c.summary.measured3f0 = false;
  EXPECT_EQ(CandidateFigureText(c, Figure::Attenuation2f), "21.50");
  EXPECT_EQ(CandidateFigureText(c, Figure::Attenuation3f), "not measured");
  EXPECT_EQ(CandidateFigureText(c, Figure::Bandwidth), "-");
  const std::string tip = CandidateTooltip(c);
  EXPECT_NE(tip.find(FigureHeading(Figure::Attenuation3f) + ": not measured"), std::string::npos)
      << tip;
  EXPECT_EQ(tip.find("nan"), std::string::npos) << tip;
}

Candidate OfKind(CandidateKind kind, bool inWindow, std::optional<double> phase) {
  Candidate c;
  c.kind = kind;
  c.inDesignWindow = inWindow;
  c.phase = phase;
  return c;
}

TEST(ExploreViewTest, WhichCandidatesTheDesignWindowTakes) {
  struct Case {
    Candidate candidate;
    std::optional<float> family;
  };
  const Case cases[] = {
      {OfKind(CandidateKind::Pi, true, -120.0), FamilyPi},
      {OfKind(CandidateKind::Tee, true, 95.0), FamilyTee},
      {OfKind(CandidateKind::LowpassL, true, -60.0), FamilyLowpassL},
      {OfKind(CandidateKind::HighpassL, true, 60.0), FamilyHighpassL},
      {OfKind(CandidateKind::OtherL, false, std::nullopt), std::nullopt},
      {OfKind(CandidateKind::TwoSectionL, false, std::nullopt), std::nullopt},
      // A kind the window knows, but marked as not showable, is not taken either.
      {OfKind(CandidateKind::Pi, false, -120.0), std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string kind(CandidateKindName(c.candidate.kind));
    EXPECT_EQ(ApplicableFamily(c.candidate), c.family) << kind;
    const std::optional<CandidateChoice> choice = ChoiceFor(c.candidate);
    ASSERT_EQ(choice.has_value(), c.family.has_value()) << kind;
    if (!choice) continue;
    EXPECT_EQ(choice->family, *c.family) << kind;
    EXPECT_EQ(choice->phase, static_cast<float>(*c.candidate.phase)) << kind;
  }
  // A Pi without a phase cannot be set up in the window.
  EXPECT_FALSE(ChoiceFor(OfKind(CandidateKind::Pi, true, std::nullopt)));
  EXPECT_FALSE(
      ChoiceFor(OfKind(CandidateKind::Tee, true, std::numeric_limits<double>::quiet_NaN())));
}

TEST(ExploreViewTest, ResistiveEndsHaveNoBound) {
  testing::DesignCase d;
  d.source = {1, 50.0f, 0.0f};
  d.load = {1, 1500.0f, 0.0f};
  ExploreView view;
  UpdateExploreView(testing::StateFor(d), DesignOutcome::Designed, view);
  ASSERT_TRUE(view.hasCandidates);
  EXPECT_FALSE(view.bar.hasBound);
  EXPECT_EQ(view.bar.text, "no Bode-Fano bound: source and load are resistive");
}

TEST(ExploreViewTest, AReactiveLoadShowsTheBestShareOfItsBound) {
  testing::DesignCase d;
  d.source = {1, 50.0f, 0.0f};
  d.load = {4, 200.0f, -300.0f};
  d.frequency = 7.1e6f;
  const RunState state = testing::StateFor(d);
  ExploreView view;
  UpdateExploreView(state, DesignOutcome::Designed, view);
  ASSERT_TRUE(view.hasCandidates);
  ASSERT_TRUE(view.bar.hasBound);
  double best = -1.0;
  const Candidate* bestCandidate = nullptr;
  for (const Candidate& c : view.exploration.candidates) {
    if (c.boundShare && *c.boundShare > best) {
      best = *c.boundShare;
      bestCandidate = &c;
    }
  }
  ASSERT_NE(bestCandidate, nullptr);
  EXPECT_DOUBLE_EQ(view.bar.share, std::min(best, 1.0));
  EXPECT_GT(view.bar.share, 0.0);
  EXPECT_NE(view.bar.text.find(bestCandidate->name), std::string::npos) << view.bar.text;
  EXPECT_NE(view.bar.text.find(FigureText(Figure::BoundShare, best)), std::string::npos);
}

TEST(ExploreViewTest, TheViewFollowsTheExplorationAndItsChosenFigures) {
  testing::DesignCase d;
  d.source = {1, 50.0f, 25.0f};
  d.load = {4, 200.0f, -300.0f};
  const RunState state = testing::StateFor(d);
  ExploreView view;
  view.x = Figure::Voltage;
  view.y = Figure::Bandwidth;
  UpdateExploreView(state, DesignOutcome::Designed, view);
  const Exploration fresh = Explore(state);
  ASSERT_EQ(view.exploration.candidates.size(), fresh.candidates.size());
  for (std::size_t i = 0; i < fresh.candidates.size(); ++i) {
    EXPECT_EQ(view.exploration.candidates[i].name, fresh.candidates[i].name);
  }
  EXPECT_EQ(view.front, ParetoFront(fresh.candidates, Figure::Voltage, Figure::Bandwidth));
  view.x = Figure::Bandwidth;
  view.y = Figure::Attenuation2f;
  UpdateParetoFront(view);
  EXPECT_EQ(view.front, ParetoFront(fresh.candidates));
  // Every plotted value is finite, fractions in percent.
  for (const Candidate& c : view.exploration.candidates) {
    for (Figure f : kExploreColumns) {
      const std::optional<double> v = PlotValue(c, f);
      if (!v) continue;
      EXPECT_TRUE(std::isfinite(*v));
      if (f == Figure::Bandwidth) {
        EXPECT_DOUBLE_EQ(*v, 100.0 * *FigureValue(c, f));
      }
    }
  }
}

TEST(ExploreViewTest, NothingToExploreSaysWhy) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[EntryForm] = 9.0f;
  ExploreView view;
  UpdateExploreView(state, DesignOutcome::Impossible, view);
  EXPECT_FALSE(view.hasCandidates);
  EXPECT_EQ(view.noCandidatesReason, CircuitProblemText(CircuitProblem::UnknownSourceForm));
  EXPECT_TRUE(view.front.empty());
}

// An empty plot says why: the default plot's 2f with a file that ends below it, another missing
// figure, or two figures no candidate has together; a plot with a point says nothing.
TEST(ExploreViewTest, AnEmptyPlotSaysWhy) {
  Candidate c;
  c.summary.bands[0].fractional = 0.12;
  c.summary.attenuation2f0Db = std::numeric_limits<double>::quiet_NaN();
  c.summary.measured2f0 = false;
  c.summary.attenuation3f0Db = 30.0;
  ExploreView view;
  view.hasCandidates = true;
  view.exploration.candidates = {c, c};
  ASSERT_EQ(view.x, Figure::Bandwidth);
  ASSERT_EQ(view.y, Figure::Attenuation2f);
  EXPECT_EQ(EmptyPlotReason(view),
            "Nothing to plot: the measured file does not reach 2f, so no candidate has Atten. 2f "
            "(dB), the figure up. Choose another figure.");

  view.y = Figure::Attenuation3f;
  EXPECT_EQ(EmptyPlotReason(view), "");
  view.x = Figure::Efficiency;  // not asked for: no candidate has it
  EXPECT_EQ(EmptyPlotReason(view),
            "Nothing to plot: no candidate has Efficiency (%), the figure across. Choose another "
            "figure.");

  // Each figure on some candidate, never both on one.
  view.exploration.candidates[1].efficiency = 0.9;
  view.exploration.candidates[1].summary.attenuation3f0Db =
      std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(EmptyPlotReason(view),
            "Nothing to plot: no candidate has both Efficiency (%) and Atten. 3f (dB). Choose "
            "another figure.");

  // Nothing explored at all: the page's own reason says why, not the plot.
  view.hasCandidates = false;
  view.exploration.candidates.clear();
  EXPECT_EQ(EmptyPlotReason(view), "");
}

}  // namespace
}  // namespace corvantile
