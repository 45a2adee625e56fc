#include "analysis/solvers/lossy_network.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/formats/number_text.h"
#include "analysis/solvers/frequency_response.h"
#include "math/family_designs.h"

namespace corvantile {
namespace {

using C = std::complex<double>;

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kDecibelsPerNeper = 10.0 / std::numbers::ln10;
const double kPowerFloor = std::pow(10.0, -kMaxReturnLossDb / 10.0);
const double kSqrt2 = std::numbers::sqrt2;

// Below this reflection the lossy network counts as matched; the iteration goes on towards
// kStopReflection while it still improves.
constexpr double kMatchedReflection = 1e-9;
constexpr double kStopReflection = 1e-13;

// The three elements as impedances (series resistance included); `open` marks an absent shunt.
struct Elements {
  NetworkTopology topology = NetworkTopology::Pi;
  std::array<C, 3> z;
  std::array<bool, 3> open{};
};

// Every element's voltage and current with 1 V across the load.
struct UnitSolution {
  C vin, iin, iload;
  std::array<C, 3> v, i;
};

UnitSolution SolveUnitOutput(const Elements& e, C zl) {
  UnitSolution s;
  const C vout{1.0, 0.0};
  s.iload = vout / zl;
  auto shuntCurrent = [&](int index, C v) { return e.open[index] ? C{} : v / e.z[index]; };
  if (e.topology == NetworkTopology::Pi) {
    s.v[2] = vout;
    s.i[2] = shuntCurrent(2, vout);
    s.i[1] = s.iload + s.i[2];
    s.v[1] = s.i[1] * e.z[1];
    s.vin = vout + s.v[1];
    s.v[0] = s.vin;
    s.i[0] = shuntCurrent(0, s.vin);
    s.iin = s.i[0] + s.i[1];
  } else {
    s.i[2] = s.iload;
    s.v[2] = s.iload * e.z[2];
    const C vmid = vout + s.v[2];
    s.v[1] = vmid;
    s.i[1] = shuntCurrent(1, vmid);
    s.i[0] = s.iload + s.i[1];
    s.v[0] = s.i[0] * e.z[0];
    s.vin = vmid + s.v[0];
    s.iin = s.i[0];
  }
  return s;
}

bool IsOpen(const CircuitPart& part) { return part.kind == PartKind::Open; }

Elements ElementsAt(const MatchingCircuit& c, const std::array<PartQ, 3>& q, double frequency) {
  Elements e;
  e.topology = c.topology;
  for (std::size_t k = 0; k < 3; ++k) {
    e.open[k] = IsOpen(c.elements[k]);
    if (!e.open[k]) e.z[k] = LossyPartImpedance(c.elements[k], q[k], frequency, c.designFrequency);
  }
  return e;
}

// (Zin - conj Zs) / (Zin + Zs)
C ReflectionOf(C zin, C zs) { return (zin - std::conj(zs)) / (zin + zs); }

double ReturnLossDb(double reflectedShare) {
  return -kDecibelsPerNeper * std::log(std::max(reflectedShare, kPowerFloor));
}

// The part a reactance at omega stands for: positive an inductor, negative a capacitor, 0 a
// short in series or an open shunt.
CircuitPart PartOfReactance(double x, double omega, bool shunt) {
  if (x > 0.0 && std::isfinite(x)) return {PartKind::Inductor, x / omega};
  if (x < 0.0 && std::isfinite(x)) return {PartKind::Capacitor, -1.0 / (omega * x)};
  return shunt ? CircuitPart{PartKind::Open, 0.0} : CircuitPart{};
}

PartKind KindOfReactance(double x) {
  return x > 0.0 ? PartKind::Inductor : x < 0.0 ? PartKind::Capacitor : PartKind::Short;
}

// The lossy network at f0 as a function of its element reactances: the iteration's variables
// are the reactance of a series element and the susceptance (-1 / X) of a shunt one, in which
// the input impedance is a bilinear function.
class CompensationProblem {
 public:
  CompensationProblem(const MatchingCircuit& c, const LossModel& model)
      : circuit_(c), model_(model), omega_(kTwoPi * c.designFrequency) {
    zs_ = TerminationImpedance(c.source, omega_);
    zl_ = TerminationImpedance(c.load, omega_);
  }

  bool Shunt(std::size_t k) const {
    return IsShuntElement(circuit_.topology, static_cast<int>(k) + 1);
  }
  double Omega() const { return omega_; }

  double ToReactance(std::size_t k, double variable) const {
    if (!Shunt(k)) return variable;
    return variable == 0.0 ? std::numeric_limits<double>::infinity() : -1.0 / variable;
  }
  double ToVariable(std::size_t k, double reactance) const {
    if (!Shunt(k)) return reactance;
    return std::isfinite(reactance) && reactance != 0.0 ? -1.0 / reactance : 0.0;
  }

