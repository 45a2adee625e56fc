#pragma once

// Numbers and text of the commands' JSON output. Two kinds of number reach it: values the
// design stores as 32-bit floats, written as the float's own shortest text, and doubles the
// analysis computes, written as the JSON library writes a double (the shortest text that reads
// back as the same double). Neither is ever NaN or inf: a value that is not finite is null.
#include <optional>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/json_value.h"

namespace corvantile::cli {

// A stored float as the decimal its shortest text names, the number it was entered as: 0.1f ->
// 0.1 (not 0.10000000149011612), 1500.0f -> 1500, -1e-10f -> -1e-10, 1e15f -> 1e+15; NaN,
// inf -> null. The library writes that double with its shortest-text algorithm, which for a
// few values in a thousand gives 17 digits of the same number (-3.7487066000000002 for
// -3.7487066f); the text still reads back as exactly that decimal and that float.
Json StoredNumber(float value);

// An array of stored floats, each as StoredNumber writes it: {1.5f, -2.0f} -> [1.5,-2].
Json StoredNumbers(std::span<const float> values);

// A computed double: 1.0 / 3 -> 0.3333333333333333, 1500.0 -> 1500.0; not finite -> null.
Json ComputedNumber(double value);

// A computed double that may be missing: nullopt -> null, otherwise ComputedNumber.
Json OptionalNumber(const std::optional<double>& value);

// The document on one line, ending in a newline. Text that is not UTF-8 (a file name in another
// encoding) has its bad bytes replaced by U+FFFD rather than failing the command.
std::string JsonLine(const Json& json);

}  // namespace corvantile::cli
