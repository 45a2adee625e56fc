#pragma once

// Checks shared by the design tests: figures as the results are quoted, and a designed network
// judged by solving it as a circuit.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "circuit_model.h"
#include "state/circuit_state.h"

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

}  // namespace corvantile::testing
