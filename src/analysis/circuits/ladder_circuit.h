#pragma once

// A ladder of any number of series and shunt elements between a source and a load, solved as a
// circuit over frequency: the three-element Pi and Tee, the two-element L and longer ladders
// such as two L sections in a row.
#include <complex>
#include <optional>
#include <span>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/sweep_summary.h"

namespace corvantile {

struct LadderElement {
  bool shunt = false;  // across the line at its place, else in series with it
  CircuitPart part;    // a series short is a wire; a shunt open is absent
};

struct LadderCircuit {
  Termination source;
  Termination load;
  std::vector<LadderElement> elements;  // the first one next to the source
  double designFrequency = 0.0;         // Hz
  double designPower = 0.0;             // W available from the source at designFrequency
  double sourceEmf = 0.0;               // V RMS behind the source impedance
};

// The ladder of a Pi or Tee circuit (an L is a Pi with one open shunt, which is dropped).
LadderCircuit LadderFromMatching(const MatchingCircuit& circuit);

// The Pi or Tee circuit of a ladder of at most three alternating elements, or nothing when the
// ladder has no such form (four elements, two series elements in a row, ...).
std::optional<MatchingCircuit> MatchingFromLadder(const LadderCircuit& ladder);

// Source EMF (V RMS) that makes `power` available from `source` at omega.
double EmfForPower(const Termination& source, double omega, double power);

// The chain matrix of the ladder's pure reactances at omega.
LosslessChain LadderChain(const LadderCircuit& ladder, double omega);

// The response at one frequency, by the same formulas as EvaluateResponse: a ladder made by
// LadderFromMatching gives the same figures as the circuit it came from.
ResponsePoint EvaluateLadder(const LadderCircuit& ladder, double frequency);

// The response at every frequency of a valid span, into `out`.
void SweepLadder(const LadderCircuit& ladder, const SweepSpan& span,
                 std::vector<ResponsePoint>& out);
// The same at given frequencies (Hz, ascending), for callers that sweep many ladders alike.
void SweepLadder(const LadderCircuit& ladder, std::span<const double> frequencies,
                 std::vector<ResponsePoint>& out);

// The summary figures of `sweep`, which SweepLadder made from `ladder`.
SweepSummary SummarizeLadder(const LadderCircuit& ladder, std::span<const ResponsePoint> sweep);

// The ladder solved as a circuit at one frequency, driven by the source's EMF (V RMS) behind
// the source impedance: phasors in volts and amps RMS. An element's current flows through it
// towards the load (a shunt's to the return line), its voltage is across it in that direction.
struct LadderSolution {
  std::vector<std::complex<double>> volts;  // per element, in the order of ladder.elements
  std::vector<std::complex<double>> amps;
  std::complex<double> inputVolts;  // across the ladder's source-side terminals
  std::complex<double> inputAmps;   // into them from the source
  std::complex<double> loadVolts;   // across the load
  std::complex<double> loadAmps;    // into the load
};

// Solves the ladder at `frequency` (Hz). With `q` (one per element) each part has its series
// resistance |X| / Q(f) (Q(f) = q0 (f / designFrequency)^law); without it every part is ideal.
// An open shunt carries no current; a series short drops no voltage.
LadderSolution SolveLadder(const LadderCircuit& ladder, double frequency,
                           std::span<const PartQ> q = {});
// The same between other source and load impedances at `frequency` (ohms; a measured side's),
// the EMF still ladder.sourceEmf.
LadderSolution SolveLadder(const LadderCircuit& ladder, double frequency, std::span<const PartQ> q,
                           std::complex<double> sourceImpedance,
                           std::complex<double> loadImpedance);

// Each element's Q under `model`: its kind's (the per-element Qs, which number the elements of a
// three-element network, do not apply); shorts and open parts are ideal.
std::vector<PartQ> LadderQ(const LadderCircuit& ladder, const LossModel& model);

// RMS voltage across and current through one part at the source's EMF.
struct ElementStress {
  double volts = 0.0;
  double amps = 0.0;
};

// The stress of every element at `frequency`, in the order of ladder.elements; an open shunt
// carries its node's voltage and no current, a series short the line current and no voltage.
std::vector<ElementStress> LadderPartStress(const LadderCircuit& ladder, double frequency);

}  // namespace corvantile
