#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli design [OPTIONS]`: builds the state from the design options, runs the
// reduce-and-design pass, optionally saves the state, and prints the report or the JSON object.
// `arguments` are those after "design". Returns the exit status: kExitOk, kExitImpossibleDesign
// (the output is still complete and --save still writes), or kExitUsage after a one-line error.
int RunDesignCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

// The help text of the design command.
std::string DesignHelp();

// Its option table, which its parser and its help read.
CommandOptions DesignCommandOptions();

}  // namespace corvantile::cli
