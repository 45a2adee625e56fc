// The response engine against properties it does not spell out: a designed network matches at
// its design frequency, a lossless network passes what it does not reflect, and the chain
// matrices agree with plain impedance arithmetic at every frequency.
#include "analysis/solvers/frequency_response.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

using testing::DesignCase;
using testing::DesignGrid;

struct Designed {
  DesignCase design;
  MatchingCircuit circuit;
};

// The grid's designs that a circuit can be built from (impossible ones drop out).
std::vector<Designed> BuiltGrid() {
  std::vector<Designed> built;
  for (const DesignCase& c : DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem == CircuitProblem::None) built.push_back({c, build.circuit});
  }
  return built;
}

TEST(FrequencyResponseTest, EveryDesignIsMatchedAtItsDesignFrequency) {
  const std::vector<Designed> built = BuiltGrid();
  ASSERT_GT(built.size(), 300u) << "the grid should give many valid designs";
  for (const Designed& d : built) {
    const ResponsePoint p = EvaluateResponse(d.circuit, d.circuit.designFrequency);
    EXPECT_GT(p.returnLossDb, 40.0) << testing::Describe(d.design);
    EXPECT_NEAR(p.transducerGainDb, 0.0, 0.001) << testing::Describe(d.design);
    EXPECT_NEAR(p.loadPower, static_cast<double>(d.design.power),
                2.5e-4 * static_cast<double>(d.design.power))
        << testing::Describe(d.design);
  }
}

TEST(FrequencyResponseTest, LosslessNetworkPassesWhatItDoesNotReflect) {
  for (const Designed& d : BuiltGrid()) {
    const SweepSpan span{d.circuit.designFrequency / 10.0, d.circuit.designFrequency * 10.0, 41,
                         true};
    for (const ResponsePoint& p : SweepResponse(d.circuit, span)) {
      const double passed = std::pow(10.0, p.transducerGainDb / 10.0);
      EXPECT_NEAR(passed + std::norm(p.reflection), 1.0, 1e-9) << testing::Describe(d.design);
    }
  }
}

TEST(FrequencyResponseTest, AgreesWithImpedanceArithmeticAtEveryFrequency) {
  for (const Designed& d : BuiltGrid()) {
    const SweepSpan span{d.circuit.designFrequency / 8.0, d.circuit.designFrequency * 8.0, 23,
                         true};
    for (const ResponsePoint& p : SweepResponse(d.circuit, span)) {
      const testing::Solution s = testing::Solve(d.circuit, p.frequency);
      const double scale = std::abs(s.inputImpedance) + 1e-9;
      EXPECT_LT(std::abs(p.inputImpedance - s.inputImpedance) / scale, 1e-9)
          << testing::Describe(d.design) << " at " << p.frequency;
      EXPECT_NEAR(p.loadPower, s.loadPower, 1e-9 * d.circuit.designPower + 1e-12)
          << testing::Describe(d.design) << " at " << p.frequency;
      const std::complex<double> gamma = (s.inputImpedance - std::conj(s.sourceImpedance)) /
                                         (s.inputImpedance + s.sourceImpedance);
      EXPECT_LT(std::abs(p.reflection - gamma), 1e-9);
      const double g = std::abs(gamma);
      // The reference loses digits in 1 - |G| as the mismatch grows; the engine does not.
      EXPECT_NEAR(p.vswr, (1.0 + g) / (1.0 - g), (1e-9 + 1e-15 * p.vswr) * p.vswr);
    }
  }
}

// Between resistive terminations the load voltage lags or leads the input voltage by exactly
// the network phase the design was asked for.
TEST(FrequencyResponseTest, TransferPhaseAtDesignIsTheNetworkPhase) {
  for (float family : {FamilyTee, FamilyPi}) {
    for (float phase : {-150.0f, -90.0f, -30.0f, 45.0f, 135.0f}) {
      DesignCase c;
      c.family = family;
      c.source = {1, 1500.0f, 0.0f};
      c.load = {2, 300.0f, 0.0f};
      c.phase = phase;
      const CircuitBuild build = DesignCircuit(testing::StateFor(c));
      ASSERT_EQ(build.problem, CircuitProblem::None) << testing::Describe(c);
      const ResponsePoint p = EvaluateResponse(build.circuit, build.circuit.designFrequency);
      EXPECT_NEAR(p.transferPhaseDeg, static_cast<double>(phase), 1e-4) << testing::Describe(c);
    }
  }
}

