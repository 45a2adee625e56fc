#pragma once

// The network with real, lossy parts, solved as a circuit: where the power goes, what every
// part must survive, and the compensated design whose lossy parts still match the source.
#include <array>
#include <complex>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"

namespace corvantile {

// One element at the analysed frequency and power. Volts are across the whole part (its
// reactance and its series resistance), amps through it; peaks are sqrt(2) times the RMS
// values. An open shunt or a series short carries nothing and dissipates nothing.
struct PartStress {
  PartKind kind = PartKind::Short;
  PartQ q;                  // Q0 and law the element was given (q0 0: ideal)
  double reactance = 0.0;   // ohms at the frequency (0 for a short or an open part)
  double resistance = 0.0;  // ohms, the series resistance |X| / Q(f)
  double voltsRms = 0.0, voltsPeak = 0.0;
  double ampsRms = 0.0, ampsPeak = 0.0;
  double watts = 0.0;          // dissipated in the series resistance
  double selfResonance = 0.0;  // Hz, the part's self-resonant frequency with its model (0: none)
};

// The lossy network at one frequency, driven by the source's EMF: the design power is the
// power the source makes available (what it delivers into a matched load), one meaning in every
// figure of the program. A matched network takes all of it; a mismatched one less.
struct LossAnalysis {
  double frequency = 0.0;               // Hz
  std::complex<double> inputImpedance;  // ohms, what the source sees
  // Against the conjugate of the source impedance, as in ResponsePoint.
  std::complex<double> reflection;
  double returnLossDb = 0.0;  // at most kMaxReturnLossDb
  double vswr = 0.0;
  double inputPower = 0.0;       // W into the network: the design power when matched
  double loadPower = 0.0;        // W in the load's resistance
  double dissipatedPower = 0.0;  // W, the parts' dissipation together
  double efficiency = 0.0;       // load power over input power (1 when lossless)
  // Dissipative loss (input over load power) plus mismatch loss (available over input power)
  // is the transducer loss (available over load power); all in dB, 0 or more.
  double dissipativeLossDb = 0.0;
  double mismatchLossDb = 0.0;
  double transducerLossDb = 0.0;
  double sourceEmf = 0.0;  // V RMS behind the source impedance: sqrt(4 P Re Zs(f0))
  std::array<PartStress, 3> parts;
};

// The analysis at `frequency` (Hz, positive): a Pi of ideal parts gives an efficiency of 1 and
// the volts and amps the design pass stores for its parts.
LossAnalysis AnalyzeLosses(const MatchingCircuit& circuit, const LossModel& model,
                           double frequency);
// The same at the circuit's design frequency.
LossAnalysis AnalyzeLosses(const MatchingCircuit& circuit, const LossModel& model);

enum class CompensationStatus {
  Matched,       // the lossy network presents the source's conjugate (within 1e-9 reflection)
  NoExactMatch,  // no exact match was found: `circuit` is the best reached, `returnLossDb` says
                 // how good it is
};

// The elements the compensated design re-solves: an L (a Pi with one shunt open) both of its
// elements; a Pi or Tee its two outer ones, unless the design driver (NetValues[DesignDriver])
// fixes element 1 or 3, which then keeps its value while the other two are re-solved.
std::array<bool, 3> ElementsToResolve(const MatchingCircuit& circuit, float designDriver);

struct CompensatedDesign {
  CompensationStatus status = CompensationStatus::Matched;
  MatchingCircuit circuit;                 // the compensated network (parts may change kind)
  std::array<double, 3> idealReactance{};  // ohms at f0, the lossless design's
  std::array<double, 3> reactance{};       // ohms at f0, the compensated design's
  std::array<bool, 3> resolved{};
  int iterations = 0;         // Newton steps taken
  double returnLossDb = 0.0;  // of the compensated network with its losses, at f0
  // Why there is no exact match when a cause is known ("element 2 is above its self-resonant
  // frequency (..): a capacitor there acts as an inductor"), and the self-resonance warnings
  // of the compensated network's parts.
  std::string reason;
  std::vector<std::string> warnings;
};

inline constexpr int kMaxCompensationIterations = 40;

// Re-solves the `resolve` elements of `circuit` by Newton iteration, from the lossless design,
// so that with the losses of `model` the network presents the exact conjugate of the source at
// the design frequency. With every part ideal the circuit comes back as it is (0 iterations).
// With parasitics the nominal L or C is what is re-solved: the part built with that value and
// its parasitics presents the reactance the match needs. A part given by a file keeps itself,
// and an element that is not takes its place among the re-solved ones.
CompensatedDesign CompensateLosses(const MatchingCircuit& circuit, const LossModel& model,
                                   std::array<bool, 3> resolve);
// The same with ElementsToResolve(circuit, designDriver).
CompensatedDesign CompensateLosses(const MatchingCircuit& circuit, const LossModel& model,
                                   float designDriver);

// One line on the outcome: "the lossy network matches the source exactly" or "losses make an
// exact match impossible: the best return loss reached is 23.4 dB".
std::string CompensationText(const CompensatedDesign& design);

}  // namespace corvantile
