#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli explore [OPTIONS]`: every network that matches the circuit's source and load
// (the design window's L networks, every other L, the two-section L, the Pi and the Tee at
// every phase step) with its figures, sorted, as a table, CSV or JSON. Returns kExitOk,
// kExitImpossibleDesign when no network matches, or kExitUsage after a one-line error.
int RunExploreCommand(std::span<const std::string_view> arguments, std::ostream& out,
                      std::ostream& err);

std::string ExploreHelp();

// Its option table, which its parser and its help read.
CommandOptions ExploreCommandOptions();

}  // namespace corvantile::cli
