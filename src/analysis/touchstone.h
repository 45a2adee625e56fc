#pragma once

// The matching network alone as a Touchstone 1.0 two-port file (.s2p).
#include <string>

#include "analysis/frequency_response.h"
#include "analysis/matching_circuit.h"
#include "analysis/part_losses.h"

namespace corvantile {

inline constexpr double kDefaultReferenceImpedance = 50.0;

// Comments saying what network it is, the option line "# Hz S RI R <z0>", then one line per
// frequency of `span`: f S11 S21 S12 S22, each as real and imaginary part. Port 1 is the
// source side, port 2 the load side; the source and load themselves are not in it.
// `z0` must be positive and finite.
std::string TouchstoneS2p(const MatchingCircuit& circuit, const SweepSpan& span, double z0);

// The same with each element's series resistance of `losses`, said in a comment line; with every
// element ideal the file is the lossless one, character for character.
std::string TouchstoneS2p(const MatchingCircuit& circuit, const SweepSpan& span, double z0,
                          const LossModel& losses);

}  // namespace corvantile
