#include "analysis/circuits/ladder_circuit.h"

#include <cmath>
#include <numbers>

namespace corvantile {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Complex = std::complex<double>;

// The impedance of a part as the line sees it: 0 for a short; an open part has none.
Complex PartImpedance(const CircuitPart& part, double omega) {
  return {0.0, PartReactance(part, omega)};
}

}  // namespace

LadderCircuit LadderFromMatching(const MatchingCircuit& circuit) {
  LadderCircuit ladder;
  ladder.source = circuit.source;
  ladder.load = circuit.load;
  ladder.designFrequency = circuit.designFrequency;
  ladder.designPower = circuit.designPower;
  ladder.sourceEmf = circuit.sourceEmf;
  for (int k = 1; k <= 3; ++k) {
    const bool shunt = IsShuntElement(circuit.topology, k);
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - 1)];
    if (shunt && part.kind == PartKind::Open) continue;
    ladder.elements.push_back({shunt, part});
  }
  return ladder;
}

std::optional<MatchingCircuit> MatchingFromLadder(const LadderCircuit& ladder) {
  MatchingCircuit c;
  c.source = ladder.source;
  c.load = ladder.load;
  c.designFrequency = ladder.designFrequency;
  c.designPower = ladder.designPower;
  c.sourceEmf = ladder.sourceEmf;
  const std::vector<LadderElement>& e = ladder.elements;
  const CircuitPart open{PartKind::Open, 0.0};
  const CircuitPart wire{};
  auto shape = [&](std::initializer_list<bool> shunts) {
    if (e.size() != shunts.size()) return false;
    std::size_t i = 0;
    for (bool shunt : shunts) {
      if (e[i++].shunt != shunt) return false;
    }
    return true;
  };
  if (shape({true, false, true})) {
    c.elements = {e[0].part, e[1].part, e[2].part};
  } else if (shape({false, true, false})) {
    c.topology = NetworkTopology::Tee;
    c.familyName = "Tee";
    c.elements = {e[0].part, e[1].part, e[2].part};
  } else if (shape({true, false})) {
    c.elements = {e[0].part, e[1].part, open};
  } else if (shape({false, true})) {
    c.elements = {open, e[0].part, e[1].part};
  } else if (shape({false})) {
    c.elements = {open, e[0].part, open};
  } else if (shape({true})) {
    c.elements = {e[0].part, wire, open};
  } else if (e.empty()) {
    c.elements = {open, wire, open};
  } else {
    return std::nullopt;
  }
  return c;
}

double EmfForPower(const Termination& source, double omega, double power) {
  return std::sqrt(4.0 * std::fmax(power, 0.0) * TerminationImpedance(source, omega).real());
}

LosslessChain LadderChain(const LadderCircuit& ladder, double omega) {
  // Every factor has the form [a j b; j c d] with a, b, c, d real, and so has their product.
  LosslessChain m;
  for (const LadderElement& element : ladder.elements) {
    if (element.shunt) {
      if (element.part.kind == PartKind::Open) continue;
      // [a j b; j c d] [1 0; j s 1] with s the susceptance -1 / x
      const double s = -1.0 / PartReactance(element.part, omega);
      m = {m.a - m.b * s, m.b, m.c + m.d * s, m.d};
    } else {
      // [a j b; j c d] [1 j x; 0 1]
      const double x = PartReactance(element.part, omega);
      m = {m.a, m.a * x + m.b, m.c, m.d - m.c * x};
    }
  }
  return m;
}

ResponsePoint EvaluateLadder(const LadderCircuit& ladder, double frequency) {
  const double omega = kTwoPi * frequency;
  return EvaluateChainResponse(TerminationImpedance(ladder.source, omega),
                               TerminationImpedance(ladder.load, omega), LadderChain(ladder, omega),
                               frequency, ladder.sourceEmf * ladder.sourceEmf);
}

void SweepLadder(const LadderCircuit& ladder, std::span<const double> frequencies,
                 std::vector<ResponsePoint>& out) {
  out.resize(frequencies.size());
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    out[k] = EvaluateLadder(ladder, frequencies[k]);
  }
}

void SweepLadder(const LadderCircuit& ladder, const SweepSpan& span,
                 std::vector<ResponsePoint>& out) {
  const std::vector<double> frequencies = SweepFrequencies(span);
  SweepLadder(ladder, frequencies, out);
}

SweepSummary SummarizeLadder(const LadderCircuit& ladder, std::span<const ResponsePoint> sweep) {
  return SummarizeResponse(
      ladder.designFrequency,
      [&ladder](double frequency) { return EvaluateLadder(ladder, frequency); }, sweep);
}

LadderSolution SolveLadder(const LadderCircuit& ladder, double frequency,
                           std::span<const PartQ> q) {
  const double omega = kTwoPi * frequency;
  return SolveLadder(ladder, frequency, q, TerminationImpedance(ladder.source, omega),
                     TerminationImpedance(ladder.load, omega));
}

LadderSolution SolveLadder(const LadderCircuit& ladder, double frequency, std::span<const PartQ> q,
                           Complex sourceImpedance, Complex loadImpedance) {
  const double omega = kTwoPi * frequency;
  const std::size_t n = ladder.elements.size();
  const auto impedance = [&](std::size_t k) {
    const CircuitPart& part = ladder.elements[k].part;
    return k < q.size() ? LossyPartImpedance(part, q[k], frequency, ladder.designFrequency)
                        : PartImpedance(part, omega);
  };
  LadderSolution s;
  s.volts.resize(n);
  s.amps.resize(n);
  // From the load back to the source with 1 V across the load; everything scales at the end.
  Complex v{1.0, 0.0};
  Complex i = v / loadImpedance;
  for (std::size_t k = n; k-- > 0;) {
    const LadderElement& element = ladder.elements[k];
    if (element.shunt) {
      s.volts[k] = v;
      s.amps[k] = element.part.kind == PartKind::Open ? Complex{} : v / impedance(k);
      i += s.amps[k];
    } else {
      s.amps[k] = i;
      s.volts[k] = i * impedance(k);
      v += s.volts[k];
    }
  }
  const Complex emf = v + sourceImpedance * i;
  const Complex scale = std::abs(emf) > 0.0 ? ladder.sourceEmf / emf : Complex{};
  for (std::size_t k = 0; k < n; ++k) {
    s.volts[k] *= scale;
    s.amps[k] *= scale;
  }
  s.inputVolts = v * scale;
  s.inputAmps = i * scale;
  s.loadVolts = scale;
  s.loadAmps = scale / loadImpedance;
  return s;
}

std::vector<PartQ> LadderQ(const LadderCircuit& ladder, const LossModel& model) {
  std::vector<PartQ> q;
  for (const LadderElement& e : ladder.elements) {
    q.push_back(KindQ(model, e.part.kind));
  }
  return q;
}

std::vector<ElementStress> LadderPartStress(const LadderCircuit& ladder, double frequency) {
  const LadderSolution solved = SolveLadder(ladder, frequency);
  std::vector<ElementStress> stress(ladder.elements.size());
  for (std::size_t k = 0; k < stress.size(); ++k) {
    stress[k] = {std::abs(solved.volts[k]), std::abs(solved.amps[k])};
  }
  return stress;
}

}  // namespace corvantile