  C Reflection(const std::array<double, 3>& x) const {
    Elements e;
    e.topology = circuit_.topology;
    for (std::size_t k = 0; k < 3; ++k) {
      e.open[k] = Shunt(k) && !std::isfinite(x[k]);
      if (e.open[k]) continue;
      const PartQ q = ElementQ(model_, static_cast<int>(k) + 1, KindOfReactance(x[k]));
      e.z[k] = ModelImpedance(x[k], q, circuit_.designFrequency, circuit_.designFrequency);
    }
    const UnitSolution s = SolveUnitOutput(e, zl_);
    return ReflectionOf(s.vin / s.iin, zs_);
  }

  double SourceScale() const { return std::abs(zs_); }

 private:
  const MatchingCircuit& circuit_;
  const LossModel& model_;
  double omega_;
  C zs_, zl_;
};

}  // namespace

LossAnalysis AnalyzeLosses(const MatchingCircuit& c, const LossModel& model, double frequency) {
  LossAnalysis a;
  a.frequency = frequency;
  const double omega = kTwoPi * frequency;
  const std::array<PartQ, 3> q = CircuitQ(c, model);
  const Elements e = ElementsAt(c, q, frequency);
  const C zs = TerminationImpedance(c.source, omega);
  const C zl = TerminationImpedance(c.load, omega);
  const UnitSolution s = SolveUnitOutput(e, zl);

  a.inputImpedance = s.vin / s.iin;
  a.reflection = ReflectionOf(a.inputImpedance, zs);
  const double unitInput = (s.vin * std::conj(s.iin)).real();
  const double unitLoad = std::norm(s.iload) * zl.real();
  // The source's drive: the EMF behind its impedance that makes the design power available
  // (what it delivers into a matched load), as the sweep drives it. A matched network takes
  // all of it; a mismatched one takes less.
  const double unitEmf = std::abs(s.vin + zs * s.iin);
  const double scale = unitEmf > 0.0 && std::isfinite(unitEmf) ? c.sourceEmf / unitEmf : 0.0;
  const double scaleSquared = scale * scale;
  a.sourceEmf = c.sourceEmf;

  double unitDissipated = 0.0;
  for (std::size_t k = 0; k < 3; ++k) {
    PartStress& p = a.parts[k];
    p.kind = c.elements[k].kind;
    p.q = q[k];
    p.selfResonance = SelfResonantFrequency(c.elements[k], q[k]);
    if (e.open[k] || p.kind == PartKind::Short) continue;
    p.reactance = e.z[k].imag();
    p.resistance = e.z[k].real();
    const double unitWatts = std::norm(s.i[k]) * p.resistance;
    unitDissipated += unitWatts;
    p.voltsRms = scale * std::abs(s.v[k]);
    p.ampsRms = scale * std::abs(s.i[k]);
    p.voltsPeak = kSqrt2 * p.voltsRms;
    p.ampsPeak = kSqrt2 * p.ampsRms;
    p.watts = scaleSquared * unitWatts;
  }
  a.inputPower = scaleSquared * unitInput;
  a.loadPower = scaleSquared * unitLoad;
  a.dissipatedPower = scaleSquared * unitDissipated;

  // The shares as in the sweep: taken = 4 Rs Re Zin / |Zin + Zs|^2, reflected = |reflection|^2.
  const double reflected = std::norm(a.reflection);
  const double taken = 4.0 * zs.real() * a.inputImpedance.real() / std::norm(a.inputImpedance + zs);
  a.returnLossDb = ReturnLossDb(reflected);
  const double magnitude = std::sqrt(std::min(reflected, 1.0));
  a.vswr = (1.0 + magnitude) * (1.0 + magnitude) / std::max(taken, kPowerFloor);
  a.efficiency = unitInput > 0.0 ? unitLoad / unitInput : 0.0;
  a.dissipativeLossDb = -kDecibelsPerNeper * std::log(std::max(a.efficiency, kPowerFloor));
  a.mismatchLossDb = -kDecibelsPerNeper * std::log(std::max(taken, kPowerFloor));
  a.transducerLossDb = a.dissipativeLossDb + a.mismatchLossDb;
  return a;
}

LossAnalysis AnalyzeLosses(const MatchingCircuit& circuit, const LossModel& model) {
  return AnalyzeLosses(circuit, model, circuit.designFrequency);
}

std::array<bool, 3> ElementsToResolve(const MatchingCircuit& circuit, float designDriver) {
  const auto& el = circuit.elements;
  if (circuit.topology == NetworkTopology::Pi && (IsOpen(el[0]) || IsOpen(el[2]))) {
    return {!IsOpen(el[0]), true, !IsOpen(el[2])};
  }
  if (DriverFixesElement(designDriver, 1)) return {false, true, true};
  if (DriverFixesElement(designDriver, 3)) return {true, true, false};
  return {true, false, true};
}

CompensatedDesign CompensateLosses(const MatchingCircuit& circuit, const LossModel& model,
                                   std::array<bool, 3> resolve) {
  CompensatedDesign d;
  d.circuit = circuit;
  d.resolved = resolve;
  const CompensationProblem problem(circuit, model);
  const double omega = problem.Omega();
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    d.idealReactance[k] =
        IsOpen(part) ? std::numeric_limits<double>::infinity() : PartReactance(part, omega);
  }
  d.reactance = d.idealReactance;
  if (IsIdealFor(circuit, model)) {
    // Nothing to compensate: the lossless design itself, with its own figures.
    d.returnLossDb = EvaluateResponse(circuit, circuit.designFrequency).returnLossDb;
    return d;
  }

