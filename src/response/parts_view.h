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
#include "analysis/circuits/part_model_text.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_pairs.h"
#include "response/response_view.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

inline constexpr std::string_view kNoFigure = "-";

// The table's columns, in order.
inline constexpr std::array<std::string_view, 14> kPartsColumns = {
    "Element",   "Ideal value", "Compensated value",
    "Reactance", "Q",           "V RMS",
    "V peak",    "A RMS",       "A peak",
    "Watts",     "Q law",       "Model",
    "SRF",       "f0/SRF"};

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
  // An element working near or above its self-resonant frequency, a line each
  // (SelfResonanceWarnings), shown under the figures.
  std::vector<std::string> warnings;
};

// Which of the page's model boxes a text is for.
enum class PartModelSlot { Inductor, Capacitor, Element1, Element2, Element3 };

// "inductor model", "capacitor model", "element 2 model": how a refusal names the box.
std::string PartModelSlotName(PartModelSlot slot);

// The box's text as the settings hold it: the kind's text ("" none), or the element's (none when
// the box is empty: its kind's).
std::string PartModelSlotText(const PartModelSettings& models, PartModelSlot slot);

// The settings with `text` (the --part-model grammar without WHO=, kept as typed) put in the
// slot: "" and the new settings, or one line why the text is refused and `models` unchanged.
//   Capacitor, "esr:0.05,esl:0.4n" -> "", capacitorModel "esr:0.05,esl:0.4n"
//   Element2, "esl:-1n" -> "element 2 model: esl cannot be negative"
struct PartModelEdit {
  std::string problem;
  PartModelSettings models;
};
PartModelEdit WithPartModelText(const PartModelSettings& models, PartModelSlot slot,
                                const std::string& text);

// Element k (1 to 3) measured by a maker (`file`), or back to its equivalent circuit (none): the
// file read into the page's model and named in the settings; or the reader's one line naming
// the file and why not, with nothing changed. A file ending in .s1p is a 1-port whatever the
// connection asked.
struct PartFileEdit {
  std::string problem;
  PartModelSettings models;
  LossModel losses;
};
PartFileEdit WithPartFile(const LossModel& losses, const PartModelSettings& models, int k,
                          const std::optional<PartFileSetting>& file);

// The page's model: `losses` (a model whose part files stand) with `models`' texts read over its
// Q in place of the texts it was made with, keeping each element's file.
LossModel WithPartModelTexts(const LossModel& losses, const PartModelSettings& models);

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
