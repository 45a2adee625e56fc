#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_table.h"

namespace corvantile::cli {

// The whole program: `arguments` without the program name; the first one picks the command
// (design, parse, format) or asks for --help or --version. Returns the exit status.
int RunCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err);

// The top-level help text.
std::string MainHelp();

// The commands, in the order the help lists them, and each one's option table.
std::vector<std::string_view> CommandNamesInOrder();
std::optional<CommandOptions> OptionsOfCommand(std::string_view name);

}  // namespace corvantile::cli
