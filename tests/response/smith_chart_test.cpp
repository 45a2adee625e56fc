// The Smith chart's mapping, its grid circles and the impedance path through the network.
#include "response/smith_chart.h"

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/solvers/frequency_response.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

struct ReflectionCase {
  Complex z;
  Complex expected;
};

class ReflectionOfTest : public ::testing::TestWithParam<ReflectionCase> {};

TEST_P(ReflectionOfTest, MapsTheNormalisedImpedance) {
  const Complex gamma = ReflectionOf(GetParam().z);
  EXPECT_NEAR(gamma.real(), GetParam().expected.real(), 1e-12);
  EXPECT_NEAR(gamma.imag(), GetParam().expected.imag(), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Points, ReflectionOfTest,
    ::testing::Values(ReflectionCase{{1, 0}, {0, 0}}, ReflectionCase{{0, 0}, {-1, 0}},
                      ReflectionCase{{3, 0}, {0.5, 0}}, ReflectionCase{{0, 1}, {0, 1}},
                      ReflectionCase{{0, -1}, {0, -1}}, ReflectionCase{{1, 1}, {0.2, 0.4}},
                      ReflectionCase{{1e20, 5}, {1, 0}},
                      ReflectionCase{{std::numeric_limits<double>::infinity(), 0}, {1, 0}},
                      ReflectionCase{{std::numeric_limits<double>::quiet_NaN(), 0}, {1, 0}}));

double DistanceFromCircle(Complex point, const SmithCircle& circle) {
  return std::fabs(std::abs(point - circle.centre) - circle.radius);
}

TEST(SmithGrid, ConstantResistanceAndReactanceFallOnTheirCircles) {
  const std::vector<double> others{-50, -5, -1, -0.3, 0, 0.1, 0.7, 2, 30};
  for (double value : SmithGridValues()) {
    for (double other : others) {
      EXPECT_LT(DistanceFromCircle(ReflectionOf({value, other}), ResistanceCircle(value)), 1e-12)
          << "r " << value << " x " << other;
      if (other < 0) continue;
      for (double sign : {1.0, -1.0}) {
        EXPECT_LT(
            DistanceFromCircle(ReflectionOf({other, sign * value}), ReactanceCircle(sign * value)),
            1e-12)
            << "x " << sign * value << " r " << other;
      }
    }
  }
  // r = 0 is the chart's rim.
  EXPECT_DOUBLE_EQ(ResistanceCircle(0).radius, 1.0);
}

TEST(NearestPoint, FindsTheClosestPointWithinTheRadiusOnly) {
  const std::vector<Complex> points{{0, 0}, {0.5, 0}, {0.5, 0.1}, {-0.9, 0.2}};
  EXPECT_EQ(NearestPoint(points, {0.49, 0.03}, 0.05), 1u);
  EXPECT_EQ(NearestPoint(points, {0.5, 0.08}, 0.05), 2u);
  EXPECT_EQ(NearestPoint(points, {-0.9, 0.2}, 0.0), 3u);
  EXPECT_FALSE(NearestPoint(points, {0.2, 0.5}, 0.1).has_value());
  EXPECT_FALSE(NearestPoint({}, {0, 0}, 1.0).has_value());
}

// Every designed network of the grid: the path starts at the load, ends at the conjugate of the
// source, passes every node, and moves along a circle of constant resistance in a series
// element and of constant conductance in a shunt element.
TEST(ImpedancePath, RunsFromTheLoadToTheConjugateOfTheSource) {
  int designed = 0;
  for (const testing::DesignCase& c : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem != CircuitProblem::None) continue;
    ++designed;
    const MatchingCircuit& circuit = build.circuit;
    const double f0 = circuit.designFrequency;
    const double omega = 2.0 * std::numbers::pi * f0;
    for (double z0 : {50.0, 300.0}) {
      const SmithPath path = ImpedancePath(circuit, f0, z0);
      SCOPED_TRACE(testing::Describe(c) + " z0 " + std::to_string(z0));
      ASSERT_GE(path.nodes.size(), 2u);
      ASSERT_LE(path.nodes.size(), 4u);

      const Complex zl = TerminationImpedance(circuit.load, omega) / z0;
      EXPECT_EQ(path.nodes.front().label, "Load");
      EXPECT_NEAR(std::abs(path.nodes.front().normalised - zl), 0.0, 1e-12 * std::abs(zl));
      EXPECT_EQ(path.trace.front(), path.nodes.front().reflection);

      const Complex target = std::conj(TerminationImpedance(circuit.source, omega)) / z0;
      const Complex end = path.nodes.back().normalised;
      // The parts are the design's single-precision values.
      EXPECT_NEAR(std::abs(end - target) / std::abs(target), 0.0, 2e-4);
      EXPECT_NEAR(std::abs(path.nodes.back().reflection - ReflectionOf(target)), 0.0, 1e-4);
      // The same input impedance the sweep engine computes.
      const Complex zin = EvaluateResponse(circuit, f0).inputImpedance / z0;
      EXPECT_NEAR(std::abs(end - zin) / std::abs(zin), 0.0, 1e-9);

      EXPECT_EQ(path.trace.size(), 1 + (path.nodes.size() - 1) * kSmithArcSteps);
      for (std::size_t n = 1; n < path.nodes.size(); ++n) {
        const std::size_t last = n * kSmithArcSteps;
        EXPECT_EQ(path.trace[last], path.nodes[n].reflection);
        const bool shunt = path.nodes[n].label.find("shunt") != std::string::npos;
        // Each sample as an impedance (series) or admittance (shunt): the real part stays.
        auto realPart = [&](Complex gamma) {
          const Complex z = (1.0 + gamma) / (1.0 - gamma);
          return shunt ? (1.0 / z).real() : z.real();
        };
        const double held = realPart(path.trace[last - kSmithArcSteps]);
        for (std::size_t i = last - kSmithArcSteps; i <= last; ++i) {
          EXPECT_NEAR(realPart(path.trace[i]), held, 1e-6 * (1.0 + std::fabs(held))) << i;
          EXPECT_LE(std::abs(path.trace[i]), 1.0 + 1e-12) << i;
        }
      }
    }
  }
  EXPECT_GT(designed, 300);
}

