#include "analysis/circuits/part_losses.h"

#include <cmath>
#include <numbers>

#include "analysis/formats/number_text.h"
#include "analysis/formats/part_file.h"
#include "units/value_text.h"

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
  LossSettings settings;
  settings.inductorQ = model.inductor.q0;
  settings.inductorLaw = model.inductor.law;
  settings.capacitorQ = model.capacitor.q0;
  settings.capacitorLaw = model.capacitor.law;
  settings.elementQ = model.elementQ;
  settings.compensate = compensate;
  return settings;
}

bool IsLossy(const PartQ& q) { return q.q0 > 0.0 && std::isfinite(q.q0); }

namespace {

bool Positive(double v) { return v > 0.0 && std::isfinite(v); }

void Apply(const PartParasitics& p, PartQ& q) {
  q.esr = Positive(p.esr) ? p.esr : 0.0;
  q.esl = Positive(p.esl) ? p.esl : 0.0;
  q.leakage = Positive(p.leakage) ? p.leakage : 0.0;
  q.cp = Positive(p.cp) ? p.cp : 0.0;
  q.file = p.file;
}

}  // namespace

bool HasParasitics(const PartQ& q) {
  return q.esr > 0.0 || q.esl > 0.0 || q.leakage > 0.0 || q.cp > 0.0 || q.file != nullptr;
}

bool HasParasitics(const PartParasitics& p) {
  return Positive(p.esr) || Positive(p.esl) || Positive(p.leakage) || Positive(p.cp) ||
         p.file != nullptr;
}

bool HasPartModels(const LossModel& model) {
  if (HasParasitics(model.inductorParts) || HasParasitics(model.capacitorParts)) return true;
  for (const std::optional<PartParasitics>& p : model.elementParts) {
    if (p && HasParasitics(*p)) return true;
  }
  return false;
}

bool IsIdealPart(const PartQ& q) { return !IsLossy(q) && !HasParasitics(q); }

PartQ KindQ(const LossModel& model, PartKind kind) {
  PartQ q;
  if (kind == PartKind::Inductor) {
    q = model.inductor;
    Apply(model.inductorParts, q);
  } else if (kind == PartKind::Capacitor) {
    q = model.capacitor;
    Apply(model.capacitorParts, q);
  }
  return q;
}

