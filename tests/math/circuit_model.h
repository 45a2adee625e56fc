#pragma once

// An independent model of a designed network: the stored element reactances solved as a
// circuit with complex arithmetic. The design formulas never appear here; a network is right
// when the source, looking into it, sees the conjugate of its own impedance.
#include <array>
#include <cmath>
#include <complex>

#include "state/circuit_state.h"

namespace corvantile::testing {

using Complex = std::complex<double>;

inline double Wide(float value) { return static_cast<double>(value); }

// A side's impedance as its series form holds it: SeriesR + j SeriesX.
inline Complex SeriesImpedance(const ImpedanceValues& side) {
  return {Wide(side[SeriesR]), Wide(side[SeriesX])};
}

// Two impedances in parallel.
inline Complex Parallel(Complex a, Complex b) { return a * b / (a + b); }

struct CircuitSolution {
  Complex inputImpedance;  // what the source sees, looking into the network
  Complex transfer;        // load voltage over input voltage: the network's own phase
  double returnLossDb;     // of the input against the conjugate of the source impedance
  // |V| and |I| of elements 1, 2, 3 when the load receives the design's Power.
  std::array<double, 3> volts;
  std::array<double, 3> amps;
};

// Solves the stored network between the stored source and load. The Tee family is a series,
// shunt, series network; every other family (Pi and both L networks) is shunt, series, shunt.
inline CircuitSolution SolveNetwork(const RunState& state) {
  const NetworkValues& net = state.NetValues;
  const Complex zs = SeriesImpedance(state.SourceValues);
  const Complex zl = SeriesImpedance(state.LoadValues);
  const Complex j1{0.0, Wide(net[NetX1])};
  const Complex j2{0.0, Wide(net[NetX2])};
  const Complex j3{0.0, Wide(net[NetX3])};

  // Work back from a load current of 1 A; the volts and amps scale to Power at the end.
  const Complex loadCurrent{1.0, 0.0};
  CircuitSolution solution{};
  Complex inputVoltage, inputCurrent;
  if (net[NetworkFamily] == FamilyTee) {
    const Complex middle = loadCurrent * (zl + j3);
    const Complex shuntCurrent = middle / j2;
    inputCurrent = loadCurrent + shuntCurrent;
    inputVoltage = middle + inputCurrent * j1;
    solution.volts = {std::abs(inputCurrent * j1), std::abs(middle), std::abs(loadCurrent * j3)};
    solution.amps = {std::abs(inputCurrent), std::abs(shuntCurrent), std::abs(loadCurrent)};
  } else {
    const Complex loadVoltage = loadCurrent * zl;
    const Complex shunt3Current = loadVoltage / j3;
    const Complex seriesCurrent = loadCurrent + shunt3Current;
    inputVoltage = loadVoltage + seriesCurrent * j2;
    const Complex shunt1Current = inputVoltage / j1;
    inputCurrent = seriesCurrent + shunt1Current;
    solution.volts = {std::abs(inputVoltage), std::abs(seriesCurrent * j2), std::abs(loadVoltage)};
    solution.amps = {std::abs(shunt1Current), std::abs(seriesCurrent), std::abs(shunt3Current)};
  }
  const double scale = std::sqrt(Wide(net[Power]) / zl.real());
  for (double& v : solution.volts) v *= scale;
  for (double& a : solution.amps) a *= scale;
  solution.inputImpedance = inputVoltage / inputCurrent;
  solution.transfer = loadCurrent * zl / inputVoltage;
  const Complex reflection =
      (solution.inputImpedance - std::conj(zs)) / (solution.inputImpedance + zs);
  solution.returnLossDb = -20.0 * std::log10(std::abs(reflection));
  return solution;
}

// True for an element stored as an open circuit (the absent element of an L network).
inline bool IsOpenElement(float reactance) { return std::fabs(reactance) >= 1e14f; }

}  // namespace corvantile::testing
