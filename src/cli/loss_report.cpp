#include "cli/loss_report.h"

#include <utility>

#include "cli/json_output.h"
#include "report/report_text.h"

namespace corvantile::cli {
namespace {

Json AnalysisJson(const LossAnalysis& a, const MatchingCircuit& circuit, const LossModel& model) {
  Json parts = Json::array();
  for (const PartStress& p : a.parts) {
    Json part;
    part["model"] = PartModelText(p.q);
    part["self_resonance_hz"] =
        p.selfResonance > 0.0 ? Json(ComputedNumber(p.selfResonance)) : Json(nullptr);
    part["f0_over_srf"] =
        p.selfResonance > 0.0 ? Json(ComputedNumber(a.frequency / p.selfResonance)) : Json(nullptr);
    part["lossy"] = IsLossy(p.q);
    part["q0"] = ComputedNumber(IsLossy(p.q) ? p.q.q0 : 0.0);
    part["q_law"] = ComputedNumber(p.q.law);
    part["reactance_ohm"] = ComputedNumber(p.reactance);
    part["resistance_ohm"] = ComputedNumber(p.resistance);
    part["dissipated_w"] = ComputedNumber(p.watts);
    part["volts_rms"] = ComputedNumber(p.voltsRms);
    part["volts_peak"] = ComputedNumber(p.voltsPeak);
    part["amps_rms"] = ComputedNumber(p.ampsRms);
    part["amps_peak"] = ComputedNumber(p.ampsPeak);
    parts.push_back(std::move(part));
  }
  Json json;
  json["input_power_w"] = ComputedNumber(a.inputPower);
  json["load_power_w"] = ComputedNumber(a.loadPower);
  json["dissipated_w"] = ComputedNumber(a.dissipatedPower);
  json["efficiency"] = ComputedNumber(a.efficiency);
  json["dissipative_loss_db"] = ComputedNumber(a.dissipativeLossDb);
  json["mismatch_loss_db"] = ComputedNumber(a.mismatchLossDb);
  json["transducer_loss_db"] = ComputedNumber(a.transducerLossDb);
  json["return_loss_db"] = ComputedNumber(a.returnLossDb);
  json["vswr"] = ComputedNumber(a.vswr);
  json["input_impedance_re_ohm"] = ComputedNumber(a.inputImpedance.real());
  json["input_impedance_im_ohm"] = ComputedNumber(a.inputImpedance.imag());
  json["parts"] = std::move(parts);
  json["warnings"] = SelfResonanceWarnings(circuit, model);
  return json;
}

double PartValue(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor ? part.value : 0.0;
}

}  // namespace

LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossOptions& options,
                               float designDriver) {
  return report::ComputeLossFigures(circuit, EffectiveLossModel(options), options.compensate,
                                    designDriver);
}

Json LossesJson(const MatchingCircuit& circuit, const LossFigures& figures) {
  Json json = AnalysisJson(figures.designed, circuit, figures.model);
  if (figures.compensated) {
    const CompensatedDesign& c = figures.compensation;
    Json elements = Json::array();
    for (std::size_t k = 0; k < 3; ++k) {
      Json e;
      e["resolved"] = c.resolved[k];
      e["ideal_kind"] = PartKindName(circuit.elements[k].kind);
      e["ideal_value"] = ComputedNumber(PartValue(circuit.elements[k]));
      e["kind"] = PartKindName(c.circuit.elements[k].kind);
      e["value"] = ComputedNumber(PartValue(c.circuit.elements[k]));
      e["ideal_reactance_ohm"] = ComputedNumber(c.idealReactance[k]);
      e["reactance_ohm"] = ComputedNumber(c.reactance[k]);
      elements.push_back(std::move(e));
    }
    Json compensated = AnalysisJson(figures.compensatedAnalysis, c.circuit, figures.model);
    compensated["matched"] = c.status == CompensationStatus::Matched;
    compensated["outcome"] = CompensationText(c);
    compensated["iterations"] = c.iterations;
    compensated["reason"] = c.reason;
    compensated["elements"] = std::move(elements);
    json["compensated"] = std::move(compensated);
  }
  return json;
}

}  // namespace corvantile::cli