PartQ ElementQ(const LossModel& model, int k, PartKind kind) {
  if (kind != PartKind::Inductor && kind != PartKind::Capacitor) return {};
  PartQ q = KindQ(model, kind);
  const std::size_t index = static_cast<std::size_t>(k - 1);
  const std::optional<double>& own = model.elementQ[index];
  if (own) q.q0 = *own;
  if (!IsLossy(q)) q.q0 = 0.0;
  if (model.elementParts[index]) Apply(*model.elementParts[index], q);
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
    if (!IsIdealPart(q)) return false;
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

std::complex<double> ModelImpedance(double reactance, const PartQ& q, double frequency,
                                    double designFrequency) {
  if (q.file) return q.file->Impedance(frequency);
  const double r = q.esr > 0.0 ? q.esr : SeriesResistance(reactance, q, frequency, designFrequency);
  if (!HasParasitics(q)) return {r, reactance};
  const double omega = 2.0 * std::numbers::pi * frequency;
  std::complex<double> core{0.0, reactance};
  if (q.leakage > 0.0) core = core * q.leakage / (core + q.leakage);
  std::complex<double> z = core + std::complex<double>{r, omega * q.esl};
  if (q.cp > 0.0) {
    // Across the whole part: 1 / (1 / z + j omega Cp), written so that z = 0 stays 0.
    z = z / (1.0 + std::complex<double>{0.0, omega * q.cp} * z);
  }
  return z;
}

std::complex<double> LossyPartImpedance(const CircuitPart& part, const PartQ& q, double frequency,
                                        double designFrequency) {
  const double x = PartReactance(part, 2.0 * std::numbers::pi * frequency);
  return ModelImpedance(x, q, frequency, designFrequency);
}

double SelfResonantFrequency(const CircuitPart& part, const PartQ& q) {
  if (q.file) return q.file->FirstResonance();
  if (!(part.value > 0.0)) return 0.0;
  if (part.kind == PartKind::Capacitor && q.esl > 0.0) {
    return 1.0 / (2.0 * std::numbers::pi * std::sqrt(q.esl * part.value));
  }
  if (part.kind == PartKind::Inductor && q.cp > 0.0) {
    return 1.0 / (2.0 * std::numbers::pi * std::sqrt((part.value + q.esl) * q.cp));
  }
  return 0.0;
}

std::string SelfResonanceWarning(int k, const CircuitPart& part, const PartQ& q, double frequency) {
  if (part.kind != PartKind::Inductor && part.kind != PartKind::Capacitor) return "";
  const double srf = SelfResonantFrequency(part, q);
  if (!(srf > 0.0) || !(frequency > kSelfResonanceWarning * srf)) return "";
  const std::string element = "element " + std::to_string(k);
  if (frequency > srf) {
    const bool capacitor = part.kind == PartKind::Capacitor;
    return element + " is above its self-resonant frequency (" + FrequencyText(srf) + "): " +
           (capacitor ? "a capacitor there acts as an inductor"
                      : "an inductor there acts as a capacitor");
  }
  return element + " works at " + ShortNumber(frequency / srf, 2) +
         " of its self-resonant frequency (" + FrequencyText(srf) + ")";
}

std::vector<std::string> SelfResonanceWarnings(const MatchingCircuit& circuit,
                                               const LossModel& model) {
  std::vector<std::string> warnings;
  const std::array<PartQ, 3> q = CircuitQ(circuit, model);
  for (std::size_t k = 0; k < 3; ++k) {
    std::string w = SelfResonanceWarning(static_cast<int>(k) + 1, circuit.elements[k], q[k],
                                         circuit.designFrequency);
    if (!w.empty()) warnings.push_back(std::move(w));
  }
  return warnings;
}

std::string PartFileProblem(const MatchingCircuit& circuit, const LossModel& model, double from,
                            double to) {
  const std::array<PartQ, 3> q = CircuitQ(circuit, model);
  for (std::size_t k = 0; k < 3; ++k) {
    if (!q[k].file) continue;
    for (double f : {from, to}) {
      if (!q[k].file->Covers(f)) {
        return "element " + std::to_string(k + 1) + ": " + q[k].file->OutsideBandText(f);
      }
    }
  }
  return "";
}

std::string PartModelText(const PartQ& q) {
  if (q.file) {
    return "file " + q.file->FileName() + " (" +
           std::string(PartFileMountingName(q.file->Mounting())) + ")";
  }
  std::string text;
  auto add = [&text](const std::string& item) { text += (text.empty() ? "" : ", ") + item; };
  if (q.esr > 0.0) {
    add("ESR " + ShortNumber(q.esr, 4) + " ohm");
  } else if (IsLossy(q)) {
    add("Q " + ShortNumber(q.q0, 6) + " (" + QLawText(q.law) + ")");
  }
  // A value beyond the part-value formatters' range (1e-30 F) still reads as a number.
  const auto valueText = [](const std::string& formatted, double value, const char* unit) {
    return formatted.empty() ? ShortNumber(value, 4) + " " + unit : formatted;
  };
  if (q.esl > 0.0) add("ESL " + valueText(InductanceText(q.esl), q.esl, "H"));
  if (q.leakage > 0.0) add("leakage " + ShortNumber(q.leakage, 4) + " ohm");
  if (q.cp > 0.0) add("Cp " + valueText(CapacitanceText(q.cp), q.cp, "F"));
  return text.empty() ? "ideal" : text;
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
    text += PartModelText(q[k]);
  }
  return text;
}

}  // namespace corvantile
