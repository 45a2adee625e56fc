#include "cli/parts_list.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
#include <vector>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_series.h"
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

constexpr std::string_view kColumns =
    "element,position,kind,designed_value,standard_value,standard_series,tolerance_percent,q0,"
    "q_law,volts_rms,volts_peak,amps_rms,amps_peak,dissipated_w,min_voltage_rating_v,"
    "min_current_rating_a,model,srf_hz\n";

// A part's model as one CSV cell (its items joined by semicolons) and its self-resonant
// frequency ("" for none).
std::string ModelCell(const PartQ& q) {
  std::string text = PartModelText(q);
  std::replace(text.begin(), text.end(), ',', ';');
  return text;
}
std::string ResonanceCell(double hertz) { return hertz > 0.0 ? ExactNumber(hertz) : ""; }

// Power into the ladder and into the load (W) of a solution.
double InputPower(const LadderSolution& s) {
  return (s.inputVolts * std::conj(s.inputAmps)).real();
}
double LoadPower(const LadderSolution& s) { return (s.loadVolts * std::conj(s.loadAmps)).real(); }

// Load power over input power, 0 when nothing goes in.
double Efficiency(const LadderSolution& s) {
  const double input = InputPower(s);
  return input > 0.0 ? std::clamp(LoadPower(s) / input, 0.0, 1.0) : 0.0;
}

// The source's and the load's impedance at `frequency`: a measured side's file where it reaches,
// else the ladder's own side.
std::pair<std::complex<double>, std::complex<double>> EndsAt(const LadderCircuit& ladder,
                                                             double frequency,
                                                             const MeasuredSides& sides) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  const bool read = sides.Any() && sides.Covers(frequency);
  return {read && sides.source ? sides.source->Impedance(frequency)
                               : TerminationImpedance(ladder.source, omega),
          read && sides.load ? sides.load->Impedance(frequency)
                             : TerminationImpedance(ladder.load, omega)};
}

LadderSolution SolveBetween(const LadderCircuit& ladder, double frequency, std::span<const PartQ> q,
                            const MeasuredSides& sides) {
  const auto [zs, zl] = EndsAt(ladder, frequency, sides);
  return SolveLadder(ladder, frequency, q, zs, zl);
}

// Return loss against the conjugate of the source impedance `zs`, at most kMaxReturnLossDb.
double ReturnLossDb(const LadderSolution& s, std::complex<double> zs) {
  const std::complex<double> zin = s.inputVolts / s.inputAmps;
  const double gamma = std::abs((zin - std::conj(zs)) / (zin + zs));
  const double db = gamma > 0.0 ? -20.0 * std::log10(gamma) : kMaxReturnLossDb;
  return std::isfinite(db) ? std::min(db, kMaxReturnLossDb) : kMaxReturnLossDb;
}

std::string LadderText(const LadderCircuit& ladder) {
  std::string text = "source";
  for (const LadderElement& e : ladder.elements) {
    text += std::string(" - ") + (e.shunt ? "shunt " : "series ") + PartValueText(e.part);
  }
  return text + " - load";
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
  text += kColumns;
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
        ExactNumber(safety * stress.ampsPeak),
        ModelCell(stress.q),
        ResonanceCell(stress.selfResonance)};
    for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "," : "") + cells[i];
    text += "\n";
  }
  return text;
}

