#include "analysis/two_port.h"

#include <numbers>

namespace corvantile {

FrequencyTerm ReactanceTerm(const CircuitPart& part) {
  switch (part.kind) {
    case PartKind::Inductor:
      return {part.value, 0.0};
    case PartKind::Capacitor:
      return {0.0, -1.0 / part.value};
    case PartKind::Short:
    case PartKind::Open:
      break;
  }
  return {};
}

FrequencyTerm SusceptanceTerm(const CircuitPart& part) {
  switch (part.kind) {
    case PartKind::Inductor:
      return {0.0, -1.0 / part.value};
    case PartKind::Capacitor:
      return {part.value, 0.0};
    case PartKind::Short:
    case PartKind::Open:
      break;
  }
  return {};
}

NetworkTerms MakeNetworkTerms(const MatchingCircuit& circuit) {
  NetworkTerms terms;
  terms.topology = circuit.topology;
  for (int k = 1; k <= 3; ++k) {
    const CircuitPart& part = circuit.elements[k - 1];
    terms.elements[k - 1] =
        IsShuntElement(circuit.topology, k) ? SusceptanceTerm(part) : ReactanceTerm(part);
  }
  return terms;
}

LosslessChain ChainAt(const NetworkTerms& terms, double omega, double inverseOmega) {
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

SParameters NetworkSParameters(const MatchingCircuit& circuit, double frequency, double z0) {
  using C = std::complex<double>;
  const double omega = 2.0 * std::numbers::pi * frequency;
  const LosslessChain m = ChainAt(MakeNetworkTerms(circuit), omega, 1.0 / omega);
  const C a{m.a, 0.0}, b{0.0, m.b}, c{0.0, m.c}, d{m.d, 0.0};
  const C bz = b / z0, cz = c * z0;
  const C delta = a + bz + cz + d;
  return {(a + bz - cz - d) / delta, 2.0 / delta, 2.0 * (a * d - b * c) / delta,
          (-a + bz - cz + d) / delta};
}

}  // namespace corvantile
