#pragma once

// The tests' own circuit solver: a three-element ladder between a source and a load, solved by
// plain complex impedance arithmetic from the load back to the source. It shares nothing with
// the analysis engine (no chain matrices) nor with the design formulas, so it is the tests'
// independent check on both: a network is right when the source, looking into it, sees the
// conjugate of its own impedance.
//
//   const CircuitSolution s = SolveNetwork(state);   // the stored reactances of a RunState
//   s.returnLossDb > 40.0                            // a designed network matches its source
//   const Solution z = Solve(circuit, 14.2e6);       // a MatchingCircuit's parts at 14.2 MHz
#include <array>
#include <cmath>
#include <complex>

#include "analysis/circuits/ladder_circuit.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "state/circuit_state.h"

namespace corvantile::testing {

using Complex = std::complex<double>;

inline double Wide(float value) { return static_cast<double>(value); }

// Two impedances in parallel.
inline Complex Parallel(Complex a, Complex b) { return a * b / (a + b); }

// The two ladders every network is: the Tee is series, shunt, series; the Pi and both L
// networks are shunt, series, shunt.
enum class Ladder { SeriesShuntSeries, ShuntSeriesShunt };

// One element of a ladder. `open` marks a shunt element that is not there (the absent element
// of an L network): it carries no current, whatever `impedance` holds.
struct LadderElement {
  Complex impedance;
  bool open = false;
};

struct LadderSolution {
  Complex inputImpedance;  // what the source sees, looking into the network
  Complex transfer;        // load voltage over input voltage: the network's own phase
  // The voltage across and the current through elements 1, 2, 3 for a load current of 1 A.
  std::array<Complex, 3> volts;
  std::array<Complex, 3> amps;
};

LadderSolution SolveLadder(Ladder ladder, const std::array<LadderElement, 3>& elements,
                           Complex load);

// ---- A RunState's stored network ---------------------------------------------------------

// A side's impedance as its series form holds it: SeriesR + j SeriesX.
inline Complex SeriesImpedance(const ImpedanceValues& side) {
  return {Wide(side[SeriesR]), Wide(side[SeriesX])};
}

struct CircuitSolution {
  Complex inputImpedance;  // what the source sees, looking into the network
  Complex transfer;        // load voltage over input voltage: the network's own phase
  double returnLossDb;     // of the input against the conjugate of the source impedance
  // |V| and |I| of elements 1, 2, 3 when the load receives the design's Power.
  std::array<double, 3> volts;
  std::array<double, 3> amps;
};

// Solves the stored element reactances (NetX1-3, as stored: an open element is its large
// reactance) between the stored source and load.
CircuitSolution SolveNetwork(const RunState& state);

// True for an element stored as an open circuit (the absent element of an L network).
inline bool IsOpenElement(float reactance) { return std::fabs(reactance) >= 1e14f; }

// ---- A MatchingCircuit's parts -----------------------------------------------------------

struct Solution {
  Complex inputImpedance;
  Complex sourceImpedance;
  double loadPower = 0.0;  // W, with the circuit's EMF
};

// The impedance of one part at angular frequency `omega`; a short or an open part gives 0
// (an open shunt part is left out of the ladder instead).
Complex PartImpedance(const CircuitPart& part, double omega);

// A termination's impedance: its resistance with its part in series or in parallel.
Complex SideImpedance(const Termination& side, double omega);

// The circuit's parts solved at `frequency` (Hz), driven by its EMF through the source.
Solution Solve(const MatchingCircuit& circuit, double frequency);

// The same with lossy parts: each part R + jX with R = |X| / Q(f), Q(f) = Q0 (f / f0)^law, Q0
// the element's own Q when `model` gives one, else its kind's (0 or less: an ideal part).
Solution Solve(const MatchingCircuit& circuit, double frequency, const LossModel& model);

// The return loss (dB) of a solution against the conjugate of its source impedance.
double ReturnLossDb(const Solution& solution);

// ---- A ladder of any length ---------------------------------------------------------------

// What the source sees looking into `elements` (the first next to the source) with the load
// impedance `load` on the far end at angular frequency `omega`: the load's impedance with each
// element, from the last back to the first, added in series or put in parallel.
Complex LadderInputImpedance(const std::vector<corvantile::LadderElement>& elements, Complex load,
                             double omega);

// The transducer gain (load power over the source's available power) of the same ladder
// between `source` and `load`, from the node voltages worked back from 1 A in the load.
double LadderTransducerGain(const std::vector<corvantile::LadderElement>& elements, Complex source,
                            Complex load, double omega);

// The return loss (dB) of an input impedance against the conjugate of the source's.
double ReturnLossDb(Complex input, Complex source);

}  // namespace corvantile::testing
