#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace corvantile::cli {

// The whole program: `arguments` without the program name; the first one picks the command
// (design, parse, format) or asks for --help or --version. Returns the exit status.
int RunCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err);

// The top-level help text.
std::string MainHelp();

}  // namespace corvantile::cli
