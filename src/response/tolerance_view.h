#pragma once

// What the response window's tolerance view runs and shows, without the window: the network it
// builds many times (the ideal design or a standard-value version of it), the run's options
// from the view's settings, and the result as lines of text that never show a NaN.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/formats/touchstone_reader.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/studies/standard_series.h"
#include "analysis/studies/tolerance_analysis.h"
#include "math/design_network.h"
#include "model/design_answers.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// The run itself is the design model's question (ToleranceOf); this is how the view shows it.

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

// The figures as the report lists them, a line each: the nominal return loss, the yields, the
// percentiles, the worst corner, then "Sensitivity, most first:" and a line per part.
std::vector<std::string> ToleranceLines(const ToleranceResult& result);

// True when two requests build the same network between the same sides at the same frequency,
// so that a result of one stands for the other (the report lists a run only while it does).
// Two requests without a network are never the same.
bool SameToleranceNetwork(const ToleranceRequest& a, const ToleranceRequest& b);

// The run of `request` as a page's worker runs it: the progress counts builds (to
// request.options.builds), a stop ends it early with no result. The request's measured ports
// are held until the run is over. A request without a network gives no result.
//   BackgroundRun<ToleranceResult> run;
//   run.Start(ToleranceWork(request), request.options.builds);
std::function<std::optional<ToleranceResult>(std::stop_token, std::atomic<int>&)> ToleranceWork(
    const ToleranceRequest& request);

// A number with `decimals` places, or "-" for NaN or infinity.
std::string FiniteText(double value, int decimals);

}  // namespace corvantile
