#pragma once

// Reading of every value the user types.
//
// ParseValue takes a number with an optional sign, decimal point and exponent, followed by an
// optional one-letter SI prefix (p n u m k K M g G; "m" is milli and "M" mega, the others in
// either case), and drops every other character. It never rejects text: text without a usable
// number reads as 0. The texts written by the formatters read back with their prefixes.
//
// Rules beyond the plain number-and-prefix form:
// - Only the first 12 characters (bytes) after trimming leading and trailing blanks are read.
// - A prefix ends the number ("2.2k5" is 2200), except in the resistor-code form, where a
//   prefix letter standing directly between digits, with no point before it, is the decimal
//   point: "2k2" is 2200, "4n7" is 4.7e-9. Only the run of digits directly after the letter
//   belongs to the number, so "2k2.5" is 2200.
// - The unit word "ohm" (any letter case, also as "ohms") after the number, optionally behind
//   blanks, is a unit and not a milli prefix: "50 ohms" is 50, "1.5 kohms" is 1500.
// - A prefix letter after the exponent letter is ignored ("1.5E3k" is 1500), and the first "e"
//   of a word is taken as the exponent letter ("-135 degrees" is -135).
// - A number with no digit before its exponent letter ("-e5", ".e5") reads as 0.
// - The result lies within +/-1e10: larger values, overflow included, are held at 1e10 with the
//   number's sign. It is never NaN, infinite or negative zero.

#include <string_view>

namespace corvantile {

// "3.75MHz" -> 3750000, "  47u  " -> 4.7e-5, "50 ohms" -> 50, "abc" -> 0.
float ParseValue(std::string_view text);

}  // namespace corvantile
