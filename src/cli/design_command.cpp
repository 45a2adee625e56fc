#include "cli/design_command.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/design_report.h"
#include "cli/json_output.h"
#include "cli/line_options.h"
#include "cli/loss_options.h"
#include "cli/loss_report.h"
#include "design/design_captions.h"
#include "math/design_network.h"
#include "model/design_answers.h"
#include "state/message_text.h"
#include "state/session_file.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 2> kDesignFormats{"report", "json"};

struct DesignArguments {
  DesignRequest request;
  OutputRequest output;
  std::optional<std::string> saveFile;
  LossOptions losses;
  LineRequest lines;
};

CommandOptions Bind(DesignArguments& a) {
  OptionGroup lines = LineGroup(a.lines,
                                "Feedline options (the line's figures at the design frequency, "
                                "with the design power\n"
                                "going into it, follow the report: the impedance and VSWR at both "
                                "ends, the matched\n"
                                "loss, the loss with what is at its far end and what the mismatch "
                                "adds, and the\n"
                                "highest peak voltage along the line):\n");
  lines.notes +=
      "\n"
      "  With a loss option the report ends with a losses block: per part its Q, series\n"
      "  resistance, dissipated watts, RMS and peak volts and amps; the input and load\n"
      "  power, efficiency, dissipative, mismatch and transducer loss in dB, return loss,\n"
      "  VSWR and the impedance the source sees; with --compensate the compensated part\n"
      "  values beside the ideal ones. JSON carries the same as \"losses\".\n";
  std::vector<OptionDecl> own{
      {.name = "--json",
       .value_name = {},
       .help = "the same as --format json",
       .read =
           [&a](std::string_view, std::string& error) {
             if (a.output.format && *a.output.format != "json") {
               error = "--json cannot be used with --format " + *a.output.format;
               return false;
             }
             a.output.format = "json";
             return true;
           }},
      {.name = "--save",
       .value_name = "FILE",
       .help = "also write the resulting state to FILE in the session-file\n"
               "format (LastSession.CFG's); FILE is replaced only once the\n"
               "new file is complete",
       .read =
           [&a](std::string_view value, std::string&) {
             a.saveFile = std::string(value);
             return true;
           }},
  };
  CommandOptions options{
      .command = "design",
      .groups = {DesignGroup(a.request,
                             "Design options (OPTION VALUE or OPTION=VALUE; values in "
                             "the program's notation):\n"),
                 LossGroup(a.losses,
                           "Loss options (without any of them every part is ideal; each part's "
                           "loss is the usual\n"
                           "ESR model, a series resistance |X|/Q(f) with Q(f) = Q0 (f/f0)^k):\n"),
                 std::move(lines),
                 OutputGroup(a.output,
                             "report (default) or json: one JSON object instead of the\n"
                             "report: \"SourceValues\" (16 numbers), \"NetValues\" (31),\n"
                             "\"LoadValues\" (16), each reading back as the same 32-bit\n"
                             "float, \"captions\" and \"visible\" (the design window's\n"
                             "result captions and which labels it shows, by control\n"
                             "name), and \"caution\" (true when the design is impossible)",
                             std::move(own))},
  };
  options.name_every_error = false;
  return options;
}

}  // namespace

CommandOptions DesignCommandOptions() { return Declared(Bind); }

std::string DesignHelp() {
  return "Usage: corvantile-cli design [OPTIONS]\n"
         "\n"
         "Designs the matching network of one circuit, as the design window does on every\n"
         "change: it starts from the built-in default circuit (a 1500-ohm source, a 300-ohm\n"
         "load, 3.75 MHz, 1000 W, a Pi network at -135 degrees) or from --session, applies the\n"
         "options below in the order given, reduces source and load, designs the network and\n"
         "prints a report.\n" +
         OptionsHelp(DesignCommandOptions()) +
         "\n"
         "A value without any digit is refused; --frequency and --power must be above 0 and\n"
         "--phase must not be 0. --phase and --fix cannot be used when the network family in\n"
         "force after all options is an L family; --branch needs the middle element fixed.\n"
         "A --session file that cannot be opened is an error; one that opens but is\n"
         "incomplete gives the defaults over the values read before the gap, as the program\n"
         "does at start-up, with a note on stderr.\n"
         "\n" +
         std::string(kExitStatusHelp) +
         "For design, 1 is an impossible design: the report says \"impossible design\", JSON\n"
         "has \"caution\": true, and the output and --save are still written.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli design\n"
         "  corvantile-cli design --family tee --phase -90 --load parallel-part:50:-100p\n"
         "  corvantile-cli design --source series:50:25 --load series:200:0 --family highpass-l\n"
         "  corvantile-cli design --fix part2=20u --branch 2 --json\n"
         "  corvantile-cli design --session LastSession.CFG --frequency 14.2M --save new.CFG\n";
}

int RunDesignCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
  DesignArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << DesignHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& request = a.request;
  const OutputRequest& output = a.output;
  const std::optional<std::string>& saveFile = a.saveFile;
  const LossOptions& losses = a.losses;
  std::string format;
  if (!ChooseFormat(output, kDesignFormats, format, error)) return Fail(err, "design: " + error);

  DesignModel model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(request, model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (!built) return Fail(err, error);

  const LineRequest lines = TakeDesignLine(model, a.lines);
  if (lines.Any()) {
    // A feedline between the network and a side: the state and measured sides seen through it.
    RunState state = model.state();
    MeasuredDesign measured = MeasuredDesignOf(model);
    LineSetup line;
    if (!ApplyLineRequest(lines, state, measured, line, error)) return Fail(err, error);
    const DesignOutcome outcome = RunDesignPass(state);
    // The measured sides as their files give them, not as seen through --line.
    const MeasuredDesign& shown = lines.Any() ? line.shown : measured;
    const CircuitBuild seen = BuildCircuit(state, outcome);
    if (seen.problem == CircuitProblem::None) {
      const double f0 = seen.circuit.designFrequency;
      error = PartFileProblem(seen.circuit, EffectiveLossModel(losses), f0, f0);
      if (!error.empty()) return Fail(err, "design: " + error);
    }
    std::string lineText;
    Json lineJson;  // null without a line
    if (lines.Any() && seen.problem == CircuitProblem::None) {
      lineText = LineReport(line, seen.circuit, measured.Sides());
      lineJson = LineJson(line, seen.circuit, measured.Sides());
    } else if (lines.Any()) {
      lineText = LoadFileLineText(line);
    }
    if (saveFile && !SaveDesign(model, *saveFile, error)) {
      return Fail(err, "--save: " + error);
    }
    std::string text;
    if (!losses.given) {
      if (format == "json") {
        Json json = DesignJson(state, outcome, ComputeDesignCaptions(state, outcome));
        if (shown.Any()) json["measured"] = MeasuredJson(shown);
        if (!lineJson.is_null()) json["line"] = lineJson;
        text = JsonLine(json);
      } else {
        text = DesignReport(state, outcome) +
               MeasuredLines(shown, static_cast<double>(state.NetValues[Frequency])) + lineText;
      }
    } else if (format == "json") {
      // The losses need the physical circuit; a design without one reports none.
      const CircuitBuild build = BuildCircuit(state, outcome);
      Json json = DesignJson(state, outcome, ComputeDesignCaptions(state, outcome));
      if (shown.Any()) json["measured"] = MeasuredJson(shown);
      if (!lineJson.is_null()) json["line"] = lineJson;
      json["losses"] =
          build.problem == CircuitProblem::None
              ? LossesJson(build.circuit,
                           ComputeLossFigures(build.circuit, losses, state.NetValues[DesignDriver]))
              : Json(nullptr);
      text = JsonLine(json);
    } else {
      text = DesignReport(state, outcome) +
             MeasuredLines(shown, static_cast<double>(state.NetValues[Frequency])) + lineText +
             report::LossesBlock(state, outcome, EffectiveLossModel(losses), losses.compensate);
    }
    return Deliver(text, output, out, err,
                   outcome == DesignOutcome::Impossible ? kExitImpossibleDesign : kExitOk);
  }
  const Network network = NetworkOf(model);
  const RunState& state = network.designed.state;
  const DesignOutcome outcome = network.designed.outcome;
  if (network.problem == CircuitProblem::None) {
    // A maker's part file, the session's or the command line's, must cover the design frequency.
    const double f0 = network.built.designFrequency;
    error = PartFileProblem(network.built, network.losses, f0, f0);
    if (!error.empty()) return Fail(err, "design: " + error);
  }
  if (saveFile && !SaveDesign(model, *saveFile, error)) {
    return Fail(err, "--save: " + error);
  }
  std::string text;
  if (format == "json") {
    Json json = DesignJson(state, outcome, ComputeDesignCaptions(state, outcome));
    const MeasuredDesign measured = MeasuredDesignOf(model);
    if (measured.Any()) json["measured"] = MeasuredJson(measured);
    if (LossesSwitchedOn(model.settings().losses)) {
      // The losses need the physical circuit; a design without one reports none.
      json["losses"] = network.problem == CircuitProblem::None
                           ? LossesJson(network.ideal, LossFiguresOf(network, Compensating(model)))
                           : Json(nullptr);
    }
    text = JsonLine(json);
  } else {
    text = ReportTextOf(model);
  }
  return Deliver(text, output, out, err,
                 outcome == DesignOutcome::Impossible ? kExitImpossibleDesign : kExitOk);
}

}  // namespace corvantile::cli
