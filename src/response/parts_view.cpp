#include "response/parts_view.h"

#include <cmath>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "response/response_text.h"
#include "units/constants.h"
#include "units/value_text.h"

namespace corvantile {
namespace {

bool IsPart(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
}

std::string Volts(double v) { return EngineeringText(v, "V"); }
std::string Amps(double a) { return EngineeringText(a, "A"); }
std::string Watts(double w) { return EngineeringText(w, "W"); }
std::string Ohms(double x) { return ShortNumber(x, 4) + " ohm"; }
std::string Decibels(double db) { return FixedNumber(db, 3) + " dB"; }
std::string ReturnLoss(double db) { return ReturnLossText(db, 3); }
std::string Percent(double fraction) { return PercentText(fraction, 2); }

// The part's value in its own unit: "117.768 pF", "20.1317 uH"; "absent" for no part.
std::string ValueText(const CircuitPart& part) {
  if (IsPart(part) && !std::isfinite(part.value)) return std::string(kNoFigure);
  return PartValueText(part);
}

// The compensation line's text. Only a compensated network that matches is said to match: with
// compensation off the lossy network is the lossless design's, mismatched by its losses.
std::string CompensationLine(const PartsView& view, const MatchingCircuit& shown) {
  if (view.compensated) return CompensationText(view.compensation);
  bool lossy = false;
  for (std::size_t i = 0; i < 3; ++i)
    lossy = lossy || (IsPart(shown.elements[i]) && IsLossy(view.analysis.parts[i].q));
  if (!lossy) return "off (every part is ideal: the lossless network matches the source exactly)";
  return "off: the lossy network is not re-solved; its return loss is " +
         FigureText(view.analysis.returnLossDb, ReturnLoss) + " (compensated, " +
         (view.compensation.status == CompensationStatus::Matched
              ? std::string("it would match the source exactly)")
              : "its best return loss would be " +
                    FigureText(view.compensation.returnLossDb, ReturnLoss) + ")");
}

}  // namespace

std::string FigureText(double value, std::string (*format)(double)) {
  return std::isfinite(value) ? format(value) : std::string(kNoFigure);
}

std::string QText(const PartQ& q) {
  if (!IsLossy(q)) return "ideal";
  return FigureText(q.q0, [](double v) { return ShortNumber(v, 4); });
}

PartsView BuildPartsView(const RunState& state, DesignOutcome outcome, const LossModel& losses,
                         bool compensate) {
  PartsView view;
  const CircuitBuild build = BuildCircuit(state, outcome);
  if (build.problem != CircuitProblem::None) {
    view.noNetworkReason = std::string(CircuitProblemText(build.problem));
    return view;
  }
  view.hasNetwork = true;
  view.compensated = compensate;
  view.compensation = CompensateLosses(build.circuit, losses, state.NetValues[DesignDriver]);
  const MatchingCircuit& shown = compensate ? view.compensation.circuit : build.circuit;
  view.analysis = AnalyzeLosses(shown, losses);
  const LossAnalysis& a = view.analysis;

  for (std::size_t i = 0; i < 3; ++i) {
    const CircuitPart& ideal = build.circuit.elements[i];
    const CircuitPart& compensated = view.compensation.circuit.elements[i];
    if (!IsPart(ideal) && !IsPart(compensated)) continue;
    const PartStress& stress = a.parts[i];
    PartsRow row;
    row.element = static_cast<int>(i) + 1;
    row.cells = {"Element " + std::to_string(row.element),
                 ValueText(ideal),
                 ValueText(compensated),
                 FigureText(stress.reactance, Ohms),
                 QText(stress.q),
                 FigureText(stress.voltsRms, Volts),
                 FigureText(stress.voltsPeak, Volts),
                 FigureText(stress.ampsRms, Amps),
                 FigureText(stress.ampsPeak, Amps),
                 FigureText(stress.watts, Watts),
                 IsLossy(stress.q) ? QLawText(stress.q.law) : std::string(kNoFigure)};
    view.rows.push_back(std::move(row));
  }

  view.figureLines = {
      "Efficiency: " + FigureText(a.efficiency, Percent),
      "Input power: " + FigureText(a.inputPower, Watts) + ", load power: " +
          FigureText(a.loadPower, Watts) + ", dissipated: " + FigureText(a.dissipatedPower, Watts),
      "Dissipative loss: " + FigureText(a.dissipativeLossDb, Decibels),
      "Mismatch loss: " + FigureText(a.mismatchLossDb, Decibels),
      "Transducer loss: " + FigureText(a.transducerLossDb, Decibels),
      "Return loss: " + FigureText(a.returnLossDb, ReturnLoss),
      "Input impedance: " + ImpedanceText(a.inputImpedance),
      "Compensation: " + CompensationLine(view, shown),
  };
  return view;
}

std::vector<std::string> PairsLines(const StandardPairs& pairs, const StandardChoice& choice) {
  if (pairs.problem != CircuitProblem::None) return {};
  std::vector<std::string> lines = {
      "Best pairs of standard values (inductors " + std::string(SeriesName(choice.inductors)) +
      " in series, capacitors " + std::string(SeriesName(choice.capacitors)) + " in parallel):"};
  for (std::size_t i = 0; i < 3; ++i) {
    const CircuitPart& part = pairs.design.circuit.elements[i];
    if (!IsPart(part)) continue;
    lines.push_back("Element " + std::to_string(i + 1) + ": " +
                    PairValueText(part, pairs.pairs[i]));
  }
  const ResponsePoint& at = pairs.design.summary.atDesign;
  lines.push_back("Return loss " + FigureText(at.returnLossDb, ReturnLoss) + ", VSWR " +
                  FigureText(at.vswr, [](double v) { return FixedNumber(v, 3); }) + ", " +
                  std::to_string(pairs.partCount) + " parts");
  return lines;
}

}  // namespace corvantile
