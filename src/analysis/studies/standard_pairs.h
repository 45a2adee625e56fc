#pragma once

// A designed network built from pairs of standard parts: each capacitor from two in parallel,
// each inductor from two in series, so that values no single standard part has (the 91.3 pF a
// 13.56 MHz antenna wants) are reached closely; and, for a capacitor, a fixed standard part
// beside a trimmer set to the match.
//
// A pair's parts share their element's Q (the loss model gives each kind, or each element, one
// Q), so two capacitors in parallel or two inductors in series act as one part of their total
// value with that Q: the network, its losses and its score depend on the totals alone. Mutual
// coupling between two inductors is not modelled.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/studies/standard_design.h"
#include "analysis/studies/standard_series.h"
#include "state/circuit_state.h"

namespace corvantile {

// One element's parts: `first` the larger, `second` 0 when one part is enough; both 0 for a
// short or an open position. 82p + 10p -> Total 92p, Parts 2.
struct PartPair {
  double first = 0.0;
  double second = 0.0;
  double Total() const { return first + second; }
  int Parts() const { return (first > 0.0 ? 1 : 0) + (second > 0.0 ? 1 : 0); }
};

// An element's parts as text: "82 pF + 10 pF = 92 pF", "1.5 uH", or the short or open
// `element` is.
std::string PairValueText(const CircuitPart& element, const PartPair& pair);

// Every total one or two standard parts of `series` reach, each part from a decade below the
// first standard value at or above `value` up to that value, ascending and each total once
// (made with the fewest parts, then with the larger first part): E12 100e-12 ->
// 10p, 12p, 15p, 18p, 20p (10p + 10p), 22p, ..., 100p, 110p (100p + 10p), ..., 200p.
std::vector<PartPair> PairTotals(double value, StandardSeries series);

// The `window` totals on each side of the one nearest `value` (fewer at the ends of
// PairTotals), ascending: the totals a Pi's or Tee's outer elements are searched over.
std::vector<PartPair> PairCandidates(double value, StandardSeries series, int window);

// A variable capacitor's range, in farads, its minimum above 0: 2 pF to 10 pF is
// {2e-12, 10e-12}.
struct TrimmerRange {
  double min = 0.0;
  double max = 0.0;
};

struct PairChoice {
  StandardChoice series;  // the inductors' and capacitors' series (its neighbours are unused)
  int window = 20;        // a Pi's or Tee's outer totals: this many on each side of the nearest
  std::optional<TrimmerRange> trimmer;
};

// `circuit` with every element at its pair's total; a short or an open stays as it is.
MatchingCircuit WithPairs(const MatchingCircuit& circuit, const std::array<PartPair, 3>& pairs);

// The best combination of pairs, scored with ScoreAtDesign and BetterMatch. The last inductor
// or capacitor (the line element) takes the best of all its PairTotals: along one element's
// value the return loss turns at most twice (found by fitting the reflection through three
// values), so only the totals beside those turns and the two ends need scoring. The other element
// of an L also ranges over all its PairTotals, so an L's answer is the best of every combination of
// pairs; the other two of a Pi or Tee range over their PairCandidates with `choice.window`, so its
// answer is the best of every combination with those two in their windows. A tie keeps the totals
// nearest the design.
std::array<PartPair, 3> BestPairs(const MatchingCircuit& circuit, const PairChoice& choice,
                                  const LossModel& losses = IdealLossModel());

// A return loss at or above this is an exact match: among exact matches the trimmed design with
// the fewer parts, then with the trimmer nearer the middle of its range, is chosen.
inline constexpr double kExactMatchDb = 60.0;

// One capacitor built from a fixed standard part (or none) beside a trimmer, the other elements
// from pairs.
struct TrimmedDesign {
  bool possible = false;  // false: no capacitor, no fixed value puts the range near it, or no
                          // range (its minimum not above 0, or its maximum not above that)
  int element = 0;        // 1 to 3
  double fixed = 0.0;     // farads, the standard capacitor in parallel with the trimmer; 0: none
  double setting = 0.0;   // farads, the trimmer's setting, within its range
  std::array<PartPair, 3> pairs;  // the other elements' pairs; the trimmed element's is `fixed`
  int partCount = 0;              // every part, the trimmer one of them
  StandardDesign design;
};

// For every capacitor of `circuit`: every standard value from PairTotals' range (and none) whose
// value plus the trimmer's range reaches the element's window of pair totals, with every
// combination of the other elements' totals as BestPairs ranges them, and the trimmer at the
// best setting in its range (an end, or where the return loss turns: the best exactly). The
// design is described with `sides`.
TrimmedDesign BestTrimmed(const MatchingCircuit& circuit, const PairChoice& choice,
                          const LossModel& losses = IdealLossModel(),
                          const MeasuredSides& sides = {});

struct StandardPairs {
  CircuitProblem problem = CircuitProblem::None;  // the ideal design's; nothing else when set
  StandardDesign ideal;
  std::array<PartPair, 3> pairs;
  StandardDesign design;                 // the network built from `pairs`
  int partCount = 0;                     // the parts the pairs take: one or two per element
  std::optional<TrimmedDesign> trimmed;  // when the choice has a trimmer
};

// The ideal design (compensated for the losses with `compensate`, as SolveStandardValues does)
// built from pairs, and with a trimmer when `choice.trimmer` is set; chosen at f0 with
// `losses`, every summary described with `sides`.
StandardPairs SolveStandardPairs(const RunState& state, const PairChoice& choice = {},
                                 const LossModel& losses = IdealLossModel(),
                                 bool compensate = false, const MeasuredSides& sides = {});

}  // namespace corvantile
