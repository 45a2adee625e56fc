#include "model/band_report.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/studies/bode_fano.h"
#include "units/value_text.h"

namespace corvantile {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::string Decimals(double value, int decimals) {
  return std::isfinite(value) ? FixedNumber(value, decimals) : "-";
}

std::string ConnectionWord(const LadderElement& e) { return e.shunt ? "shunt" : "series"; }

}  // namespace

std::string BandBoundText(const BandAnswer& answer) {
  const BandBound& bound = answer.match.bound;
  const std::optional<double> rl = bound.ReturnLossDb();
  if (!rl || bound.limitedBy == BoundSide::None || !std::isfinite(*rl)) {
    return "No Bode-Fano bound: source and load are resistive";
  }
  const bool load = bound.limitedBy == BoundSide::Load;
  const ReactiveModel& side = load ? answer.match.loadModel : answer.match.sourceModel;
  return "Bode-Fano bound: return loss " + ReturnLossText(*rl, 2) + " (VSWR " +
         Decimals(bound.Vswr().value_or(NAN), 3) + "), limited by the " +
         (load ? "load" : "source") + ", " + ReactiveModelText(side);
}

std::string LadderSchematicText(const LadderCircuit& ladder) {
  std::string text = "Source";
  for (const LadderElement& e : ladder.elements) {
    text += " - " + ConnectionWord(e) + ' ' + PartValueText(e.part);
  }
  return text + " - Load";
}

std::vector<std::array<std::string, 5>> LadderPartRows(const LadderCircuit& ladder,
                                                       double frequency) {
  std::vector<std::array<std::string, 5>> rows;
  for (std::size_t k = 0; k < ladder.elements.size(); ++k) {
    const LadderElement& e = ladder.elements[k];
    const double x = PartReactance(e.part, kTwoPi * frequency);
    rows.push_back({std::to_string(k + 1), ConnectionWord(e),
                    e.part.kind == PartKind::Inductor ? "inductor" : "capacitor",
                    PartValueText(e.part), std::isfinite(x) ? EngineeringText(x, "ohm") : "-"});
  }
  return rows;
}

std::vector<std::string> BandReportLines(const BandAnswer& answer, std::size_t design) {
  if (design >= answer.match.designs.size()) return {};
  const BandDesign& d = answer.match.designs[design];
  std::vector<std::string> lines;
  std::string bands;
  for (const FrequencyBand& b : answer.bands) {
    if (!bands.empty()) bands += ", ";
    bands += EngineeringText(b.from, "Hz") + " to " + EngineeringText(b.to, "Hz");
  }
  lines.push_back("Bands: " + bands);
  lines.push_back(BandBoundText(answer));
  lines.push_back(std::to_string(d.circuit.elements.size()) +
                  " elements: " + LadderSchematicText(d.circuit));
  lines.push_back("Worst return loss " + Decimals(d.figures.worstReturnLossDb, 2) + " dB (VSWR " +
                  Decimals(d.figures.worstVswr, 3) + ") at " +
                  EngineeringText(d.figures.worstFrequency, "Hz") + ", mean " +
                  Decimals(d.figures.meanReturnLossDb, 2) + " dB over the bands");
  if (d.distanceFromBoundDb) {
    lines.push_back(Decimals(*d.distanceFromBoundDb, 2) + " dB from the Bode-Fano bound");
  }
  for (const auto& row : LadderPartRows(d.circuit, answer.match.centreFrequency)) {
    lines.push_back("Element " + row[0] + ": " + row[1] + ' ' + row[2] + ' ' + row[3]);
  }
  return lines;
}

}  // namespace corvantile
