#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace corvantile::cli {

// corvantile-cli report [design options] [loss options] -o FILE: the design window's PDF report
// of the designed circuit, written to FILE ("-" for standard output when that is not a terminal).
int RunReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

std::string ReportHelp();

}  // namespace corvantile::cli
