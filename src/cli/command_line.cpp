#include "cli/command_line.h"

#include <array>
#include <optional>
#include <vector>

#include "cli/band_command.h"
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
namespace {

using RunCommand = int (*)(std::span<const std::string_view>, std::ostream&, std::ostream&);

// Every command, in the order the help lists them; the help, the usage line and the dispatch
// all read this table.
struct CommandInfo {
  std::string_view name;
  std::string_view summary;  // lines after the first are indented to the summaries' column
  bool designs;              // takes the design options, --source-file and --load-file among them
  RunCommand run;
  CommandOptions (*options)();
};

constexpr std::array<CommandInfo, 11> kCommands{{
    {"design", "design the network of one circuit; print a report or JSON, save a\nsession", true,
     RunDesignCommand, DesignCommandOptions},
    {"sweep", "the designed circuit's response over frequency, with bandwidth figures", true,
     RunSweepCommand, SweepCommandOptions},
    {"export", "the designed circuit as an ngspice netlist, a Touchstone file or CSV", true,
     RunExportCommand, ExportCommandOptions},
    {"report", "the design report as a two-page PDF (-o FILE)", true, RunReportCommand,
     ReportCommandOptions},
    {"touchstone", "read a measured Touchstone file: its summary and a port's impedance", false,
     RunTouchstoneCommand, TouchstoneCommandOptions},
    {"standard", "the design with standard part values (E-series), nearest or best", true,
     RunStandardCommand, StandardCommandOptions},
    {"tolerance", "Monte Carlo over part tolerances: the spread of the match", true,
     RunToleranceCommand, ToleranceCommandOptions},
    {"explore", "every solution for the circuit side by side, with the Bode-Fano bound", true,
     RunExploreCommand, ExploreCommandOptions},
    {"band",
     "the best ladder of up to six elements over one or more bands, against\nthe Bode-Fano bound",
     true, RunBandCommand, BandCommandOptions},
    {"parse", "read texts with the program's value parser", false, RunParseCommand,
     ParseCommandOptions},
    {"format", "write values with one of the program's display formatters", false, RunFormatCommand,
     FormatCommandOptions},
}};

// "design, sweep, ... or format": the commands for which `pick` holds, the last two joined by
// `last` (" or ", " and ").
std::string CommandNames(bool (*pick)(const CommandInfo&), std::string_view last) {
  std::vector<std::string_view> names;
  for (const CommandInfo& command : kCommands) {
    if (pick(command)) names.push_back(command.name);
  }
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? last : ", ";
    text += names[i];
  }
  return text;
}

std::string AllCommandNames() {
  return CommandNames([](const CommandInfo&) { return true; }, " or ");
}

std::string CommandList() {
  std::string text;
  for (const CommandInfo& command : kCommands) {
    std::string head = "  " + std::string(command.name);
    head.resize(14, ' ');
    std::string_view summary = command.summary;
    bool first = true;
    while (!summary.empty()) {
      const std::size_t end = summary.find('\n');
      text += (first ? head : std::string(14, ' ')) + std::string(summary.substr(0, end)) + '\n';
      first = false;
      summary = end == std::string_view::npos ? std::string_view() : summary.substr(end + 1);
    }
  }
  return text;
}

// Breaks `text` into lines of at most `width` characters at blanks.
std::string Wrapped(std::string_view text, std::size_t width) {
  std::string wrapped;
  std::size_t lineStart = 0;
  while (!text.empty()) {
    const std::size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    const std::size_t lineLength = wrapped.size() - lineStart;
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      wrapped += '\n';
      lineStart = wrapped.size();
    } else if (lineLength > 0) {
      wrapped += ' ';
    }
    wrapped += word;
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return wrapped + '\n';
}

}  // namespace

std::string MainHelp() {
  return std::string("Usage: corvantile-cli COMMAND [ARGUMENTS]\n") +
         "\n"
         "Designs lumped-element impedance-matching networks (Tee, Pi, low-pass L, high-pass L)\n"
         "without a window, with the calculation of the design window, and gives access to the\n"
         "program's value parser and display formatters.\n"
         "\n"
         "Commands:\n" +
         CommandList() + "\n" +
         Wrapped(CommandNames([](const CommandInfo& c) { return c.designs; }, " and ") +
                     " take --source-file FILE and --load-file FILE: that side is the impedance "
                     "a network analyser measured, read from a Touchstone file.",
                 88) +
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

std::vector<std::string_view> CommandNamesInOrder() {
  std::vector<std::string_view> names;
  for (const CommandInfo& command : kCommands) names.push_back(command.name);
  return names;
}

std::optional<CommandOptions> OptionsOfCommand(std::string_view name) {
  for (const CommandInfo& command : kCommands) {
    if (command.name == name) return command.options();
  }
  return std::nullopt;
}

int RunCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err) {
  if (arguments.empty()) {
    err << "corvantile-cli: needs a command (" << AllCommandNames()
        << "; see corvantile-cli --help)\n";
    return kExitUsage;
  }
  const std::string_view command = arguments.front();
  const auto rest = arguments.subspan(1);
  for (const CommandInfo& info : kCommands) {
    if (info.name == command) return info.run(rest, out, err);
  }
  if (command == "-h" || command == "--help" || command == "help") {
    out << MainHelp();
    return kExitOk;
  }
  if (command == "--version") {
    out << "corvantile-cli " << kProjectVersion << '\n';
    return kExitOk;
  }
  err << "corvantile-cli: unknown command " << QuotedValue(command) << " (use " << AllCommandNames()
      << "; see corvantile-cli --help)\n";
  return kExitUsage;
}

}  // namespace corvantile::cli
