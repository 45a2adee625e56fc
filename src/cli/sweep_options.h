#pragma once

// The options that choose a frequency span, shared by the sweep and export commands, and the
// path from the command line to a swept circuit.
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/sweep_summary.h"
#include "cli/design_options.h"
#include "cli/line_options.h"
#include "cli/option_table.h"

namespace corvantile::cli {

struct SweepRequest {
  std::optional<float> from;  // Hz; default a quarter of the design frequency
  std::optional<float> to;    // Hz; default four times the design frequency
  std::optional<int> points;  // default kDefaultSweepPoints
  bool linear = false;        // default logarithmic spacing
};

// --from, --to, --points and --linear, read into `request`.
std::vector<OptionDecl> SpanOptions(SweepRequest& request);

// The span a request names for a circuit designed at `designFrequency`, or a one-line error
// ("the sweep must end above the frequency it starts at").
bool ResolveSweepSpan(const SweepRequest& request, double designFrequency, SweepSpan& span,
                      std::string& error);

// Everything a sweep or an export starts from.
struct SweepSetup {
  RunState state;  // after the design pass
  MatchingCircuit circuit;
  SweepSpan span;           // within every measured side's band
  MeasuredDesign measured;  // the sides --source-file and --load-file gave
  // The parts' losses the sweep carries (the design's, ideal when it has none); `circuit` is
  // then the compensated network when the design asks for one.
  LossModel losses = IdealLossModel();
  bool lossy = false;  // the design switches some part's losses on
};

// The sweep of a prepared setup: the network with its losses, each measured side interpolated
// from its file at every point.
std::vector<ResponsePoint> SweepSetupResponse(const SweepSetup& setup);

// The summary of that sweep, with the band edges refined on the measured data. A harmonic
// (2 f0, 3 f0) beyond a measured side's band has no measured response: its flag in the summary
// is false and its attenuation means nothing.
SweepSummary SummarizeSetup(const SweepSetup& setup, std::span<const ResponsePoint> sweep);

enum class SweepPreparation {
  Ready,
  Impossible,  // the options were good but no network can be designed for them
  Failed,      // a bad option or span, an unreadable session, or a circuit that cannot be built
};

// Builds the design model from the design and loss options, designs it, builds its circuit
// (with the design's losses, compensated when it asks) and resolves the span. With a measured side
// the default span is cut to the side's band, and an end given beyond it is moved to the band's
// edge with a line in `notes`. Anything but Ready comes with a one-line `error` ("no network can be
// designed for these values"). With `lines`, the feedline options are applied to the design's
// state and measured sides before the design pass, into `line`.
SweepPreparation PrepareSweep(const DesignRequest& design, const SweepRequest& sweep,
                              SweepSetup& setup, std::string& error,
                              std::vector<std::string>& notes, const LossOptions* losses = nullptr,
                              const LineRequest* lines = nullptr, LineSetup* line = nullptr);

// The exit status of a preparation that was not Ready: kExitImpossibleDesign or kExitUsage.
int PreparationExitStatus(SweepPreparation preparation);

}  // namespace corvantile::cli
