#include "response/smith_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/circuits/circuit_text.h"
#include "units/constants.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

constexpr std::array<double, 5> kGridValues{0.2, 0.5, 1.0, 2.0, 5.0};

// Past this magnitude a normalised impedance is an open circuit to every pixel of the chart.
constexpr double kOpenMagnitude = 1e12;

}  // namespace

Complex ReflectionOf(Complex z) {
  if (!std::isfinite(z.real()) || !std::isfinite(z.imag()) || std::abs(z) > kOpenMagnitude) {
    return {1.0, 0.0};
  }
  return (z - 1.0) / (z + 1.0);
}

SmithCircle ResistanceCircle(double r) { return {{r / (1.0 + r), 0.0}, 1.0 / (1.0 + r)}; }

SmithCircle ReactanceCircle(double x) { return {{1.0, 1.0 / x}, 1.0 / std::fabs(x)}; }

std::span<const double> SmithGridValues() { return kGridValues; }

SmithPath ImpedancePath(const MatchingCircuit& circuit, double frequency, double z0) {
  const double omega = kTwoPi * frequency;
  SmithPath path;
  auto addNode = [&](std::string label, Complex impedance, int element) {
    const Complex normalised = impedance / z0;
    path.nodes.push_back(
        {std::move(label), impedance, normalised, ReflectionOf(normalised), element});
  };

  Complex z = TerminationImpedance(circuit.load, omega);
  addNode("Load", z, 0);
  path.trace.push_back(path.nodes.back().reflection);

  for (int k = 3; k >= 1; --k) {
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - 1)];
    const bool shunt = IsShuntElement(circuit.topology, k);
    // An open shunt and a shorted series element leave the impedance as it is.
    if (part.kind == PartKind::Open || part.kind == PartKind::Short) continue;
    // A series reactance adds to the impedance, a shunt susceptance to the admittance.
    const double x = PartReactance(part, omega);
    const double amount = shunt ? -1.0 / x : x;
    const Complex start = shunt ? 1.0 / z : z;
    for (int i = 1; i <= kSmithArcSteps; ++i) {
      const double t = static_cast<double>(i) / kSmithArcSteps;
      const Complex moved = start + Complex(0.0, t * amount);
      path.trace.push_back(ReflectionOf((shunt ? 1.0 / moved : moved) / z0));
    }
    const Complex end = start + Complex(0.0, amount);
    z = shunt ? 1.0 / end : end;
    addNode("After element " + std::to_string(k) + " (" + (shunt ? "shunt " : "series ") +
                DescribePart(part) + ")",
            z, k);
    // The sampled end and the node are the same point, computed the same way.
    path.trace.back() = path.nodes.back().reflection;
  }
  return path;
}

SmithLinePath FeedlinePath(const TransmissionLine& line, double frequency, Complex far, double z0) {
  const auto node = [z0](std::string label, Complex impedance) {
    return SmithNode{std::move(label), impedance, impedance / z0, ReflectionOf(impedance / z0), 0};
  };
  // Along the line the reflection turns by 2 beta per metre: one turn each half wavelength.
  const double turns = line.Propagation(frequency).imag() * line.Length() / kPi;
  constexpr double kMostSteps = 1e5;
  const int steps = static_cast<int>(std::clamp(std::ceil(turns * kSmithLineStepsPerTurn),
                                                static_cast<double>(kSmithLineSteps), kMostSteps));
  SmithLinePath path;
  path.trace.reserve(static_cast<std::size_t>(steps) + 1);
  Complex near = far;
  for (int i = 0; i <= steps; ++i) {
    const double metres = line.Length() * static_cast<double>(i) / steps;
    const ChainMatrix m = line.ChainAt(frequency, metres);
    near = i == 0 ? far : (m.a * far + m.b) / (m.c * far + m.d);
    path.trace.push_back(ReflectionOf(near / z0));
  }
  path.far = node("Feedline's far end", far);
  path.near = node("Feedline's near end", near);
  return path;
}

std::optional<std::size_t> NearestPoint(std::span<const Complex> points, Complex at,
                                        double radius) {
  std::optional<std::size_t> nearest;
  double best = radius * radius;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double d = std::norm(points[i] - at);
    if (d <= best) {
      best = d;
      nearest = i;
    }
  }
  return nearest;
}

}  // namespace corvantile
