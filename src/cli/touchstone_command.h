#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli touchstone FILE [--port N] [--at F ...] [--format table|csv|json]`: what the
// file holds and the impedance of one of its ports at the frequencies asked for, or at every
// point of the file. `arguments` are those after "touchstone". Returns kExitOk, or kExitUsage
// after a one-line error on `err` (a bad option, an unreadable or malformed file, no such port,
// a frequency outside the file's band) with nothing on `out`.
int RunTouchstoneCommand(std::span<const std::string_view> arguments, std::ostream& out,
                         std::ostream& err);

std::string TouchstoneHelp();

// Its option table, which its parser and its help read.
CommandOptions TouchstoneCommandOptions();

}  // namespace corvantile::cli
