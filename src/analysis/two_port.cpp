#include "analysis/two_port.h"

#include "units/constants.h"

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

SParameters NetworkSParameters(const MatchingCircuit& circuit, double frequency, double z0) {
  using C = std::complex<double>;
  const double omega = kTwoPi * frequency;
  const LosslessChain m = ChainAt(MakeNetworkTerms(circuit), omega, 1.0 / omega);
  const C a{m.a, 0.0}, b{0.0, m.b}, c{0.0, m.c}, d{m.d, 0.0};
  const C bz = b / z0, cz = c * z0;
  const C delta = a + bz + cz + d;
  return {(a + bz - cz - d) / delta, 2.0 / delta, 2.0 * (a * d - b * c) / delta,
          (-a + bz - cz + d) / delta};
}

}  // namespace corvantile
