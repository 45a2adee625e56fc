#pragma once

// One text for each kind of number the program writes outside the design window's own captions
// (which keep the formatters of units/format.h as they stand): the design report, the PDF, the
// response and explore pages and the command line all call these, so a part value, an
// impedance, a Q, a return loss or a percentage reads the same wherever it is shown. Every text
// is in the C locale and never reads "nan" or "inf".
#include <complex>
#include <string>
#include <string_view>

namespace corvantile {

// The word for an element position that holds no part: an L network's missing shunt (an open
// circuit), or an outer element of a Tee fixed at 0 (a plain wire).
inline constexpr std::string_view kAbsentPartText = "absent";

// A network part value as the design stores it (henries from 0 up, minus the farads below 0),
// with the design window's formatters: 2.2e-7 -> "220 nH", -1.17768e-10 -> "117.768 pF". A value
// the window hides (magnitude above 10, or below `tinyMagnitude`) -> "absent".
std::string PartValueText(float part, float tinyMagnitude);

// An inductance or capacitance of the analysis with the same formatters:
// 2.01317e-5 -> "20.1317 uH", 4.7e-9 -> "4700 pF" (capacitors have no nano range).
std::string InductanceText(double henries);
std::string CapacitanceText(double farads);

// A frequency with its unit: 3750000 -> "3.75 MHz", 14200000 -> "14.2 MHz", 500 -> "500 Hz".
std::string FrequencyText(double hertz);

// A resistance or reactance from this magnitude up is an open circuit: the design stores 1e15
// ohm for one, and no real source or load presents it.
inline constexpr double kOpenCircuitOhms = 1e15;

// An impedance with 6 significant digits: 1500 + 0.25j -> "1500 + j0.25 ohms",
// 42.5 - 13.1j -> "42.5 - j13.1 ohms". Either part not finite or at kOpenCircuitOhms or
// above -> "open".
std::string ImpedanceText(std::complex<double> ohms);

// A loaded Q as the design window writes one (FormatQuantity): 4.16228 -> "4.1623",
// 12.5 -> "12.5"; a near-resistive case's 2.389e-08 -> "0", not a number in exponent form.
std::string QText(double q);

// The return loss at and above which a match is perfect for every purpose: the solvers cap an
// exact match at 300 dB, a number no instrument shows.
inline constexpr double kPerfectMatchDb = 100.0;

// A return loss with `decimals` decimals and its unit: 23.4567 with 2 -> "23.46 dB"; at
// kPerfectMatchDb or above, +inf included (a perfect match) -> "> 100 dB"; NaN -> "-".
std::string ReturnLossText(double db, int decimals);

// A fraction as a percentage with `decimals` decimals, more where a small share would otherwise
// round to another value: 0.1234 with 1 -> "12.3 %", 0.0005 with 1 -> "0.05 %",
// 0.00004 with 1 -> "0.004 %", 0 with 1 -> "0.0 %"; not finite -> "-".
std::string PercentText(double fraction, int decimals);

}  // namespace corvantile
