// Every L that matches: as many as a brute-force search finds, each one a conjugate match.
#include "analysis/studies/l_solutions.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/studies/bode_fano.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

constexpr double kF0 = 7.1e6;
const double kOmega = 2.0 * std::numbers::pi * kF0;

Termination Side(Connection connection, double r, double x) {
  Termination t{connection, r, CircuitPart{}};
  if (x != 0.0) {
    t.part = x > 0.0 ? CircuitPart{PartKind::Inductor, x / kOmega}
                     : CircuitPart{PartKind::Capacitor, -1.0 / (kOmega * x)};
  }
  return t;
}

// Counts, without the closed form, the shunt susceptances across `near` that make the real
// part of the impedance equal R_far: sign changes of Re 1 / (Y_near + j b) - R_far over a
// fine grid of b spanning many decades either side of 0. Each such b gives exactly one series
// reactance, so this is the number of L solutions with the shunt at that side.
int BruteForceCount(Complex near, Complex far) {
  const Complex y = 1.0 / near;
  auto f = [&](double b) { return (1.0 / Complex{y.real(), y.imag() + b}).real() - far.real(); };
  std::vector<double> grid;
  for (double e = -9.0; e <= 3.0; e += 0.001) grid.push_back(-std::pow(10.0, -e));
  grid.push_back(0.0);
  for (double e = -9.0; e <= 3.0; e += 0.001) grid.push_back(std::pow(10.0, e));
  std::sort(grid.begin(), grid.end());
  int count = 0;
  for (std::size_t k = 0; k + 1 < grid.size(); ++k) {
    const double a = f(grid[k]), b = f(grid[k + 1]);
    if (a == 0.0 || (a < 0.0) != (b < 0.0)) ++count;
  }
  return count;
}

struct PairCase {
  Termination source;
  Termination load;
};

std::vector<PairCase> Pairs() {
  std::vector<PairCase> pairs;
  const std::vector<std::pair<double, double>> values = {
      {50.0, 0.0},    {1500.0, 0.0},   {300.0, 0.0}, {60.0, 25.0},   {75.0, -40.0},
      {600.0, 900.0}, {200.0, -350.0}, {12.5, 3.0},  {2000.0, -80.0}};
  for (const auto& [rs, xs] : values) {
    for (const auto& [rl, xl] : values) {
      if (rs == rl && xs == xl) continue;
      for (Connection cs : {Connection::Series, Connection::Parallel}) {
        for (Connection cl : {Connection::Series, Connection::Parallel}) {
          pairs.push_back({Side(cs, rs, xs), Side(cl, rl, xl)});
        }
      }
    }
  }
  return pairs;
}

TEST(LSolutionsTest, CountMatchesBruteForceAndEveryOneMatches) {
  for (const PairCase& p : Pairs()) {
    const Complex zs = TerminationImpedance(p.source, kOmega);
    const Complex zl = TerminationImpedance(p.load, kOmega);
    SCOPED_TRACE(testing::Message() << "Zs " << zs << " Zl " << zl);
    const std::vector<LSolution> all = AllLSolutions(p.source, p.load, kF0, 100.0);
    const int expected = BruteForceCount(zl, zs) + BruteForceCount(zs, zl);
    EXPECT_EQ(static_cast<int>(all.size()), expected);
    const bool resistive =
        p.source.part.kind == PartKind::Short && p.load.part.kind == PartKind::Short;
    if (resistive) {
      EXPECT_EQ(all.size(), 2u);
    } else {
      EXPECT_GE(all.size(), 2u);
      EXPECT_LE(all.size(), 4u);
    }
    for (const LSolution& s : all) {
      const ResponsePoint at = EvaluateLadder(s.circuit, kF0);
      EXPECT_GT(at.returnLossDb, 40.0) << s.name;
      EXPECT_NEAR(at.loadPower, 100.0, 1e-6) << s.name;
    }
  }
}

TEST(LSolutionsTest, ResistiveStepPutsTheShuntAcrossTheHigherResistance) {
  const Termination high = Side(Connection::Series, 1500.0, 0.0);
  const Termination low = Side(Connection::Series, 300.0, 0.0);
  const std::vector<LSolution> down = AllLSolutions(high, low, kF0, 10.0);
  ASSERT_EQ(down.size(), 2u);
  // Q = sqrt(1500 / 300 - 1) = 2 for both; the series reactance is Q times 300 ohm.
  EXPECT_EQ(down[0].name, "shunt L at source, series C");
  EXPECT_EQ(down[1].name, "shunt C at source, series L");
  for (const LSolution& s : down) {
    EXPECT_EQ(s.shuntAt, ShuntSide::Source);
    EXPECT_NEAR(s.q, 2.0, 1e-12);
    EXPECT_NEAR(std::fabs(s.seriesReactance), 600.0, 1e-9);
    EXPECT_NEAR(std::fabs(s.shuntReactance), 750.0, 1e-9);
  }
  const std::vector<LSolution> up = AllLSolutions(low, high, kF0, 10.0);
  ASSERT_EQ(up.size(), 2u);
  EXPECT_EQ(up[0].name, "shunt L at load, series C");
  EXPECT_EQ(up[0].shuntAt, ShuntSide::Load);
}