  // A part given by its maker's file has no nominal value to re-solve: another element that
  // is not fixed by a file takes its place.
  const std::array<PartQ, 3> q = CircuitQ(circuit, model);
  std::array<bool, 3> fromFile{};
  for (std::size_t k = 0; k < 3; ++k) fromFile[k] = q[k].file != nullptr;
  for (std::size_t k = 0; k < 3; ++k) {
    if (!resolve[k] || !fromFile[k]) continue;
    resolve[k] = false;
    for (std::size_t other = 0; other < 3; ++other) {
      if (!resolve[other] && !fromFile[other] && !IsOpen(circuit.elements[other])) {
        resolve[other] = true;
        break;
      }
    }
  }
  d.resolved = resolve;
  std::array<std::size_t, 2> vars{};
  std::size_t count = 0;
  for (std::size_t k = 0; k < 3 && count < 2; ++k) {
    if (resolve[k]) vars[count++] = k;
  }
  if (count < 2) d.reason = "two elements not given by makers' files are needed to re-solve";
  std::array<double, 3> x = d.idealReactance;
  C g = problem.Reflection(x);
  // Finite-difference steps: relative to the variable, with a floor on the scale of the source
  // impedance so that a wire or an open element can still move.
  const double zScale = problem.SourceScale();
  for (int iteration = 0; count == 2 && iteration < kMaxCompensationIterations; ++iteration) {
    if (!(std::abs(g) > kStopReflection)) break;
    double jac[2][2];
    for (std::size_t j = 0; j < 2; ++j) {
      const std::size_t k = vars[j];
      const double v = problem.ToVariable(k, x[k]);
      const double floor = problem.Shunt(k) ? 1e-3 / zScale : 1e-3 * zScale;
      const double h = 1e-7 * std::max(std::fabs(v), floor);
      std::array<double, 3> xh = x;
      xh[k] = problem.ToReactance(k, v + h);
      const C dg = (problem.Reflection(xh) - g) / h;
      jac[0][j] = dg.real();
      jac[1][j] = dg.imag();
    }
    const double det = jac[0][0] * jac[1][1] - jac[0][1] * jac[1][0];
    if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) break;
    const double step0 = (-g.real() * jac[1][1] + g.imag() * jac[0][1]) / det;
    const double step1 = (-g.imag() * jac[0][0] + g.real() * jac[1][0]) / det;
    // A damped step: halved until the reflection shrinks.
    bool improved = false;
    double t = 1.0;
    for (int halving = 0; halving < 30 && !improved; ++halving, t *= 0.5) {
      std::array<double, 3> trial = x;
      trial[vars[0]] =
          problem.ToReactance(vars[0], problem.ToVariable(vars[0], x[vars[0]]) + t * step0);
      trial[vars[1]] =
          problem.ToReactance(vars[1], problem.ToVariable(vars[1], x[vars[1]]) + t * step1);
      const C trialG = problem.Reflection(trial);
      if (std::isfinite(trialG.real()) && std::isfinite(trialG.imag()) &&
          std::abs(trialG) < std::abs(g)) {
        x = trial;
        g = trialG;
        improved = true;
      }
    }
    if (!improved) break;
    d.iterations = iteration + 1;
  }

  d.reactance = x;
  for (std::size_t k = 0; k < 3; ++k) {
    if (!resolve[k]) continue;
    d.circuit.elements[k] = PartOfReactance(x[k], omega, problem.Shunt(k));
  }
  // The figure of the network as built, solved afresh.
  d.returnLossDb = AnalyzeLosses(d.circuit, model).returnLossDb;
  d.status = std::abs(g) <= kMatchedReflection ? CompensationStatus::Matched
                                               : CompensationStatus::NoExactMatch;
  d.warnings = SelfResonanceWarnings(d.circuit, model);
  if (d.status == CompensationStatus::NoExactMatch && d.reason.empty()) {
    // A part past its self-resonance is the usual cause: it is the other kind of part there.
    for (const std::string& warning : d.warnings) {
      if (warning.find(" is above ") != std::string::npos) {
        d.reason = warning;
        break;
      }
    }
  }
  return d;
}

CompensatedDesign CompensateLosses(const MatchingCircuit& circuit, const LossModel& model,
                                   float designDriver) {
  return CompensateLosses(circuit, model, ElementsToResolve(circuit, designDriver));
}

std::string CompensationText(const CompensatedDesign& design) {
  if (design.status == CompensationStatus::Matched) {
    return "the lossy network matches the source exactly";
  }
  std::string text = "losses make an exact match impossible: the best return loss reached is " +
                     ShortNumber(design.returnLossDb, 4) + " dB";
  if (!design.reason.empty()) text += " (" + design.reason + ")";
  return text;
}

}  // namespace corvantile