TEST(ImpedancePath, DefaultPiNamesEachElementAndAnLSkipsItsOpenShunt) {
  RunState state = MakeDefaultRunState();
  const CircuitBuild pi = DesignCircuit(state);
  ASSERT_EQ(pi.problem, CircuitProblem::None);
  const SmithPath path = ImpedancePath(pi.circuit, pi.circuit.designFrequency, 50.0);
  ASSERT_EQ(path.nodes.size(), 4u);
  EXPECT_EQ(path.nodes[1].label, "After element 3 (shunt capacitor 230.945 pF)");
  EXPECT_EQ(path.nodes[2].label, "After element 2 (series inductor 20.1317 uH)");
  EXPECT_EQ(path.nodes[3].label, "After element 1 (shunt capacitor 117.768 pF)");
  EXPECT_EQ(path.nodes[0].element, 0);
  EXPECT_EQ(path.nodes[1].element, 3);
  EXPECT_EQ(path.nodes[3].element, 1);
  // 300 ohm load on a 50 ohm chart: z = 6.
  EXPECT_NEAR(path.nodes[0].normalised.real(), 6.0, 1e-9);
  EXPECT_NEAR(path.nodes[3].normalised.real(), 30.0, 30.0 * 1e-4);

  state.NetValues[NetworkFamily] = FamilyLowpassL;
  const CircuitBuild l = DesignCircuit(state);
  ASSERT_EQ(l.problem, CircuitProblem::None);
  EXPECT_EQ(ImpedancePath(l.circuit, l.circuit.designFrequency, 50.0).nodes.size(), 3u);
}

}  // namespace
}  // namespace corvantile
