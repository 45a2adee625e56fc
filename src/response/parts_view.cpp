#include "response/parts_view.h"

#include <cctype>
#include <cmath>
#include <memory>
#include <optional>

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
std::string Hertz(double hz) { return EngineeringText(hz, "Hz"); }
std::string Ratio(double r) { return FixedNumber(r, 2); }

// Element1 -> 1, ...; 0 for a kind.
int ElementOf(PartModelSlot slot) {
  switch (slot) {
    case PartModelSlot::Element1:
      return 1;
    case PartModelSlot::Element2:
      return 2;
    case PartModelSlot::Element3:
      return 3;
    default:
      return 0;
  }
}

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
                 IsLossy(stress.q) ? QLawText(stress.q.law) : std::string(kNoFigure),
                 PartModelText(stress.q),
                 stress.selfResonance > 0.0 ? FigureText(stress.selfResonance, Hertz)
                                            : std::string(kNoFigure),
                 stress.selfResonance > 0.0 ? FigureText(a.frequency / stress.selfResonance, Ratio)
                                            : std::string(kNoFigure)};
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
  view.warnings = SelfResonanceWarnings(shown, losses);
  return view;
}

std::string PartModelSlotName(PartModelSlot slot) {
  switch (slot) {
    case PartModelSlot::Inductor:
      return "inductor model";
    case PartModelSlot::Capacitor:
      return "capacitor model";
    default:
      return "element " + std::to_string(ElementOf(slot)) + " model";
  }
}

std::string PartModelSlotText(const PartModelSettings& models, PartModelSlot slot) {
  if (slot == PartModelSlot::Inductor) return models.inductorModel;
  if (slot == PartModelSlot::Capacitor) return models.capacitorModel;
  return models.elementModel[static_cast<std::size_t>(ElementOf(slot) - 1)].value_or("");
}

PartModelEdit WithPartModelText(const PartModelSettings& models, PartModelSlot slot,
                                const std::string& text) {
  PartModelEdit edit{{}, models};
  const int element = ElementOf(slot);
  const PartModelTarget target{
      slot == PartModelSlot::Capacitor ? PartKind::Capacitor : PartKind::Inductor, element};
  PartModelItems read;
  if (!ReadPartModelItems(text, target, PartModelSlotName(slot), read, edit.problem)) {
    edit.models = models;
    return edit;
  }
  if (slot == PartModelSlot::Inductor) {
    edit.models.inductorModel = text;
  } else if (slot == PartModelSlot::Capacitor) {
    edit.models.capacitorModel = text;
  } else {
    // An empty box gives the element back to its kind.
    edit.models.elementModel[static_cast<std::size_t>(element - 1)] =
        text.empty() ? std::nullopt : std::optional<std::string>(text);
  }
  return edit;
}

PartFileEdit WithPartFile(const LossModel& losses, const PartModelSettings& models, int k,
                          const std::optional<PartFileSetting>& file) {
  PartFileEdit edit{{}, models, losses};
  const std::size_t i = static_cast<std::size_t>(k - 1);
  LossModel with = losses;
  if (!file) {
    edit.models.elementFile[i].reset();
  } else {
    PartFileSetting setting = *file;
    std::string lower = setting.file;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.ends_with(".s1p")) setting.connection = PartConnection::OnePort;
    const PartFileRead read = ReadPartFile(setting.file, MountingOf(setting.connection));
    if (!read.error.empty()) {
      edit.problem = "element " + std::to_string(k) + ": " + read.error;
      return edit;
    }
    edit.models.elementFile[i] = setting;
    if (!with.elementParts[i]) with.elementParts[i] = PartParasitics{};
    with.elementParts[i]->file = read.part;
  }
  // Made again from the texts, so that an element without a text or a file takes its kind's.
  edit.losses = WithPartModelTexts(with, edit.models);
  return edit;
}

LossModel WithPartModelTexts(const LossModel& losses, const PartModelSettings& models) {
  LossSettings settings = LossSettingsOf(losses, false);
  settings.models = models;
  std::array<std::shared_ptr<const PartFile>, 3> files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (losses.elementParts[i] && models.elementFile[i]) files[i] = losses.elementParts[i]->file;
  }
  return LossModelOf(settings, files);
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