std::string LadderPartsListCsv(const LadderCircuit& designed, const LossModel& losses,
                               const PartsListOptions& options,
                               std::span<const double> bandFrequencies,
                               const MeasuredSides& sides) {
  const bool standard = options.pick == StandardPick::Nearest;
  LadderCircuit built = designed;
  std::vector<StandardSeries> series;
  for (LadderElement& e : built.elements) {
    series.push_back(SeriesFor(e.part, options.choice));
    if (standard && IsRealPart(e.part)) {
      e.part.value = NearestStandardValue(e.part.value, series.back());
    }
  }
  const std::vector<PartQ> q = LadderQ(built, losses);
  const bool lossy =
      std::any_of(q.begin(), q.end(), [](const PartQ& p) { return !IsIdealPart(p); });
  const double f0 = built.designFrequency;
  const LadderSolution solved = SolveBetween(built, f0, q, sides);
  const double safety = options.safetyFactor;

  std::string text = "# Corvantile parts list: band design of " +
                     std::to_string(designed.elements.size()) + " elements (" +
                     LadderText(designed) + ") at " + EngineeringText(f0, "Hz") + ", " +
                     EngineeringText(designed.designPower, "W") +
                     "; standard values: " + std::string(PickName(options.pick)) + "\n";
  text += "# Suggested minimum ratings: peak volts and peak amps times a safety factor of " +
          ShortNumber(safety, 6) + "\n";
  text +=
      "# Columns hold plain numbers in SI units (H, F, V, A, W; tolerance in %); volts, amps"
      " and watts at the design frequency and power of the network as built\n";
  text += "# Efficiency " + FixedNumber(100.0 * Efficiency(solved), 2) + " %, return loss " +
          FixedNumber(ReturnLossDb(solved, EndsAt(built, f0, sides).first), 2) + " dB\n";
  std::vector<double> watts(built.elements.size(), 0.0);
  for (std::size_t k = 0; k < built.elements.size(); ++k) {
    const CircuitPart& part = built.elements[k].part;
    if (!IsRealPart(part)) continue;
    watts[k] = LossyPartImpedance(part, q[k], f0, f0).real() * std::norm(solved.amps[k]);
  }
  if (lossy && !bandFrequencies.empty()) {
    double worst = HUGE_VAL, sum = 0.0, worstAt = 0.0;
    for (const double f : bandFrequencies) {
      const double e = Efficiency(SolveBetween(built, f, q, sides));
      sum += e;
      if (e < worst) {
        worst = e;
        worstAt = f;
      }
    }
    text += "# In-band efficiency: worst " + FixedNumber(100.0 * worst, 2) + " % at " +
            EngineeringText(worstAt, "Hz") + ", mean " +
            FixedNumber(100.0 * sum / static_cast<double>(bandFrequencies.size()), 2) + " %\n";
  }
  if (lossy && !watts.empty()) {
    const auto hottest =
        static_cast<std::size_t>(std::max_element(watts.begin(), watts.end()) - watts.begin());
    text += "# Hottest part: element " + std::to_string(hottest + 1) + ", " +
            EngineeringText(watts[hottest], "W") + "\n";
  }
  for (std::size_t k = 0; k < designed.elements.size(); ++k) {
    if (!IsRealPart(designed.elements[k].part)) continue;
    text += "# " + std::to_string(k + 1) + ": " + PartValueText(designed.elements[k].part);
    if (standard) {
      text += " -> " + PartValueText(built.elements[k].part) + " (" +
              std::string(SeriesName(series[k])) + ")";
    }
    text += "\n";
  }
  text += kColumns;
  for (std::size_t k = 0; k < designed.elements.size(); ++k) {
    const CircuitPart& part = designed.elements[k].part;
    if (!IsRealPart(part)) continue;
    const bool inductor = part.kind == PartKind::Inductor;
    const double volts = std::abs(solved.volts[k]);
    const double amps = std::abs(solved.amps[k]);
    const std::vector<std::string> cells{
        std::to_string(k + 1),
        designed.elements[k].shunt ? "shunt" : "series",
        inductor ? "inductor" : "capacitor",
        ExactNumber(part.value),
        standard ? ExactNumber(built.elements[k].part.value) : "",
        standard ? std::string(SeriesName(series[k])) : "",
        ShortNumber(100.0 * (inductor ? options.inductorTolerance : options.capacitorTolerance), 6),
        IsLossy(q[k]) ? ExactNumber(q[k].q0) : "ideal",
        IsLossy(q[k]) ? ExactNumber(q[k].law) : "",
        ExactNumber(volts),
        ExactNumber(std::numbers::sqrt2 * volts),
        ExactNumber(amps),
        ExactNumber(std::numbers::sqrt2 * amps),
        ExactNumber(watts[k]),
        ExactNumber(safety * std::numbers::sqrt2 * volts),
        ExactNumber(safety * std::numbers::sqrt2 * amps),
        ModelCell(q[k]),
        ResonanceCell(SelfResonantFrequency(built.elements[k].part, q[k]))};
    for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "," : "") + cells[i];
    text += "\n";
  }
  return text;
}

}  // namespace corvantile::cli
