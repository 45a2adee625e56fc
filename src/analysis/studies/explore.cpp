#include "analysis/studies/explore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "analysis/studies/l_solutions.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/formats/touchstone_reader.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Work shared by every candidate: one set of sweep frequencies and one sweep buffer, and with
// measured sides their impedances at those frequencies, read from the files once.
struct Workspace {
  std::vector<double> frequencies;
  std::vector<ResponsePoint> sweep;
  MeasuredSides sides;
  SweepSpan span;
  std::vector<std::complex<double>> sourceZ, loadZ;
};

// A side's impedance at `frequency`: the file's when it is measured, else the typed model's.
std::complex<double> SideImpedance(const TouchstonePort* port, const Termination& typed,
                                   double frequency) {
  return port != nullptr ? port->Impedance(frequency)
                         : TerminationImpedance(typed, kTwoPi * frequency);
}

// The ladder between the measured sides at one frequency, the formulas of EvaluateLadder.
ResponsePoint EvaluateMeasuredLadder(const LadderCircuit& ladder, const MeasuredSides& sides,
                                     double frequency) {
  return EvaluateChainResponse(SideImpedance(sides.source, ladder.source, frequency),
                               SideImpedance(sides.load, ladder.load, frequency),
                               LadderChain(ladder, kTwoPi * frequency), frequency,
                               ladder.sourceEmf * ladder.sourceEmf);
}

// The summary of a ladder between the measured sides: the sweep at the workspace's
// frequencies, the band edges refined on the measured data inside the span, a harmonic beyond
// a file's band held at the span's end and flagged as not measured.
SweepSummary SummarizeMeasuredLadder(const LadderCircuit& ladder, Workspace& work) {
  const std::size_t n = work.frequencies.size();
  work.sweep.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double f = work.frequencies[k];
    const std::complex<double> zs = work.sides.source != nullptr
                                        ? work.sourceZ[k]
                                        : TerminationImpedance(ladder.source, kTwoPi * f);
    const std::complex<double> zl =
        work.sides.load != nullptr ? work.loadZ[k] : TerminationImpedance(ladder.load, kTwoPi * f);
    work.sweep[k] = EvaluateChainResponse(zs, zl, LadderChain(ladder, kTwoPi * f), f,
                                          ladder.sourceEmf * ladder.sourceEmf);
  }
  const double low = work.span.from, high = work.span.to;
  SweepSummary summary = SummarizeResponse(
      ladder.designFrequency,
      [&](double f) {
        return EvaluateMeasuredLadder(ladder, work.sides, std::clamp(f, low, high));
      },
      work.sweep);
  summary.measured2f0 = work.sides.Covers(2.0 * ladder.designFrequency);
  summary.measured3f0 = work.sides.Covers(3.0 * ladder.designFrequency);
  return summary;
}

bool PassesDc(const LadderCircuit& circuit) {
  for (const LadderElement& e : circuit.elements) {
    if (e.shunt ? e.part.kind == PartKind::Inductor : e.part.kind == PartKind::Capacitor) {
      return false;
    }
  }
  return true;
}

// The figures every candidate gets from its circuit.
void Measure(Candidate& c, const BodeFanoBound& bound, Workspace& work) {
  if (work.sides.Any()) {
    c.summary = SummarizeMeasuredLadder(c.circuit, work);
  } else {
    SweepLadder(c.circuit, work.frequencies, work.sweep);
    c.summary = SummarizeLadder(c.circuit, work.sweep);
  }
  c.stress = LadderPartStress(c.circuit, c.circuit.designFrequency);
  for (const ElementStress& s : c.stress) {
    c.largestVolts = std::max(c.largestVolts, s.volts);
    c.largestAmps = std::max(c.largestAmps, s.amps);
  }
  c.passesDc = PassesDc(c.circuit);
  const std::optional<double>& band = c.summary.bands[0].fractional;
  if (band && bound.fractional) c.boundShare = *band / *bound.fractional;
}

