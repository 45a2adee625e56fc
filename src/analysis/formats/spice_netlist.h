#pragma once

// The designed circuit as a SPICE netlist that ngspice runs as it stands (`ngspice -b FILE`).
#include <string>

#include "analysis/circuits/ladder_circuit.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"

namespace corvantile {

// The netlist: comments saying what circuit it is; an AC source VEMF whose EMF (RMS) makes
// the design power available at the design frequency, behind the source impedance; a 0-V
// source VSENSE that measures the current into the network at node "in"; the network; the
// load at node "out"; an .ac card over `span` (points per decade chosen so that the count
// comes close to span.points when logarithmic, exactly span.points when linear); and a
// .control block that prints, per frequency, "zin_re" and "zin_im" (ohms, the impedance the
// source sees) and "pload" (W in the load resistance) with 12 digits, then quits.
std::string SpiceNetlist(const MatchingCircuit& circuit, const SweepSpan& span);

// The same with each lossy element's series resistance: element k becomes its part from its
// first node to a node "ek" and a resistor Rk from "ek" to its second node, valued at the
// design frequency (|X| / Q0) as a plain resistor, with a comment giving its Q and law. The
// other nodes and the printed quantities stay as above; with every part ideal the netlist is
// the lossless one, character for character.
std::string SpiceNetlist(const MatchingCircuit& circuit, const SweepSpan& span,
                         const LossModel& losses);

// The same for a lossless ladder of any length: the same source, sense source, load, .ac card
// and printed quantities, the elements in order from node "in", each series element to a new
// node ("n1", "n2", ...; the last one "out"), each shunt element from its node to ground.
std::string SpiceNetlist(const LadderCircuit& ladder, const SweepSpan& span);

// The points per decade of the .ac card for a logarithmic span, rounded up: 1001 points over
// 1.204 decades -> 831.
int SpicePointsPerDecade(const SweepSpan& span);

}  // namespace corvantile
