#pragma once

// Numbers on the command line, read strictly: a value is taken exactly as typed or refused
// with the reason, never cut, clamped or read in part.
#include <string>
#include <string_view>

#include "math/design_range.h"

namespace corvantile::cli {

// Any value the program holds. The design's own ranges (kDesignFrequencies, kDesignPowers,
// kNetworkPhases) are the core's, so an option refuses exactly what the design would.
inline constexpr ValueRange kAnyValue{-1e10, 1e10, ""};

// Reads `text` with ParseValueStrict into `value`, within `range`; false with one line:
//   "--frequency: '50G' is outside 1 mHz to 10 GHz"
//   "--power: '1,5k' is not a value (...)"
bool ReadOptionValue(std::string_view option, std::string_view text, const ValueRange& range,
                     double& value, std::string& error);

// The same for a value stored in single precision.
bool ReadOptionValue(std::string_view option, std::string_view text, const ValueRange& range,
                     float& value, std::string& error);

// A percentage ("5%" or "5") within `range` (in percent, unit "%"), as a fraction:
// "5%" -> 0.05; "101%" with 0 to 50 -> false, "--tolerance: '101%' is outside 0 % to 50 %".
bool ReadOptionPercent(std::string_view option, std::string_view text, const ValueRange& range,
                       double& fraction, std::string& error);

}  // namespace corvantile::cli
