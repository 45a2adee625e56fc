#include "cli/tolerance_command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "analysis/studies/standard_design.h"
#include "analysis/studies/tolerance_analysis.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/json_output.h"
#include "cli/line_options.h"
#include "cli/loss_options.h"
#include "cli/option_values.h"
#include "model/design_answers.h"
#include "state/message_text.h"
#include "units/parse.h"
#include "units/precision.h"
#include "units/value_text.h"

namespace corvantile::cli {
namespace {

int Refuse(std::ostream& err, std::string_view message) {
  err << "corvantile-cli: tolerance: " << OneLine(message) << '\n';
  return kExitUsage;
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

template <typename Integer>
bool ReadInteger(std::string_view text, Integer& value) {
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

constexpr std::array<std::string_view, 2> kToleranceFormats{"table", "json"};

bool Refused(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

struct ToleranceArguments {
  DesignRequest design;
  std::optional<double> everyTolerance;
  std::array<std::optional<double>, 3> elementTolerance;
  std::string standard;  // none given: the design's own choice
  std::optional<ToleranceDistribution> distribution;
  std::optional<int> builds;
  std::optional<std::uint64_t> seed;
  std::optional<std::array<double, 2>> band;
  std::optional<StandardSeries> seriesInductor, seriesCapacitor;
  OutputRequest output;
  LossOptions losses;
  LineRequest lines;
};

// "5%" or "5" -> 0.05: a tolerance is always in percent, 0 to 50.
OptionReader PercentReader(std::string_view option, std::optional<double>& target) {
  return [option, &target](std::string_view value, std::string& error) {
    double fraction = 0.0;
    if (!ReadOptionPercent(option, value, {0.0, 50.0, "%"}, fraction, error)) return false;
    target = fraction;
    return true;
  };
}

OptionReader SeriesReader(std::string_view option, std::optional<StandardSeries>& target) {
  return [option, &target](std::string_view value, std::string& error) {
    const std::optional<StandardSeries> chosen = ParseStandardSeries(value);
    if (!chosen) {
      return Refused(error, std::string(option) + ": unknown series " + QuotedValue(value) +
                                " (use E3, E6, E12, E24, E48, E96 or E192)");
    }
    target = *chosen;
    return true;
  };
}

bool ReadBand(std::string_view value, std::optional<std::array<double, 2>>& band,
              std::string& error) {
  const std::size_t colon = value.find(':');
  const std::string_view a = value.substr(0, colon);
  const std::string_view b = colon == std::string_view::npos ? "" : value.substr(colon + 1);
  if (colon == std::string_view::npos || b.find(':') != std::string_view::npos) {
    return Refused(error, "--band takes F1:F2, two frequencies (got " + QuotedValue(value) + ")");
  }
  float f1f = 0.0f, f2f = 0.0f;
  if (!ReadOptionValue("--band", a, kAnyValue, f1f, error) ||
      !ReadOptionValue("--band", b, kAnyValue, f2f, error)) {
    return false;
  }
  const double f1 = precision::D(f1f), f2 = precision::D(f2f);
  if (!(f1 > 0.0 && f2 > f1)) return Refused(error, "--band: F2 must be above F1, both above 0");
  band = std::array<double, 2>{f1, f2};
  return true;
}

CommandOptions Bind(ToleranceArguments& a) {
  std::vector<OptionDecl> own{
      {.name = "--standard",
       .value_name = "WHICH",
       .help = "none (default: the ideal design), nearest or best",
       .read =
           [&a](std::string_view value, std::string& error) {
             if (value != "none" && value != "nearest" && value != "best") {
               return Refused(error, "--standard: unknown choice '" + std::string(value) +
                                         "' (use none, nearest or best)");
             }
             a.standard = std::string(value);
             return true;
           }},
      {.name = "--series-inductor",
       .value_name = "S",
       .help = "the inductors' series for --standard: E3, E6, E12\n"
               "(default), E24, E48, E96 or E192",
       .read = SeriesReader("--series-inductor", a.seriesInductor)},
      {.name = "--series-capacitor",
       .value_name = "S",
       .help = "the capacitors' series for --standard, E24 by default",
       .read = SeriesReader("--series-capacitor", a.seriesCapacitor)},
      {.name = "--tolerance",
       .value_name = "P%",
       .help = "every part's tolerance, 0 to 50 (default 5%)",
       .read = PercentReader("--tolerance", a.everyTolerance)},
      {.name = "--tol1",
       .value_name = "P%",
       .help = "element 1's own tolerance",
       .read = PercentReader("--tol1", a.elementTolerance[0])},
      {.name = "--tol2",
       .value_name = "P%",
       .help = "element 2's own tolerance",
       .read = PercentReader("--tol2", a.elementTolerance[1])},
      {.name = "--tol3",
       .value_name = "P%",
       .help = "element 3's own tolerance",
       .read = PercentReader("--tol3", a.elementTolerance[2])},
      {.name = "--distribution",
       .value_name = "D",
       .help = "uniform within the tolerance (default) or normal with three\n"
               "standard deviations at the tolerance",
       .read =
           [&a](std::string_view value, std::string& error) {
             if (value != "uniform" && value != "normal") {
               return Refused(error, "--distribution: unknown distribution '" + std::string(value) +
                                         "' (use uniform or normal)");
             }
             a.distribution =
                 value == "normal" ? ToleranceDistribution::Normal : ToleranceDistribution::Uniform;
             return true;
           }},
      {.name = "--trials",
       .value_name = "N",
       .help = "builds, 1 to 10000000 (default 10000)",
       .read =
           [&a](std::string_view value, std::string& error) {
             int count = 0;
             if (!ReadInteger(value, count) || count < 1 || count > 10000000) {
               return Refused(error, "--trials: " + QuotedValue(value) +
                                         " is not a whole number from 1 to 10000000");
             }
             a.builds = count;
             return true;
           }},
      {.name = "--seed",
       .value_name = "S",
       .help = "the random seed, a whole number (default 1)",
       .read =
           [&a](std::string_view value, std::string& error) {
             std::uint64_t number = 0;
             if (!ReadInteger(value, number)) {
               return Refused(
                   error, "--seed: " + QuotedValue(value) + " is not a whole number of at least 0");
             }
             a.seed = number;
             return true;
           }},
      {.name = "--band",
       .value_name = "F1:F2",
       .help = "also the yield over F1 to F2 (21 frequencies)",
       .read = [&a](std::string_view value,
                    std::string& error) { return ReadBand(value, a.band, error); }},
  };
  return {
      .command = "tolerance",
      .groups = {DesignGroup(a.design, "Design options:\n"),
                 LineGroup(a.lines,
                           "Feedline options (the network is designed for the side seen through "
                           "the line, and\n"
                           "every build is scored with that side):\n"),
                 LossGroup(a.losses,
                           "Loss options (without any of them every part is ideal): each build's "
                           "parts carry\n"
                           "the series resistance |X|/Q(f) of their own values, so the yields, "
                           "percentiles,\n"
                           "worst case and sensitivities include the losses, and the best "
                           "combination is\n"
                           "chosen with them; with --compensate the ideal design is the one "
                           "compensated for\n"
                           "the losses:\n"),
                 {"Tolerance options:\n", std::move(own), {}},
                 OutputGroup(a.output, "table (default) or json (with the histogram)")},
  };
}

}  // namespace

CommandOptions ToleranceCommandOptions() { return Declared(Bind); }

std::string ToleranceHelp() {
  return "Usage: corvantile-cli tolerance [OPTIONS]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does, takes the ideal design or its\n"
         "nearest or best standard-value version, and builds it many times with every part\n"
         "drawn within its tolerance (on the inductance or capacitance). Prints the yield\n"
         "(builds with VSWR at most 1.5:1 and 2:1 at the design frequency, and over --band),\n"
         "the return-loss percentiles 1/5/50/95/99, the worst corner of the tolerance box and\n"
         "each part's share of the spread, most sensitive first. The same seed gives the same\n"
         "numbers on any machine, whatever its number of cores. A measured side\n"
         "(--load-file, --source-file) is read from its file at f0 and at every --band\n"
         "frequency, so the band must lie within the file's band.\n" +
         OptionsHelp(ToleranceCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "\n"
         "Examples:\n"
         "  corvantile-cli tolerance --standard best\n"
         "  corvantile-cli tolerance --tol2 10% --distribution normal --band 3.6M:3.9M "
         "--format json\n";
}

int RunToleranceCommand(std::span<const std::string_view> arguments, std::ostream& out,
                        std::ostream& err) {
  const bool progressOnErr = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  ToleranceArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << ToleranceHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  ToleranceOptions options;
  const DesignRequest& design = a.design;
  const std::optional<double>& everyTolerance = a.everyTolerance;
  const std::array<std::optional<double>, 3>& elementTolerance = a.elementTolerance;
  std::string standard = a.standard;
  const std::optional<ToleranceDistribution>& distribution = a.distribution;
  const std::optional<int>& builds = a.builds;
  const std::optional<std::uint64_t>& seed = a.seed;
  const std::optional<std::array<double, 2>>& band = a.band;
  const std::optional<StandardSeries>& seriesInductor = a.seriesInductor;
  const std::optional<StandardSeries>& seriesCapacitor = a.seriesCapacitor;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;
  std::string format;
  if (!ChooseFormat(output, kToleranceFormats, format, error)) return Refuse(err, error);

  DesignModel model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(design, model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (!built) return Refuse(err, error);
  if (const Network network = NetworkOf(model); network.problem != CircuitProblem::None) {
    err << "corvantile-cli: tolerance: " << CircuitProblemText(network.problem) << '\n';
    return kExitImpossibleDesign;
  }
  // The design's own tolerance settings (a session's, as its window ran them), with what the
  // command line gives over them.
  ToleranceSettings settings = ToleranceSettingsOf(model);
  if (standard == "none") settings.standard = ToleranceStandard::None;
  if (standard == "nearest") settings.standard = ToleranceStandard::Nearest;
  if (standard == "best") settings.standard = ToleranceStandard::Best;
  if (everyTolerance) settings.inductorTolerance = settings.capacitorTolerance = *everyTolerance;
  if (distribution) settings.normal = *distribution == ToleranceDistribution::Normal;
  if (builds) settings.builds = *builds;
  if (seed) settings.seed = *seed;
  if (band) settings.band = band;
  if (seriesInductor) settings.inductorSeries = SeriesCount(*seriesInductor);
  if (seriesCapacitor) settings.capacitorSeries = SeriesCount(*seriesCapacitor);
  ToleranceRequest request = ToleranceOf(model, settings);
  if (!request.hasNetwork) return Refuse(err, "--band: " + request.noNetworkReason);
  // A feedline between the network and a side: the network designed for the side seen through
  // it, rounded as the design's own, every build scored with that side.
  const LineRequest lines = TakeDesignLine(model, a.lines);
  RunState lineState = model.state();
  MeasuredDesign measured = MeasuredDesignOf(model);
  LineSetup line;
  // Parts with parasitics are the command line's alone (a session stores each part's Q): the
  // network is then built, re-solved and scored here with them, as through a feedline.
  if (lines.Any() || HasPartModels(losses.model)) {
    if (lines.Any() && !ApplyLineRequest(lines, lineState, measured, line, error)) {
      return Refuse(err, error);
    }
    request.options.losses = WithPartModels(request.options.losses, &losses);
    const CircuitBuild build = BuildCircuit(lineState, RunDesignPass(lineState));
    if (build.problem != CircuitProblem::None) {
      err << "corvantile-cli: tolerance: " << CircuitProblemText(build.problem) << '\n';
      return kExitImpossibleDesign;
    }
    const MatchingCircuit seen = Compensating(model)
                                     ? CompensateLosses(build.circuit, request.options.losses,
                                                        lineState.NetValues[DesignDriver])
                                           .circuit
                                     : build.circuit;
    request = ToleranceOfCircuit(seen, request.options.losses, measured.Sides(), settings);
    if (!request.hasNetwork) return Refuse(err, "--band: " + request.noNetworkReason);
  }
  options = request.options;
  const MatchingCircuit& circuit = request.circuit;
  for (std::size_t k = 0; k < 3; ++k) {
    if (elementTolerance[k]) options.tolerance[k] = *elementTolerance[k];
  }
  // The measured sides as their files give them, not as seen through --line.
  const MeasuredDesign& shown = lines.Any() ? line.shown : measured;
  const bool lossy = losses.given || LossesSwitchedOn(model.settings().losses);
  standard = settings.standard == ToleranceStandard::Nearest ? "nearest"
             : settings.standard == ToleranceStandard::Best  ? "best"
                                                             : "none";

  // A long run reports how far it has got, once a second-ish, on a terminal's stderr.
  std::atomic<int> progress{0};
  std::atomic<bool> finished{false};
  std::thread reporter;
  if (progressOnErr && options.builds >= 200000) {
    options.progress = &progress;
    reporter = std::thread([&] {
      while (!finished) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        err << "\rcorvantile-cli: tolerance: " << progress.load() << " of " << options.builds
            << " builds" << std::flush;
      }
      err << '\n';
    });
  }
  const ToleranceResult r = RunTolerance(circuit, options);
  finished = true;
  if (reporter.joinable()) reporter.join();

  std::ostringstream text;
  if (format == "json") {
    Json o;
    o["design"] = standard == "none" ? "ideal" : standard;
    o["builds"] = r.builds;
    o["tolerances"] = {ComputedNumber(options.tolerance[0]), ComputedNumber(options.tolerance[1]),
                       ComputedNumber(options.tolerance[2])};
    o["distribution"] =
        options.distribution == ToleranceDistribution::Normal ? "normal" : "uniform";
    if (lossy) o["part_q"] = CircuitQText(circuit, options.losses);
    if (shown.Any()) o["measured"] = MeasuredJson(shown);
    if (lines.Any()) o["line"] = LineJson(line, circuit, measured.Sides());
    o["nominal_return_loss_db"] = ComputedNumber(r.nominalReturnLossDb);
    o["yield_vswr_1_5"] = ComputedNumber(r.atDesign.vswr15);
    o["yield_vswr_2"] = ComputedNumber(r.atDesign.vswr2);
    if (r.overBand) {
      o["band_yield_vswr_1_5"] = ComputedNumber(r.overBand->vswr15);
      o["band_yield_vswr_2"] = ComputedNumber(r.overBand->vswr2);
    }
    o["percentiles"] = {1, 5, 50, 95, 99};
    Json percentiles = Json::array();
    for (const double v : r.percentilesDb) percentiles.push_back(ComputedNumber(v));
    o["percentile_return_loss_db"] = std::move(percentiles);
    o["histogram"] = {{"first_db", ComputedNumber(r.histogram.firstDb)},
                      {"bin_db", ComputedNumber(r.histogram.binDb)},
                      {"counts", r.histogram.counts}};
    o["worst_case"] = {{"signs", r.worst.signs},
                       {"return_loss_db", ComputedNumber(r.worst.returnLossDb)},
                       {"vswr", ComputedNumber(r.worst.vswr)}};
    Json ranking = Json::array();
    Json shares = Json::array();
    for (const Sensitivity& s : r.sensitivities) {
      ranking.push_back(s.element);
      shares.push_back(ComputedNumber(s.share));
    }
    o["sensitivity_ranking"] = std::move(ranking);
    o["sensitivity_shares"] = std::move(shares);
    text << JsonLine(o);
    return Deliver(text.str(), output, out, err);
  }
  text << "Tolerance analysis of the " << (standard == "none" ? "ideal" : standard)
       << " design: " << r.builds << " builds, "
       << (options.distribution == ToleranceDistribution::Normal ? "normal" : "uniform")
       << ", tolerances " << Fixed(options.tolerance[0] * 100, 1) << " / "
       << Fixed(options.tolerance[1] * 100, 1) << " / " << Fixed(options.tolerance[2] * 100, 1)
       << " %, seed " << options.seed << "\n";
  if (lossy) text << "Lossy parts: " << CircuitQText(circuit, options.losses) << "\n";
  text << MeasuredLines(shown, circuit.designFrequency);
  if (lines.Any()) text << LineReport(line, circuit, measured.Sides());
  text << "\n";
  text << "Nominal return loss: " << ReturnLossText(r.nominalReturnLossDb, 2) << "\n";
  text << "Yield at f0: " << PercentText(r.atDesign.vswr15, 1) << " within VSWR 1.5, "
       << PercentText(r.atDesign.vswr2, 1) << " within 2\n";
  if (r.overBand) {
    text << "Yield over the band: " << PercentText(r.overBand->vswr15, 1) << " within VSWR 1.5, "
         << PercentText(r.overBand->vswr2, 1) << " within 2\n";
  }
  text << "Return loss percentiles (1/5/50/95/99): ";
  for (std::size_t i = 0; i < r.percentilesDb.size(); ++i) {
    text << (i ? " / " : "") << Fixed(r.percentilesDb[i], 2);
  }
  text << " dB\n";
  text << "Worst corner: " << ReturnLossText(r.worst.returnLossDb, 2) << ", VSWR "
       << Fixed(r.worst.vswr, 3) << " (elements";
  for (int sign : r.worst.signs) text << ' ' << (sign > 0 ? '+' : sign < 0 ? '-' : '0');
  text << ")\nSensitivity, most first:";
  for (const Sensitivity& s : r.sensitivities) {
    text << " element " << s.element << " " << PercentText(s.share, 1) << ";";
  }
  text << '\n';
  return Deliver(text.str(), output, out, err);
}

}  // namespace corvantile::cli
