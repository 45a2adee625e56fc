#pragma once

// The matching network solved from its three element impedances at one frequency. Each element
// is a series resistance with a reactance, Z_k = R_k + j X_k, so that a part with losses is the
// same computation as an ideal one with R_k above 0; with every R_k at 0 the figures are those of
// EvaluateResponse.
#include <array>
#include <complex>

#include "analysis/circuits/matching_circuit.h"

namespace corvantile {

struct ElementImpedance {
  double resistance = 0.0;  // ohms in series with the reactance
  double reactance = 0.0;   // ohms
  bool open = false;        // an absent shunt element: no current flows in it
};

using ElementImpedances = std::array<ElementImpedance, 3>;

// The elements of `circuit` at angular frequency omega, with `seriesResistance` (ohms, 0 for an
// ideal part) in series with each: 20.13 uH at 2 pi 3.75 MHz -> {0, 474.3}.
ElementImpedances CircuitElementImpedances(const MatchingCircuit& circuit, double omega,
                                           const std::array<double, 3>& seriesResistance = {});

struct NetworkSolution {
  std::complex<double> inputImpedance;  // ohms, with the load on the network
  std::complex<double> reflection;      // (Zin - conj Zs) / (Zin + Zs)
  double reflectedShare = 0.0;          // |reflection|^2, the share of the available power
  double returnLossDb = 0.0;            // -10 log10 reflectedShare, at most kMaxReturnLossDb
  double vswr = 0.0;
  std::array<double, 3> partVolts{};  // V RMS across each element, with the EMF given
  std::array<double, 3> partAmps{};   // A RMS through each element
};

// The network between source impedance zs and load impedance zl, driven by `emf` (V RMS) behind
// zs. The default circuit at its design frequency: Zin = 1500 ohm, part volts 1225, 1658, 547.7.
NetworkSolution SolveNetwork(NetworkTopology topology, std::complex<double> zs,
                             std::complex<double> zl, const ElementImpedances& elements,
                             double emf);

// `circuit` at `frequency` (Hz) with ideal parts.
NetworkSolution SolveCircuit(const MatchingCircuit& circuit, double frequency);

// The reflected share alone, in real arithmetic, for the inner loops of the tolerance analysis:
// the same value as SolveNetwork's reflectedShare to rounding.
double ReflectedShare(NetworkTopology topology, std::complex<double> zs, std::complex<double> zl,
                      const ElementImpedances& elements);

// Return loss (dB) of a reflected share, held at kMaxReturnLossDb for a perfect match.
double ReturnLossOfShare(double reflectedShare);

// VSWR of a reflected share: 0.04 -> 1.5.
double VswrOfShare(double reflectedShare);

}  // namespace corvantile
