#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli export spice|touchstone|csv [OPTIONS] [-o FILE]`: designs the circuit as
// `design` does and writes it for another tool: an ngspice netlist of the whole circuit, a
// Touchstone 1.0 file of the network alone, or the sweep as CSV. To standard output, or to
// FILE, which is replaced only once the new text is complete. Returns kExitOk, or kExitUsage
// after a one-line error.
int RunExportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

std::string ExportHelp();

// Its option table, which its parser and its help read.
CommandOptions ExportCommandOptions();

}  // namespace corvantile::cli
