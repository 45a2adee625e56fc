#pragma once

// Numbers as text for files other programs read: the C locale's point whatever the
// environment, and never "nan" or "inf".
#include <string>
#include <string_view>

namespace corvantile {

// The shortest text that reads back as the same double, in plain decimals from 1e-3 up to
// 1e15 and in exponent form outside: 0.1 -> "0.1", 1e6 -> "1000000", 1e-10 -> "1e-10",
// 2449.489742783178 -> "2449.489742783178". Not finite -> "0".
std::string ExactNumber(double value);

// `significant` significant digits, trailing zeros dropped, exponent form only outside
// 1e-4 .. 1e15: 3750000 with 6 -> "3750000", 1.0/3 with 4 -> "0.3333". Not finite -> "0".
std::string ShortNumber(double value, int significant);

// Fixed point with `decimals` decimals: 12.3456 with 2 -> "12.35". Not finite -> "0".
std::string FixedNumber(double value, int decimals);

// A value with an SI prefix from p to G and the unit, 4 significant digits:
// 1.178e-10 "F" -> "117.8 pF", 3750000 "Hz" -> "3.75 MHz", 0 "H" -> "0 H".
std::string EngineeringText(double value, std::string_view unit);

}  // namespace corvantile
