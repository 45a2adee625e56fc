#include "analysis/studies/l_solutions.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace corvantile {
namespace {

using Complex = std::complex<double>;

struct Pair {
  double shuntReactance;
  double seriesReactance;
  double q;
};

// The L with its shunt across `near` and its series element towards `far`, presenting conj(far)
// to `far`: the shunt susceptance b makes Re 1 / (Y_near + j b) equal Re Z_far, which has the
// two roots b = -B_near +- sqrt(G_near (1 / R_far - G_near)) when 1 / G_near >= R_far, and the
// series reactance then cancels what is left of both reactances.
void Solve(Complex near, Complex far, std::vector<Pair>& out) {
  const Complex y = 1.0 / near;
  const double g = y.real(), b = y.imag(), rFar = far.real();
  const double radicand = g * (1.0 / rFar - g);
  if (!(g > 0.0) || !(rFar > 0.0) || radicand < 0.0) return;
  const double root = std::sqrt(radicand);
  // Positive shunt reactance (inductor, negative added susceptance) first.
  const double roots[2] = {-b - root, -b + root};
  const int count = root == 0.0 ? 1 : 2;
  for (int k = 0; k < count; ++k) {
    const double added = roots[k];
    const Complex z = 1.0 / Complex{g, b + added};
    const double shuntX = added == 0.0 ? std::numeric_limits<double>::infinity() : -1.0 / added;
    out.push_back({shuntX, -far.imag() - z.imag(), std::fabs(b + added) / g});
  }
}

std::string_view PartLetter(const CircuitPart& part) {
  return part.kind == PartKind::Inductor ? "L" : "C";
}

}  // namespace

CircuitPart SeriesPartFor(double reactance, double omega) {
  if (reactance == 0.0) return {};
  if (reactance > 0.0) return {PartKind::Inductor, reactance / omega};
  return {PartKind::Capacitor, -1.0 / (omega * reactance)};
}

CircuitPart ShuntPartFor(double reactance, double omega) {
  if (!std::isfinite(reactance)) return {PartKind::Open, 0.0};
  return SeriesPartFor(reactance, omega);
}

std::string LSolutionName(ShuntSide shuntAt, const CircuitPart& shunt, const CircuitPart& series) {
  std::string name;
  const bool hasShunt = shunt.kind == PartKind::Inductor || shunt.kind == PartKind::Capacitor;
  const bool hasSeries = series.kind == PartKind::Inductor || series.kind == PartKind::Capacitor;
  if (hasShunt) {
    name = "shunt " + std::string(PartLetter(shunt)) +
           (shuntAt == ShuntSide::Source ? " at source" : " at load");
  }
  if (hasSeries) {
    if (!name.empty()) name += ", ";
    name += "series " + std::string(PartLetter(series));
  }
  return name.empty() ? "direct connection" : name;
}

std::vector<LSolution> AllLSolutions(const Termination& source, const Termination& load,
                                     double frequency, double power) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  const Complex zs = TerminationImpedance(source, omega);
  const Complex zl = TerminationImpedance(load, omega);
  std::vector<LSolution> solutions;
  for (ShuntSide side : {ShuntSide::Load, ShuntSide::Source}) {
    // Matching at either port of a lossless network matches the other: the shunt across the
    // source is the same problem seen from the load.
    std::vector<Pair> pairs;
    if (side == ShuntSide::Load) {
      Solve(zl, zs, pairs);
    } else {
      Solve(zs, zl, pairs);
    }
    for (const Pair& pair : pairs) {
      LSolution s;
      s.shuntAt = side;
      s.shuntReactance = pair.shuntReactance;
      s.seriesReactance = pair.seriesReactance;
      s.q = pair.q;
      const CircuitPart shunt = ShuntPartFor(pair.shuntReactance, omega);
      const CircuitPart series = SeriesPartFor(pair.seriesReactance, omega);
      s.name = LSolutionName(side, shunt, series);
      LadderCircuit& c = s.circuit;
      c.source = source;
      c.load = load;
      c.designFrequency = frequency;
      c.designPower = power;
      c.sourceEmf = EmfForPower(source, omega, power);
      if (side == ShuntSide::Source) {
        c.elements = {{true, shunt}, {false, series}};
      } else {
        c.elements = {{false, series}, {true, shunt}};
      }
      solutions.push_back(std::move(s));
    }
  }
  return solutions;
}

}  // namespace corvantile
