#include "analysis/circuits/part_losses.h"

#include <cmath>
#include <numbers>

#include "analysis/formats/number_text.h"

namespace corvantile {

LossModel IdealLossModel() {
  LossModel model;
  model.inductor.q0 = 0.0;
  model.capacitor.q0 = 0.0;
  return model;
}

LossModel LossModelOf(const std::optional<LossSettings>& settings) {
  if (!settings) return IdealLossModel();
  LossModel model;
  model.inductor = {settings->inductorQ, settings->inductorLaw};
  model.capacitor = {settings->capacitorQ, settings->capacitorLaw};
  model.elementQ = settings->elementQ;
  return model;
}

LossSettings LossSettingsOf(const LossModel& model, bool compensate) {
  return {model.inductor.q0,   model.inductor.law, model.capacitor.q0,
          model.capacitor.law, model.elementQ,     compensate};
}

bool IsLossy(const PartQ& q) { return q.q0 > 0.0 && std::isfinite(q.q0); }

PartQ ElementQ(const LossModel& model, int k, PartKind kind) {
  PartQ q;
  if (kind == PartKind::Inductor) {
    q = model.inductor;
  } else if (kind == PartKind::Capacitor) {
    q = model.capacitor;
  } else {
    return {};
  }
  const std::optional<double>& own = model.elementQ[static_cast<std::size_t>(k - 1)];
  if (own) q.q0 = *own;
  if (!IsLossy(q)) q.q0 = 0.0;
  return q;
}

std::array<PartQ, 3> CircuitQ(const MatchingCircuit& circuit, const LossModel& model) {
  std::array<PartQ, 3> q;
  for (int k = 1; k <= 3; ++k) {
    q[static_cast<std::size_t>(k - 1)] =
        ElementQ(model, k, circuit.elements[static_cast<std::size_t>(k - 1)].kind);
  }
  return q;
}

bool IsIdealFor(const MatchingCircuit& circuit, const LossModel& model) {
  for (const PartQ& q : CircuitQ(circuit, model)) {
    if (IsLossy(q)) return false;
  }
  return true;
}

double QAt(const PartQ& q, double frequency, double designFrequency) {
  if (!IsLossy(q) || q.law == 0.0) return q.q0;
  const double ratio = frequency / designFrequency;
  if (q.law == 1.0) return q.q0 * ratio;
  if (q.law == 0.5) return q.q0 * std::sqrt(ratio);
  return q.q0 * std::pow(ratio, q.law);
}

double SeriesResistance(double reactance, const PartQ& q, double frequency,
                        double designFrequency) {
  if (!IsLossy(q)) return 0.0;
  return std::fabs(reactance) / QAt(q, frequency, designFrequency);
}

std::complex<double> LossyPartImpedance(const CircuitPart& part, const PartQ& q, double frequency,
                                        double designFrequency) {
  const double x = PartReactance(part, 2.0 * std::numbers::pi * frequency);
  return {SeriesResistance(x, q, frequency, designFrequency), x};
}

std::string QLawText(double law) {
  if (law == 0.0) return "constant Q";
  if (law == 0.5) return "skin effect";
  if (law == 1.0) return "constant R";
  return "Q ~ f^" + ShortNumber(law, 6);
}

std::string CircuitQText(const MatchingCircuit& circuit, const LossModel& model) {
  const std::array<PartQ, 3> q = CircuitQ(circuit, model);
  std::string text;
  for (std::size_t k = 0; k < 3; ++k) {
    if (k > 0) text += "; ";
    text += "element " + std::to_string(k + 1) + " ";
    text += IsLossy(q[k]) ? "Q " + ShortNumber(q[k].q0, 6) + " (" + QLawText(q[k].law) + ")"
                          : std::string("ideal");
  }
  return text;
}

}  // namespace corvantile
