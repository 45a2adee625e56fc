#include "cli/sweep_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/formats/number_text.h"
#include "cli/loss_options.h"
#include "cli/option_values.h"
#include "math/design_network.h"
#include "model/design_answers.h"
#include "state/message_text.h"
#include "units/parse.h"

namespace corvantile::cli {
namespace {

bool Refuse(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

// A frequency in the program's notation ("937.5k", "15M"); text without a digit is refused.
bool ReadFrequency(std::string_view option, std::string_view text, std::optional<float>& target,
                   std::string& error) {
  float value = 0.0f;
  if (!ReadOptionValue(option, text, kAnyValue, value, error)) return false;
  target = value;
  return true;
}

bool ReadPoints(std::string_view text, std::optional<int>& target, std::string& error) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return Refuse(error, "--points: " + QuotedValue(text) + " is not a whole number");
  }
  target = value;
  return true;
}

}  // namespace

std::vector<OptionDecl> SpanOptions(SweepRequest& request) {
  return {
      {.name = "--from",
       .value_name = "F",
       .help = "lowest frequency in hertz (default a quarter of the design\nfrequency)",
       .read =
           [&request](std::string_view value, std::string& error) {
             return ReadFrequency("--from", value, request.from, error);
           }},
      {.name = "--to",
       .value_name = "F",
       .help = "highest frequency in hertz (default four times the design\nfrequency)",
       .read = [&request](
                   std::string_view value,
                   std::string& error) { return ReadFrequency("--to", value, request.to, error); }},
      {.name = "--points",
       .value_name = "N",
       .help = "number of frequencies, 2 to 1000000 (default 1001)",
       .read = [&request](std::string_view value,
                          std::string& error) { return ReadPoints(value, request.points, error); }},
      {.name = "--linear",
       .value_name = {},
       .help = "equal steps between the frequencies (default: equal ratios)",
       .read =
           [&request](std::string_view, std::string&) {
             request.linear = true;
             return true;
           }},
  };
}

bool ResolveSweepSpan(const SweepRequest& request, double designFrequency, SweepSpan& span,
                      std::string& error) {
  span = DefaultSweepSpan(designFrequency);
  if (request.from) span.from = static_cast<double>(*request.from);
  if (request.to) span.to = static_cast<double>(*request.to);
  if (request.points) span.points = *request.points;
  span.logarithmic = !request.linear;
  const std::string_view problem = SweepSpanProblem(span);
  if (problem.empty()) return true;
  return Refuse(error, std::string(problem));
}

std::vector<ResponsePoint> SweepSetupResponse(const SweepSetup& setup) {
  std::vector<ResponsePoint> points;
  SweepResponse(setup.circuit, setup.span, setup.measured.Sides(), points, setup.losses);
  return points;
}

SweepSummary SummarizeSetup(const SweepSetup& setup, std::span<const ResponsePoint> sweep) {
  return SummarizeSweep(setup.circuit, setup.span, setup.measured.Sides(), setup.losses, sweep);
}

SweepPreparation PrepareSweep(const DesignRequest& design, const SweepRequest& sweep,
                              SweepSetup& setup, std::string& error,
                              std::vector<std::string>& notes, const LossOptions* losses,
                              const LineRequest* lines, LineSetup* line) {
  DesignModel model;
  if (!BuildDesignModel(design, model, error, notes, losses)) return SweepPreparation::Failed;
  LineRequest taken;
  if (lines != nullptr && line != nullptr) {
    taken = TakeDesignLine(model, *lines);
    lines = &taken;
  }
  if (lines != nullptr && line != nullptr && lines->Any()) {
    // A feedline between the network and a side: the design seen through it.
    setup.state = model.state();
    setup.measured = MeasuredDesignOf(model);
    if (!ApplyLineRequest(*lines, setup.state, setup.measured, *line, error)) {
      return SweepPreparation::Failed;
    }
    const DesignOutcome outcome = RunDesignPass(setup.state);
    const CircuitBuild build = BuildCircuit(setup.state, outcome);
    if (build.problem != CircuitProblem::None) {
      error = std::string(CircuitProblemText(build.problem)) + ", so there is no response";
      return build.problem == CircuitProblem::Impossible ? SweepPreparation::Impossible
                                                         : SweepPreparation::Failed;
    }
    setup.losses = WithPartModels(PartLosses(model), losses);
    setup.lossy = (losses != nullptr && losses->given) || LossesSwitchedOn(model.settings().losses);
    setup.circuit = Compensating(model) ? CompensateLosses(build.circuit, setup.losses,
                                                           setup.state.NetValues[DesignDriver])
                                              .circuit
                                        : build.circuit;
    if (!ResolveSweepSpan(sweep, setup.circuit.designFrequency, setup.span, error)) {
      return SweepPreparation::Failed;
    }
    setup.span = CutToSides(setup.span, setup.measured.Sides());
    error = MeasuredSpanProblem(setup.span, setup.measured.Sides());
    if (error.empty()) {
      error = PartFileProblem(setup.circuit, setup.losses, setup.span.from, setup.span.to);
    }
    return error.empty() ? SweepPreparation::Ready : SweepPreparation::Failed;
  }
  const Network network = NetworkOf(model);
  setup.state = network.designed.state;
  if (network.problem != CircuitProblem::None) {
    error = std::string(CircuitProblemText(network.problem)) + ", so there is no response";
    return network.problem == CircuitProblem::Impossible ? SweepPreparation::Impossible
                                                         : SweepPreparation::Failed;
  }
  setup.circuit = network.built;
  setup.losses = network.losses;
  setup.lossy = (losses != nullptr && losses->given) || LossesSwitchedOn(model.settings().losses);
  if (losses != nullptr && HasPartModels(losses->model)) {
    // The parts' parasitics are the command line's alone; the compensated network is then the
    // one that matches with them.
    setup.losses = WithPartModels(network.losses, losses);
    setup.circuit = Compensating(model) ? CompensateLosses(network.ideal, setup.losses,
                                                           setup.state.NetValues[DesignDriver])
                                              .circuit
                                        : network.ideal;
  }
  setup.measured = MeasuredDesignOf(model);
  SweepSpan chosen;
  if (!ResolveSweepSpan(sweep, setup.circuit.designFrequency, chosen, error)) {
    return SweepPreparation::Failed;
  }
  // Only the ends the user gave are noted when they move into a measured band.
  std::vector<std::string> moved;
  setup.span = SpanOf(model, chosen, &moved);
  for (const std::string& note : moved) {
    const bool start = note.starts_with("the sweep starts");
    if ((start && sweep.from) || (!start && sweep.to)) notes.push_back(note);
  }
  if (setup.measured.Any()) {
    for (const std::optional<MeasuredSide>* side : {&setup.measured.source, &setup.measured.load}) {
      if (*side && (*side)->port.From() == (*side)->port.To()) {
        error = (*side)->port.FileName() + " holds a single frequency, " +
                EngineeringText((*side)->port.From(), "Hz") + ", so there is no band to sweep";
        return SweepPreparation::Failed;
      }
    }
    error = MeasuredSpanProblem(setup.span, setup.measured.Sides());
    if (!error.empty()) return SweepPreparation::Failed;
  }
  error = PartFileProblem(setup.circuit, setup.losses, setup.span.from, setup.span.to);
  if (!error.empty()) return SweepPreparation::Failed;
  return SweepPreparation::Ready;
}

int PreparationExitStatus(SweepPreparation preparation) {
  return preparation == SweepPreparation::Impossible ? kExitImpossibleDesign : kExitUsage;
}

}  // namespace corvantile::cli
