#pragma once

// Every network that matches the current source and load, with the figures to choose between
// them: the Pi and the Tee at every network phase, the L networks of the design window and
// every other two-element L, and the two-section L through the geometric-mean resistance.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/studies/bode_fano.h"
#include "analysis/circuits/ladder_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/studies/standard_design.h"
#include "analysis/solvers/sweep_summary.h"
#include "state/circuit_state.h"

namespace corvantile {

enum class CandidateKind {
  Pi,           // at one network phase
  Tee,          // at one network phase
  LowpassL,     // the design window's low-pass L
  HighpassL,    // the design window's high-pass L
  OtherL,       // an L the design window cannot show
  TwoSectionL,  // two L sections through the geometric-mean resistance
};

// "Pi", "Tee", "low-pass L", "high-pass L", "other L", "two-section L".
std::string_view CandidateKindName(CandidateKind kind);

struct Candidate {
  CandidateKind kind = CandidateKind::Pi;
  // "Pi at -135 degrees", "low-pass L", "shunt C at load, series L",
  // "two-section L through 670.8 ohm".
  std::string name;
  std::optional<double> phase;  // degrees, for the Pi, the Tee and the design window's L
  bool atUserPhase = false;     // a Pi or Tee at the phase the design window holds
  bool inDesignWindow = false;  // the design window can show it (family, then phase)
  LadderCircuit circuit;
  // What the design pass stored for a Pi, Tee or design-window L: reactances, parts, Q, volts
  // and amps exactly as the design window shows them.
  std::optional<NetworkValues> designValues;

  double inputQ = 0.0;
  double outputQ = 0.0;
  SweepSummary summary;               // from a sweep of ExploreOptions::sweepPoints
  std::vector<ElementStress> stress;  // per element of `circuit`, at the design power
  double largestVolts = 0.0;          // V RMS across any part
  double largestAmps = 0.0;           // A RMS through any part
  bool passesDc = false;              // a DC path from source to load: a low-pass network
  std::optional<double> boundShare;   // 2:1 fractional bandwidth over the Bode-Fano bound

  // Filled for the three-element candidates when ExploreOptions asks for them.
  std::optional<double> efficiency;            // load power over the network's input power
  std::optional<double> hottestPartWatts;      // W in the part with the largest loss
  std::optional<double> standardReturnLossDb;  // of the best standard-value combination
};

struct ExploreOptions {
  double phaseStep = 1.0;  // degrees between the Pi and Tee phases, positive
  int sweepPoints = 201;   // over a quarter to four times the design frequency, logarithmic
  // With a model: each candidate's efficiency and hottest part at f0 and the design power, its
  // parts lossy by the model (AnalyzeLosses).
  std::optional<LossModel> losses;
  // With a choice: the return loss at f0 of each candidate's best standard-value combination
  // (BestStandardCircuit), lossless as the standard-value search is.
  std::optional<StandardChoice> standard;
  // Measured sides: every candidate's summary comes from the sweep with each side's impedance
  // interpolated from its file, over the span cut to the files' bands (CutToSides), a harmonic
  // beyond a band flagged as not measured. The Bode-Fano bound, the parts' stress and the
  // figures of real parts stay at f0, where the typed side is the measured impedance.
  MeasuredSides sides;
};

struct Exploration {
  // Why there is nothing to explore: the source or load cannot be built as a circuit.
  CircuitProblem problem = CircuitProblem::None;
  double designFrequency = 0.0;  // Hz
  double designPower = 0.0;      // W
  BodeFanoBound bound;           // at VSWR 2:1
  // True when the summaries follow measured sides: the bound above then still comes from each
  // side's entry-form model at f0, not from its file.
  bool measuredSides = false;
  // The design window's L networks, every other L, the two-section L, then the Pi phases in
  // ascending order, then the Tee phases.
  std::vector<Candidate> candidates;
};

// Every candidate for the state's source, load, frequency and power. The state is not changed;
// each Pi, Tee and design-window L comes from the design pass on a copy of it, so that at the
// phase the window holds the figures are the window's own.
Exploration Explore(const RunState& state, const ExploreOptions& options = {});

// The figures a candidate can be sorted or plotted by.
enum class Figure {
  Bandwidth,      // 2:1 VSWR fractional bandwidth
  Bandwidth15,    // 1.5:1 VSWR fractional bandwidth
  Attenuation2f,  // dB at twice the design frequency
  Attenuation3f,  // dB at three times
  Voltage,        // largest part voltage
  Current,        // largest part current
  InputLoadedQ,
  OutputLoadedQ,
  BoundShare,  // 2:1 bandwidth over the Bode-Fano bound
  Efficiency,
  HottestPartWatts,
  StandardReturnLoss,
};

// The name a command line and a JSON key use: "bandwidth", "bandwidth_1_5", "attenuation2f",
// "attenuation3f", "voltage", "current", "input_q", "output_q", "bound_share", "efficiency",
// "hottest_part_watts", "standard_return_loss_db".
std::string_view FigureName(Figure figure);
std::optional<Figure> FigureFromName(std::string_view name);

// True when a larger value is the better one (bandwidth, attenuation, efficiency, return loss);
// false for voltage, current, Q and watts.
bool LargerIsBetter(Figure figure);

// The candidate's value of `figure`, or nothing when it has none (a band edge beyond the sweep,
// no Bode-Fano bound, a figure not yet computed, a harmonic no measured file reaches).
std::optional<double> FigureValue(const Candidate& candidate, Figure figure);

// Sorts best first by `figure`; candidates without the figure go last, ties keep their order.
void SortCandidates(std::vector<Candidate>& candidates, Figure figure);

// The indexes of the candidates that no other candidate beats in both figures (at least as good
// in both, better in one), in ascending order of `x`; a candidate without either is left out.
std::vector<std::size_t> ParetoFront(const std::vector<Candidate>& candidates,
                                     Figure x = Figure::Bandwidth,
                                     Figure y = Figure::Attenuation2f);

// The indexes of one kind's candidates in order (the Pi and Tee by phase, to be drawn as
// curves; the L networks as points).
std::vector<std::size_t> CandidatesOfKind(const std::vector<Candidate>& candidates,
                                          CandidateKind kind);

enum class QPort { Input, Output };

// The network phases (degrees, ascending) at which the Pi or Tee (`kind`) has loaded Q `q` at
// `port`, refined from the exploration's phase steps by bisection on the design pass.
std::vector<double> PhasesForLoadedQ(const RunState& state, const Exploration& exploration,
                                     CandidateKind kind, QPort port, double q);

// The Pi or Tee candidate with the widest 2:1 band.
std::optional<std::size_t> WidestBand(const Exploration& exploration, CandidateKind kind);

// The Pi or Tee candidate with the best attenuation at twice the design frequency among those
// whose 2:1 fractional bandwidth is at least `minimumBandwidth`.
std::optional<std::size_t> BestAttenuation2f(const Exploration& exploration, CandidateKind kind,
                                             double minimumBandwidth);

}  // namespace corvantile
