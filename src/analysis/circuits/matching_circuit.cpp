#include "analysis/circuits/matching_circuit.h"

#include <cmath>

#include "state/names.h"
#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
// Stored values enter the circuit as the decimals they were typed as, so that the netlists and
// files written from it carry "0.1", not the float's 0.100000001490116.
using precision::Decimal;

// The part that realises reactance `x` (ohms at omega) from its stored part value. A part value
// whose sign disagrees with the reactance, or one that underflowed to 0, cannot be the part the
// reactance stands for; the part is then taken from the reactance itself.
CircuitPart PartFor(double x, float storedPart, double omega) {
  const double part = Decimal(storedPart);
  if (x > 0.0) {
    const double henries = part > 0.0 ? part : x / omega;
    return {PartKind::Inductor, henries};
  }
  const double farads = part < 0.0 ? -part : -1.0 / (omega * x);
  return {PartKind::Capacitor, farads};
}

bool Positive(double value) { return std::isfinite(value) && value > 0.0; }

// The source or load as its entry form holds it. `problems` lists this side's four problems in
// the order: unknown form, no resistance, open, shorted.
CircuitProblem BuildTermination(const ImpedanceValues& side, double omega,
                                const std::array<CircuitProblem, 4>& problems, Termination& out) {
  if (IsSeriesForm(side)) {
    out.connection = Connection::Series;
    out.resistance = Decimal(side[SeriesR]);
    const double x = D(side[SeriesX]);
    if (!Positive(out.resistance)) return problems[1];
    if (!std::isfinite(x) || std::fabs(x) > kOpenCircuitCutoff) return problems[2];
    out.part = x == 0.0 ? CircuitPart{} : PartFor(x, side[SeriesPart], omega);
    return CircuitProblem::None;
  }
  if (IsParallelForm(side)) {
    out.connection = Connection::Parallel;
    out.resistance = Decimal(side[ParallelR]);
    const double x = D(side[ParallelX]);
    if (!Positive(out.resistance)) return problems[1];
    if (x == 0.0) return problems[3];
    out.part = !std::isfinite(x) || std::fabs(x) > kOpenCircuitCutoff
                   ? CircuitPart{PartKind::Open, 0.0}
                   : PartFor(x, side[ParallelPart], omega);
    return CircuitProblem::None;
  }
  return problems[0];
}

}  // namespace

std::string_view PartKindName(PartKind kind) {
  switch (kind) {
    case PartKind::Inductor:
      return "inductor";
    case PartKind::Capacitor:
      return "capacitor";
    case PartKind::Open:
      return "open";
    case PartKind::Short:
      break;
  }
  return "short";
}

double PartReactance(const CircuitPart& part, double omega) {
  switch (part.kind) {
    case PartKind::Inductor:
      return omega * part.value;
    case PartKind::Capacitor:
      return -1.0 / (omega * part.value);
    case PartKind::Short:
    case PartKind::Open:
      break;
  }
  return 0.0;
}

std::complex<double> TerminationImpedance(const Termination& side, double omega) {
  const double r = side.resistance;
  if (side.part.kind == PartKind::Open || side.part.kind == PartKind::Short) return {r, 0.0};
  const double x = PartReactance(side.part, omega);
  if (side.connection == Connection::Series) return {r, x};
  // r || jx = (r x^2 + j r^2 x) / (r^2 + x^2)
  const double scale = r / (r * r + x * x);
  return {scale * x * x, scale * r * x};
}

bool IsShuntElement(NetworkTopology topology, int k) {
  return topology == NetworkTopology::Pi ? k != 2 : k == 2;
}

std::string_view CircuitProblemText(CircuitProblem problem) {
  switch (problem) {
    case CircuitProblem::None:
      return "";
    case CircuitProblem::Impossible:
      return "no network can be designed for these values";
    case CircuitProblem::NotDesigned:
      return "nothing is designed: the design mode only derives part values, or the network "
             "family is unknown";
    case CircuitProblem::UnknownSourceForm:
      return "the source's entry form is not one of 1 to 4";
    case CircuitProblem::UnknownLoadForm:
      return "the load's entry form is not one of 1 to 4";
    case CircuitProblem::SourceWithoutR:
      return "the source resistance is not a positive number";
    case CircuitProblem::LoadWithoutR:
      return "the load resistance is not a positive number";
    case CircuitProblem::SourceOpen:
      return "the source is an open circuit (its series part has no finite reactance)";
    case CircuitProblem::LoadOpen:
      return "the load is an open circuit (its series part has no finite reactance)";
    case CircuitProblem::SourceShorted:
      return "the source is a short circuit (its parallel reactance is 0)";
    case CircuitProblem::LoadShorted:
      return "the load is a short circuit (its parallel reactance is 0)";
    case CircuitProblem::ShuntShorted:
      return "a shunt element of the network is a short circuit";
  }
  return "";
}

