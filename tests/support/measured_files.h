#pragma once

// Measured files for tests: a side's own typed impedance written as a Touchstone file and read
// back, so that a run with the file as a measured side can be held against the typed run.
#include <string_view>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/formats/touchstone_reader.h"

namespace corvantile::testing {

// A one-port file of `side`'s impedance at each frequency of `at` (Hz, any order, repeats
// dropped), with every digit, read back as port 1 under the file name `name`.
TouchstonePort TypedSideFile(const Termination& side, std::vector<double> at,
                             std::string_view name);

}  // namespace corvantile::testing
