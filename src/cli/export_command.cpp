#include "cli/export_command.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include <unistd.h>

#include "analysis/spice_netlist.h"
#include "analysis/sweep_csv.h"
#include "analysis/touchstone.h"
#include "cli/design_options.h"
#include "cli/sweep_options.h"
#include "units/parse.h"

namespace corvantile::cli {
namespace {

int Fail(std::ostream& err, std::string_view message) {
  err << "corvantile-cli: export: " << message << '\n';
  return kExitUsage;
}

// Writes `text` to `file` through a temporary file in the same directory, so that the file is
// replaced only by a complete text.
bool WriteWhole(const std::string& file, const std::string& text) {
  const std::string temporary = file + ".tmp" + std::to_string(static_cast<long>(::getpid()));
  bool written;
  {
    std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
    stream << text;
    stream.flush();
    written = static_cast<bool>(stream);
  }
  if (written && std::rename(temporary.c_str(), file.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace

std::string ExportHelp() {
  return "Usage: corvantile-cli export spice|touchstone|csv [OPTIONS] [-o FILE]\n"
         "\n"
         "Designs the network as 'corvantile-cli design' does and writes it for another tool:\n"
         "  spice       a netlist that ngspice runs as it stands (ngspice -b FILE): an AC\n"
         "              source whose EMF makes the design power available at the design\n"
         "              frequency, behind the source impedance; the network; the load; an .ac\n"
         "              card over the span; and a control block that prints the impedance the\n"
         "              source sees (zin_re, zin_im, ohm) and the load power (pload, W)\n"
         "  touchstone  a Touchstone 1.0 .s2p file of the network alone (port 1 the source\n"
         "              side), frequency in Hz, S-parameters as real and imaginary parts\n"
         "  csv         the sweep table: a header row with the SI unit in each column name,\n"
         "              then one row per frequency\n"
         "\n"
         "Design options (see corvantile-cli design --help for FORM:R:V):\n" +
         DesignOptionsHelp() +
         "\n"
         "Sweep options (the .ac card's span for spice, the frequencies for the others):\n" +
         SweepOptionsHelp() +
         "  --z0 R                touchstone only: reference impedance in ohms (default 50)\n"
         "  -o FILE, --output FILE\n"
         "                        write to FILE instead of standard output\n"
         "  --help                print this help\n"
         "\n"
         "For a logarithmic span the netlist's .ac card takes the points per decade that give\n"
         "at least as many points; a linear span gives exactly --points.\n"
         "\n"
         "Exit status: 0 written; 2 bad command line, bad span, unknown format, no network to\n"
         "export (an impossible design) or a file that cannot be written, with one line on\n"
         "stderr.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli export spice -o match.cir && ngspice -b match.cir\n"
         "  corvantile-cli export touchstone --family tee --z0 75 -o match.s2p\n"
         "  corvantile-cli export csv --points 201 --linear > sweep.csv\n";
}

int RunExportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
  if (!arguments.empty() && (arguments.front() == "--help" || arguments.front() == "-h")) {
    out << ExportHelp();
    return kExitOk;
  }
  if (arguments.empty() || IsOptionArgument(arguments.front())) {
    return Fail(err,
                "name a format first: spice, touchstone or csv (see corvantile-cli export "
                "--help)");
  }
  const std::string_view format = arguments.front();
  if (format != "spice" && format != "touchstone" && format != "csv") {
    return Fail(err, "unknown format '" + std::string(format) + "' (use spice, touchstone or csv)");
  }

  ArgumentCursor args(arguments.subspan(1));
  DesignRequest design;
  SweepRequest sweep;
  std::optional<float> z0;
  std::optional<std::string> outputFile;
  std::string error;
  while (!args.AtEnd()) {
    const OptionTake shared = TakeDesignOrSweepOption(args, design, sweep, error);
    if (shared == OptionTake::Failed) return Fail(err, error);
    if (shared == OptionTake::Taken) continue;
    const std::string_view argument = args.Take();
    std::string_view value;
    if (argument == "-o") {
      if (!args.TakeFileName({"-o", std::nullopt}, value, error)) return Fail(err, error);
      outputFile = std::string(value);
      continue;
    }
    if (!IsOptionArgument(argument)) {
      return Fail(err, "unexpected argument '" + std::string(argument) +
                           "' (see corvantile-cli export --help)");
    }
    const OptionArgument option = SplitOption(argument);
    if (option.name == "--help") {
      if (option.inline_value) return Fail(err, "--help takes no value");
      out << ExportHelp();
      return kExitOk;
    }
    if (option.name == "--output") {
      if (!args.TakeFileName(option, value, error)) return Fail(err, error);
      outputFile = std::string(value);
    } else if (option.name == "--z0") {
      if (!args.TakeValue(option, value, error)) return Fail(err, error);
      const float r = ParseValue(value);
      if (value.find_first_of("0123456789") == std::string_view::npos || !(r > 0.0f)) {
        return Fail(err, "--z0: '" + std::string(value) + "' is not a resistance above 0");
      }
      z0 = r;
    } else {
      return Fail(err, "unknown option '" + std::string(option.name) +
                           "' (see corvantile-cli export --help)");
    }
  }
  if (z0 && format != "touchstone") return Fail(err, "--z0 is for the touchstone export only");

  SweepSetup setup;
  std::vector<std::string> notes;
  const bool prepared = PrepareSweep(design, sweep, setup, error, notes);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << note << '\n';
  if (!prepared) return Fail(err, error);

  std::string text;
  if (format == "spice") {
    text = SpiceNetlist(setup.circuit, setup.span);
  } else if (format == "touchstone") {
    text = TouchstoneS2p(setup.circuit, setup.span,
                         z0 ? static_cast<double>(*z0) : kDefaultReferenceImpedance);
  } else {
    text = SweepCsv(SweepResponse(setup.circuit, setup.span));
  }
  if (!outputFile) {
    out << text;
    return kExitOk;
  }
  if (!WriteWhole(*outputFile, text)) return Fail(err, "cannot write '" + *outputFile + "'");
  return kExitOk;
}

}  // namespace corvantile::cli