// The figures of real parts, for the candidates that are three-element networks.
void MeasureRealParts(Candidate& c, const ExploreOptions& options) {
  if (!options.losses && !options.standard) return;
  const std::optional<MatchingCircuit> circuit = MatchingFromLadder(c.circuit);
  if (!circuit) return;
  if (options.losses) {
    const LossAnalysis analysis = AnalyzeLosses(*circuit, *options.losses);
    c.efficiency = analysis.efficiency;
    double hottest = 0.0;
    for (const PartStress& p : analysis.parts) hottest = std::max(hottest, p.watts);
    c.hottestPartWatts = hottest;
  }
  if (options.standard) {
    c.standardReturnLossDb =
        ScoreAtDesign(BestStandardCircuit(*circuit, *options.standard)).returnLossDb;
  }
}

// The design pass on `state` as a candidate, or nothing when it designs no network.
std::optional<Candidate> FromDesignPass(RunState state, CandidateKind kind) {
  const DesignOutcome outcome = RunDesignPass(state);
  if (outcome != DesignOutcome::Designed) return std::nullopt;
  const CircuitBuild build = BuildCircuit(state, outcome);
  if (build.problem != CircuitProblem::None) return std::nullopt;
  Candidate c;
  c.kind = kind;
  c.inDesignWindow = true;
  c.circuit = LadderFromMatching(build.circuit);
  c.designValues = state.NetValues;
  c.phase = static_cast<double>(state.NetValues[NetworkPhase]);
  c.inputQ = static_cast<double>(state.NetValues[InputQ]);
  c.outputQ = static_cast<double>(state.NetValues[OutputQ]);
  return c;
}

std::string PhaseName(CandidateKind kind, double phase) {
  char text[64];
  std::snprintf(text, sizeof text, "%s at %g degrees", kind == CandidateKind::Pi ? "Pi" : "Tee",
                phase);
  return text;
}

// True when two ladders have the same elements in the same places, with reactances at omega
// within a part in 1e4 (the design window's L is designed in single precision).
bool SameNetwork(const LadderCircuit& a, const LadderCircuit& b, double omega) {
  if (a.elements.size() != b.elements.size()) return false;
  for (std::size_t k = 0; k < a.elements.size(); ++k) {
    const LadderElement& x = a.elements[k];
    const LadderElement& y = b.elements[k];
    if (x.shunt != y.shunt || x.part.kind != y.part.kind) return false;
    const double rx = PartReactance(x.part, omega), ry = PartReactance(y.part, omega);
    if (std::fabs(rx - ry) > 1e-4 * std::max(std::fabs(rx), std::fabs(ry))) return false;
  }
  return true;
}

float FamilyOf(CandidateKind kind) {
  switch (kind) {
    case CandidateKind::Tee:
      return FamilyTee;
    case CandidateKind::LowpassL:
      return FamilyLowpassL;
    case CandidateKind::HighpassL:
      return FamilyHighpassL;
    default:
      return FamilyPi;
  }
}

// The state that designs `kind` at `phase` with the phase as the design driver.
RunState AtPhase(const RunState& state, CandidateKind kind, double phase) {
  RunState copy = state;
  copy.NetValues[NetworkFamily] = FamilyOf(kind);
  copy.NetValues[DesignDriver] = DriverPhase;
  copy.NetValues[NetworkPhase] = static_cast<float>(phase);
  return copy;
}

// The Pi or Tee at every phase step, with the one at the user's phase marked (added when it
// falls between steps).
void AddPhaseSweep(const RunState& state, CandidateKind kind, double userPhase,
                   const ExploreOptions& options, std::vector<Candidate>& out) {
  // At the user's phase: for the window's own family the state exactly as the window holds it.
  std::optional<Candidate> atUser = state.NetValues[NetworkFamily] == FamilyOf(kind)
                                        ? FromDesignPass(state, kind)
                                        : FromDesignPass(AtPhase(state, kind, userPhase), kind);
  const double step = options.phaseStep > 0.0 ? options.phaseStep : 1.0;
  const int steps = static_cast<int>(std::floor(360.0 / step));
  bool placed = !atUser.has_value();
  for (int k = 1; k < steps; ++k) {
    const double phase = -180.0 + step * static_cast<double>(k);
    if (phase == 0.0 || phase >= 180.0) continue;
    if (!placed && userPhase <= phase) {
      placed = true;
      atUser->atUserPhase = true;
      atUser->name = PhaseName(kind, *atUser->phase);
      out.push_back(std::move(*atUser));
      if (static_cast<float>(userPhase) == static_cast<float>(phase)) continue;
    }
    std::optional<Candidate> c = FromDesignPass(AtPhase(state, kind, phase), kind);
    if (!c) continue;
    c->name = PhaseName(kind, phase);
    out.push_back(std::move(*c));
  }
  if (!placed) {
    atUser->atUserPhase = true;
    atUser->name = PhaseName(kind, *atUser->phase);
    out.push_back(std::move(*atUser));
  }
}

}  // namespace

