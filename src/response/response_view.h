#pragma once

// What the response window shows for the design on the screen: the swept return loss and
// transducer gain, markers at the design frequency and its second and third harmonics, the
// summary figures, and the Smith chart's impedance path and input-impedance locus. Or, when
// there is no network, why not.
#include <array>
#include <complex>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/solvers/sweep_summary.h"
#include "math/design_network.h"
#include "model/design_model.h"
#include "response/smith_chart.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// What the user chose in the window: the span and the reference impedance. The losses and the
// measured sides are the design model's; the members here serve UpdateResponseView of a run state.
struct ResponseSettings {
  // The swept span; none: DefaultSweepSpan of the design frequency, following it.
  std::optional<SweepSpan> span;
  double referenceImpedance = 50.0;  // ohms, the Smith chart's normalisation
  // The parts' Q; the sweep and its summary carry their losses. Ideal parts (the default) give
  // the lossless response figure for figure.
  LossModel losses = IdealLossModel();
  // Show the design re-solved so that its lossy parts still match the source, in place of the
  // lossless design.
  bool compensate = false;
  // The sides that follow a measured file (the design's settings): swept with the file's
  // impedance at every point, within its band; the default span is cut to the band.
  std::optional<MeasuredSide> measuredSource;
  std::optional<MeasuredSide> measuredLoad;
};

// The design frequency (harmonic 1) or one of its harmonics.
struct HarmonicMarker {
  int harmonic = 1;
  double frequency = 0.0;  // Hz
  ResponsePoint response;  // the exact response there (none when not measured)
  // False when a measured side's file does not reach the harmonic: there is no response to
  // show, and the marker is not on the plot.
  bool measured = true;
  bool inSpan = false;  // measured and inside the swept span, so on the plot
};

struct ResponseView {
  bool hasNetwork = false;
  std::string noNetworkReason;  // one line when there is no network: "no network can be ..."

  // The rest is meaningful only with a network.
  MatchingCircuit circuit;  // the compensated one when the settings ask for it
  // With compensation asked for: its outcome in one line (CompensationText), else empty.
  std::string compensationText;
  SweepSpan span;
  double referenceImpedance = 50.0;
  std::vector<ResponsePoint> sweep;  // SweepResponse over `span`
  SweepSummary summary;
  std::array<HarmonicMarker, 3> markers;  // f0, 2 f0, 3 f0
  std::vector<std::string> summaryLines;  // see ResponseSummaryLines
  SmithPath path;                         // at the design frequency
  // Where the path should end: the conjugate of the source impedance at the design frequency,
  // labelled "Conjugate of the source".
  SmithNode sourceTarget;
  std::vector<std::complex<double>> locus;  // the input impedance's reflection per sweep point
  // A measured load's own reflection (against referenceImpedance) at every point of its file.
  std::vector<std::complex<double>> measuredLoadLocus;
  // The reflection of a measured source's conjugate at every sweep point: where the input
  // impedance must be for a match at that frequency.
  std::vector<std::complex<double>> measuredSourceLocus;
  // A feedline's impedance along it at the design frequency, far end to near end, and its name
  // ("30 m of RG-213"); none without a line.
  std::optional<SmithLinePath> feedline;
  std::string feedlineName;
  // The file names of the measured sides ("antenna.s1p"), empty for a typed side.
  std::string measuredSourceFile, measuredLoadFile;
  // The measured sides' ports as the analysis takes them (seen through a feedline to the side;
  // null for a typed side without one), shared with work that follows the view.
  std::shared_ptr<const TouchstonePort> measuredSourcePort, measuredLoadPort;
};

// The window's heading when there is no network.
inline constexpr std::string_view kNoNetworkText = "No network";

// Fills `view` for the design `model` holds: the network with the model's losses (compensated
// when it asks), between its measured sides, over the span and against the reference impedance
// `settings` chose (its losses and measured sides are not read). A span that cannot be swept
// (SweepSpanProblem) or a reference impedance that is not a positive number leaves no network,
// with the reason.
void UpdateResponseView(const DesignModel& model, const ResponseSettings& settings,
                        ResponseView& view);

// The same for `state` after a design pass, with the losses and the measured sides `settings`
// holds, as a design model of them would give.
void UpdateResponseView(const RunState& state, DesignOutcome outcome,
                        const ResponseSettings& settings, ResponseView& view);

// The span the user chose, else DefaultSweepSpan(designFrequency), before any cut to a measured
// band: the view's `span` is what is swept.
SweepSpan ChosenSpan(const ResponseSettings& settings, double designFrequency);

}  // namespace corvantile