CircuitProblem TypedTermination(const RunState& state, bool source, double omega,
                                Termination& out) {
  if (source) {
    return BuildTermination(state.SourceValues, omega,
                            {CircuitProblem::UnknownSourceForm, CircuitProblem::SourceWithoutR,
                             CircuitProblem::SourceOpen, CircuitProblem::SourceShorted},
                            out);
  }
  return BuildTermination(state.LoadValues, omega,
                          {CircuitProblem::UnknownLoadForm, CircuitProblem::LoadWithoutR,
                           CircuitProblem::LoadOpen, CircuitProblem::LoadShorted},
                          out);
}

CircuitBuild BuildCircuit(const RunState& state, DesignOutcome outcome) {
  CircuitBuild build;
  if (outcome == DesignOutcome::Impossible) {
    build.problem = CircuitProblem::Impossible;
    return build;
  }
  if (outcome != DesignOutcome::Designed) {
    build.problem = CircuitProblem::NotDesigned;
    return build;
  }
  const NetworkValues& net = state.NetValues;
  MatchingCircuit& c = build.circuit;
  c.designFrequency = Decimal(net[Frequency]);
  const double omega = c.designFrequency * state.startup.TwoPi;

  build.problem =
      BuildTermination(state.SourceValues, omega,
                       {CircuitProblem::UnknownSourceForm, CircuitProblem::SourceWithoutR,
                        CircuitProblem::SourceOpen, CircuitProblem::SourceShorted},
                       c.source);
  if (build.problem != CircuitProblem::None) return build;
  build.problem = BuildTermination(state.LoadValues, omega,
                                   {CircuitProblem::UnknownLoadForm, CircuitProblem::LoadWithoutR,
                                    CircuitProblem::LoadOpen, CircuitProblem::LoadShorted},
                                   c.load);
  if (build.problem != CircuitProblem::None) return build;

  const float family = net[NetworkFamily];
  c.topology = family == FamilyTee ? NetworkTopology::Tee : NetworkTopology::Pi;
  // Any code but Tee and the two L families is built, and named, as a Pi.
  const FamilyNames* names = FindFamilyNames(family);
  c.familyName = names != nullptr ? names->text : FindFamilyNames(FamilyPi)->text;
  const int reactanceSlots[] = {NetX1, NetX2, NetX3};
  const int partSlots[] = {NetPart1, NetPart2, NetPart3};
  for (int k = 1; k <= 3; ++k) {
    const double x = D(net[reactanceSlots[k - 1]]);
    CircuitPart& part = c.elements[k - 1];
    if (IsShuntElement(c.topology, k)) {
      if (x == 0.0) {
        build.problem = CircuitProblem::ShuntShorted;
        return build;
      }
      part = std::fabs(x) > kOpenCircuitCutoff ? CircuitPart{PartKind::Open, 0.0}
                                               : PartFor(x, net[partSlots[k - 1]], omega);
    } else {
      // A series element's reactance is finite after a successful design.
      part = x == 0.0 ? CircuitPart{} : PartFor(x, net[partSlots[k - 1]], omega);
    }
  }

  // A negative power makes no sense as available power; it drives the circuit with nothing.
  c.designPower = std::fmax(Decimal(net[Power]), 0.0);
  const double sourceR = TerminationImpedance(c.source, omega).real();
  c.sourceEmf = std::sqrt(4.0 * c.designPower * sourceR);
  return build;
}

CircuitBuild DesignCircuit(RunState state) {
  const DesignOutcome outcome = RunDesignPass(state);
  return BuildCircuit(state, outcome);
}

}  // namespace corvantile
