#include "report/report_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "math/design_range.h"
#include "state/names.h"
#include "units/format.h"
#include "units/precision.h"
#include "units/value_text.h"

namespace corvantile::report {

using precision::D;

std::string Trimmed(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  text.erase(0, first);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string WithUnit(const std::string& formatted, std::string_view unit) {
  std::string text = Trimmed(formatted).empty() ? std::string("0 ") : formatted;
  text += unit;
  return Trimmed(text);
}

namespace {

using Row = std::vector<std::string>;

std::string FamilyName(float family) {
  if (const FamilyNames* names = FindFamilyNames(family)) return std::string(names->text);
  return "unknown family " + Trimmed(FormatQuantity(family));
}

// "Tee, Pi, low-pass L, high-pass L"
std::string EveryFamilyName() {
  std::string text;
  for (const FamilyNames& names : kFamilyNames) {
    if (!text.empty()) text += ", ";
    text += names.text;
  }
  return text;
}

std::string EntryFormName(float form) {
  if (form == FormSeriesReactance) return "series R + jX";
  if (form == FormParallelReactance) return "parallel R, jX";
  if (form == FormSeriesPart) return "series R + part value";
  if (form == FormParallelPart) return "parallel R, part value";
  return "unknown form " + Trimmed(FormatQuantity(form));
}

// A source or load resistance or reactance as the schematic prints it; 1e15 ohm and above (an
// open circuit), or a value that is no number, reads "open".
std::string SideOhms(float ohms) {
  if (!(D(std::fabs(ohms)) < kOpenCircuitOhms)) return "open";
  return WithUnit(FormatQuantity(ohms), "ohms");
}

std::string ImpedanceSection(std::string_view title, const ImpedanceValues& values,
                             const StartupValues& startup) {
  auto part = [&](float value) {
    return IsAbsentPart(value, startup) ? "none" : PartValueText(value, startup.TinyMagnitude);
  };
  std::string text = std::string(title) + ": entered as " + EntryFormName(values[EntryForm]) +
                     ", angle " + WithUnit(FormatQuantity(values[Angle]), "deg") + "\n";
  text += TextColumns(
      {{"", "resistance", "reactance", "part"},
       {"series", SideOhms(values[SeriesR]), SideOhms(values[SeriesX]), part(values[SeriesPart])},
       {"parallel", SideOhms(values[ParallelR]), SideOhms(values[ParallelX]),
        part(values[ParallelPart])}},
      "  ");
  return text;
}

// The phase the design window shows: NetworkPhase less the angle of each side entered in any
// form but parallel R, jX.
float ShownPhase(const RunState& state) {
  float phase = state.NetValues[NetworkPhase];
  for (const ImpedanceValues* values : {&state.SourceValues, &state.LoadValues}) {
    const float form = (*values)[EntryForm];
    if (IsSeriesEntryForm(form) || form == FormParallelPart) phase -= (*values)[Angle];
  }
  return phase;
}

std::string ElementsSection(const RunState& state) {
  const NetworkValues& net = state.NetValues;
  const StartupValues& startup = state.startup;
  const bool tee = net[NetworkFamily] == FamilyTee;
  const std::array<std::string, 3> positions =
      tee ? std::array<std::string, 3>{"series", "shunt", "series"}
          : std::array<std::string, 3>{"shunt", "series", "shunt"};
  std::vector<Row> rows{{"", "", "part", "value", "reactance", "volts", "amps"}};
  for (int k = 0; k < 3; ++k) {
    const float part = net[NetPart1 + k];
    const float reactance = net[NetX1 + k];
    const float volts = net[NetPart1Volts + k];
    const float amps = net[NetPart1Amps + k];
    Row row{std::to_string(k + 1), positions[static_cast<std::size_t>(k)]};
    if (IsAbsentPart(part, startup)) {
      row.emplace_back(kAbsentPartText);
    } else {
      row.push_back(part >= 0.0f ? "inductor" : "capacitor");
      row.push_back(PartValueText(part, startup.TinyMagnitude));
      row.push_back(WithUnit(FormatEngineering(reactance), "ohms"));
      // The window shows volts and amps only with a positive power and inside its limits.
      const bool shown = net[Power] > 0.0f && volts >= startup.VoltsShownMin &&
                         volts <= startup.VoltsShownMax && amps >= startup.AmpsShownMin &&
                         amps <= startup.AmpsShownMax;
      if (shown) {
        row.push_back(WithUnit(FormatQuantity(volts), "V"));
        row.push_back(WithUnit(FormatQuantity(amps), "A"));
      }
    }
    rows.push_back(std::move(row));
  }
  return "Network elements (1 next to the source, 3 next to the load):\n" + TextColumns(rows, "  ");
}

std::string Quantity(double value, std::string_view unit) {
  return WithUnit(FormatQuantity(static_cast<float>(value)), unit);
}

std::string Decibels(double db) { return FixedNumber(db, 3) + " dB"; }

std::string LossQText(const PartQ& q) {
  if (q.file) return "file";
  if (q.esr > 0.0) return "ESR " + ShortNumber(q.esr, 4) + " ohm";
  if (!IsLossy(q)) return "ideal";
  return ShortNumber(q.q0, 6) + " (" + QLawText(q.law) + ")";
}

bool IsRealPart(PartKind kind) { return kind == PartKind::Inductor || kind == PartKind::Capacitor; }

std::string PartsTable(const LossAnalysis& analysis) {
  std::vector<Row> rows{
      {"", "Q", "resistance", "dissipated", "volts rms", "volts peak", "amps rms", "amps peak"}};
  for (std::size_t k = 0; k < 3; ++k) {
    const PartStress& p = analysis.parts[k];
    Row row{std::to_string(k + 1)};
    if (!IsRealPart(p.kind)) {
      row.emplace_back(kAbsentPartText);
    } else {
      row.insert(row.end(), {LossQText(p.q), Quantity(p.resistance, "ohms"), Quantity(p.watts, "W"),
                             Quantity(p.voltsRms, "V"), Quantity(p.voltsPeak, "V"),
                             Quantity(p.ampsRms, "A"), Quantity(p.ampsPeak, "A")});
    }
    rows.push_back(std::move(row));
  }
  return TextColumns(rows, "  ");
}

// Each part's model, self-resonant frequency and working frequency over it, then the
// self-resonance warnings; "" when every part is ideal or lossy by its Q alone.
std::string PartModels(const MatchingCircuit& circuit, const LossModel& model,
                       const LossAnalysis& analysis) {
  bool any = false;
  for (const PartStress& p : analysis.parts) any = any || HasParasitics(p.q);
  if (!any) return "";
  std::vector<Row> rows{{"", "model", "self-resonance", "f0/SRF"}};
  for (std::size_t k = 0; k < 3; ++k) {
    const PartStress& p = analysis.parts[k];
    if (!IsRealPart(p.kind)) continue;
    const bool resonates = p.selfResonance > 0.0;
    rows.push_back(
        {std::to_string(k + 1), PartModelText(p.q),
         resonates ? FrequencyText(p.selfResonance) : std::string("none"),
         resonates ? FixedNumber(analysis.frequency / p.selfResonance, 3) : std::string("-")});
  }
  std::string text = "Part models:\n" + TextColumns(rows, "  ");
  for (const std::string& warning : SelfResonanceWarnings(circuit, model)) {
    text += "warning: " + warning + "\n";
  }
  return text;
}

std::string Totals(const LossAnalysis& a) {
  return TextColumns({{"Input power:", Quantity(a.inputPower, "W")},
                      {"Load power:", Quantity(a.loadPower, "W")},
                      {"Dissipated:", Quantity(a.dissipatedPower, "W")},
                      {"Efficiency:", PercentText(a.efficiency, 2)},
                      {"Dissipative loss:", Decibels(a.dissipativeLossDb)},
                      {"Mismatch loss:", Decibels(a.mismatchLossDb)},
                      {"Transducer loss:", Decibels(a.transducerLossDb)},
                      {"Return loss:", ReturnLossText(a.returnLossDb, 3)},
                      {"VSWR:", FixedNumber(a.vswr, 3)},
                      {"Input impedance:", ImpedanceText(a.inputImpedance)}},
                     "  ");
}

}  // namespace

std::string TextColumns(const std::vector<Row>& rows, std::string_view indent) {
  std::vector<std::size_t> widths;
  for (const Row& row : rows) {
    if (row.size() > widths.size()) widths.resize(row.size(), 0);
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  std::string text;
  for (const Row& row : rows) {
    std::string line(indent);
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line.append(widths[i] - row[i].size() + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line;
    text += '\n';
  }
  return text;
}

bool IsAbsentPart(float part, const StartupValues& startup) {
  const float magnitude = std::fabs(part);
  return magnitude > 10.0f || magnitude < startup.TinyMagnitude;
}

std::string DesignReport(const RunState& state, DesignOutcome outcome) {
  const NetworkValues& net = state.NetValues;
  std::string text = "Corvantile design: " + FamilyName(net[NetworkFamily]) + " network\n";
  if (outcome == DesignOutcome::Impossible) {
    text += kImpossibleDesignLine;
    text += '\n';
    if (const std::optional<std::string> reason = OutOfDesignRange(state)) {
      text += "why: " + *reason + "\n";
    }
  } else if (outcome == DesignOutcome::NotDesigned) {
    text +=
        DerivesPartsOnly(net[DesignMode])
            ? "no network designed: DesignMode is negative, so only the part values were "
              "derived from the stored reactances\n"
            : "no network designed: the network family is not one of " + EveryFamilyName() + "\n";
  }
  text += '\n';
  text += TextColumns({{"Frequency:", FrequencyText(D(net[Frequency]))},
                       {"Power:", WithUnit(FormatQuantity(net[Power]), "W")},
                       {"Network phase:", WithUnit(FormatEngineering(ShownPhase(state)), "deg")},
                       {"Phase (r-r):", WithUnit(FormatEngineering(net[NetworkPhase]), "deg")}},
                      "");
  text += '\n';
  text += ImpedanceSection("Source", state.SourceValues, state.startup);
  text += ImpedanceSection("Load", state.LoadValues, state.startup);
  text += '\n';
  text += ElementsSection(state);
  text += '\n';
  text += TextColumns({{"Input Q:", Trimmed(FormatQuantity(net[InputQ]))},
                       {"Output Q:", Trimmed(FormatQuantity(net[OutputQ]))},
                       {"Intermediate r:", WithUnit(FormatQuantity(net[IntermediateR]), "ohms")}},
                      "");
  return text;
}

std::string MeasuredSideLine(std::string_view side, std::string_view fileName, int port,
                             std::complex<double> atDesign, double designFrequency) {
  return std::string(side) + ": measured, " + std::string(fileName) + " port " +
         std::to_string(port) + ": " + ImpedanceText(atDesign) + " at " +
         FrequencyText(designFrequency);
}

LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossModel& model,
                               bool compensate, float designDriver) {
  LossFigures figures;
  figures.model = model;
  figures.designed = AnalyzeLosses(circuit, figures.model);
  if (compensate) {
    figures.compensated = true;
    figures.compensation = CompensateLosses(circuit, figures.model, designDriver);
    figures.compensatedAnalysis = AnalyzeLosses(figures.compensation.circuit, figures.model);
  }
  return figures;
}

std::string LossesReport(const MatchingCircuit& circuit, const LossFigures& figures) {
  bool modelled = false;
  for (const PartStress& p : figures.designed.parts) modelled = modelled || HasParasitics(p.q);
  std::string text =
      "\nLosses at " + FrequencyText(figures.designed.frequency) +
      (modelled ? " (each part its equivalent circuit or file below; a Q alone is a series "
                  "resistance |X|/Q(f), Q(f) = Q0 (f/f0)^k):\n"
                : " (each part a series resistance |X|/Q(f), the usual ESR model; Q(f) = Q0 "
                  "(f/f0)^k):\n");
  text += PartsTable(figures.designed);
  text += PartModels(circuit, figures.model, figures.designed);
  text += Totals(figures.designed);
  if (!figures.compensated) return text;
  const CompensatedDesign& c = figures.compensation;
  text += "\nCompensated for losses: " + CompensationText(c) + "\n";
  std::vector<Row> rows{{"", "ideal value", "compensated", "ideal reactance", "reactance"}};
  for (std::size_t k = 0; k < 3; ++k) {
    rows.push_back({std::to_string(k + 1) + (c.resolved[k] ? "" : " (kept)"),
                    PartValueText(circuit.elements[k]), PartValueText(c.circuit.elements[k]),
                    Quantity(c.idealReactance[k], "ohms"), Quantity(c.reactance[k], "ohms")});
  }
  text += TextColumns(rows, "  ");
  text += PartsTable(figures.compensatedAnalysis);
  text += PartModels(c.circuit, figures.model, figures.compensatedAnalysis);
  text += Totals(figures.compensatedAnalysis);
  return text;
}

std::string LossesBlock(const RunState& state, DesignOutcome outcome, const LossModel& model,
                        bool compensate) {
  // The losses need the physical circuit; a design without one reports none.
  const CircuitBuild build = BuildCircuit(state, outcome);
  if (build.problem != CircuitProblem::None) {
    return "\nLosses: none analysed (" + std::string(CircuitProblemText(build.problem)) + ")\n";
  }
  return LossesReport(build.circuit, ComputeLossFigures(build.circuit, model, compensate,
                                                        state.NetValues[DesignDriver]));
}

}  // namespace corvantile::report
