#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli standard [OPTIONS]`: designs the circuit as `design` does, then prints the
// network built from standard values three ways (nearest, best combination, each element fixed
// first), with return loss, VSWR, 2:1 bandwidth and harmonic attenuation, as a table or JSON.
// Returns kExitOk; kExitImpossibleDesign when there is no network; kExitUsage after a one-line
// error for a bad command line.
int RunStandardCommand(std::span<const std::string_view> arguments, std::ostream& out,
                       std::ostream& err);

std::string StandardHelp();

// Its option table, which its parser and its help read.
CommandOptions StandardCommandOptions();

}  // namespace corvantile::cli
