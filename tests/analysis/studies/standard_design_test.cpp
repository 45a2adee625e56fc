// Standard-value designs: the best combination beats every other combination it could have
// picked (checked by solving each one with the test's own impedance arithmetic), and every part
// of every design is a value one can buy.
#include "analysis/studies/standard_design.h"

#include <cmath>
#include <complex>
#include <cstring>

#include <gtest/gtest.h>

#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

// Return loss at f0 by plain impedance arithmetic, independent of the engine.
double ReturnLossBySolving(const MatchingCircuit& c) {
  const testing::Solution s = testing::Solve(c, c.designFrequency);
  const auto gamma =
      (s.inputImpedance - std::conj(s.sourceImpedance)) / (s.inputImpedance + s.sourceImpedance);
  return -20.0 * std::log10(std::max(std::abs(gamma), 1e-15));
}

bool IsStandard(double value, StandardSeries series) {
  for (int e = -18; e <= 6; ++e) {
    for (int t : SeriesDecade(series)) {
      if (std::fabs(value - t * std::pow(10.0, e)) <= 1e-12 * value) return true;
    }
  }
  return false;
}

// A sample of the design grid: every family, several forms and phases.
std::vector<testing::DesignCase> Sample() {
  std::vector<testing::DesignCase> out;
  const auto grid = testing::DesignGrid();
  for (std::size_t i = 0; i < grid.size(); i += 7) out.push_back(grid[i]);
  return out;
}

