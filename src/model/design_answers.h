#pragma once

// The questions every front end asks of a design, one function each, all answered from the
// design model alone: the window, the response pages, the command line, the clipboard and the
// PDF ask these and render what they answer, so the same design gives the same figures in all
// of them. Nothing here changes the model.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/studies/band_match.h"
#include "analysis/studies/explore.h"
#include "analysis/studies/standard_design.h"
#include "analysis/studies/standard_pairs.h"
#include "analysis/studies/tolerance_analysis.h"
#include "math/design_network.h"
#include "model/design_model.h"
#include "report/design_report_pdf.h"
#include "report/report_text.h"

namespace corvantile {

// The design pass on a copy of the model's state: every derived value, and what the pass said.
struct DesignedState {
  RunState state;
  DesignOutcome outcome = DesignOutcome::NotDesigned;
};
DesignedState Designed(const DesignModel& model);

// True when the settings give some part a Q (a Q0 above 0 for the inductors, the capacitors or
// one element) or a model (a text or a part file). "Compensate" alone, with every part ideal,
// changes nothing.
bool LossesSwitchedOn(const std::optional<LossSettings>& losses);

// The parts' Q and models the figures use: the settings' (their texts read, their files as the
// model read them) when they switch losses on, else every part ideal (so a design without
// losses gives the lossless figures exactly).
LossModel PartLosses(const DesignModel& model);
// The design is re-solved so that its lossy parts match the source.
bool Compensating(const DesignModel& model);

// The network every view sweeps, scores and exports.
struct Network {
  DesignedState designed;
  CircuitProblem problem = CircuitProblem::None;  // the rest is meaningful only without one
  MatchingCircuit ideal;                          // the design's part values
  MatchingCircuit built;  // the compensated network when compensating, else `ideal`
  std::optional<CompensatedDesign> compensation;  // when compensating
  LossModel losses;                               // PartLosses
  MeasuredSides sides;  // the model's measured ports; valid while the model lives unchanged
};
Network NetworkOf(const DesignModel& model);

// The span the views sweep: `chosen`, or a quarter to four times the design frequency, with its
// ends moved into every measured file's band. An end the user chose that had to move adds a
// line to `notes` ("the sweep starts at 1 MHz, not 500 kHz (antenna.s1p covers ...)").
SweepSpan SpanOf(const DesignModel& model, const std::optional<SweepSpan>& chosen,
                 std::vector<std::string>* notes = nullptr);

// The network swept over a span with its losses, each measured side interpolated from its file,
// and the summary with the band edges refined on the same data. `problem` is one line when the
// span cannot be swept (then nothing else is meaningful).
struct SweepAnswer {
  std::string problem;
  SweepSpan span;
  std::vector<ResponsePoint> points;
  SweepSummary summary;
  ResponsePoint atDesign;
};
SweepAnswer SweepOf(const Network& network, const SweepSpan& span);

// The losses block's figures: the designed parts with their losses, and the compensation.
report::LossFigures LossFiguresOf(const Network& network, bool compensate);

// The standard values of the design, chosen and scored with the parts' losses, the compensated
// design rounded when compensating, each summary from the measured sides.
StandardSolutions StandardValuesOf(const DesignModel& model, const StandardChoice& choice = {});

// The design built from pairs of standard parts (and with a trimmer when the choice has one),
// chosen and scored the same way: the parts' losses, the compensated design when compensating,
// each summary from the measured sides.
StandardPairs StandardPairsOf(const DesignModel& model, const PairChoice& choice = {});

// One tolerance run to make: the network (the built one, or its nearest or best standard-value
// version), the options from the settings, with the parts' losses and the measured sides, and
// the envelope over `envelope` (none: the default span) cut to the files' bands. A band beyond a
// measured file leaves no run, with the reason. Without the progress and cancel atomics, which
// belong to whoever runs it.
struct ToleranceRequest {
  bool hasNetwork = false;
  std::string noNetworkReason;
  MatchingCircuit circuit;
  ToleranceOptions options;
  // The measured sides options.sides points into, kept alive with the request.
  std::shared_ptr<const TouchstonePort> measuredSource, measuredLoad;
};
// The series with `count` values per decade (12 -> E12); an unknown count gives E12.
StandardSeries SeriesOfCount(int count);
ToleranceRequest ToleranceOf(const DesignModel& model, const ToleranceSettings& settings,
                             const std::optional<SweepSpan>& envelope = std::nullopt);
// The same run for a network designed elsewhere (through a feedline, say): `designed` rounded
// as `settings` ask, its parts carrying `losses`, every build scored against `sides` (which the
// caller keeps alive). ToleranceOf is this on the model's own network and measured sides.
ToleranceRequest ToleranceOfCircuit(const MatchingCircuit& designed, const LossModel& losses,
                                    const MeasuredSides& sides, const ToleranceSettings& settings,
                                    const std::optional<SweepSpan>& envelope = std::nullopt);
// The tolerance settings the design holds (the defaults when it holds none).
ToleranceSettings ToleranceSettingsOf(const DesignModel& model);

// Every candidate network, with the measured sides; `options.sides` is taken from the model.
Exploration ExplorationOf(const DesignModel& model, ExploreOptions options = {});

// The band search for the design's source and load: the ladders of every element count up to
// options.maxElements over options.bands, each side typed (its part at the design frequency)
// or following its measured file (options.sides is taken from the state's caller). `problem` is
// one line when the bands cannot be searched or no ladder reaches a positive return loss (then
// `searched` tells the two apart); a search stopped by options.cancel has
// match.cancelled set and no problem.
struct BandAnswer {
  std::string problem;
  bool searched = false;             // the search ran (a problem then: no ladder reaches 0 dB)
  double designFrequency = 0.0;      // Hz, where the typed sides' parts were entered
  std::vector<FrequencyBand> bands;  // searched
  BandMatch match;                   // the designs with a positive worst return loss
  // The measured sides match.* was computed with, kept alive with the answer.
  std::shared_ptr<const TouchstonePort> measuredSource, measuredLoad;
  MeasuredSides Sides() const { return {measuredSource.get(), measuredLoad.get()}; }
};
// The model's question: its state and measured sides.
BandAnswer BandOf(const DesignModel& model, BandMatchOptions options);
// The same for a state whose measured sides are already in options.sides (the command line's),
// which must outlive the answer.
BandAnswer BandOfState(const RunState& state, BandMatchOptions options);

// The feedline at the design frequency: its figures for the designed network, the far end
// being the load's own impedance, or with the line at the source the network's input (with its
// parts' losses). None without a line or without a network.
struct FeedlineAnswer {
  std::shared_ptr<const LineChoice> choice;
  LinePlace place = LinePlace::Load;
  double frequency = 0.0;  // Hz
  LineFigures figures;
};
std::optional<FeedlineAnswer> FeedlineOf(const DesignModel& model);

// The report's text: what `corvantile-cli design` prints and Ctrl+C copies (the design, a line
// per measured side, the feedline's figures, the losses block when losses are switched on).
std::string ReportTextOf(const DesignModel& model);

// Everything the PDF report shows, computed here: the design, the response plot over the span
// the Response page sweeps by default (with losses and the measured files), the losses, the
// standard values with the losses, the feedline's lines of ReportTextOf, `toleranceLines` and
// `bandLines` (none leaves their section out).
report::ReportInputs ReportOf(const DesignModel& model,
                              std::vector<std::string> toleranceLines = {},
                              std::vector<std::string> bandLines = {});

}  // namespace corvantile
