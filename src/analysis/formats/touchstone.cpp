#include "analysis/formats/touchstone.h"

#include <functional>

#include "analysis/circuits/circuit_text.h"
#include "analysis/circuits/two_port.h"
#include "analysis/formats/number_text.h"

namespace corvantile {
namespace {

std::string S2pText(const MatchingCircuit& circuit, const SweepSpan& span, double z0,
                    std::string_view lossLine,
                    const std::function<SParameters(double)>& parametersAt) {
  std::string text = "! Corvantile matching network, the network alone as a two-port\n";
  for (const std::string& line : DescribeCircuit(circuit)) text += "! " + line + '\n';
  text += lossLine;
  text += "! Port 1: source side; port 2: load side. The source and load are not included.\n";
  text += "! Reference impedance " + ShortNumber(z0, 7) +
          " ohm at both ports; columns: f(Hz) S11 S21 S12 S22 as real, imaginary.\n";
  text += "# Hz S RI R " + ExactNumber(z0) + '\n';
  for (const double f : SweepFrequencies(span)) {
    const SParameters s = parametersAt(f);
    text += ExactNumber(f);
    for (const auto& value : {s.s11, s.s21, s.s12, s.s22}) {
      text += ' ' + ExactNumber(value.real()) + ' ' + ExactNumber(value.imag());
    }
    text += '\n';
  }
  return text;
}

}  // namespace

std::string TouchstoneS2p(const MatchingCircuit& circuit, const SweepSpan& span, double z0) {
  return S2pText(circuit, span, z0, "",
                 [&](double f) { return NetworkSParameters(circuit, f, z0); });
}

std::string TouchstoneS2p(const MatchingCircuit& circuit, const SweepSpan& span, double z0,
                          const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) return TouchstoneS2p(circuit, span, z0);
  const std::string lossLine = "! Lossy parts, each a series resistance |X|/Q(f), Q(f) = Q0 " +
                               std::string("(f/f0)^k: ") + CircuitQText(circuit, losses) + "\n";
  return S2pText(circuit, span, z0, lossLine,
                 [&](double f) { return NetworkSParameters(circuit, f, z0, losses); });
}

std::string TouchstoneS2p(const LadderCircuit& ladder, const SweepSpan& span, double z0) {
  std::string text = "! Corvantile ladder of " + std::to_string(ladder.elements.size()) +
                     " elements, the network alone as a two-port\n";
  for (std::size_t k = 0; k < ladder.elements.size(); ++k) {
    const LadderElement& e = ladder.elements[k];
    text += "! Element " + std::to_string(k + 1) + ": " + (e.shunt ? "shunt " : "series ") +
            DescribePart(e.part) + '\n';
  }
  text += "! Port 1: source side; port 2: load side. The source and load are not included.\n";
  text += "! Reference impedance " + ShortNumber(z0, 7) +
          " ohm at both ports; columns: f(Hz) S11 S21 S12 S22 as real, imaginary.\n";
  text += "# Hz S RI R " + ExactNumber(z0) + '\n';
  using Complex = std::complex<double>;
  for (const double f : SweepFrequencies(span)) {
    const LosslessChain m = LadderChain(ladder, 2.0 * 3.14159265358979323846 * f);
    // [A B; C D] = [a jb; jc d]; a reciprocal network, so S12 = S21.
    const Complex a{m.a, 0.0}, b{0.0, m.b / z0}, c{0.0, m.c * z0}, d{m.d, 0.0};
    const Complex delta = a + b + c + d;
    const Complex s11 = (a + b - c - d) / delta;
    const Complex s21 = 2.0 / delta;
    const Complex s22 = (-a + b - c + d) / delta;
    text += ExactNumber(f);
    for (const Complex& value : {s11, s21, s21, s22}) {
      text += ' ' + ExactNumber(value.real()) + ' ' + ExactNumber(value.imag());
    }
    text += '\n';
  }
  return text;
}

std::string TouchstoneS1p(std::span<const ResponsePoint> sweep, double z0,
                          const std::vector<std::string>& comments) {
  std::string text;
  for (const std::string& line : comments) text += "! " + line + '\n';
  text += "! Reference impedance " + ShortNumber(z0, 7) +
          " ohm; columns: f(Hz) S11 as real, imaginary.\n";
  text += "# Hz S RI R " + ExactNumber(z0) + '\n';
  for (const ResponsePoint& p : sweep) {
    const std::complex<double> s11 = (p.inputImpedance - z0) / (p.inputImpedance + z0);
    text += ExactNumber(p.frequency) + ' ' + ExactNumber(s11.real()) + ' ' +
            ExactNumber(s11.imag()) + '\n';
  }
  return text;
}

}  // namespace corvantile
