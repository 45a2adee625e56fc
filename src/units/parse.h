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

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvantile {

// "3.75MHz" -> 3750000, "  47u  " -> 4.7e-5, "50 ohms" -> 50, "abc" -> 0.
float ParseValue(std::string_view text);

}  // namespace corvantile

namespace corvantile {

// The largest magnitude a value may have, and the characters a value may have: what
// ParseValue holds values at and reads.
inline constexpr double kValueLimit = 1e10;
inline constexpr std::size_t kValueCharacters = 12;

// What can be wrong with a value the command line gave.
enum class StrictProblem {
  None,
  NotAValue,  // anything but the notation: "1,5M", "5O", "1e3G", "e5", "5=6", ""
  TooLarge,   // beyond +/-kValueLimit: "50G", "1e400"
  TooSmall,   // not zero, but below what a stored (single-precision) value holds: "1e-45"
  TooLong,    // more than kValueCharacters, which ParseValue would read as another value:
              // "1234567890123e-3" (digits past a float's precision are no change)
};

struct StrictValue {
  StrictProblem problem = StrictProblem::None;
  double value = 0.0;  // exact; also set for TooLarge, TooSmall and TooLong
};

// Reads a value as the command line takes it: the notation ParseValue reads, but refused
// rather than changed wherever ParseValue would cut, clamp or skip characters. The text, less
// leading and trailing blanks, must be exactly a number (an optional sign, digits with at most
// one point, an optional exponent "e5", "E-3") followed by at most one prefix letter (p n u m
// k M G, "m" milli and "M" mega, the others in either case; not after an exponent), or the
// resistor code "4k7"; its magnitude at most kValueLimit and, when not zero, at least the
// smallest normal float; and, when longer than kValueCharacters, read by ParseValue's first 12
// characters as the same value to a float's precision. The value is exact (double), so that a
// caller can check its own range before the length.
//   "3.75M" -> 3750000, "-100p" -> -1e-10, "4k7" -> 4700, "1e-3" -> 0.001
//   "1,5M", "5O", "1e3G", "e5", "5=6", "" -> NotAValue; "50G" -> TooLarge, value 5e10
//   "1234567890123e-3" -> TooLong, value 1234567890.123; "61.234567891234567" -> 61.2345...
StrictValue ParseValueStrict(std::string_view text);

// The problem as a message continues the quoted value: "is not a value (...)",
// "is outside -10G to 10G, the range of a value", "has more than 12 characters".
std::string StrictProblemText(StrictProblem problem);

}  // namespace corvantile
