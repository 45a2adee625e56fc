#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli band --band F1:F2 [...]`: for every element count up to --elements, the
// lossless ladder with the best worst-case return loss over the bands, against the Bode-Fano
// bound, as a table, CSV or JSON. Returns kExitOk, kExitImpossibleDesign when no ladder reaches
// a positive return loss (or the asked attenuation), or kExitUsage after a one-line error.
int RunBandCommand(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err);

std::string BandHelp();

// Its option table, which its parser and its help read.
CommandOptions BandCommandOptions();

}  // namespace corvantile::cli