std::string_view CandidateKindName(CandidateKind kind) {
  switch (kind) {
    case CandidateKind::Pi:
      return "Pi";
    case CandidateKind::Tee:
      return "Tee";
    case CandidateKind::LowpassL:
      return "low-pass L";
    case CandidateKind::HighpassL:
      return "high-pass L";
    case CandidateKind::OtherL:
      return "other L";
    case CandidateKind::TwoSectionL:
      return "two-section L";
  }
  return "";
}

Exploration Explore(const RunState& state, const ExploreOptions& options) {
  Exploration result;
  // The source and load as circuits: the design pass reduces them, and the circuit build reads
  // them before it looks at the network, so its source and load are good whatever the network.
  RunState reduced = state;
  const DesignOutcome userOutcome = RunDesignPass(reduced);
  const CircuitBuild sides = BuildCircuit(reduced, DesignOutcome::Designed);
  switch (sides.problem) {
    case CircuitProblem::None:
    case CircuitProblem::ShuntShorted:
      break;
    default:
      result.problem = sides.problem;
      return result;
  }
  const Termination& source = sides.circuit.source;
  const Termination& load = sides.circuit.load;
  const double f0 = sides.circuit.designFrequency;
  const double power = sides.circuit.designPower;
  const double omega = kTwoPi * f0;
  result.designFrequency = f0;
  result.designPower = power;
  result.bound = BodeFanoFor(source, load, f0);

  Workspace work;
  SweepSpan span = DefaultSweepSpan(f0);
  span.points = std::max(options.sweepPoints, 2);
  if (options.sides.Any()) {
    result.measuredSides = true;
    work.sides = options.sides;
    span = CutToSides(span, options.sides);
    // A file of a single frequency leaves nothing to sweep: no band edge is then known.
    if (SweepSpanProblem(span).empty()) work.frequencies = SweepFrequencies(span);
    if (work.sides.source != nullptr) work.sides.source->Impedances(work.frequencies, work.sourceZ);
    if (work.sides.load != nullptr) work.sides.load->Impedances(work.frequencies, work.loadZ);
    work.span = span;
  } else {
    work.frequencies = SweepFrequencies(span);
  }

  std::vector<Candidate>& out = result.candidates;
  for (CandidateKind kind : {CandidateKind::LowpassL, CandidateKind::HighpassL}) {
    RunState copy = state;
    copy.NetValues[NetworkFamily] = FamilyOf(kind);
    if (std::optional<Candidate> c = FromDesignPass(copy, kind)) {
      c->name = std::string(CandidateKindName(kind));
      out.push_back(std::move(*c));
    }
  }
  const std::size_t windowLs = out.size();
  for (LSolution& s : AllLSolutions(source, load, f0, power)) {
    const bool shown =
        std::any_of(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(windowLs),
                    [&](const Candidate& c) { return SameNetwork(c.circuit, s.circuit, omega); });
    if (shown) continue;
    Candidate c;
    c.kind = CandidateKind::OtherL;
    c.name = s.name;
    c.circuit = std::move(s.circuit);
    c.inputQ = c.outputQ = s.q;
    out.push_back(std::move(c));
  }
  if (std::optional<TwoSectionL> two = TwoSectionLThroughMean(source, load, f0, power)) {
    Candidate c;
    c.kind = CandidateKind::TwoSectionL;
    char text[80];
    std::snprintf(text, sizeof text, "two-section L through %.4g ohm", two->middleResistance);
    c.name = text;
    c.circuit = std::move(two->circuit);
    c.inputQ = two->firstQ;
    c.outputQ = two->secondQ;
    out.push_back(std::move(c));
  }
  // The phase the design window holds, or the one set when it cannot design.
  const double userPhase =
      static_cast<double>(userOutcome == DesignOutcome::Designed ? reduced.NetValues[NetworkPhase]
                                                                 : state.NetValues[NetworkPhase]);
  AddPhaseSweep(state, CandidateKind::Pi, userPhase, options, out);
  AddPhaseSweep(state, CandidateKind::Tee, userPhase, options, out);

  for (Candidate& c : out) {
    Measure(c, result.bound, work);
    MeasureRealParts(c, options);
  }
  return result;
}

