#pragma once

// Every two-element L network that matches a source to a load at one frequency: a shunt
// element across the source or across the load, the series element on the other side, and
// either sign of the shunt susceptance.
#include <complex>
#include <string>
#include <vector>

#include "analysis/circuits/ladder_circuit.h"

namespace corvantile {

enum class ShuntSide { Source, Load };

struct LSolution {
  ShuntSide shuntAt = ShuntSide::Load;
  double shuntReactance = 0.0;   // ohms at the frequency; infinite when the shunt is absent
  double seriesReactance = 0.0;  // ohms at the frequency; 0 when the series element is a wire
  double q = 0.0;         // loaded Q of the shunt node, |B| / G there: the Q of the L at both ports
  std::string name;       // "shunt C at load, series L"
  LadderCircuit circuit;  // source, the two elements in order, load
};

// The parts that realise the reactances at omega: positive an inductor, negative a capacitor;
// a series 0 is a wire, a shunt without finite reactance is absent.
CircuitPart SeriesPartFor(double reactance, double omega);
CircuitPart ShuntPartFor(double reactance, double omega);

// The name of an L: "shunt C at load, series L"; an absent shunt or a wire series element is
// left out of the name ("series L"), and a match with neither is "direct connection".
std::string LSolutionName(ShuntSide shuntAt, const CircuitPart& shunt, const CircuitPart& series);

// Every L that presents the conjugate of the source impedance at `frequency` (Hz) with the
// load on it: two for a resistive pair of unequal resistances (the shunt across the higher
// one), two to four when an end is reactive. Shunt across the load first, then across the
// source; within each, the positive shunt reactance (an inductor) first. The circuits are
// driven with `power` available from the source.
std::vector<LSolution> AllLSolutions(const Termination& source, const Termination& load,
                                     double frequency, double power);

}  // namespace corvantile
