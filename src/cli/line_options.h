#pragma once

// The feedline options of the designing commands: a line between the network and the load or
// the source (--line, --line-at), and a line to add to or remove from a measured load file
// (--load-file-add-line, --load-file-remove-line). A command takes them beside the design
// options, applies them to the state BuildDesignState made, before the design pass, and adds
// the line's figures to its report:
//
//   LineRequest lines;   ... LineGroup(lines, heading) in the command's option table ...
//   BuildDesignState(request, state, error, notes, measured);
//   LineSetup line;
//   if (!ApplyLineRequest(lines, state, measured, line, error)) return Fail(...);
//   RunDesignPass(state); ... LineReport(line, circuit) ...
#include <complex>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/circuits/line_choice.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/transmission_line.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/line_embedding.h"
#include "cli/design_options.h"
#include "cli/json_value.h"
#include "cli/option_table.h"
#include "model/design_model.h"
#include "state/circuit_state.h"

namespace corvantile::cli {

// The line itself is named in the grammar of analysis/circuits/line_choice.h.

struct LineRequest {
  std::optional<std::string> line;            // --line
  std::optional<std::string> at;              // --line-at load|source
  std::optional<std::string> addToLoad;       // --load-file-add-line
  std::optional<std::string> removeFromLoad;  // --load-file-remove-line
  bool Any() const { return line || at || addToLoad || removeFromLoad; }
};

// A design read from a session may hold a feedline (put in by the window's "Feedline..."): it is
// taken out of `model` (the side gets its own values back) and becomes the request's --line and
// --line-at, unless --line was given, which takes its place. Every command that takes the line
// options calls this before ApplyLineRequest, so a design has one line whichever way it came.
LineRequest TakeDesignLine(DesignModel& model, const LineRequest& given);

// The options above under `heading`, read into `request`, with the names of the cables.
OptionGroup LineGroup(LineRequest& request, std::string heading);

// What the line options did to a state.
struct LineSetup {
  std::optional<LineChoice> line;
  LinePlace place = LinePlace::Load;
  std::optional<LineChoice> loadFileLine;  // added to or removed from the load file
  LineDirection loadFileDirection = LineDirection::Remove;
  // The measured sides as their files give them (after the load file's own line, before
  // --line), for the report's "measured" lines.
  MeasuredDesign shown;
  // The impedance at the line's far end at the design frequency when it is on the load side:
  // the load's own.
  std::complex<double> loadAtDesign;
  double designFrequency = 0.0;
};

// Applies the options to a state BuildDesignState made with `measured`: the load file's line
// first (its port becomes the file's impedance with the line added or removed), then --line:
// the side it is on becomes that side's impedance seen through the line, a computed one-port
// over frequency in `measured` (typed sides over an eighth to eight times the design
// frequency), and the state holds its value at the design frequency as series R + jX, as for a
// measured side. A load-file line without --load-file, both load-file lines, --line-at without
// --line, or a side whose resistance comes out not positive is a one-line `error`.
bool ApplyLineRequest(const LineRequest& request, RunState& state, MeasuredDesign& measured,
                      LineSetup& setup, std::string& error);

// The line's figures at the design frequency for a built circuit (with `sides`, the measured
// sides the sweep uses): the impedance and VSWR (against the line's nominal impedance) at both
// ends, the matched loss, the loss with what is at its far end and what the mismatch adds in dB
// and in watts of the design power, and the highest peak voltage along the line.
LineFigures LineFiguresOf(const LineSetup& setup, const MatchingCircuit& circuit,
                          const MeasuredSides& sides);

// Those figures as report lines, and as JSON.
std::string LineReport(const LineSetup& setup, const MatchingCircuit& circuit,
                       const MeasuredSides& sides);
Json LineJson(const LineSetup& setup, const MatchingCircuit& circuit, const MeasuredSides& sides);

// One line for a load file's line: "Load file: 30 m of RG-213 removed (the far end's impedance)".
std::string LoadFileLineText(const LineSetup& setup);

}  // namespace corvantile::cli
