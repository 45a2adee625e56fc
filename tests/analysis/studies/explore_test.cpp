// The exploration: every candidate a conjugate match, the design window's own values at its
// phase, nothing wider than physics allows, and the ranking helpers.
#include "analysis/studies/explore.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "support/design_cases.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

// Designs across entry forms, resistive and reactive ends, each family at a user phase.
std::vector<testing::DesignCase> ExploreCases() {
  std::vector<testing::DesignCase> cases;
  const std::vector<std::pair<testing::SideEntry, testing::SideEntry>> sides = {
      {{1, 1500.0f, 0.0f}, {1, 300.0f, 0.0f}},    {{1, 50.0f, 0.0f}, {1, 1500.0f, 0.0f}},
      {{1, 50.0f, 25.0f}, {4, 200.0f, -300.0f}},  {{2, 1500.0f, 2000.0f}, {3, 75.0f, 40.0f}},
      {{3, 300.0f, -150.0f}, {1, 50.0f, -20.0f}}, {{4, 800.0f, 500.0f}, {2, 100.0f, -300.0f}},
  };
  const std::vector<std::pair<float, float>> designs = {
      {FamilyPi, -135.0f}, {FamilyTee, -120.0f}, {FamilyPi, 100.0f}, {FamilyLowpassL, 0.0f}};
  for (const auto& [source, load] : sides) {
    for (const auto& [family, phase] : designs) {
      testing::DesignCase d;
      d.family = family;
      d.source = source;
      d.load = load;
      d.phase = phase;
      d.frequency = 7.1e6f;
      d.power = 100.0f;
      cases.push_back(d);
    }
  }
  return cases;
}

TEST(ExploreTest, EveryCandidatePresentsTheConjugateOfTheSource) {
  for (const testing::DesignCase& d : ExploreCases()) {
    SCOPED_TRACE(testing::Describe(d));
    const Exploration e = Explore(testing::StateFor(d));
    ASSERT_EQ(e.problem, CircuitProblem::None);
    EXPECT_GT(e.candidates.size(), 50u);
    for (const Candidate& c : e.candidates) {
      EXPECT_GT(EvaluateLadder(c.circuit, e.designFrequency).returnLossDb, 40.0) << c.name;
      EXPECT_GT(c.summary.atDesign.returnLossDb, 40.0) << c.name;
      // All the available power reaches the load at f0.
      EXPECT_NEAR(c.summary.atDesign.loadPower, e.designPower, 1e-3 * e.designPower) << c.name;
    }
  }
}

TEST(ExploreTest, PiAndTeeAtTheUserPhaseCarryTheDesignWindowValues) {
  for (const testing::DesignCase& d : ExploreCases()) {
    SCOPED_TRACE(testing::Describe(d));
    const RunState state = testing::StateFor(d);
    RunState window = state;
    if (RunDesignPass(window) != DesignOutcome::Designed) continue;
    const Exploration e = Explore(state);
    for (CandidateKind kind : {CandidateKind::Pi, CandidateKind::Tee}) {
      const float family = kind == CandidateKind::Pi ? FamilyPi : FamilyTee;
      const auto user =
          std::find_if(e.candidates.begin(), e.candidates.end(),
                       [&](const Candidate& c) { return c.kind == kind && c.atUserPhase; });
      // The design window's own family: every stored value exactly as the window holds it.
      if (family == state.NetValues[NetworkFamily]) {
        ASSERT_NE(user, e.candidates.end());
        ASSERT_TRUE(user->designValues.has_value());
        EXPECT_EQ(*user->designValues, window.NetValues);
        continue;
      }
      // The other family at the window's phase, as the window designs it when switched to it.
      RunState switched = state;
      switched.NetValues[NetworkFamily] = family;
      switched.NetValues[DesignDriver] = DriverPhase;
      switched.NetValues[NetworkPhase] = window.NetValues[NetworkPhase];
      if (RunDesignPass(switched) != DesignOutcome::Designed) {
        EXPECT_EQ(user, e.candidates.end());
        continue;
      }
      ASSERT_NE(user, e.candidates.end());
      EXPECT_EQ(*user->designValues, switched.NetValues);
    }
  }
}

TEST(ExploreTest, NoBandIsWiderThanTheBodeFanoBound) {
  int bounded = 0;
  for (const testing::DesignCase& d : ExploreCases()) {
    SCOPED_TRACE(testing::Describe(d));
    const Exploration e = Explore(testing::StateFor(d));
    if (!e.bound.fractional) {
      for (const Candidate& c : e.candidates) {
        EXPECT_FALSE(c.boundShare.has_value());
      }
      continue;
    }
    ++bounded;
    for (const Candidate& c : e.candidates) {
      const std::optional<double>& band = c.summary.bands[0].fractional;
      if (!band) continue;
      EXPECT_LE(*band, *e.bound.fractional) << c.name;
      ASSERT_TRUE(c.boundShare.has_value());
      EXPECT_LE(*c.boundShare, 1.0) << c.name;
    }
  }
  EXPECT_GT(bounded, 0);
}

