#include <iostream>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/option_table.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int status = corvantile::cli::RunCommandLine(arguments, std::cout, std::cerr);
  // A script must not take a truncated report or JSON object for a whole one.
  if (!std::cout.flush()) {
    std::cerr << "corvantile-cli: cannot write to standard output\n";
    return corvantile::cli::kExitUsage;
  }
  return status;
}