// A low-pass network passes DC straight through: the source then sees the bare load.
TEST(FrequencyResponseTest, LowPassNetworkShowsTheLoadNearDc) {
  DesignCase c;  // the default Pi: shunt capacitors and a series inductor
  c.source = {1, 1500.0f, 0.0f};
  c.load = {1, 300.0f, 0.0f};
  const CircuitBuild build = DesignCircuit(testing::StateFor(c));
  ASSERT_EQ(build.problem, CircuitProblem::None);
  const ResponsePoint p = EvaluateResponse(build.circuit, 1.0);
  EXPECT_NEAR(p.inputImpedance.real(), 300.0, 1e-6);
  EXPECT_NEAR(p.vswr, 5.0, 1e-6);  // 1500 against 300
}

TEST(FrequencyResponseTest, FiguresStayFiniteAtExtremeFrequencies) {
  const CircuitBuild build = DesignCircuit(MakeDefaultRunState());
  ASSERT_EQ(build.problem, CircuitProblem::None);
  for (double f : {kMinSweepFrequency, 1e-6, 1.0, 3.75e6, 1e12, kMaxSweepFrequency}) {
    const ResponsePoint p = EvaluateResponse(build.circuit, f);
    for (double value : {p.returnLossDb, p.vswr, p.transducerGainDb, p.transferPhaseDeg,
                         p.loadPower, p.reflection.real(), p.inputImpedance.real()}) {
      EXPECT_TRUE(std::isfinite(value)) << "at " << f;
    }
    EXPECT_LE(p.returnLossDb, kMaxReturnLossDb);
    EXPECT_GE(p.transducerGainDb, -kMaxReturnLossDb);
  }
}

TEST(SweepSpanTest, FrequenciesRunFromStartToEndExactly) {
  for (bool logarithmic : {true, false}) {
    const std::vector<double> f = SweepFrequencies({1e3, 1e5, 3, logarithmic});
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], 1e3);
    EXPECT_EQ(f[2], 1e5);
    EXPECT_NEAR(f[1], logarithmic ? 1e4 : 50500.0, 1e-9);
  }
  // Equal ratios (or steps) all along, with nothing built up by the stepping.
  for (bool logarithmic : {true, false}) {
    const SweepSpan span{937500.0, 15e6, 10001, logarithmic};
    const std::vector<double> f = SweepFrequencies(span);
    ASSERT_EQ(f.size(), 10001u);
    EXPECT_EQ(f.back(), 15e6);
    for (std::size_t k = 0; k < f.size(); ++k) {
      const double t = static_cast<double>(k) / 10000.0;
      const double exact = logarithmic ? 937500.0 * std::pow(16.0, t) : 937500.0 + t * 14062500.0;
      ASSERT_NEAR(f[k], exact, 1e-13 * exact) << k;
    }
  }
  const CircuitBuild build = DesignCircuit(MakeDefaultRunState());
  const SweepSpan span{937500.0, 15e6, 1001, true};
  std::vector<ResponsePoint> sweep;
  SweepResponse(build.circuit, span, sweep);
  const std::vector<double> f = SweepFrequencies(span);
  ASSERT_EQ(sweep.size(), 1001u);
  for (std::size_t k = 0; k < sweep.size(); ++k) {
    EXPECT_EQ(sweep[k].frequency, f[k]);
    if (k > 0) {
      EXPECT_GT(sweep[k].frequency, sweep[k - 1].frequency);
    }
  }
}

TEST(SweepSpanTest, DefaultSpanIsAQuarterToFourTimesTheDesignFrequency) {
  const SweepSpan span = DefaultSweepSpan(3.75e6);
  EXPECT_EQ(span.from, 937500.0);
  EXPECT_EQ(span.to, 15e6);
  EXPECT_EQ(span.points, 1001);
  EXPECT_TRUE(span.logarithmic);
  EXPECT_EQ(SweepSpanProblem(span), "");
}

struct SpanCase {
  SweepSpan span;
  bool valid;
};

class SweepSpanProblemTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(SweepSpanProblemTest, RefusesSpansThatCannotBeSwept) {
  EXPECT_EQ(SweepSpanProblem(GetParam().span).empty(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, SweepSpanProblemTest,
    ::testing::Values(
        SpanCase{{1e6, 2e6, 2, true}, true}, SpanCase{{1e6, 2e6, 1000000, false}, true},
        SpanCase{{0.0, 2e6, 11, true}, false}, SpanCase{{-1e6, 2e6, 11, false}, false},
        SpanCase{{2e6, 2e6, 11, true}, false}, SpanCase{{3e6, 2e6, 11, true}, false},
        SpanCase{{1e6, 2e6, 1, true}, false}, SpanCase{{1e6, 2e6, 1000001, true}, false},
        SpanCase{{1e6, INFINITY, 11, true}, false}, SpanCase{{1e-9, 1e15, 2, true}, true},
        SpanCase{{1e-10, 1e3, 2, true}, false}, SpanCase{{1e3, 2e15, 2, true}, false},
        SpanCase{{NAN, 2e6, 11, true}, false}));

}  // namespace
}  // namespace corvantile