TEST(ExploreTest, ListsTheLNetworksOnceEach) {
  testing::DesignCase d;
  d.source = {1, 1500.0f, 0.0f};
  d.load = {1, 300.0f, 0.0f};
  const Exploration e = Explore(testing::StateFor(d));
  // Resistive ends: the two L networks are exactly the window's low-pass and high-pass L.
  EXPECT_EQ(CandidatesOfKind(e.candidates, CandidateKind::LowpassL).size(), 1u);
  EXPECT_EQ(CandidatesOfKind(e.candidates, CandidateKind::HighpassL).size(), 1u);
  EXPECT_TRUE(CandidatesOfKind(e.candidates, CandidateKind::OtherL).empty());
  ASSERT_EQ(CandidatesOfKind(e.candidates, CandidateKind::TwoSectionL).size(), 1u);
  const Candidate& lowpass =
      e.candidates[CandidatesOfKind(e.candidates, CandidateKind::LowpassL)[0]];
  const Candidate& highpass =
      e.candidates[CandidatesOfKind(e.candidates, CandidateKind::HighpassL)[0]];
  EXPECT_TRUE(lowpass.passesDc);
  EXPECT_FALSE(highpass.passesDc);
  EXPECT_TRUE(lowpass.inDesignWindow);
  const Candidate& two =
      e.candidates[CandidatesOfKind(e.candidates, CandidateKind::TwoSectionL)[0]];
  EXPECT_FALSE(two.inDesignWindow);
  EXPECT_EQ(two.name, "two-section L through 670.8 ohm");
  // The resistive pair has no bound.
  EXPECT_FALSE(e.bound.fractional.has_value());
  // Pi phases ascend in steps of a degree and never include 0.
  const std::vector<std::size_t> pis = CandidatesOfKind(e.candidates, CandidateKind::Pi);
  ASSERT_GT(pis.size(), 100u);
  for (std::size_t k = 0; k + 1 < pis.size(); ++k) {
    EXPECT_LT(*e.candidates[pis[k]].phase, *e.candidates[pis[k + 1]].phase);
    EXPECT_NE(*e.candidates[pis[k]].phase, 0.0);
  }

  // A reactive load: the L networks the window cannot show are listed, marked as such.
  d.load = {2, 100.0f, -300.0f};
  const Exploration reactive = Explore(testing::StateFor(d));
  std::size_t ls = 0;
  for (const Candidate& c : reactive.candidates) {
    if (c.kind == CandidateKind::OtherL) {
      EXPECT_FALSE(c.inDesignWindow);
    }
    if (c.kind == CandidateKind::OtherL || c.kind == CandidateKind::LowpassL ||
        c.kind == CandidateKind::HighpassL) {
      ++ls;
    }
  }
  EXPECT_GE(ls, 2u);
  EXPECT_LE(ls, 6u);  // up to four L solutions plus the window's two, none listed twice
}

TEST(ExploreTest, SortingAndTheParetoFront) {
  testing::DesignCase d;
  d.source = {1, 50.0f, 25.0f};
  d.load = {4, 200.0f, -300.0f};
  d.frequency = 7.1e6f;
  Exploration e = Explore(testing::StateFor(d));
  std::vector<Candidate> sorted = e.candidates;
  SortCandidates(sorted, Figure::Bandwidth);
  for (std::size_t k = 0; k + 1 < sorted.size(); ++k) {
    const std::optional<double> a = FigureValue(sorted[k], Figure::Bandwidth);
    const std::optional<double> b = FigureValue(sorted[k + 1], Figure::Bandwidth);
    if (b) {
      ASSERT_TRUE(a.has_value());
      EXPECT_GE(*a, *b);
    }
  }
  SortCandidates(sorted, Figure::Voltage);
  for (std::size_t k = 0; k + 1 < sorted.size(); ++k) {
    EXPECT_LE(sorted[k].largestVolts, sorted[k + 1].largestVolts);
  }

  const std::vector<std::size_t> front = ParetoFront(e.candidates);
  ASSERT_FALSE(front.empty());
  auto dominates = [&](const Candidate& a, const Candidate& b) {
    const double ax = *FigureValue(a, Figure::Bandwidth), bx = *FigureValue(b, Figure::Bandwidth);
    const double ay = a.summary.attenuation2f0Db, by = b.summary.attenuation2f0Db;
    return ax >= bx && ay >= by && (ax > bx || ay > by);
  };
  for (std::size_t i = 0; i < e.candidates.size(); ++i) {
    if (!FigureValue(e.candidates[i], Figure::Bandwidth)) continue;
    const bool onFront = std::find(front.begin(), front.end(), i) != front.end();
    bool beaten = false;
    for (std::size_t j = 0; j < e.candidates.size(); ++j) {
      if (FigureValue(e.candidates[j], Figure::Bandwidth) &&
          dominates(e.candidates[j], e.candidates[i])) {
        beaten = true;
      }
    }
    EXPECT_EQ(onFront, !beaten) << e.candidates[i].name;
  }
  for (std::size_t k = 0; k + 1 < front.size(); ++k) {
    EXPECT_LE(*FigureValue(e.candidates[front[k]], Figure::Bandwidth),
              *FigureValue(e.candidates[front[k + 1]], Figure::Bandwidth));
  }

  for (int k = 0; k <= static_cast<int>(Figure::StandardReturnLoss); ++k) {
    const Figure figure = static_cast<Figure>(k);
    EXPECT_EQ(FigureFromName(FigureName(figure)), figure);
  }
  EXPECT_FALSE(FigureFromName("loudness").has_value());
  // The loss model and the standard values are not wired in yet.
  EXPECT_FALSE(FigureValue(e.candidates.front(), Figure::Efficiency).has_value());
}

