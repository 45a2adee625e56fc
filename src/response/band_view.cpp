#include "response/band_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "analysis/circuits/circuit_text.h"
#include "analysis/circuits/ladder_circuit.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/formats/touchstone.h"
#include "response/background_run.h"
#include "response/band_text.h"
#include "state/codes.h"

namespace corvantile {
namespace {

constexpr int kCurvePoints = 401;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// A design whose best in-band return loss is below this matches nowhere closely enough for the
// design window's exact match to stand for it.
constexpr double kNearMatchDb = 25.0;
// What the design window's version of a band design may lose of its worst return loss.
constexpr double kApplyLossDb = 0.1;

std::string Decimals(double value, int decimals) {
  return std::isfinite(value) ? FixedNumber(value, decimals) : "-";
}

std::string ConnectionWord(const LadderElement& e) { return e.shunt ? "shunt" : "series"; }

// The reflection's size at one frequency.
double ReflectionAt(const LadderCircuit& ladder, double f, const MeasuredSides& sides) {
  const std::vector<double> one{f};
  return std::abs(LadderResponse(ladder, one, sides).front().reflection);
}

// The in-band frequency where the ladder's reflection is least: the best of the search's own
// in-band points, then refined by golden sections between its neighbours.
double BestMatchFrequency(const LadderCircuit& ladder, const std::vector<double>& frequencies,
                          const MeasuredSides& sides) {
  const std::vector<ResponsePoint> points = LadderResponse(ladder, frequencies, sides);
  std::size_t at = 0;
  for (std::size_t k = 1; k < points.size(); ++k) {
    if (std::abs(points[k].reflection) < std::abs(points[at].reflection)) at = k;
  }
  const double best = frequencies[at];
  double low = at > 0 ? frequencies[at - 1] : best;
  double high = at + 1 < frequencies.size() ? frequencies[at + 1] : best;
  const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
  for (int i = 0; i < 80 && high - low > 1e-12 * high; ++i) {
    const double a = high - golden * (high - low);
    const double b = low + golden * (high - low);
    if (ReflectionAt(ladder, a, sides) < ReflectionAt(ladder, b, sides)) {
      high = b;
    } else {
      low = a;
    }
  }
  const double refined = 0.5 * (low + high);
  return ReflectionAt(ladder, refined, sides) < std::abs(points[at].reflection) ? refined : best;
}

float FamilyOf(const MatchingCircuit& circuit) {
  if (circuit.topology == NetworkTopology::Tee) return FamilyTee;
  const bool firstOpen = circuit.elements[0].kind == PartKind::Open;
  const bool lastOpen = circuit.elements[2].kind == PartKind::Open;
  if (!firstOpen && !lastOpen) return FamilyPi;
  // An L: low-pass when its series part is an inductor.
  return circuit.elements[1].kind == PartKind::Inductor ? FamilyLowpassL : FamilyHighpassL;
}

}  // namespace

std::string DefaultBandsText(double designFrequency) {
  if (!(designFrequency > 0.0) || !std::isfinite(designFrequency)) return {};
  return BandEntryText({0.95 * designFrequency, 1.05 * designFrequency});
}

BandSearchChoice BandSearchOf(const BandChoices& choices) {
  BandSearchChoice choice;
  const BandsReading read = ReadBands(choices.bands);
  if (!read.Ok()) {
    choice.error = read.error;
    return choice;
  }
  if (read.bands.empty()) {
    choice.error = "give a band F1:F2 (3.5M:3.8M), or several separated by commas";
    return choice;
  }
  choice.options.bands = read.bands;
  choice.options.maxElements = std::clamp(choices.maxElements, 1, 6);
  choice.options.family = choices.family;
  return choice;
}

std::function<std::optional<BandAnswer>(std::stop_token, std::atomic<int>&)> BandWork(
    const DesignModel& model, const BandMatchOptions& options) {
  return [model, options](std::stop_token stop,
                          std::atomic<int>& progress) -> std::optional<BandAnswer> {
    return WithCancelFlag(stop, [&](const std::atomic<bool>* cancel) -> std::optional<BandAnswer> {
      BandMatchOptions o = options;
      o.progress = &progress;
      o.cancel = cancel;
      BandAnswer answer = BandOf(model, o);
      if (answer.match.cancelled) return std::nullopt;
      return answer;
    });
  };
}

std::vector<std::array<std::string, 6>> BandRows(const BandAnswer& answer) {
  std::vector<std::array<std::string, 6>> rows;
  for (const BandDesign& d : answer.match.designs) {
    std::string ladder;
    for (const LadderElement& e : d.circuit.elements) {
      if (!ladder.empty()) ladder += ", ";
      ladder += ConnectionWord(e) + ' ' + PartValueText(e.part);
    }
    rows.push_back({std::to_string(d.circuit.elements.size()),
                    Decimals(d.figures.worstReturnLossDb, 2),
                    Decimals(d.figures.meanReturnLossDb, 2), Decimals(d.figures.worstVswr, 3),
                    d.distanceFromBoundDb ? Decimals(*d.distanceFromBoundDb, 2) : "-", ladder});
  }
  return rows;
}

BandCurve BandCurveOf(const BandAnswer& answer, std::size_t design,
                      const std::vector<FrequencyBand>& bands) {
  BandCurve curve;
  curve.bands = bands;
  const std::optional<double> bound = answer.match.bound.ReturnLossDb();
  if (bound && std::isfinite(*bound)) curve.boundDb = bound;
  if (design >= answer.match.designs.size() || bands.empty()) return curve;
  double low = HUGE_VAL, high = 0.0;
  for (const FrequencyBand& b : bands) {
    low = std::min(low, b.from);
    high = std::max(high, b.to);
  }
  const double margin = (high - low) / 6.0;
  SweepSpan span{std::max(low - margin, 0.5 * low), high + margin, kCurvePoints, false};
  span = CutToSides(span, answer.Sides());
  curve.span = span;
  if (!SweepSpanProblem(span).empty()) return curve;
  const std::vector<double> f = SweepFrequencies(span);
  const std::vector<ResponsePoint> points =
      LadderResponse(answer.match.designs[design].circuit, f, answer.Sides());
  for (const ResponsePoint& p : points) {
    if (!std::isfinite(p.frequency) || !std::isfinite(p.returnLossDb)) continue;
    curve.frequencies.push_back(p.frequency);
    curve.returnLossDb.push_back(p.returnLossDb);
  }
  return curve;
}

std::string BandExportText(const BandAnswer& answer, std::size_t design, BandExport format,
                           const SweepSpan& span) {
  if (design >= answer.match.designs.size()) return {};
  const LadderCircuit& ladder = answer.match.designs[design].circuit;
  switch (format) {
    case BandExport::Spice:
      return SpiceNetlist(ladder, span);
    case BandExport::Touchstone:
      return TouchstoneS2p(ladder, span, kDefaultReferenceImpedance);
    case BandExport::Csv:
      return SweepCsv(LadderResponse(ladder, SweepFrequencies(span), answer.Sides()));
  }
  return {};
}

namespace {

// The design window's network after `application`, on a copy of the model: its worst return
// loss over the answer's in-band points, or none when the window builds another shape of
// network (other part kinds, another topology) or between other sides.
std::optional<double> WindowWorstReturnLoss(const DesignModel& model, const BandAnswer& answer,
                                            const LadderCircuit& ladder,
                                            const MatchingCircuit& three,
                                            const BandApplication& application) {
  DesignModel copy = model;
  if (!copy.Change([&] { ApplyBandDesign(copy.state(), application); }).empty()) {
    return std::nullopt;
  }
  const Network network = NetworkOf(copy);
  if (network.problem != CircuitProblem::None) return std::nullopt;
  const MatchingCircuit& built = network.ideal;
  if (built.topology != three.topology) return std::nullopt;
  for (std::size_t k = 0; k < 3; ++k) {
    if (built.elements[k].kind != three.elements[k].kind) return std::nullopt;
  }
  // The sides must be the ones searched: a typed side entered as a reactance would move with
  // the design frequency.
  const double omega = kTwoPi * answer.match.centreFrequency;
  for (const auto& [a, b] :
       {std::pair(built.source, ladder.source), std::pair(built.load, ladder.load)}) {
    const std::complex<double> za = TerminationImpedance(a, omega);
    const std::complex<double> zb = TerminationImpedance(b, omega);
    if (!(std::abs(za - zb) <= 1e-5 * std::abs(zb))) return std::nullopt;
  }
  const MeasuredSides sides = answer.Sides();
  double worst = HUGE_VAL;
  for (const double f : answer.match.frequencies) {
    worst = std::min(worst, EvaluateResponse(built, f, sides).returnLossDb);
  }
  return std::isfinite(worst) ? std::optional(worst) : std::nullopt;
}

// The ways the window could design the ladder at `f`: each fixed part on either branch, then
// the network's phase there (both signs).
std::vector<BandApplication> WaysAt(const LadderCircuit& ladder, const MatchingCircuit& three,
                                    float family, double f, const MeasuredSides& sides) {
  std::vector<BandApplication> ways;
  const bool isL = IsLNetwork(family);
  for (int k = 1; k <= 3; ++k) {
    const CircuitPart& part = three.elements[static_cast<std::size_t>(k - 1)];
    if (part.kind != PartKind::Inductor && part.kind != PartKind::Capacitor) continue;
    const float value =
        static_cast<float>(part.kind == PartKind::Inductor ? part.value : -part.value);
    for (float branch : {BranchFirst, BranchSecond}) {
      ways.push_back({static_cast<float>(f), family, PartDriverOf(k),
                      isL ? BranchNotChosen : branch, k, value, 0.0});
      if (isL) break;
    }
  }
  const double phase =
      LadderResponse(ladder, std::vector<double>{f}, sides).front().transferPhaseDeg;
  for (double p : {phase, -phase}) {
    ways.push_back({static_cast<float>(f), family, DriverPhase, BranchNotChosen, 0,
                    static_cast<float>(p), 0.0});
  }
  return ways;
}

}  // namespace

bool SameBandSides(const DesignModel& model, const BandAnswer& answer) {
  if (answer.match.designs.empty()) return false;
  if (model.SeenPort(MeasuredSideKind::Source) != answer.measuredSource ||
      model.SeenPort(MeasuredSideKind::Load) != answer.measuredLoad) {
    return false;
  }
  RunState designed = model.state();
  RunDesignPass(designed);
  const CircuitBuild sides = BuildCircuit(designed, DesignOutcome::Designed);
  if (sides.problem != CircuitProblem::None && sides.problem != CircuitProblem::ShuntShorted) {
    return false;
  }
  const LadderCircuit& searched = answer.match.designs.front().circuit;
  const double omega = kTwoPi * answer.match.centreFrequency;
  for (const auto& [a, b] : {std::pair(sides.circuit.source, searched.source),
                             std::pair(sides.circuit.load, searched.load)}) {
    const std::complex<double> za = TerminationImpedance(a, omega);
    const std::complex<double> zb = TerminationImpedance(b, omega);
    if (!(std::abs(za - zb) <= 1e-5 * std::abs(zb))) return false;
  }
  return true;
}

BandApplicationChoice ApplicationOf(const DesignModel& model, const BandAnswer& answer,
                                    std::size_t design) {
  BandApplicationChoice choice;
  if (design >= answer.match.designs.size() || answer.match.frequencies.empty()) {
    choice.reason = "no design chosen";
    return choice;
  }
  const BandDesign& chosen = answer.match.designs[design];
  const LadderCircuit& ladder = chosen.circuit;
  const std::optional<MatchingCircuit> three = MatchingFromLadder(ladder);
  if (!three || ladder.elements.size() < 2) {
    choice.reason = "the design window takes an L, Pi or Tee of two or three elements";
    return choice;
  }
  const float family = FamilyOf(*three);
  const MeasuredSides sides = answer.Sides();
  // The window designs an exact match at one frequency: the ladder's best match in band, and
  // the way of designing it there that keeps the band's worst return loss best.
  const double f = BestMatchFrequency(ladder, answer.match.frequencies, sides);
  const double reflection = ReflectionAt(ladder, f, sides);
  if (!(-20.0 * std::log10(std::max(reflection, 1e-300)) >= kNearMatchDb)) {
    choice.reason =
        "it matches nowhere in the band closely, and the design window designs an "
        "exact match at one frequency";
    return choice;
  }
  std::optional<BandApplication> best;
  for (BandApplication way : WaysAt(ladder, *three, family, f, sides)) {
    const std::optional<double> worst = WindowWorstReturnLoss(model, answer, ladder, *three, way);
    if (!worst || (best && *worst <= best->worstReturnLossDb)) continue;
    way.worstReturnLossDb = *worst;
    best = way;
  }
  if (!best) {
    choice.reason = "the design window does not design this network from its source and load";
    return choice;
  }
  // The same way at a nearby frequency may keep the band better: golden sections between the
  // in-band neighbours of the match.
  const std::vector<double>& points = answer.match.frequencies;
  const auto at = std::lower_bound(points.begin(), points.end(), f);
  double low = at == points.begin() ? f : *(at - 1);
  double high = at == points.end() || at + 1 == points.end() ? f : *(at + 1);
  const auto score = [&](double g) {
    for (BandApplication way : WaysAt(ladder, *three, family, g, sides)) {
      if (way.driver != best->driver || way.branch != best->branch) continue;
      if (way.driver == DriverPhase &&
          std::signbit(way.fixedValue) != std::signbit(best->fixedValue)) {
        continue;
      }
      if (const std::optional<double> worst =
              WindowWorstReturnLoss(model, answer, ladder, *three, way)) {
        way.worstReturnLossDb = *worst;
        return std::optional(way);
      }
    }
    return std::optional<BandApplication>();
  };
  const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
  for (int i = 0; i < 30 && high - low > 1e-9 * high; ++i) {
    const double a = high - golden * (high - low);
    const double b = low + golden * (high - low);
    const std::optional<BandApplication> sa = score(a), sb = score(b);
    const double va = sa ? sa->worstReturnLossDb : -HUGE_VAL;
    const double vb = sb ? sb->worstReturnLossDb : -HUGE_VAL;
    if (sa && va > best->worstReturnLossDb) best = sa;
    if (sb && vb > best->worstReturnLossDb) best = sb;
    if (va > vb) {
      high = b;
    } else {
      low = a;
    }
  }
  if (best->worstReturnLossDb < chosen.figures.worstReturnLossDb - kApplyLossDb) {
    choice.reason =
        "as the design window designs it, its worst return loss over the band "
        "would be " +
        Decimals(best->worstReturnLossDb, 2) + " dB, not " +
        Decimals(chosen.figures.worstReturnLossDb, 2) + " dB";
    return choice;
  }
  choice.application = best;
  return choice;
}

void ApplyBandDesign(RunState& state, const BandApplication& a) {
  state.NetValues[Frequency] = a.frequency;
  state.NetValues[NetworkFamily] = a.family;
  state.NetValues[DesignDriver] = a.driver;
  state.NetValues[SolutionBranch] = a.branch;
  if (a.driver == DriverPhase) {
    state.NetValues[NetworkPhase] = a.fixedValue;
  } else if (a.fixedPart >= 1 && a.fixedPart <= 3) {
    state.NetValues[NetPart1 + a.fixedPart - 1] = a.fixedValue;
  }
  RunDesignPass(state);
}

}  // namespace corvantile
