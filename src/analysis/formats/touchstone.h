#pragma once

// The matching network alone as a Touchstone 1.0 two-port file (.s2p).
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/circuits/ladder_circuit.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"

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

// The same for a lossless ladder of any length, from its chain matrix.
std::string TouchstoneS2p(const LadderCircuit& ladder, const SweepSpan& span, double z0);

// What the source sees, the network with its load on it, as a Touchstone 1.0 one-port file
// (.s1p): `comments` as "!" lines, "# Hz S RI R <z0>", then f S11 per point of `sweep`, S11 being
// (Zin - z0) / (Zin + z0) of each point's input impedance. `z0` positive and finite.
std::string TouchstoneS1p(std::span<const ResponsePoint> sweep, double z0,
                          const std::vector<std::string>& comments);

}  // namespace corvantile