TEST(ExploreTest, HelpersAnswerTheUsualQuestions) {
  const RunState state = MakeDefaultRunState();
  const Exploration e = Explore(state);
  for (CandidateKind kind : {CandidateKind::Pi, CandidateKind::Tee}) {
    SCOPED_TRACE(std::string(CandidateKindName(kind)));
    const std::optional<std::size_t> widest = WidestBand(e, kind);
    ASSERT_TRUE(widest.has_value());
    for (std::size_t i : CandidatesOfKind(e.candidates, kind)) {
      if (const auto band = e.candidates[i].summary.bands[0].fractional) {
        EXPECT_LE(*band, *e.candidates[*widest].summary.bands[0].fractional);
      }
    }
    const double minimum = 0.5 * *e.candidates[*widest].summary.bands[0].fractional;
    const std::optional<std::size_t> best = BestAttenuation2f(e, kind, minimum);
    ASSERT_TRUE(best.has_value());
    EXPECT_GE(*e.candidates[*best].summary.bands[0].fractional, minimum);
    for (std::size_t i : CandidatesOfKind(e.candidates, kind)) {
      const Candidate& c = e.candidates[i];
      if (c.summary.bands[0].fractional && *c.summary.bands[0].fractional >= minimum) {
        EXPECT_LE(c.summary.attenuation2f0Db, e.candidates[*best].summary.attenuation2f0Db);
      }
    }
    EXPECT_FALSE(BestAttenuation2f(e, kind, 100.0).has_value());

    // The phase for a loaded Q of 5 at the input: the design pass there gives that Q.
    for (QPort port : {QPort::Input, QPort::Output}) {
      const std::vector<double> phases = PhasesForLoadedQ(state, e, kind, port, 5.0);
      EXPECT_FALSE(phases.empty());
      for (double phase : phases) {
        RunState at = state;
        at.NetValues[NetworkFamily] = kind == CandidateKind::Pi ? FamilyPi : FamilyTee;
        at.NetValues[DesignDriver] = DriverPhase;
        at.NetValues[NetworkPhase] = static_cast<float>(phase);
        ASSERT_EQ(RunDesignPass(at), DesignOutcome::Designed);
        const float q = port == QPort::Input ? at.NetValues[InputQ] : at.NetValues[OutputQ];
        EXPECT_NEAR(static_cast<double>(q), 5.0, 1e-3) << phase;
      }
    }
  }
}

TEST(ExploreTest, AUserPhaseBetweenStepsIsAddedInOrder) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkPhase] = -135.5f;
  ExploreOptions options;
  options.phaseStep = 5.0;
  const Exploration e = Explore(state, options);
  for (CandidateKind kind : {CandidateKind::Pi, CandidateKind::Tee}) {
    const std::vector<std::size_t> indexes = CandidatesOfKind(e.candidates, kind);
    std::size_t marked = 0;
    for (std::size_t k = 0; k < indexes.size(); ++k) {
      const Candidate& c = e.candidates[indexes[k]];
      if (c.atUserPhase) {
        ++marked;
        EXPECT_EQ(*c.phase, -135.5);
      }
      if (k + 1 < indexes.size()) {
        EXPECT_LT(*c.phase, *e.candidates[indexes[k + 1]].phase);
      }
    }
    EXPECT_EQ(marked, 1u);
  }
  // On a step the user's candidate takes that step's place instead of doubling it.
  state.NetValues[NetworkPhase] = -135.0f;
  const Exploration onStep = Explore(state, options);
  EXPECT_EQ(CandidatesOfKind(onStep.candidates, CandidateKind::Pi).size() + 1,
            CandidatesOfKind(e.candidates, CandidateKind::Pi).size());
}

TEST(ExploreTest, NothingToExploreWithoutASource) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[EntryForm] = 9.0f;
  EXPECT_EQ(Explore(state).problem, CircuitProblem::UnknownSourceForm);
  EXPECT_TRUE(Explore(state).candidates.empty());
}

}  // namespace
}  // namespace corvantile
