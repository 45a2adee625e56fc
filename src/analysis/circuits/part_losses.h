#pragma once

// Real parts: each network element's unloaded Q, how that Q follows the frequency, and the
// series resistance (the usual ESR model, |X| / Q) it puts in series with the part.
#include <array>
#include <complex>
#include <optional>
#include <string>

#include "analysis/circuits/matching_circuit.h"
#include "state/settings_file.h"

namespace corvantile {

// Q(f) = q0 (f / f0)^law, f0 the design frequency. law 0 keeps Q constant; 0.5 is the skin
// effect (the series resistance grows with the square root of f); 1 keeps the series resistance
// constant. A q0 of 0 (or below, or not a number) is an ideal, lossless part.
struct PartQ {
  double q0 = 0.0;
  double law = 0.0;
};

inline constexpr double kDefaultInductorQ = 100.0;
inline constexpr double kDefaultCapacitorQ = 1000.0;
inline constexpr double kDefaultInductorLaw = 0.5;
inline constexpr double kDefaultCapacitorLaw = 0.0;

// The Q of every part of a network: one setting for all inductors, one for all capacitors, and
// an optional Q per element (1 to 3) that overrides its kind's Q0 while keeping its kind's law.
struct LossModel {
  PartQ inductor{kDefaultInductorQ, kDefaultInductorLaw};
  PartQ capacitor{kDefaultCapacitorQ, kDefaultCapacitorLaw};
  std::array<std::optional<double>, 3> elementQ;
};

// A model in which every part is ideal: every figure computed with it is the lossless one.
LossModel IdealLossModel();

// The settings file's losses as the model (none: every part ideal), and back.
LossModel LossModelOf(const std::optional<LossSettings>& settings);
LossSettings LossSettingsOf(const LossModel& model, bool compensate);

// True when q describes a lossy part (q0 a positive number).
bool IsLossy(const PartQ& q);

// The Q of element k (1 to 3) when it is a part of this kind; shorts and open parts are ideal.
PartQ ElementQ(const LossModel& model, int k, PartKind kind);

// The Q of each of the circuit's three elements.
std::array<PartQ, 3> CircuitQ(const MatchingCircuit& circuit, const LossModel& model);

// True when none of the circuit's elements is lossy under `model`.
bool IsIdealFor(const MatchingCircuit& circuit, const LossModel& model);

// Q at `frequency`: q0 200, law 0.5, at four times f0 -> 400; an ideal part stays at q0.
double QAt(const PartQ& q, double frequency, double designFrequency);

// The series resistance |x| / Q(f) of a part of reactance x (ohms at `frequency`): 474.3 ohm at
// Q 100, law 0 -> 4.743 ohm; 0 for an ideal part.
double SeriesResistance(double reactance, const PartQ& q, double frequency, double designFrequency);

// The impedance of a part with its series resistance at `frequency` (Hz): R + jX. A short
// gives 0; an open part has no finite impedance and must be kept out by the caller.
std::complex<double> LossyPartImpedance(const CircuitPart& part, const PartQ& q, double frequency,
                                        double designFrequency);

// How the law reads in a report: 0 -> "constant Q", 0.5 -> "skin effect", 1 -> "constant R",
// 0.25 -> "Q ~ f^0.25".
std::string QLawText(double law);

// One line naming each element's Q: "element 1 Q 2000 (constant Q); element 2 Q 200 (constant
// Q); element 3 ideal".
std::string CircuitQText(const MatchingCircuit& circuit, const LossModel& model);

}  // namespace corvantile
