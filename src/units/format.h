#pragma once

// Engineering-notation display texts for every value the user sees.
//
// Each formatter picks a decade range from the value, scales the value into that range, rounds it
// to a number of decimals that depends on its size and appends a blank and the SI prefix (the
// capacitance and inductance formatters also append "F" or "H"). The caller appends its own unit
// word ("ohms", "Hz", "V" ...). Every prefix written here reads back through ParseValue with the
// same power of ten, so a formatted text can be fed straight back into the parser.
//
// Numbers are written with 7 significant digits (a tie at the seventh digit goes to the even
// digit), trailing zeros and a trailing point removed, "." as the point whatever the C locale, and
// in exponent form ("1.5E+07") from a magnitude of 10 000 000 up.
//
// Any float is accepted. NaN formats as 0 (the formatter's zero text) and the infinities as
// +/-3.4028235E+38, the largest finite floats. A negative frequency so large that its milli-hertz
// value leaves the float range is held at -3.4028235E+38 as well. No text is longer than 16
// characters.

#include <string>

namespace corvantile {

// Frequency in hertz, blank-signed and ranged on the signed value: 3750000 -> " 3.75 M",
// 0.5 -> " 500 m", 0.0005 -> " .5 m", 0 -> "0.0 ". A value that rounds to zero at five decimals
// in the milli range (magnitude below 5e-9) also gives the zero text "0.0 ".
std::string FormatFrequency(float hertz);

// Capacitance in farads; there is no nano range: 4.7e-8 -> "0.047 uF", 2.2e-9 -> "2200 pF",
// below 1e-14 -> "".
std::string FormatCapacitance(float farads);

// Inductance in henries: 2.2e-7 -> "220 nH", 0.5 -> "500 mH", below 1e-10 -> "".
std::string FormatInductance(float henries);

// Any value with a prefix from p to G: 1234.567 -> "1.23457 k", -25.3 -> "-25.3 ", 0 -> "".
std::string FormatEngineering(float value);

// Any value, no prefix below the unit: 12345 -> "12.345 k", 0.0012345 -> "0.00123 ",
// magnitude up to 0.001 -> "0 ".
std::string FormatQuantity(float value);

}  // namespace corvantile