std::string_view FigureName(Figure figure) {
  switch (figure) {
    case Figure::Bandwidth:
      return "bandwidth";
    case Figure::Bandwidth15:
      return "bandwidth_1_5";
    case Figure::Attenuation2f:
      return "attenuation2f";
    case Figure::Attenuation3f:
      return "attenuation3f";
    case Figure::Voltage:
      return "voltage";
    case Figure::Current:
      return "current";
    case Figure::InputLoadedQ:
      return "input_q";
    case Figure::OutputLoadedQ:
      return "output_q";
    case Figure::BoundShare:
      return "bound_share";
    case Figure::Efficiency:
      return "efficiency";
    case Figure::HottestPartWatts:
      return "hottest_part_watts";
    case Figure::StandardReturnLoss:
      return "standard_return_loss_db";
  }
  return "";
}

std::optional<Figure> FigureFromName(std::string_view name) {
  for (int k = 0; k <= static_cast<int>(Figure::StandardReturnLoss); ++k) {
    const Figure figure = static_cast<Figure>(k);
    if (FigureName(figure) == name) return figure;
  }
  return std::nullopt;
}

bool LargerIsBetter(Figure figure) {
  switch (figure) {
    case Figure::Voltage:
    case Figure::Current:
    case Figure::InputLoadedQ:
    case Figure::OutputLoadedQ:
    case Figure::HottestPartWatts:
      return false;
    default:
      return true;
  }
}

std::optional<double> FigureValue(const Candidate& c, Figure figure) {
  switch (figure) {
    case Figure::Bandwidth:
      return c.summary.bands[0].fractional;
    case Figure::Bandwidth15:
      return c.summary.bands[1].fractional;
    case Figure::Attenuation2f:
      if (!c.summary.measured2f0) return std::nullopt;
      return c.summary.attenuation2f0Db;
    case Figure::Attenuation3f:
      if (!c.summary.measured3f0) return std::nullopt;
      return c.summary.attenuation3f0Db;
    case Figure::Voltage:
      return c.largestVolts;
    case Figure::Current:
      return c.largestAmps;
    case Figure::InputLoadedQ:
      return c.inputQ;
    case Figure::OutputLoadedQ:
      return c.outputQ;
    case Figure::BoundShare:
      return c.boundShare;
    case Figure::Efficiency:
      return c.efficiency;
    case Figure::HottestPartWatts:
      return c.hottestPartWatts;
    case Figure::StandardReturnLoss:
      return c.standardReturnLossDb;
  }
  return std::nullopt;
}

void SortCandidates(std::vector<Candidate>& candidates, Figure figure) {
  const bool larger = LargerIsBetter(figure);
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](const Candidate& a, const Candidate& b) {
                     const std::optional<double> va = FigureValue(a, figure);
                     const std::optional<double> vb = FigureValue(b, figure);
                     if (!vb) return va.has_value();
                     if (!va) return false;
                     return larger ? *va > *vb : *va < *vb;
                   });
}

