#pragma once

// The parts list of a designed network (export bom): every real part with its designed and
// standard value, its Q, the volts, amps and watts it must survive at the design power, and the
// smallest ratings to buy it with.
#include <optional>
#include <span>
#include <string>

#include "analysis/circuits/ladder_circuit.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/studies/standard_design.h"

namespace corvantile::cli {

enum class StandardPick { None, Nearest, Best };

inline constexpr double kDefaultSafetyFactor = 2.0;

struct PartsListOptions {
  StandardPick pick = StandardPick::None;
  StandardChoice choice;
  double safetyFactor = kDefaultSafetyFactor;
  // Relative tolerance of inductors and capacitors (0.05 for 5 %).
  double inductorTolerance = 0.05;
  double capacitorTolerance = 0.05;
};

// "none", "nearest", "best" -> the pick; anything else nothing.
std::optional<StandardPick> ParseStandardPick(std::string_view text);

// The CSV text: '#' comment lines for people (what network, the safety factor the ratings use,
// each part's values through the program's formatters), then a header row and one row per
// inductor or capacitor with plain numbers in SI units (henries, farads, ohms, volts, amps,
// watts; tolerance in percent). Volts, amps and watts are those of the network as built (at
// its standard values when a pick is made) with the losses of `losses`, at the design
// frequency and power. The columns:
//   element,position,kind,designed_value,standard_value,standard_series,tolerance_percent,q0,
//   q_law,volts_rms,volts_peak,amps_rms,amps_peak,dissipated_w,min_voltage_rating_v,
//   min_current_rating_a
std::string PartsListCsv(const MatchingCircuit& designed, const LossModel& losses,
                         const PartsListOptions& options);

// The same list, in the same columns, for a ladder of any length (a band design): each element
// numbered from the source, its position (series or shunt), kind and value, and the volts, amps
// and watts of the ladder solved as a circuit at its design frequency, driven by the EMF that
// makes its design power available, every part with its series resistance |X|/Q(f) of its
// kind's Q in `losses`. `options.pick` is none or nearest (best is the three-element search's).
// With lossy parts and `bandFrequencies` (the in-band points), a '#' line says the efficiency
// over the bands (worst and mean); with lossy parts another names the hottest part's watts. A
// measured side is its file's impedance wherever the file reaches, else the ladder's own side.
std::string LadderPartsListCsv(const LadderCircuit& designed, const LossModel& losses,
                               const PartsListOptions& options,
                               std::span<const double> bandFrequencies = {},
                               const MeasuredSides& sides = {});

}  // namespace corvantile::cli
