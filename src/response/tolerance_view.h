#pragma once

// What the response window's tolerance view runs and shows, without the window: the network it
// builds many times (the ideal design or a standard-value version of it), the run's options
// from the view's settings, and the result as lines of text that never show a NaN.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/solvers/frequency_response.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/studies/standard_series.h"
#include "analysis/studies/tolerance_analysis.h"
#include "analysis/formats/touchstone_reader.h"
#include "math/design_network.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// One run to make: the network and the options (without the progress and cancel atomics, which
// belong to whoever runs it). None of it is meaningful without a network.
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

// The run for the design `state` holds after a pass that returned `outcome`, under `settings`,
// with the envelope drawn over `envelope` (none: DefaultSweepSpan of the design frequency). With
// lossy parts under `losses` every build carries them and the best combination is chosen with
// them; with `compensate` the design is first compensated for them, as the Response page shows.
// A measured side is read from its port at every frequency the builds are judged at, the
// envelope is cut to its file's band, and a band beyond the file leaves no run, with the reason.
ToleranceRequest MakeToleranceRequest(
    const RunState& state, DesignOutcome outcome, const ToleranceSettings& settings,
    std::optional<SweepSpan> envelope = std::nullopt, const LossModel& losses = IdealLossModel(),
    bool compensate = false, std::shared_ptr<const TouchstonePort> measuredSource = nullptr,
    std::shared_ptr<const TouchstonePort> measuredLoad = nullptr);

// The figures as the view lists them: "Yield at f0: 97.3 % within 1.5:1, 100.0 % within 2:1",
// the band's yield when there is one, the percentiles, the worst corner and the sensitivity
// ranking, one line each. A figure that is not finite shows as "-".
struct ToleranceFigures {
  std::string yieldAtDesign;
  std::string yieldOverBand;  // "" without a band
  std::string percentiles;
  std::string nominal;
  std::string worstCase;
  std::vector<std::string> sensitivities;  // most sensitive first, one per part that varies
};
ToleranceFigures DescribeTolerance(const ToleranceResult& result);

// A number with `decimals` places, or "-" for NaN or infinity.
std::string FiniteText(double value, int decimals);

}  // namespace corvantile
