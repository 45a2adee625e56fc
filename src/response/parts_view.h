#pragma once

// What the response window's "Parts" page shows for the design on the screen and the parts'
// Q: a row of texts for every element (its ideal and compensated value, reactance, Q, RMS and
// peak volts and amps, watts) and the network's efficiency and losses. The figures are those
// of the network the "Response" page draws: the lossless design's values with the parts'
// losses, or the design compensated for them. A figure that cannot be computed reads "-".
#include <array>
#include <string>
#include <vector>

#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_pairs.h"
#include "response/response_view.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

inline constexpr std::string_view kNoFigure = "-";

// The table's columns, in order.
inline constexpr std::array<std::string_view, 11> kPartsColumns = {
    "Element",   "Ideal value", "Compensated value",
    "Reactance", "Q",           "V RMS",
    "V peak",    "A RMS",       "A peak",
    "Watts",     "Q law"};

struct PartsRow {
  int element = 1;  // 1 to 3, element 1 next to the source
  std::array<std::string, kPartsColumns.size()> cells;
};

struct PartsView {
  bool hasNetwork = false;
  std::string noNetworkReason;
  bool compensated = false;  // the figures are the compensated design's
  LossAnalysis analysis;     // the figures' source, meaningful only with a network
  CompensatedDesign compensation;
  std::vector<PartsRow> rows;  // the elements that are parts (neither a short nor open)
  // "Efficiency: 93.1 %", "Dissipated: 103.4 W", "Dissipative loss: 0.31 dB", "Mismatch loss:
  // ...", "Transducer loss: ...", "Return loss: ...", "Input impedance: 2332 - j26 ohm", and
  // the compensation: its outcome when on ("the lossy network matches the source exactly"
  // only when it does); when off, "off: the lossy network is not re-solved; its return loss is
  // 36.795 dB (compensated, it would match the source exactly)"; with every part ideal, that the
  // lossless network matches.
  std::vector<std::string> figureLines;
};

// A figure as text: `format` applied to a finite value, else kNoFigure.
std::string FigureText(double value, std::string (*format)(double));

// "ideal" for a lossless part, else its Q0 to 4 significant digits.
std::string QText(const PartQ& q);

// The page for `state` after a design pass that returned `outcome`.
PartsView BuildPartsView(const RunState& state, DesignOutcome outcome, const LossModel& losses,
                         bool compensate);

// The page's lines for the design built from pairs of standard values (StandardPairsOf): the
// heading with the series, a line per part-bearing element, the match and the count of parts:
//   "Best pairs of standard values (inductors E12, capacitors E24 in parallel):"
//   "Element 1: 82 pF + 10 pF = 92 pF", ...,
//   "Return loss 31.200 dB, VSWR 1.057, 3 parts"
// None without a network.
std::vector<std::string> PairsLines(const StandardPairs& pairs, const StandardChoice& choice);

}  // namespace corvantile