std::vector<std::size_t> ParetoFront(const std::vector<Candidate>& candidates, Figure x, Figure y) {
  // Both figures turned into "larger is better".
  struct Point {
    std::size_t index;
    double x, y;
  };
  std::vector<Point> points;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const std::optional<double> vx = FigureValue(candidates[i], x);
    const std::optional<double> vy = FigureValue(candidates[i], y);
    if (!vx || !vy) continue;
    points.push_back({i, LargerIsBetter(x) ? *vx : -*vx, LargerIsBetter(y) ? *vy : -*vy});
  }
  std::vector<std::size_t> front;
  for (const Point& p : points) {
    const bool beaten = std::any_of(points.begin(), points.end(), [&](const Point& q) {
      return q.x >= p.x && q.y >= p.y && (q.x > p.x || q.y > p.y);
    });
    if (!beaten) front.push_back(p.index);
  }
  const bool larger = LargerIsBetter(x);
  std::stable_sort(front.begin(), front.end(), [&](std::size_t a, std::size_t b) {
    const double va = *FigureValue(candidates[a], x), vb = *FigureValue(candidates[b], x);
    return larger ? va < vb : va > vb;
  });
  return front;
}

std::vector<std::size_t> CandidatesOfKind(const std::vector<Candidate>& candidates,
                                          CandidateKind kind) {
  std::vector<std::size_t> indexes;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i].kind == kind) indexes.push_back(i);
  }
  return indexes;
}

std::vector<double> PhasesForLoadedQ(const RunState& state, const Exploration& exploration,
                                     CandidateKind kind, QPort port, double q) {
  auto qOf = [port](const Candidate& c) { return port == QPort::Input ? c.inputQ : c.outputQ; };
  const std::vector<std::size_t> indexes = CandidatesOfKind(exploration.candidates, kind);
  std::vector<double> phases;
  for (std::size_t k = 0; k + 1 < indexes.size(); ++k) {
    const Candidate& a = exploration.candidates[indexes[k]];
    const Candidate& b = exploration.candidates[indexes[k + 1]];
    if (!a.phase || !b.phase) continue;
    // Neighbours only: a gap where the design does not exist (or the phase 0) breaks a run.
    if (*b.phase - *a.phase > 2.0 || (*a.phase < 0.0) != (*b.phase < 0.0)) continue;
    const double da = qOf(a) - q, db = qOf(b) - q;
    if (da == 0.0) {
      phases.push_back(*a.phase);
      continue;
    }
    if ((da < 0.0) == (db < 0.0) || db == 0.0) continue;
    double low = *a.phase, high = *b.phase, lowSign = da;
    for (int step = 0; step < 60 && high - low > 1e-9; ++step) {
      const double middle = 0.5 * (low + high);
      RunState copy = AtPhase(state, kind, middle);
      if (RunDesignPass(copy) != DesignOutcome::Designed) break;
      const double value = static_cast<double>(port == QPort::Input ? copy.NetValues[InputQ]
                                                                    : copy.NetValues[OutputQ]);
      if ((value - q < 0.0) == (lowSign < 0.0)) {
        low = middle;
      } else {
        high = middle;
      }
    }
    phases.push_back(0.5 * (low + high));
  }
  if (!indexes.empty()) {
    const Candidate& last = exploration.candidates[indexes.back()];
    if (last.phase && qOf(last) == q) phases.push_back(*last.phase);
  }
  std::sort(phases.begin(), phases.end());
  return phases;
}

std::optional<std::size_t> WidestBand(const Exploration& exploration, CandidateKind kind) {
  std::optional<std::size_t> best;
  double widest = 0.0;
  for (std::size_t i : CandidatesOfKind(exploration.candidates, kind)) {
    const std::optional<double> band = exploration.candidates[i].summary.bands[0].fractional;
    if (band && (!best || *band > widest)) {
      best = i;
      widest = *band;
    }
  }
  return best;
}

std::optional<std::size_t> BestAttenuation2f(const Exploration& exploration, CandidateKind kind,
                                             double minimumBandwidth) {
  std::optional<std::size_t> best;
  double most = 0.0;
  for (std::size_t i : CandidatesOfKind(exploration.candidates, kind)) {
    const Candidate& c = exploration.candidates[i];
    const std::optional<double> band = c.summary.bands[0].fractional;
    if (!band || *band < minimumBandwidth) continue;
    if (!best || c.summary.attenuation2f0Db > most) {
      best = i;
      most = c.summary.attenuation2f0Db;
    }
  }
  return best;
}

}  // namespace corvantile
