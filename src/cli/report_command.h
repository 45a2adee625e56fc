#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// corvantile-cli report [design options] [loss options] -o FILE: the design window's PDF report
// of the designed circuit, written to FILE ("-" for standard output when that is not a terminal).
int RunReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

std::string ReportHelp();

// Its option table, which its parser and its help read.
CommandOptions ReportCommandOptions();

}  // namespace corvantile::cli
