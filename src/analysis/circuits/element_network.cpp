#include "analysis/circuits/element_network.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/solvers/frequency_response.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

// The admittance of an element that sits across the line; an ideal part's 1 / jX is -j / X
// exactly, so that the lossless path rounds as the chain-matrix evaluation does.
Complex Admittance(const ElementImpedance& e) {
  if (e.open) return {0.0, 0.0};
  if (e.resistance == 0.0) return {0.0, -1.0 / e.reactance};
  const double scale = 1.0 / (e.resistance * e.resistance + e.reactance * e.reactance);
  return {e.resistance * scale, -e.reactance * scale};
}

Complex Impedance(const ElementImpedance& e) { return {e.resistance, e.reactance}; }

const double kShareFloor = std::pow(10.0, -kMaxReturnLossDb / 10.0);

}  // namespace

ElementImpedances CircuitElementImpedances(const MatchingCircuit& circuit, double omega,
                                           const std::array<double, 3>& seriesResistance) {
  ElementImpedances out;
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    out[k].open = part.kind == PartKind::Open;
    out[k].reactance = out[k].open ? 0.0 : PartReactance(part, omega);
    out[k].resistance = out[k].open ? 0.0 : seriesResistance[k];
  }
  return out;
}

double ReturnLossOfShare(double reflectedShare) {
  // 10 log10 through the natural logarithm, which the C library computes faster.
  constexpr double kDecibelsPerNeper = 10.0 / std::numbers::ln10;
  if (!(reflectedShare > kShareFloor)) return kMaxReturnLossDb;
  return -kDecibelsPerNeper * std::log(reflectedShare);
}

double VswrOfShare(double reflectedShare) {
  const double magnitude = std::sqrt(std::clamp(reflectedShare, 0.0, 1.0));
  if (magnitude >= 1.0) return std::numeric_limits<double>::max();
  return (1.0 + magnitude) / (1.0 - magnitude);
}

NetworkSolution SolveNetwork(NetworkTopology topology, Complex zs, Complex zl,
                             const ElementImpedances& e, double emf) {
  NetworkSolution s;
  const Complex source{emf, 0.0};
  if (topology == NetworkTopology::Pi) {
    const Complex y1 = Admittance(e[0]), z2 = Impedance(e[1]), y3 = Admittance(e[2]);
    const Complex back = 1.0 / (1.0 / zl + y3);  // element 3 across the load
    const Complex middle = back + z2;
    s.inputImpedance = 1.0 / (1.0 / middle + y1);
    const Complex vIn = source * s.inputImpedance / (zs + s.inputImpedance);
    const Complex i2 = vIn / middle;
    const Complex vOut = i2 * back;
    s.partVolts = {std::abs(vIn), std::abs(i2 * z2), std::abs(vOut)};
    s.partAmps = {std::abs(vIn * y1), std::abs(i2), std::abs(vOut * y3)};
  } else {
    const Complex z1 = Impedance(e[0]), y2 = Admittance(e[1]), z3 = Impedance(e[2]);
    const Complex tail = zl + z3;
    const Complex middle = 1.0 / (1.0 / tail + y2);
    s.inputImpedance = middle + z1;
    const Complex i1 = source / (zs + s.inputImpedance);
    const Complex vMid = i1 * middle;
    const Complex i3 = vMid / tail;
    s.partVolts = {std::abs(i1 * z1), std::abs(vMid), std::abs(i3 * z3)};
    s.partAmps = {std::abs(i1), std::abs(vMid * y2), std::abs(i3)};
  }
  s.reflection = (s.inputImpedance - std::conj(zs)) / (s.inputImpedance + zs);
  s.reflectedShare = std::norm(s.reflection);
  s.returnLossDb = ReturnLossOfShare(s.reflectedShare);
  // (1 + |G|)^2 / (1 - |G|^2), with 1 - |G|^2 as the share the network takes, 4 Rs Re Zin /
  // |Zin + Zs|^2, so that a nearly total mismatch keeps its digits.
  const double taken = 4.0 * zs.real() * s.inputImpedance.real() / std::norm(s.inputImpedance + zs);
  const double magnitude = std::sqrt(std::min(s.reflectedShare, 1.0));
  s.vswr = taken > 0.0 ? (1.0 + magnitude) * (1.0 + magnitude) / taken
                       : std::numeric_limits<double>::max();
  return s;
}

NetworkSolution SolveCircuit(const MatchingCircuit& circuit, double frequency) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  return SolveNetwork(circuit.topology, TerminationImpedance(circuit.source, omega),
                      TerminationImpedance(circuit.load, omega),
                      CircuitElementImpedances(circuit, omega), circuit.sourceEmf);
}

double ReflectedShare(NetworkTopology topology, Complex zs, Complex zl,
                      const ElementImpedances& e) {
  // 1 / (a + j b) in real arithmetic: one division.
  auto invert = [](double& re, double& im) {
    const double scale = 1.0 / (re * re + im * im);
    re *= scale;
    im *= -scale;
  };
  auto admittance = [](const ElementImpedance& el, double& g, double& b) {
    if (el.open) {
      g = 0.0;
      b = 0.0;
    } else if (el.resistance == 0.0) {
      g = 0.0;
      b = -1.0 / el.reactance;
    } else {
      g = el.resistance;
      b = el.reactance;
      const double scale = 1.0 / (g * g + b * b);
      g *= scale;
      b *= -scale;
    }
  };
  const double rs = zs.real(), xs = zs.imag();
  double re = zl.real(), im = zl.imag();
  double g = 0.0, b = 0.0;
  if (topology == NetworkTopology::Pi) {
    invert(re, im);  // the load's admittance
    admittance(e[2], g, b);
    re += g;
    im += b;
    invert(re, im);
    re += e[1].resistance;
    im += e[1].reactance;
    invert(re, im);
    admittance(e[0], g, b);
    re += g;
    im += b;
    // With Zin = 1 / Y: (1 - Y conj Zs) / (1 + Y Zs).
    const double pR = re * rs + im * xs, pI = im * rs - re * xs;  // Y conj Zs
    const double qR = re * rs - im * xs, qI = im * rs + re * xs;  // Y Zs
    const double numR = 1.0 - pR, denR = 1.0 + qR;
    return (numR * numR + pI * pI) / (denR * denR + qI * qI);
  }
  re += e[2].resistance;
  im += e[2].reactance;
  invert(re, im);
  admittance(e[1], g, b);
  re += g;
  im += b;
  invert(re, im);
  re += e[0].resistance;
  im += e[0].reactance;
  const double numR = re - rs, numI = im + xs;  // Zin - conj Zs
  const double denR = re + rs, denI = im + xs;  // Zin + Zs
  return (numR * numR + numI * numI) / (denR * denR + denI * denI);
}

}  // namespace corvantile
