#include "cli/sweep_command.h"

#include <vector>

#include "analysis/sweep_summary.h"
#include "cli/design_options.h"
#include "cli/sweep_options.h"
#include "cli/sweep_report.h"

namespace corvantile::cli {
namespace {

int Fail(std::ostream& err, std::string_view message) {
  err << "corvantile-cli: sweep: " << message << '\n';
  return kExitUsage;
}

}  // namespace

std::string SweepHelp() {
  return "Usage: corvantile-cli sweep [OPTIONS]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does, builds the physical circuit (the\n"
         "source and load in the form they were entered, every part at its henries or farads)\n"
         "and prints its response over a span of frequencies: the impedance the source sees,\n"
         "the reflection coefficient against the conjugate of the source impedance, return\n"
         "loss, VSWR, transducer gain (load power over available power), transfer phase (load\n"
         "voltage against network input voltage) and load power. The summary gives the figures\n"
         "at the design frequency, the band edges and fractional bandwidth for VSWR 2:1 and\n"
         "1.5:1 (an edge beyond the span is reported as such), and the attenuation at twice\n"
         "and three times the design frequency relative to the design frequency.\n"
         "\n"
         "Design options (see corvantile-cli design --help for FORM:R:V):\n" +
         DesignOptionsHelp() +
         "\n"
         "Sweep options:\n" +
         SweepOptionsHelp() +
         "  --format FORMAT       table (default), csv (the summary as '#' lines, then the\n"
         "                        table of 'corvantile-cli export csv') or json\n"
         "  --help                print this help\n"
         "\n"
         "Exit status: 0 swept; 2 bad command line, bad span, unknown format, or no network\n"
         "to sweep (an impossible design), with one line on stderr and nothing on stdout.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli sweep\n"
         "  corvantile-cli sweep --family tee --from 3M --to 4.5M --points 301 --linear\n"
         "  corvantile-cli sweep --load series:50:-25 --format csv > sweep.csv\n";
}

int RunSweepCommand(std::span<const std::string_view> arguments, std::ostream& out,
                    std::ostream& err) {
  ArgumentCursor args(arguments);
  DesignRequest design;
  SweepRequest sweep;
  std::string format = "table";
  std::string error;
  while (!args.AtEnd()) {
    const OptionTake shared = TakeDesignOrSweepOption(args, design, sweep, error);
    if (shared == OptionTake::Failed) return Fail(err, error);
    if (shared == OptionTake::Taken) continue;
    const std::string_view argument = args.Take();
    if (!IsOptionArgument(argument)) {
      return Fail(err, "unexpected argument '" + std::string(argument) +
                           "' (see corvantile-cli sweep --help)");
    }
    const OptionArgument option = SplitOption(argument);
    if (option.name == "--help") {
      if (option.inline_value) return Fail(err, "--help takes no value");
      out << SweepHelp();
      return kExitOk;
    }
    if (option.name != "--format") {
      return Fail(err, "unknown option '" + std::string(option.name) +
                           "' (see corvantile-cli sweep --help)");
    }
    std::string_view value;
    if (!args.TakeValue(option, value, error)) return Fail(err, error);
    if (value != "table" && value != "csv" && value != "json") {
      return Fail(err, "unknown format '" + std::string(value) + "' (use table, csv or json)");
    }
    format = value;
  }

  SweepSetup setup;
  std::vector<std::string> notes;
  const bool prepared = PrepareSweep(design, sweep, setup, error, notes);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << note << '\n';
  if (!prepared) return Fail(err, error);

  const std::vector<ResponsePoint> points = SweepResponse(setup.circuit, setup.span);
  const SweepSummary summary = SummarizeSweep(setup.circuit, points);
  if (format == "csv") {
    out << SweepCsvWithSummary(setup.circuit, setup.span, points, summary);
  } else if (format == "json") {
    out << SweepJson(setup.circuit, setup.span, points, summary);
  } else {
    out << SweepTable(setup.circuit, setup.span, points, summary);
  }
  return kExitOk;
}

}  // namespace corvantile::cli