TEST(LSolutionsTest, NamesLeaveOutMissingElements) {
  const CircuitPart l{PartKind::Inductor, 1e-6}, c{PartKind::Capacitor, 1e-10};
  EXPECT_EQ(LSolutionName(ShuntSide::Load, c, l), "shunt C at load, series L");
  EXPECT_EQ(LSolutionName(ShuntSide::Source, l, c), "shunt L at source, series C");
  EXPECT_EQ(LSolutionName(ShuntSide::Load, CircuitPart{PartKind::Open, 0.0}, l), "series L");
  EXPECT_EQ(LSolutionName(ShuntSide::Load, CircuitPart{PartKind::Open, 0.0}, CircuitPart{}),
            "direct connection");
}

TEST(BodeFanoTest, BoundForKnownLoads) {
  // Q = 1 at VSWR 2:1: pi / ln 3.
  EXPECT_NEAR(*BodeFanoBandwidth(1.0, 2.0), std::numbers::pi / std::log(3.0), 1e-12);
  EXPECT_FALSE(BodeFanoBandwidth(0.0, 2.0).has_value());
  EXPECT_NEAR(ReflectionForVswr(2.0), 1.0 / 3.0, 1e-15);
  // 100 ohm across -50 ohm: Q = 2; 50 ohm in series with +25 ohm: Q = 0.5.
  const Termination parallel = Side(Connection::Parallel, 100.0, -50.0);
  const Termination series = Side(Connection::Series, 50.0, 25.0);
  EXPECT_NEAR(TerminationQ(parallel, kOmega), 2.0, 1e-12);
  EXPECT_NEAR(TerminationQ(series, kOmega), 0.5, 1e-12);
  const BodeFanoBound bound = BodeFanoFor(series, parallel, kF0);
  EXPECT_EQ(bound.limitedBy, BoundSide::Load);
  EXPECT_NEAR(*bound.fractional, std::numbers::pi / (2.0 * std::log(3.0)), 1e-12);
  EXPECT_EQ(BodeFanoNote(bound), "");
  const BodeFanoBound none =
      BodeFanoFor(Side(Connection::Series, 50.0, 0.0), Side(Connection::Parallel, 200.0, 0.0), kF0);
  EXPECT_FALSE(none.fractional.has_value());
  EXPECT_EQ(BodeFanoNote(none), "no Bode-Fano bound: source and load are resistive");
}

TEST(BodeFanoTest, TwoSectionLMatchesWithEqualSectionQ) {
  const Termination source = Side(Connection::Series, 1500.0, 0.0);
  const Termination load = Side(Connection::Series, 50.0, 0.0);
  const std::optional<TwoSectionL> two = TwoSectionLThroughMean(source, load, kF0, 100.0);
  ASSERT_TRUE(two.has_value());
  EXPECT_NEAR(two->middleResistance, std::sqrt(1500.0 * 50.0), 1e-9);
  const double q = std::sqrt(std::sqrt(1500.0 / 50.0) - 1.0);
  EXPECT_NEAR(two->firstQ, q, 1e-12);
  EXPECT_NEAR(two->secondQ, q, 1e-12);
  EXPECT_EQ(two->circuit.elements.size(), 4u);
  EXPECT_GT(EvaluateLadder(two->circuit, kF0).returnLossDb, 40.0);
  // Wider than the single L of Q sqrt(30 - 1).
  SweepSpan span = DefaultSweepSpan(kF0);
  span.points = 201;
  std::vector<ResponsePoint> sweep;
  SweepLadder(two->circuit, span, sweep);
  const SweepSummary twoSummary = SummarizeLadder(two->circuit, sweep);
  const LadderCircuit single = AllLSolutions(source, load, kF0, 100.0).front().circuit;
  SweepLadder(single, span, sweep);
  const SweepSummary singleSummary = SummarizeLadder(single, sweep);
  ASSERT_TRUE(twoSummary.bands[0].fractional && singleSummary.bands[0].fractional);
  EXPECT_GT(*twoSummary.bands[0].fractional, 1.5 * *singleSummary.bands[0].fractional);
  EXPECT_FALSE(TwoSectionLThroughMean(source, source, kF0, 100.0).has_value());
}

}  // namespace
}  // namespace corvantile