TEST(StandardDesignTest, BestIsOptimalAmongTheNeighboursAndNeverWorseThanNearest) {
  const StandardChoice choice;
  int checked = 0;
  for (const testing::DesignCase& c : Sample()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    const MatchingCircuit nearest = NearestStandardCircuit(build.circuit, choice);
    const MatchingCircuit best = BestStandardCircuit(build.circuit, choice);
    const double bestRl = ReturnLossBySolving(best);
    EXPECT_GE(bestRl, ReturnLossBySolving(nearest) - 1e-6);

    // Brute force over the neighbours of every part.
    std::array<std::vector<CircuitPart>, 3> options;
    for (std::size_t k = 0; k < 3; ++k) {
      const CircuitPart& part = build.circuit.elements[k];
      if (part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor) {
        for (double v : StandardNeighbours(part.value, SeriesFor(part, choice), 2)) {
          options[k].push_back({part.kind, v});
        }
      } else {
        options[k].push_back(part);
      }
    }
    const std::size_t expected =
        build.circuit.familyName == "Tee" || build.circuit.familyName == "Pi" ? 125u : 25u;
    EXPECT_EQ(options[0].size() * options[1].size() * options[2].size(), expected);
    MatchingCircuit candidate = build.circuit;
    for (const CircuitPart& a : options[0]) {
      for (const CircuitPart& b : options[1]) {
        for (const CircuitPart& d : options[2]) {
          candidate.elements = {a, b, d};
          EXPECT_LE(ReturnLossBySolving(candidate), bestRl + 1e-6);
        }
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 50);
}

TEST(StandardDesignTest, EveryPartOfEveryDesignIsAStandardValue) {
  StandardChoice choice;
  choice.inductors = StandardSeries::E6;
  choice.capacitors = StandardSeries::E48;
  for (const testing::DesignCase& c : Sample()) {
    const StandardSolutions s = SolveStandardValues(testing::StateFor(c), choice);
    if (s.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    std::vector<const StandardDesign*> designs = {&s.nearest, &s.best};
    for (const FixedFirstDesign& f : s.fixedFirst) {
      if (f.possible) designs.push_back(&f.design);
    }
    for (const StandardDesign* d : designs) {
      for (const CircuitPart& part : d->circuit.elements) {
        if (part.kind == PartKind::Inductor) {
          EXPECT_TRUE(IsStandard(part.value, choice.inductors));
        }
        if (part.kind == PartKind::Capacitor) {
          EXPECT_TRUE(IsStandard(part.value, choice.capacitors));
        }
      }
      EXPECT_NEAR(d->summary.atDesign.returnLossDb, ReturnLossBySolving(d->circuit),
                  1e-6 + 1e-6 * d->summary.atDesign.returnLossDb);
    }
  }
}

// Fixed first: the fixed element keeps its nearest standard value, the report names the element
// whose design matches best, and an L has nothing to re-solve.
TEST(StandardDesignTest, FixedFirstKeepsTheFixedPartAndNamesTheClosest) {
  for (const testing::DesignCase& c : Sample()) {
    const StandardSolutions s = SolveStandardValues(testing::StateFor(c));
    if (s.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    if (c.family == FamilyLowpassL || c.family == FamilyHighpassL) {
      EXPECT_TRUE(s.fixedFirst.empty());
      EXPECT_EQ(s.closestFixedFirst, 0);
      continue;
    }
    ASSERT_EQ(s.fixedFirst.size(), 3u);
    double closest = -1.0;
    for (const FixedFirstDesign& f : s.fixedFirst) {
      if (!f.possible) continue;
      const CircuitPart& ideal = s.ideal.circuit.elements[static_cast<std::size_t>(f.element - 1)];
      const CircuitPart& fixed = f.design.circuit.elements[static_cast<std::size_t>(f.element - 1)];
      if (ideal.kind == PartKind::Inductor || ideal.kind == PartKind::Capacitor) {
        EXPECT_EQ(fixed.value, NearestStandardValue(ideal.value, SeriesFor(ideal, {})));
      }
      closest = std::max(closest, f.design.summary.atDesign.returnLossDb);
    }
    if (s.closestFixedFirst != 0) {
      EXPECT_NEAR(s.fixedFirst[static_cast<std::size_t>(s.closestFixedFirst - 1)]
                      .design.summary.atDesign.returnLossDb,
                  closest, 1e-5);
    }
  }
}

// The default circuit, by hand: 117.8 pF, 20.13 uH and 230.9 pF round to 120 pF, 22 uH and
// 240 pF (E24 capacitors, E12 inductors).
TEST(StandardDesignTest, DefaultCircuitRoundsAsAnEngineerWould) {
  const StandardSolutions s = SolveStandardValues(MakeDefaultRunState());
  ASSERT_EQ(s.problem, CircuitProblem::None);
  EXPECT_DOUBLE_EQ(s.nearest.circuit.elements[0].value, 120e-12);
  EXPECT_DOUBLE_EQ(s.nearest.circuit.elements[1].value, 22e-6);
  EXPECT_DOUBLE_EQ(s.nearest.circuit.elements[2].value, 240e-12);
  EXPECT_GE(s.best.summary.atDesign.returnLossDb, s.nearest.summary.atDesign.returnLossDb);
  EXPECT_GT(s.ideal.summary.atDesign.returnLossDb, 100.0);
  // Fixing the inductor keeps the low-pass Pi a low-pass Pi (capacitor, inductor, capacitor).
  ASSERT_EQ(s.fixedFirst.size(), 3u);
  ASSERT_TRUE(s.fixedFirst[1].possible);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(s.fixedFirst[1].design.circuit.elements[k].kind, s.ideal.circuit.elements[k].kind);
  }
}

// With lossy parts the best combination is the best of its neighbours by the lossy return loss
// the tests' own solver gives, and never worse than the nearest one.
TEST(StandardDesignTest, WithLossesBestIsOptimalByTheLossyReturnLoss) {
  const StandardChoice choice;
  LossModel losses;
  losses.inductor = {40.0, 0.5};
  losses.capacitor = {300.0, 0.0};
  int checked = 0;
  const std::vector<testing::DesignCase> sample = Sample();
  for (std::size_t i = 0; i < sample.size(); i += 4) {
    const testing::DesignCase& c = sample[i];
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    const double f0 = build.circuit.designFrequency;
    auto lossyRl = [&](const MatchingCircuit& m) {
      return testing::ReturnLossDb(testing::Solve(m, f0, losses));
    };
    const MatchingCircuit best = BestStandardCircuit(build.circuit, choice, losses);
    const double bestRl = lossyRl(best);
    EXPECT_GE(bestRl, lossyRl(NearestStandardCircuit(build.circuit, choice)) - 1e-6);
    EXPECT_NEAR(ScoreAtDesign(best, losses).returnLossDb, bestRl, 1e-6);
    std::array<std::vector<CircuitPart>, 3> options;
    for (std::size_t k = 0; k < 3; ++k) {
      const CircuitPart& part = build.circuit.elements[k];
      if (part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor) {
        for (double v : StandardNeighbours(part.value, SeriesFor(part, choice), 2)) {
          options[k].push_back({part.kind, v});
        }
      } else {
        options[k].push_back(part);
      }
    }
    MatchingCircuit candidate = build.circuit;
    for (const CircuitPart& a : options[0]) {
      for (const CircuitPart& b : options[1]) {
        for (const CircuitPart& d : options[2]) {
          candidate.elements = {a, b, d};
          EXPECT_LE(lossyRl(candidate), bestRl + 1e-6);
        }
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 10);
}

// The figures shown beside each design include the losses: the summary is the lossy sweep's.
// A model that leaves every part ideal gives the lossless solutions bit for bit.
TEST(StandardDesignTest, LossyFiguresAreTheLossySweepsAndIdealPartsChangeNothing) {
  for (const testing::DesignCase& c : Sample()) {
    const RunState state = testing::StateFor(c);
    if (DesignCircuit(state).problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    LossModel ideal;
    ideal.inductor.q0 = 0.0;
    ideal.capacitor = {0.0, 1.0};
    const StandardSolutions plain = SolveStandardValues(state);
    const StandardSolutions same = SolveStandardValues(state, {}, ideal);
    for (auto pick :
         {&StandardSolutions::ideal, &StandardSolutions::nearest, &StandardSolutions::best}) {
      const StandardDesign& a = plain.*pick;
      const StandardDesign& b = same.*pick;
      EXPECT_EQ(std::memcmp(&a.summary.atDesign.returnLossDb, &b.summary.atDesign.returnLossDb,
                            sizeof(double)),
                0);
      EXPECT_EQ(a.summary.atDesign.vswr, b.summary.atDesign.vswr);
      EXPECT_EQ(a.summary.bands[0].fractional, b.summary.bands[0].fractional);
      EXPECT_EQ(a.summary.attenuation2f0Db, b.summary.attenuation2f0Db);
      EXPECT_EQ(a.summary.attenuation3f0Db, b.summary.attenuation3f0Db);
      EXPECT_EQ(a.maxPartVolts, b.maxPartVolts);
      for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(a.circuit.elements[k].value, b.circuit.elements[k].value);
      }
    }
    ASSERT_EQ(plain.fixedFirst.size(), same.fixedFirst.size());
    EXPECT_EQ(plain.closestFixedFirst, same.closestFixedFirst);
    for (std::size_t i = 0; i < plain.fixedFirst.size(); ++i) {
      EXPECT_EQ(plain.fixedFirst[i].design.summary.atDesign.returnLossDb,
                same.fixedFirst[i].design.summary.atDesign.returnLossDb);
    }

    LossModel lossy;
    lossy.inductor = {50.0, 0.5};
    lossy.capacitor = {500.0, 0.0};
    const StandardSolutions s = SolveStandardValues(state, {}, lossy);
    for (const StandardDesign* d : {&s.ideal, &s.nearest, &s.best}) {
      const double f0 = d->circuit.designFrequency;
      EXPECT_NEAR(d->summary.atDesign.returnLossDb,
                  testing::ReturnLossDb(testing::Solve(d->circuit, f0, lossy)), 1e-6);
      const ResponsePoint at2 = EvaluateResponse(d->circuit, 2.0 * f0, lossy);
      EXPECT_NEAR(d->summary.attenuation2f0Db,
                  d->summary.atDesign.transducerGainDb - at2.transducerGainDb, 1e-9);
    }
    // The lossy parts take power: the ideal design no longer matches perfectly.
    EXPECT_LT(s.ideal.summary.atDesign.returnLossDb, 200.0);
  }
}

}  // namespace
}  // namespace corvantile
