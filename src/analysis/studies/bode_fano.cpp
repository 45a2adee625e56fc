#include "analysis/studies/bode_fano.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/formats/number_text.h"
#include "analysis/studies/l_solutions.h"

namespace corvantile {
namespace {

constexpr double kBoundVswr = 2.0;

bool HasPart(const Termination& side) {
  return side.part.kind == PartKind::Inductor || side.part.kind == PartKind::Capacitor;
}

// A low-pass L: series inductor (or a wire) and a shunt capacitor (or none).
bool IsLowpass(const LSolution& s) {
  for (const LadderElement& e : s.circuit.elements) {
    if (e.shunt ? e.part.kind == PartKind::Inductor : e.part.kind == PartKind::Capacitor) {
      return false;
    }
  }
  return true;
}

// The low-pass L among `solutions` if there is one, else the first.
const LSolution* Preferred(const std::vector<LSolution>& solutions) {
  for (const LSolution& s : solutions) {
    if (IsLowpass(s)) return &s;
  }
  return solutions.empty() ? nullptr : &solutions.front();
}

}  // namespace

double ReflectionForVswr(double vswr) { return (vswr - 1.0) / (vswr + 1.0); }

double TerminationQ(const Termination& side, double omega) {
  if (!HasPart(side)) return 0.0;
  const double x = std::fabs(PartReactance(side.part, omega));
  if (side.connection == Connection::Series) return x / side.resistance;
  return side.resistance / x;
}

std::optional<double> BodeFanoBandwidth(double q, double vswr) {
  if (!(q > 0.0) || !(vswr > 1.0)) return std::nullopt;
  return std::numbers::pi / (q * std::log(1.0 / ReflectionForVswr(vswr)));
}

BodeFanoBound BodeFanoFor(const Termination& source, const Termination& load, double frequency) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  BodeFanoBound bound;
  bound.sourceQ = TerminationQ(source, omega);
  bound.loadQ = TerminationQ(load, omega);
  const std::optional<double> fromSource = BodeFanoBandwidth(bound.sourceQ, kBoundVswr);
  const std::optional<double> fromLoad = BodeFanoBandwidth(bound.loadQ, kBoundVswr);
  if (fromLoad && (!fromSource || *fromLoad <= *fromSource)) {
    bound.limitedBy = BoundSide::Load;
    bound.fractional = fromLoad;
  } else if (fromSource) {
    bound.limitedBy = BoundSide::Source;
    bound.fractional = fromSource;
  }
  return bound;
}

std::string_view BodeFanoNote(const BodeFanoBound& bound) {
  return bound.fractional ? "" : "no Bode-Fano bound: source and load are resistive";
}

ReactiveModel ModelOf(const Termination& side) {
  ReactiveModel model{side.connection, side.resistance, 0.0, 0.0};
  if (side.part.kind == PartKind::Inductor) model.inductance = side.part.value;
  if (side.part.kind == PartKind::Capacitor) model.capacitance = side.part.value;
  return model;
}

std::string ReactiveModelText(const ReactiveModel& model) {
  const bool l = model.inductance > 0.0;
  const bool c = model.capacitance > 0.0;
  std::string text = model.connection == Connection::Series ? "series R" : "parallel R";
  if (l) text += "-L";
  if (c) text += "-C";
  text += " (" + ShortNumber(model.resistance, 4) + " ohm";
  if (l) text += ", " + EngineeringText(model.inductance, "H");
  if (c) text += ", " + EngineeringText(model.capacitance, "F");
  return text + ")";
}

std::optional<double> BodeFanoReflection(const ReactiveModel& side,
                                         std::span<const FrequencyBand> bands) {
  const double r = side.resistance;
  const double l = side.inductance;
  const double c = side.capacitance;
  if (!(r > 0.0) || !(l > 0.0 || c > 0.0)) return std::nullopt;
  double width = 0.0;         // sum of w2 - w1
  double inverseWidth = 0.0;  // sum of 1/w1 - 1/w2
  for (const FrequencyBand& band : bands) {
    const double w1 = 2.0 * std::numbers::pi * band.from;
    const double w2 = 2.0 * std::numbers::pi * band.to;
    width += w2 - w1;
    inverseWidth += 1.0 / w1 - 1.0 / w2;
  }
  if (!(width > 0.0) || !(inverseWidth > 0.0)) return std::nullopt;
  const double pi = std::numbers::pi;
  const bool series = side.connection == Connection::Series;
  // The reflection each present part forces; the larger one holds.
  double reflection = 0.0;
  if (c > 0.0) {
    reflection =
        std::max(reflection, std::exp(series ? -pi * r * c / inverseWidth : -pi / (r * c * width)));
  }
  if (l > 0.0) {
    reflection = std::max(reflection,
                          std::exp(series ? -pi * r / (l * width) : -pi * l / (r * inverseWidth)));
  }
  return reflection;
}

std::optional<double> BodeFanoReflection(const Termination& side,
                                         std::span<const FrequencyBand> bands) {
  return BodeFanoReflection(ModelOf(side), bands);
}

std::optional<double> BandBound::ReturnLossDb() const {
  if (!reflection) return std::nullopt;
  // A bound beyond what a response shows is shown as that figure's limit.
  if (!(*reflection > 1e-15)) return 300.0;
  return -20.0 * std::log10(*reflection);
}

std::optional<double> BandBound::Vswr() const {
  if (!reflection || !(*reflection < 1.0)) return std::nullopt;
  return (1.0 + *reflection) / (1.0 - *reflection);
}

BandBound BodeFanoForBands(const ReactiveModel& source, const ReactiveModel& load,
                           std::span<const FrequencyBand> bands) {
  BandBound bound;
  const std::optional<double> fromSource = BodeFanoReflection(source, bands);
  const std::optional<double> fromLoad = BodeFanoReflection(load, bands);
  if (fromLoad && (!fromSource || *fromLoad >= *fromSource)) {
    bound.limitedBy = BoundSide::Load;
    bound.reflection = fromLoad;
  } else if (fromSource) {
    bound.limitedBy = BoundSide::Source;
    bound.reflection = fromSource;
  }
  return bound;
}

std::optional<TwoSectionL> TwoSectionLThroughMean(const Termination& source,
                                                  const Termination& load, double frequency,
                                                  double power) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  const double rs = TerminationImpedance(source, omega).real();
  const double rl = TerminationImpedance(load, omega).real();
  if (!(rs > 0.0) || !(rl > 0.0) || rs == rl) return std::nullopt;
  const double rm = std::sqrt(rs * rl);
  const Termination middle{Connection::Series, rm, CircuitPart{}};
  const std::vector<LSolution> first = AllLSolutions(source, middle, frequency, power);
  const std::vector<LSolution> second = AllLSolutions(middle, load, frequency, power);
  const LSolution* a = Preferred(first);
  const LSolution* b = Preferred(second);
  if (a == nullptr || b == nullptr) return std::nullopt;
  TwoSectionL result;
  result.middleResistance = rm;
  result.firstQ = a->q;
  result.secondQ = b->q;
  LadderCircuit& c = result.circuit;
  c.source = source;
  c.load = load;
  c.designFrequency = frequency;
  c.designPower = power;
  c.sourceEmf = EmfForPower(source, omega, power);
  c.elements = a->circuit.elements;
  c.elements.insert(c.elements.end(), b->circuit.elements.begin(), b->circuit.elements.end());
  return result;
}

}  // namespace corvantile
