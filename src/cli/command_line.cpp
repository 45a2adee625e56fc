#include "cli/command_line.h"

#include "cli/argument_cursor.h"
#include "cli/command_output.h"
#include "cli/design_command.h"
#include "cli/explore_command.h"
#include "cli/export_command.h"
#include "cli/project_version.h"
#include "cli/report_command.h"
#include "cli/standard_command.h"
#include "cli/sweep_command.h"
#include "cli/tolerance_command.h"
#include "cli/touchstone_command.h"
#include "cli/value_commands.h"
#include "state/message_text.h"

namespace corvantile::cli {

std::string MainHelp() {
  return std::string("Usage: corvantile-cli COMMAND [ARGUMENTS]\n") +
         "\n"
         "Designs lumped-element impedance-matching networks (Tee, Pi, low-pass L, high-pass L)\n"
         "without a window, with the calculation of the design window, and gives access to the\n"
         "program's value parser and display formatters.\n"
         "\n"
         "Commands:\n"
         "  design      design the network of one circuit; print a report or JSON, save a\n"
         "              session\n"
         "  sweep       the designed circuit's response over frequency, with bandwidth figures\n"
         "  export      the designed circuit as an ngspice netlist, a Touchstone file or CSV\n"
         "  report      the design report as a two-page PDF (-o FILE)\n"
         "  touchstone  read a measured Touchstone file: its summary and a port's impedance\n"
         "  standard    the design with standard part values (E-series), nearest or best\n"
         "  tolerance   Monte Carlo over part tolerances: the spread of the match\n"
         "  explore     every solution for the circuit side by side, with the Bode-Fano bound\n"
         "  parse       read texts with the program's value parser\n"
         "  format      write values with one of the program's display formatters\n"
         "\n"
         "design, sweep and export take --source-file FILE and --load-file FILE: that side is\n"
         "the impedance a network analyser measured, read from a Touchstone file.\n"
         "\n"
         "Run 'corvantile-cli COMMAND --help' for a command's arguments and examples;\n"
         "'corvantile-cli --version' prints the version.\n"
         "\n"
         "Values are written in the program's own notation everywhere: a number with optional\n"
         "sign, point and exponent, then an optional SI prefix: p 1e-12, n 1e-9, u 1e-6,\n"
         "m 1e-3, k or K 1e3, M 1e6, G 1e9 (1.5k, 3.75M, 100p, -100p, 4.7u, 2k2).\n"
         "\n"
         "Every command takes -h or --help, and every command that writes something takes\n"
         "--format FORMAT and -o FILE (--output FILE) to choose what it writes and where.\n"
         "\n" +
         std::string(kExitStatusHelp) +
         "\n"
         "Examples:\n"
         "  corvantile-cli design\n"
         "  corvantile-cli design --family tee --load series-part:50:-100p --json\n"
         "  corvantile-cli parse 3.75MHz -100p\n"
         "  corvantile-cli format capacitance 1e-10\n";
}

int RunCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err) {
  if (arguments.empty()) {
    err << "corvantile-cli: needs a command (design, sweep, explore, export, report, touchstone, "
           "standard, tolerance, parse or format; see corvantile-cli --help)\n";
    return kExitUsage;
  }
  const std::string_view command = arguments.front();
  const auto rest = arguments.subspan(1);
  if (command == "design") return RunDesignCommand(rest, out, err);
  if (command == "sweep") return RunSweepCommand(rest, out, err);
  if (command == "explore") return RunExploreCommand(rest, out, err);
  if (command == "export") return RunExportCommand(rest, out, err);
  if (command == "report") return RunReportCommand(rest, out, err);
  if (command == "standard") return RunStandardCommand(rest, out, err);
  if (command == "tolerance") return RunToleranceCommand(rest, out, err);
  if (command == "parse") return RunParseCommand(rest, out, err);
  if (command == "format") return RunFormatCommand(rest, out, err);
  if (command == "touchstone") return RunTouchstoneCommand(rest, out, err);
  if (IsHelpArgument(command) || command == "help") {
    out << MainHelp();
    return kExitOk;
  }
  if (command == "--version") {
    out << "corvantile-cli " << kProjectVersion << '\n';
    return kExitOk;
  }
  err << "corvantile-cli: unknown command " << QuotedValue(command)
      << " (use design, sweep, export, report, touchstone, standard, tolerance, explore, parse "
         "or format; see corvantile-cli --help)\n";
  return kExitUsage;
}

}  // namespace corvantile::cli
