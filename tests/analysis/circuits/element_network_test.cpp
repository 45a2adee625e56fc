// The network solved from element impedances: with ideal parts it agrees with the chain-matrix
// sweep, a designed network presents the conjugate of the source, and the part voltages are the
// ones the design predicts.
#include "analysis/circuits/element_network.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/solvers/frequency_response.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

TEST(ElementNetworkTest, IdealPartsGiveTheSweepsFigures) {
  int checked = 0;
  for (const testing::DesignCase& c : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem != CircuitProblem::None) continue;
    const MatchingCircuit& circuit = build.circuit;
    for (double ratio : {0.31, 0.9, 1.0, 1.07, 2.0, 3.0}) {
      const double f = circuit.designFrequency * ratio;
      const ResponsePoint expected = EvaluateResponse(circuit, f);
      const NetworkSolution s = SolveCircuit(circuit, f);
      SCOPED_TRACE(testing::Describe(c) + " at " + std::to_string(f));
      EXPECT_LT(std::abs(s.inputImpedance - expected.inputImpedance),
                1e-9 * std::abs(expected.inputImpedance) + 1e-9);
      if (expected.returnLossDb < 200.0) {
        EXPECT_NEAR(s.returnLossDb, expected.returnLossDb, 1e-6 + 1e-7 * expected.returnLossDb);
        EXPECT_NEAR(s.vswr, expected.vswr, 1e-9 * expected.vswr);
      }
      const double omega = 2.0 * std::numbers::pi * f;
      const double fast = ReflectedShare(
          circuit.topology, TerminationImpedance(circuit.source, omega),
          TerminationImpedance(circuit.load, omega), CircuitElementImpedances(circuit, omega));
      EXPECT_NEAR(fast, s.reflectedShare, 1e-12 + 1e-9 * s.reflectedShare);
      ++checked;
    }
    // Designed: the source sees its own conjugate.
    EXPECT_GT(SolveCircuit(circuit, circuit.designFrequency).returnLossDb, 60.0)
        << testing::Describe(c);
  }
  EXPECT_GT(checked, 1000);
}

// The real-arithmetic reflection agrees with the complex one when parts have losses too.
TEST(ElementNetworkTest, LossyPartsAgreeBetweenBothSolutions) {
  for (const testing::DesignCase& c : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(c));
    if (build.problem != CircuitProblem::None) continue;
    const MatchingCircuit& circuit = build.circuit;
    const double omega = 2.0 * std::numbers::pi * circuit.designFrequency;
    const ElementImpedances lossy = CircuitElementImpedances(circuit, omega, {0.7, 1.3, 2.1});
    const auto zs = TerminationImpedance(circuit.source, omega);
    const auto zl = TerminationImpedance(circuit.load, omega);
    const NetworkSolution s = SolveNetwork(circuit.topology, zs, zl, lossy, circuit.sourceEmf);
    EXPECT_NEAR(ReflectedShare(circuit.topology, zs, zl, lossy), s.reflectedShare,
                1e-12 + 1e-9 * s.reflectedShare)
        << testing::Describe(c);
    // Power is conserved: what the source delivers is lost in the part resistances or reaches
    // the load.
    const std::complex<double> current = circuit.sourceEmf / (zs + s.inputImpedance);
    const double delivered = std::norm(current) * s.inputImpedance.real();
    double dissipated = 0.0;
    for (std::size_t k = 0; k < 3; ++k) {
      dissipated += s.partAmps[k] * s.partAmps[k] * lossy[k].resistance;
    }
    const bool pi = circuit.topology == NetworkTopology::Pi;
    const double loadVolts = pi ? s.partVolts[2] : s.partAmps[2] * std::abs(zl);
    const double load = loadVolts * loadVolts * std::real(1.0 / std::conj(zl));
    EXPECT_NEAR(delivered, dissipated + load, 1e-7 * delivered) << testing::Describe(c);
  }
}

TEST(ElementNetworkTest, DefaultCircuitCarriesTheDesignedPartVoltages) {
  RunState state = MakeDefaultRunState();
  const DesignOutcome outcome = RunDesignPass(state);
  const CircuitBuild build = BuildCircuit(state, outcome);
  ASSERT_EQ(build.problem, CircuitProblem::None);
  const NetworkSolution s = SolveCircuit(build.circuit, build.circuit.designFrequency);
  const int volts[] = {NetPart1Volts, NetPart2Volts, NetPart3Volts};
  const int amps[] = {NetPart1Amps, NetPart2Amps, NetPart3Amps};
  for (std::size_t k = 0; k < 3; ++k) {
    const double v = static_cast<double>(state.NetValues[volts[k]]);
    const double a = static_cast<double>(state.NetValues[amps[k]]);
    EXPECT_NEAR(s.partVolts[k], v, 1e-4 * v) << k;
    EXPECT_NEAR(s.partAmps[k], a, 1e-4 * a) << k;
  }
  EXPECT_NEAR(s.inputImpedance.real(), 1500.0, 1e-3);
}

TEST(ElementNetworkTest, ShareFigures) {
  EXPECT_NEAR(VswrOfShare(0.04), 1.5, 1e-12);
  EXPECT_NEAR(VswrOfShare(1.0 / 9.0), 2.0, 1e-12);
  EXPECT_NEAR(ReturnLossOfShare(0.01), 20.0, 1e-12);
  EXPECT_EQ(ReturnLossOfShare(0.0), kMaxReturnLossDb);
}

}  // namespace
}  // namespace corvantile
