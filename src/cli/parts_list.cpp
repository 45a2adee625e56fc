#include "cli/parts_list.h"

#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/formats/number_text.h"
#include "cli/loss_report.h"

namespace corvantile::cli {
namespace {

bool IsRealPart(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
}

std::string_view PickName(StandardPick pick) {
  switch (pick) {
    case StandardPick::Nearest:
      return "nearest";
    case StandardPick::Best:
      return "best";
    case StandardPick::None:
      break;
  }
  return "none";
}

}  // namespace

std::optional<StandardPick> ParseStandardPick(std::string_view text) {
  if (text == "none") return StandardPick::None;
  if (text == "nearest") return StandardPick::Nearest;
  if (text == "best") return StandardPick::Best;
  return std::nullopt;
}

std::string PartsListCsv(const MatchingCircuit& designed, const LossModel& losses,
                         const PartsListOptions& options) {
  MatchingCircuit built = designed;
  if (options.pick == StandardPick::Nearest)
    built = NearestStandardCircuit(designed, options.choice);
  if (options.pick == StandardPick::Best) {
    built = BestStandardCircuit(designed, options.choice, losses);
  }
  const LossAnalysis analysis = AnalyzeLosses(built, losses);
  const double safety = options.safetyFactor;

  std::string text = "# Corvantile parts list: " + std::string(designed.familyName) +
                     " network at " + EngineeringText(designed.designFrequency, "Hz") + ", " +
                     EngineeringText(designed.designPower, "W") +
                     "; standard values: " + std::string(PickName(options.pick)) + "\n";
  text += "# Suggested minimum ratings: peak volts and peak amps times a safety factor of " +
          ShortNumber(safety, 6) + "\n";
  text +=
      "# Columns hold plain numbers in SI units (H, F, V, A, W; tolerance in %); volts, amps"
      " and watts at the design frequency and power of the network as built\n";
  text += "# Efficiency " + FixedNumber(100.0 * analysis.efficiency, 2) + " %, return loss " +
          FixedNumber(analysis.returnLossDb, 2) + " dB\n";
  for (std::size_t k = 0; k < 3; ++k) {
    if (!IsRealPart(designed.elements[k])) continue;
    text += "# " + std::to_string(k + 1) + ": " + PartValueText(designed.elements[k]);
    if (options.pick != StandardPick::None) {
      text += " -> " + PartValueText(built.elements[k]) + " (" +
              std::string(SeriesName(SeriesFor(built.elements[k], options.choice))) + ")";
    }
    text += "\n";
  }
  text +=
      "element,position,kind,designed_value,standard_value,standard_series,tolerance_percent,q0,"
      "q_law,volts_rms,volts_peak,amps_rms,amps_peak,dissipated_w,min_voltage_rating_v,"
      "min_current_rating_a\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = designed.elements[k];
    if (!IsRealPart(part)) continue;
    const PartStress& stress = analysis.parts[k];
    const bool inductor = part.kind == PartKind::Inductor;
    const bool standard = options.pick != StandardPick::None;
    std::vector<std::string> cells{
        std::to_string(k + 1),
        IsShuntElement(designed.topology, static_cast<int>(k) + 1) ? "shunt" : "series",
        inductor ? "inductor" : "capacitor",
        ExactNumber(part.value),
        standard ? ExactNumber(built.elements[k].value) : "",
        standard ? std::string(SeriesName(SeriesFor(built.elements[k], options.choice))) : "",
        ShortNumber(100.0 * (inductor ? options.inductorTolerance : options.capacitorTolerance), 6),
        IsLossy(stress.q) ? ExactNumber(stress.q.q0) : "ideal",
        IsLossy(stress.q) ? ExactNumber(stress.q.law) : "",
        ExactNumber(stress.voltsRms),
        ExactNumber(stress.voltsPeak),
        ExactNumber(stress.ampsRms),
        ExactNumber(stress.ampsPeak),
        ExactNumber(stress.watts),
        ExactNumber(safety * stress.voltsPeak),
        ExactNumber(safety * stress.ampsPeak)};
    for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "," : "") + cells[i];
    text += "\n";
  }
  return text;
}

}  // namespace corvantile::cli
