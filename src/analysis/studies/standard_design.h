#pragma once

// A designed network built from parts one can buy: every inductor and capacitor at a standard
// value, chosen three ways (the nearest value for each part, the best combination of
// neighbouring values, and one part fixed first with the design re-solving the others).
#include <complex>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/studies/standard_series.h"
#include "state/circuit_state.h"

namespace corvantile {

struct StandardChoice {
  StandardSeries inductors = kDefaultInductorSeries;
  StandardSeries capacitors = kDefaultCapacitorSeries;
  int neighbours = 2;  // values searched on each side of the nearest: 5 per part
};

// The series a part is bought from under `choice`, by its kind (inductor or capacitor).
StandardSeries SeriesFor(const CircuitPart& part, const StandardChoice& choice);

// `circuit` with every inductor and capacitor at its nearest standard value; shorts and open
// parts stay as they are.
MatchingCircuit NearestStandardCircuit(const MatchingCircuit& circuit,
                                       const StandardChoice& choice);

// How well a network matches at its design frequency, and the largest voltage on any part there,
// with the series resistances |X| / Q of `losses` in its parts (ideal parts: the lossless
// figures exactly). Every function below takes the same model and gives every figure with it.
struct MatchScore {
  double returnLossDb = 0.0;
  double maxPartVolts = 0.0;
  std::complex<double> reflection;  // (Zin - conj Zs) / (Zin + Zs)
};
MatchScore ScoreAtDesign(const MatchingCircuit& circuit,
                         const LossModel& losses = IdealLossModel());

// True when `a` is the better match: the higher return loss, or within kReturnLossTieDb of it
// the smaller largest part voltage.
inline constexpr double kReturnLossTieDb = 1e-6;
bool BetterMatch(const MatchScore& a, const MatchScore& b);

// The best combination among each part's nearest standard value and `choice.neighbours` values
// on each side of it: (2 n + 1)^3 networks for a Pi or Tee, (2 n + 1)^2 for an L.
MatchingCircuit BestStandardCircuit(const MatchingCircuit& circuit, const StandardChoice& choice,
                                    const LossModel& losses = IdealLossModel());

// A network with the figures shown beside it.
struct StandardDesign {
  MatchingCircuit circuit;
  SweepSummary summary;  // return loss and VSWR at f0, the 2:1 band, harmonic attenuation
  double maxPartVolts = 0.0;
};
inline constexpr int kStandardSummaryPoints = 201;
// The summary comes from kStandardSummaryPoints over DefaultSweepSpan; with measured `sides`
// from the measured sweep over that span cut to the files' bands (CutToSides), a harmonic
// beyond a band flagged as not measured. No measured side gives the typed figures exactly.
StandardDesign DescribeStandardDesign(const MatchingCircuit& circuit,
                                      const LossModel& losses = IdealLossModel(),
                                      const MeasuredSides& sides = {});

// Element `element` (1 to 3) fixed at its nearest standard value (design drivers 4 to 6), the
// others re-designed around it and then rounded to their nearest standard values. With element 2
// of a Pi or Tee fixed, both solution branches are tried: the one that keeps the ideal network's
// kind of part in every place is kept, or the better match when both or neither do.
struct FixedFirstDesign {
  int element = 0;
  bool possible = false;  // false: no network can be designed around the fixed value
  StandardDesign design;
};

struct StandardSolutions {
  CircuitProblem problem = CircuitProblem::None;  // the ideal design's; nothing else when set
  StandardDesign ideal;
  StandardDesign nearest;
  StandardDesign best;
  // For a Pi or Tee, one per element; an L has no free quantity to re-solve, so none.
  std::vector<FixedFirstDesign> fixedFirst;
  int closestFixedFirst = 0;  // the element whose fixed-first design matches best, 0 for none
};

// With `compensate` the ideal design is the one re-solved so that its lossy parts match
// (CompensateLosses with the state's design driver), and the nearest and best designs round
// it; a fixed-first design re-solves the lossless design around its fixed part, as the design
// window does, and is then scored with the losses. Every design's summary is described with
// `sides` (DescribeStandardDesign); the choices themselves are made at f0, where a measured
// side is the typed impedance the design was made for.
StandardSolutions SolveStandardValues(const RunState& state, const StandardChoice& choice = {},
                                      const LossModel& losses = IdealLossModel(),
                                      bool compensate = false, const MeasuredSides& sides = {});

}  // namespace corvantile
