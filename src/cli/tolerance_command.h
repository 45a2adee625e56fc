#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli tolerance [OPTIONS]`: designs the circuit as `design` does, optionally rounds
// it to standard values, and runs the Monte Carlo of part tolerances: yield, return-loss
// percentiles, worst corner and sensitivities as a table, or JSON with the histogram too.
// Returns kExitOk; kExitImpossibleDesign when there is no network; kExitUsage after a one-line
// error for a bad command line. A long run writes its progress to stderr when `err` is the
// process's stderr and that is a terminal.
int RunToleranceCommand(std::span<const std::string_view> arguments, std::ostream& out,
                        std::ostream& err);

std::string ToleranceHelp();

// Its option table, which its parser and its help read.
CommandOptions ToleranceCommandOptions();

}  // namespace corvantile::cli
