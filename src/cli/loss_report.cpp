#include "cli/loss_report.h"

#include "report/report_text.h"

namespace corvantile::cli {
namespace {

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

double PartValue(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor ? part.value : 0.0;
}

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
  return report::ComputeLossFigures(circuit, EffectiveLossModel(options), options.compensate,
                                    designDriver);
}

std::string CircuitPartText(const CircuitPart& part) { return report::LossPartText(part); }

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
