#pragma once

// The matching network on its own, as a two-port: its chain (ABCD) matrix and its scattering
// parameters.
#include <array>
#include <complex>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"

namespace corvantile {

// A quantity of the form perOmega * omega + perInverse / omega: an inductor's reactance is
// {L, 0}, a capacitor's {0, -1/C}; an inductor's susceptance {0, -1/L}, a capacitor's {C, 0}.
struct FrequencyTerm {
  double perOmega = 0.0;
  double perInverse = 0.0;
  double At(double omega, double inverseOmega) const {
    return perOmega * omega + perInverse * inverseOmega;
  }
};

// The reactance of a part as a FrequencyTerm; a short or an open part gives 0.
FrequencyTerm ReactanceTerm(const CircuitPart& part);
// The susceptance (-1 / reactance) of a part; a short gives 0 too, so callers keep shorts out.
FrequencyTerm SusceptanceTerm(const CircuitPart& part);

// Each element as the quantity its place uses: the reactance of a series element (0 for a
// short), the susceptance of a shunt element (0 for an open one).
struct NetworkTerms {
  NetworkTopology topology = NetworkTopology::Pi;
  std::array<FrequencyTerm, 3> elements;
};
NetworkTerms MakeNetworkTerms(const MatchingCircuit& circuit);

// The chain matrix of a network of pure reactances: A = a and D = d are real, B = j b and
// C = j c imaginary, and ad + bc = 1. A short series wire gives a = d = 1, b = c = 0.
struct LosslessChain {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0;
};
inline LosslessChain ChainAt(const NetworkTerms& terms, double omega, double inverseOmega) {
  const double e1 = terms.elements[0].At(omega, inverseOmega);
  const double e2 = terms.elements[1].At(omega, inverseOmega);
  const double e3 = terms.elements[2].At(omega, inverseOmega);
  if (terms.topology == NetworkTopology::Pi) {
    // [1 0; j b1 1] [1 j x2; 0 1] [1 0; j b3 1]
    const double b1 = e1, x2 = e2, b3 = e3;
    return {1.0 - x2 * b3, x2, b1 + b3 - b1 * x2 * b3, 1.0 - b1 * x2};
  }
  // [1 j x1; 0 1] [1 0; j b2 1] [1 j x3; 0 1]
  const double x1 = e1, b2 = e2, x3 = e3;
  const double a = 1.0 - x1 * b2;
  return {a, a * x3 + x1, b2, 1.0 - b2 * x3};
}

struct SParameters {
  std::complex<double> s11, s21, s12, s22;
};

// The network's scattering parameters at `frequency` (Hz) with real reference impedance z0
// (ohms) at both ports, port 1 at the source side: a wire gives s11 = s22 = 0, s21 = s12 = 1.
SParameters NetworkSParameters(const MatchingCircuit& circuit, double frequency, double z0);

// The same with each element's series resistance of `losses` (Q following its law): the network
// is then no longer lossless, so |s11|^2 + |s21|^2 < 1. With every element ideal this is the
// function above.
SParameters NetworkSParameters(const MatchingCircuit& circuit, double frequency, double z0,
                               const LossModel& losses);

}  // namespace corvantile
