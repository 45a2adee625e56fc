#pragma once

// Checks shared by the design tests: figures as the results are quoted, and a designed network
// judged by solving it as a circuit.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "math/design_network.h"
#include "state/circuit_state.h"
#include "support/circuit_solver.h"

namespace corvantile::testing {

// Equal when rounded to four significant figures: -360.4 holds -360.38 but not -360.46.
inline ::testing::AssertionResult FourFigures(float actual, double expected) {
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 3.0);
  if (std::fabs(Wide(actual) - expected) <= 0.5 * unit) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not " << expected << " to four figures";
}

// Empty when the stored network, solved as a circuit, matches the source to `requiredDb` and
// the stored volts and amps agree with the circuit's to `tolerance` (relative); otherwise what
// is wrong. Open elements carry no meaningful current and are not compared.
inline std::string NetworkMismatch(const RunState& state, double requiredDb, double tolerance) {
  const NetworkValues& net = state.NetValues;
  const CircuitSolution solution = SolveNetwork(state);
  std::ostringstream problem;
  problem.precision(7);
  if (!(solution.returnLossDb >= requiredDb)) {
    problem << "return loss " << solution.returnLossDb << " dB (needs " << requiredDb << "), Zin "
            << solution.inputImpedance << ", X " << net[NetX1] << ' ' << net[NetX2] << ' '
            << net[NetX3] << ", Q " << net[InputQ] << ' ' << net[OutputQ];
    return problem.str();
  }
  const int volts[] = {NetPart1Volts, NetPart2Volts, NetPart3Volts};
  const int amps[] = {NetPart1Amps, NetPart2Amps, NetPart3Amps};
  const int reactances[] = {NetX1, NetX2, NetX3};
  auto agrees = [tolerance](float stored, double circuit) {
    return std::fabs(Wide(stored) - circuit) <= tolerance * std::max(std::fabs(circuit), 1e-30);
  };
  for (std::size_t k = 0; k < 3; ++k) {
    if (IsOpenElement(net[reactances[k]])) continue;
    if (!agrees(net[volts[k]], solution.volts[k]) || !agrees(net[amps[k]], solution.amps[k])) {
      problem << "element " << k + 1 << ": stored " << net[volts[k]] << " V " << net[amps[k]]
              << " A, circuit " << solution.volts[k] << " V " << solution.amps[k]
              << " A (return loss " << solution.returnLossDb << " dB)";
      return problem.str();
    }
  }
  return {};
}

inline ::testing::AssertionResult MatchesAsCircuit(const RunState& state) {
  const std::string problem = NetworkMismatch(state, 40.0, 1e-3);
  if (problem.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << problem;
}

// The caution state: every derived quantity 0 except the one the design driver names.
inline ::testing::AssertionResult InCautionState(const RunState& state) {
  const NetworkValues& net = state.NetValues;
  const int driverSlots[] = {NetX1, NetX2, NetX3, NetPart1, NetPart2, NetPart3, NetworkPhase};
  for (int code = 1; code <= 7; ++code) {
    const int k = driverSlots[code - 1];
    if (net[DesignDriver] != static_cast<float>(code) && net[k] != 0.0f) {
      return ::testing::AssertionFailure() << "NetValues(" << k << ") is " << net[k];
    }
  }
  for (const int k : {InputQ, OutputQ, IntermediateR, NetPart1Volts, NetPart2Volts, NetPart3Volts,
                      NetPart1Amps, NetPart2Amps, NetPart3Amps}) {
    if (net[k] != 0.0f)
      return ::testing::AssertionFailure() << "NetValues(" << k << ") is " << net[k];
  }
  return ::testing::AssertionSuccess();
}

// The state after a design pass that must succeed.
inline RunState Designed(RunState state) {
  EXPECT_EQ(RunDesignPass(state), DesignOutcome::Designed);
  return state;
}

// The same network: element reactances, Q values and intermediate resistance to 2e-5.
inline void ExpectSameNetwork(const RunState& actual, const RunState& expected,
                              const std::string& what) {
  for (const int k : {NetX1, NetX2, NetX3, InputQ, OutputQ, IntermediateR}) {
    const double e = static_cast<double>(expected.NetValues[k]);
    EXPECT_NEAR(actual.NetValues[k], e, 2e-5 * std::fabs(e) + 1e-9) << what << ", index " << k;
  }
}

// Fixing one element (driver 1-3) or its part value (4-6) at the value the phase design of
// `start` gave rebuilds the same network, keeps the fixed value and reports the same phase; the
// middle element needs the second branch for -135 degrees.
inline void ExpectFixedElementRebuildsPhaseDesign(const RunState& start, int driver) {
  const RunState reference = Designed(start);
  RunState state = start;
  state.NetValues[DesignDriver] = static_cast<float>(driver);
  state.NetValues[SolutionBranch] = 2.0f;
  const int slot = driver <= 3 ? NetX1 + driver - 1 : NetPart1 + driver - 4;
  state.NetValues[slot] = reference.NetValues[slot];
  state = Designed(state);
  ExpectSameNetwork(state, reference, "driver " + std::to_string(driver));
  EXPECT_NEAR(state.NetValues[NetworkPhase], -135.0, 1e-3);
  EXPECT_EQ(state.NetValues[slot], reference.NetValues[slot]);  // the fixed value stays
  EXPECT_EQ(state.NetValues[DesignDriver], static_cast<float>(driver));
  EXPECT_TRUE(MatchesAsCircuit(state));
}

}  // namespace corvantile::testing
