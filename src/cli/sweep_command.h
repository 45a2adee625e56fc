#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli sweep [OPTIONS]`: designs the circuit as `design` does, then prints its
// response over a span of frequencies with the summary figures, as a table, CSV or JSON.
// Returns kExitOk, or kExitUsage after a one-line error (a bad option or span, an unknown
// format, or a state with no network to sweep).
int RunSweepCommand(std::span<const std::string_view> arguments, std::ostream& out,
                    std::ostream& err);

std::string SweepHelp();

// Its option table, which its parser and its help read.
CommandOptions SweepCommandOptions();

}  // namespace corvantile::cli
