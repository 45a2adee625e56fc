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
  if (target) return Refuse(error, std::string(option) + " may be given only once");
  float value = 0.0f;
  if (!ReadOptionValue(option, text, kAnyValue, value, error)) return false;
  target = value;
  return true;
}

bool ReadPoints(std::string_view text, std::optional<int>& target, std::string& error) {
  if (target) return Refuse(error, "--points may be given only once");
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return Refuse(error, "--points: " + QuotedValue(text) + " is not a whole number");
  }
  target = value;
  return true;
}

}  // namespace

OptionTake TakeSweepOption(ArgumentCursor& args, SweepRequest& request, std::string& error) {
  const std::string_view argument = args.Peek();
  if (!IsOptionArgument(argument)) return OptionTake::NotMine;
  const OptionArgument option = SplitOption(argument);
  if (option.name == "--linear") {
    args.Take();
    if (option.inline_value) {
      error = "--linear takes no value";
      return OptionTake::Failed;
    }
    if (request.linear) {
      error = "--linear may be given only once";
      return OptionTake::Failed;
    }
    request.linear = true;
    return OptionTake::Taken;
  }
  if (option.name != "--from" && option.name != "--to" && option.name != "--points") {
    return OptionTake::NotMine;
  }
  args.Take();
  std::string_view value;
  if (!args.TakeValue(option, value, error)) return OptionTake::Failed;
  bool ok;
  if (option.name == "--from") {
    ok = ReadFrequency(option.name, value, request.from, error);
  } else if (option.name == "--to") {
    ok = ReadFrequency(option.name, value, request.to, error);
  } else {
    ok = ReadPoints(value, request.points, error);
  }
  return ok ? OptionTake::Taken : OptionTake::Failed;
}

OptionTake TakeDesignOrSweepOption(ArgumentCursor& args, DesignRequest& design, SweepRequest& sweep,
                                   std::string& error) {
  const OptionTake take = TakeDesignOption(args, design, error);
  if (take != OptionTake::NotMine) return take;
  return TakeSweepOption(args, sweep, error);
}

std::string SweepOptionsHelp() {
  return "  --from F              lowest frequency in hertz (default a quarter of the design\n"
         "                        frequency)\n"
         "  --to F                highest frequency in hertz (default four times the design\n"
         "                        frequency)\n"
         "  --points N            number of frequencies, 2 to 1000000 (default 1001)\n"
         "  --linear              equal steps between the frequencies (default: equal ratios)\n";
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
    setup.losses = PartLosses(model);
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
  return SweepPreparation::Ready;
}

int PreparationExitStatus(SweepPreparation preparation) {
  return preparation == SweepPreparation::Impossible ? kExitImpossibleDesign : kExitUsage;
}

}  // namespace corvantile::cli
