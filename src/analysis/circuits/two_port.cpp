#include "analysis/circuits/two_port.h"

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

SParameters NetworkSParameters(const MatchingCircuit& circuit, double frequency, double z0,
                               const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) return NetworkSParameters(circuit, frequency, z0);
  using C = std::complex<double>;
  const std::array<PartQ, 3> q = CircuitQ(circuit, losses);
  // The chain matrix of the three elements in turn: [1 z; 0 1] for a series impedance z,
  // [1 0; y 1] for a shunt admittance y (an open shunt is y = 0).
  C a{1.0}, b{0.0}, c{0.0}, d{1.0};
  for (int k = 1; k <= 3; ++k) {
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - 1)];
    if (IsShuntElement(circuit.topology, k)) {
      if (part.kind == PartKind::Open) continue;
      const C y = 1.0 / LossyPartImpedance(part, q[static_cast<std::size_t>(k - 1)], frequency,
                                           circuit.designFrequency);
      a += b * y;
      c += d * y;
    } else {
      if (part.kind == PartKind::Short) continue;
      const C z = LossyPartImpedance(part, q[static_cast<std::size_t>(k - 1)], frequency,
                                     circuit.designFrequency);
      b += a * z;
      d += c * z;
    }
  }
  const C bz = b / z0, cz = c * z0;
  const C delta = a + bz + cz + d;
  return {(a + bz - cz - d) / delta, 2.0 / delta, 2.0 * (a * d - b * c) / delta,
          (-a + bz - cz + d) / delta};
}

}  // namespace corvantile
