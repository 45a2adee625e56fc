#include "cli/loss_report.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/number_text.h"
#include "report/report_text.h"
#include "units/format.h"

namespace corvantile::cli {
namespace {

using Row = std::vector<std::string>;

using report::Trimmed;
using report::WithUnit;

std::string Quantity(double value, std::string_view unit) {
  return WithUnit(FormatQuantity(static_cast<float>(value)), unit);
}

std::string Decibels(double db) { return FixedNumber(db, 3) + " dB"; }

std::string ImpedanceText(std::complex<double> z) {
  const double x = z.imag();
  return Trimmed(FormatQuantity(static_cast<float>(z.real()))) + (x < 0.0 ? " - j" : " + j") +
         Trimmed(WithUnit(FormatQuantity(static_cast<float>(std::fabs(x))), "ohms"));
}

std::string QText(const PartQ& q) {
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
      row.push_back(p.kind == PartKind::Open ? "open" : "short");
    } else {
      row.insert(row.end(), {QText(p.q), Quantity(p.resistance, "ohms"), Quantity(p.watts, "W"),
                             Quantity(p.voltsRms, "V"), Quantity(p.voltsPeak, "V"),
                             Quantity(p.ampsRms, "A"), Quantity(p.ampsPeak, "A")});
    }
    rows.push_back(std::move(row));
  }
  return report::TextColumns(rows, "  ");
}

std::string Totals(const LossAnalysis& a) {
  return report::TextColumns({{"Input power:", Quantity(a.inputPower, "W")},
                              {"Load power:", Quantity(a.loadPower, "W")},
                              {"Dissipated:", Quantity(a.dissipatedPower, "W")},
                              {"Efficiency:", FixedNumber(100.0 * a.efficiency, 2) + " %"},
                              {"Dissipative loss:", Decibels(a.dissipativeLossDb)},
                              {"Mismatch loss:", Decibels(a.mismatchLossDb)},
                              {"Transducer loss:", Decibels(a.transducerLossDb)},
                              {"Return loss:", Decibels(a.returnLossDb)},
                              {"VSWR:", FixedNumber(a.vswr, 3)},
                              {"Input impedance:", ImpedanceText(a.inputImpedance)}},
                             "  ");
}

JsonObject AnalysisJson(const LossAnalysis& a) {
  JsonArray parts;
  for (const PartStress& p : a.parts) {
    JsonObject part;
    part.AddBool("lossy", IsLossy(p.q))
        .AddDouble("q0", IsLossy(p.q) ? p.q.q0 : 0.0)
        .AddDouble("q_law", p.q.law)
        .AddDouble("reactance_ohm", p.reactance)
        .AddDouble("resistance_ohm", p.resistance)
        .AddDouble("dissipated_w", p.watts)
        .AddDouble("volts_rms", p.voltsRms)
        .AddDouble("volts_peak", p.voltsPeak)
        .AddDouble("amps_rms", p.ampsRms)
        .AddDouble("amps_peak", p.ampsPeak);
    parts.AddObject(part);
  }
  JsonObject json;
  json.AddDouble("input_power_w", a.inputPower)
      .AddDouble("load_power_w", a.loadPower)
      .AddDouble("dissipated_w", a.dissipatedPower)
      .AddDouble("efficiency", a.efficiency)
      .AddDouble("dissipative_loss_db", a.dissipativeLossDb)
      .AddDouble("mismatch_loss_db", a.mismatchLossDb)
      .AddDouble("transducer_loss_db", a.transducerLossDb)
      .AddDouble("return_loss_db", a.returnLossDb)
      .AddDouble("vswr", a.vswr)
      .AddDouble("input_impedance_re_ohm", a.inputImpedance.real())
      .AddDouble("input_impedance_im_ohm", a.inputImpedance.imag())
      .AddArray("parts", parts);
  return json;
}

double PartValue(const CircuitPart& part) { return IsRealPart(part.kind) ? part.value : 0.0; }

std::string_view KindWord(PartKind kind) {
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

}  // namespace

LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossOptions& options,
                               float designDriver) {
  LossFigures figures;
  figures.model = EffectiveLossModel(options);
  figures.designed = AnalyzeLosses(circuit, figures.model);
  if (options.compensate) {
    figures.compensated = true;
    figures.compensation = CompensateLosses(circuit, figures.model, designDriver);
    figures.compensatedAnalysis = AnalyzeLosses(figures.compensation.circuit, figures.model);
  }
  return figures;
}

std::string CircuitPartText(const CircuitPart& part) {
  if (part.kind == PartKind::Inductor) {
    return Trimmed(FormatInductance(static_cast<float>(part.value)));
  }
  if (part.kind == PartKind::Capacitor) {
    return Trimmed(FormatCapacitance(static_cast<float>(part.value)));
  }
  return std::string(KindWord(part.kind));
}

std::string LossesReport(const MatchingCircuit& circuit, const LossFigures& figures) {
  std::string text =
      "\nLosses at " + Trimmed(FormatFrequency(static_cast<float>(figures.designed.frequency))) +
      "Hz (each part a series resistance |X|/Q(f), the usual ESR model; Q(f) = Q0 (f/f0)^k):\n";
  text += PartsTable(figures.designed);
  text += Totals(figures.designed);
  if (!figures.compensated) return text;
  const CompensatedDesign& c = figures.compensation;
  text += "\nCompensated for losses: " + CompensationText(c) + "\n";
  std::vector<Row> rows{{"", "ideal value", "compensated", "ideal reactance", "reactance"}};
  for (std::size_t k = 0; k < 3; ++k) {
    rows.push_back({std::to_string(k + 1) + (c.resolved[k] ? "" : " (kept)"),
                    CircuitPartText(circuit.elements[k]), CircuitPartText(c.circuit.elements[k]),
                    Quantity(c.idealReactance[k], "ohms"), Quantity(c.reactance[k], "ohms")});
  }
  text += report::TextColumns(rows, "  ");
  text += PartsTable(figures.compensatedAnalysis);
  text += Totals(figures.compensatedAnalysis);
  return text;
}

JsonObject LossesJson(const MatchingCircuit& circuit, const LossFigures& figures) {
  JsonObject json = AnalysisJson(figures.designed);
  if (figures.compensated) {
    const CompensatedDesign& c = figures.compensation;
    JsonArray elements;
    for (std::size_t k = 0; k < 3; ++k) {
      JsonObject e;
      e.AddBool("resolved", c.resolved[k])
          .AddString("ideal_kind", KindWord(circuit.elements[k].kind))
          .AddDouble("ideal_value", PartValue(circuit.elements[k]))
          .AddString("kind", KindWord(c.circuit.elements[k].kind))
          .AddDouble("value", PartValue(c.circuit.elements[k]))
          .AddDouble("ideal_reactance_ohm", c.idealReactance[k])
          .AddDouble("reactance_ohm", c.reactance[k]);
      elements.AddObject(e);
    }
    JsonObject compensated = AnalysisJson(figures.compensatedAnalysis);
    compensated.AddBool("matched", c.status == CompensationStatus::Matched)
        .AddString("outcome", CompensationText(c))
        .AddInteger("iterations", c.iterations)
        .AddArray("elements", elements);
    json.AddObject("compensated", compensated);
  }
  return json;
}

}  // namespace corvantile::cli
