#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace corvantile::cli {

// `corvantile-cli parse TEXT...`: each text through ParseValue, printed one per line with nine
// significant digits (%.9g, enough to give back the same 32-bit float). "3.75MHz" -> 3750000,
// "-100p" -> -9.99999982e-11, "abc" -> 0. Returns the exit status.
int RunParseCommand(std::span<const std::string_view> arguments, std::ostream& out,
                    std::ostream& err);

// `corvantile-cli format KIND VALUE...`: each value through the formatter KIND (frequency,
// capacitance, inductance, engineering or quantity), printed exactly, one per line, trailing
// blanks kept: "format frequency 3.75M" prints " 3.75 M". Returns the exit status.
int RunFormatCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

// A value for the format command: a plain decimal number ("1.5e16", "-0.001") is read exactly
// as the nearest 32-bit float, beyond the parser's +/-1e10 limit; any other text with a digit
// goes through ParseValue ("4.7u", "1.5k"). False for text without a digit or a plain number
// outside the float range.
bool ReadFormatValue(std::string_view text, float& value, std::string& error);

// `%.9g` of a float, in the C locale whatever the environment: 1500 -> "1500",
// 1e-10f -> "1.00000001e-10".
std::string NineDigits(float value);

std::string ParseHelp();
std::string FormatHelp();

// Their option tables, which their parsers and their helps read.
CommandOptions ParseCommandOptions();
CommandOptions FormatCommandOptions();

}  // namespace corvantile::cli
