#pragma once

// Real parts: each network element's unloaded Q, how that Q follows the frequency, and the
// series resistance (the usual ESR model, |X| / Q) it puts in series with the part; beyond the
// Q, the part's parasitics as an equivalent circuit, or the part as its maker measured it.
#include <array>
#include <complex>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "state/settings_file.h"

namespace corvantile {

// Q(f) = q0 (f / f0)^law, f0 the design frequency. law 0 keeps Q constant; 0.5 is the skin
// effect (the series resistance grows with the square root of f); 1 keeps the series resistance
// constant. A q0 of 0 (or below, or not a number) is an ideal, lossless part.
//
// The equivalent circuit of a real part, drawn around its nominal reactance jX (the ideal L or
// C the design asks for):
//
//      R (esr, or |X| / Q(f))   ESL          jX
//   o---/\/\/---------------UUU----+----||----+---o      with, when given, `leakage` ohms
//   |                              +--/\/\/--+   |      across jX and `cp` farads across
//   +-------------------||--------------------+      the whole part.
//                       Cp
//
// A capacitor is C with its ESR and ESL (a series resonance above which it acts as an
// inductor) and perhaps a leakage resistance; an inductor is L with its series resistance and
// its winding capacitance Cp (a parallel resonance above which it acts as a capacitor). A part
// given by a maker's file is the file's impedance, whatever its nominal value.
class PartFile;

struct PartQ {
  PartQ() = default;
  PartQ(double q0Value, double lawValue) : q0(q0Value), law(lawValue) {}

  double q0 = 0.0;
  double law = 0.0;
  double esr = 0.0;      // ohms in series; when positive it replaces the Q's |X| / Q(f)
  double esl = 0.0;      // henries in series
  double leakage = 0.0;  // ohms across the nominal reactance (0: none)
  double cp = 0.0;       // farads across the whole part (0: none)
  std::shared_ptr<const PartFile> file;  // the measured part (null: the equivalent circuit)
};

// The parasitics a kind or an element may be given beyond its Q (every field 0 or null: none).
struct PartParasitics {
  double esr = 0.0, esl = 0.0, leakage = 0.0, cp = 0.0;
  std::shared_ptr<const PartFile> file;
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
  // Each kind's parasitics, and an element's own, which replace its kind's whole.
  PartParasitics inductorParts;
  PartParasitics capacitorParts;
  std::array<std::optional<PartParasitics>, 3> elementParts;
};

// A model in which every part is ideal: every figure computed with it is the lossless one.
LossModel IdealLossModel();

// True when any kind or element of the model has parasitics beyond its Q.
bool HasPartModels(const LossModel& model);

// The settings file's Q as the model (none: every part ideal), and back; the parts' models
// (texts and files) are read by part_model_text.h's LossModelOf, and LossSettingsOf leaves them
// empty for the caller to carry.
LossModel LossModelOf(const std::optional<LossSettings>& settings);
LossSettings LossSettingsOf(const LossModel& model, bool compensate);

// True when q describes a lossy part (q0 a positive number).
bool IsLossy(const PartQ& q);

// True when the part has parasitics beyond its Q (an equivalent circuit or a file).
bool HasParasitics(const PartQ& q);
bool HasParasitics(const PartParasitics& p);

// True when the part is neither lossy nor has parasitics: its impedance is jX.
bool IsIdealPart(const PartQ& q);

// The Q and parasitics every part of this kind has without an element's own (a short or an open
// part: ideal).
PartQ KindQ(const LossModel& model, PartKind kind);

// The Q of element k (1 to 3) when it is a part of this kind; shorts and open parts are ideal.
PartQ ElementQ(const LossModel& model, int k, PartKind kind);

// The Q of each of the circuit's three elements.
std::array<PartQ, 3> CircuitQ(const MatchingCircuit& circuit, const LossModel& model);

// True when none of the circuit's elements is lossy or has parasitics under `model`.
bool IsIdealFor(const MatchingCircuit& circuit, const LossModel& model);

// Q at `frequency`: q0 200, law 0.5, at four times f0 -> 400; an ideal part stays at q0.
double QAt(const PartQ& q, double frequency, double designFrequency);

// The series resistance |x| / Q(f) of a part of reactance x (ohms at `frequency`): 474.3 ohm at
// Q 100, law 0 -> 4.743 ohm; 0 for an ideal part.
double SeriesResistance(double reactance, const PartQ& q, double frequency, double designFrequency);

// The impedance of a part with its model at `frequency` (Hz): R + jX for a Q alone, the
// equivalent circuit above, or the file's measured impedance. A short gives 0; an open part has
// no finite impedance and must be kept out by the caller. 100 pF with ESL 0.4 nH at 433 MHz
// -> -j3.675 + j1.088 = -j2.587 ohm. A file part outside its band takes its nearest edge's
// value: callers refuse such frequencies first (PartFileProblem).
std::complex<double> LossyPartImpedance(const CircuitPart& part, const PartQ& q, double frequency,
                                        double designFrequency);

// The same for a part of nominal reactance `reactance` (ohms at `frequency`), as the re-solve
// moves it: the nominal value behind it is what the part's parasitics are added to.
std::complex<double> ModelImpedance(double reactance, const PartQ& q, double frequency,
                                    double designFrequency);

// The self-resonant frequency (Hz) of a part with its model, or 0 when it has none: for a
// capacitor with ESL 1 / (2 pi sqrt(ESL C)) (100 pF, 0.4 nH -> 796 MHz); for an inductor with
// Cp 1 / (2 pi sqrt((L + ESL) Cp)) (3.3 nH, 0.2 pF -> 6.2 GHz); for a file where the
// reactance first changes sign from the part's own (none within the band: 0).
double SelfResonantFrequency(const CircuitPart& part, const PartQ& q);

// The part's working frequency over its self-resonant frequency, above which a warning is due.
inline constexpr double kSelfResonanceWarning = 0.7;

// One line when element k (1 to 3) works at more than 0.7 of its self-resonant frequency, or ""
// when it does not (or has none): "element 2 works at 0.82 of its self-resonant frequency
// (528 MHz)", or above it: "element 2 is above its self-resonant frequency (528 MHz): a
// capacitor there acts as an inductor".
std::string SelfResonanceWarning(int k, const CircuitPart& part, const PartQ& q, double frequency);

// The warnings of the circuit's three elements at its design frequency, each on its own.
std::vector<std::string> SelfResonanceWarnings(const MatchingCircuit& circuit,
                                               const LossModel& model);

// One line why a frequency range cannot be used with the circuit's part files, or "": "element
// 2: 50 MHz is outside cap.s2p's band (100 MHz to 6 GHz)".
std::string PartFileProblem(const MatchingCircuit& circuit, const LossModel& model, double from,
                            double to);

// How a part's model reads: "ideal", "Q 60 (skin effect)", "Q 60 (skin effect), ESL 0.4 nH,
// Cp 0.15 pF", "ESR 0.05 ohm, ESL 0.4 nH", "file cap.s2p (series)".
std::string PartModelText(const PartQ& q);

// How the law reads in a report: 0 -> "constant Q", 0.5 -> "skin effect", 1 -> "constant R",
// 0.25 -> "Q ~ f^0.25".
std::string QLawText(double law);

// One line naming each element's Q: "element 1 Q 2000 (constant Q); element 2 Q 200 (constant
// Q); element 3 ideal".
std::string CircuitQText(const MatchingCircuit& circuit, const LossModel& model);

}  // namespace corvantile
