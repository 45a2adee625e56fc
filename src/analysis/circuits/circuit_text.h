#pragma once

// Plain-language lines that say what a matching circuit is, for the heads of exported files.
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"

namespace corvantile {

// One line per piece, source first: the default design gives
//   "Pi network (shunt, series, shunt) designed at 3.75 MHz for 1000 W"
//   "Source: 1500 ohm, series form, no reactive part"
//   "Element 1: shunt capacitor 117.768 pF across the source side"
//   "Element 2: series inductor 20.1317 uH"
//   "Element 3: shunt capacitor 230.945 pF across the load side"
//   "Load: 300 ohm, series form, no reactive part"
std::vector<std::string> DescribeCircuit(const MatchingCircuit& circuit);

// "capacitor 117.768 pF", "inductor 20.1317 uH"; "absent" for a short or an open, a position
// that holds no part.
std::string DescribePart(const CircuitPart& part);

// The value of a part as every front end writes one (InductanceText, CapacitanceText):
// "20.1317 uH", "117.768 pF"; "absent" for a short or an open.
std::string PartValueText(const CircuitPart& part);

}  // namespace corvantile
