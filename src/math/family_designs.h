#pragma once

// The three family designs behind DesignNetwork, and what they share.
#include "math/design_network.h"

namespace corvantile::detail {

// The element a Pi design is to treat as absent (an L network built as a Pi).
enum class OpenElement { None, First, Third };

DesignOutcome DesignPi(RunState& state, OpenElement open = OpenElement::None);
DesignOutcome DesignTee(RunState& state);
DesignOutcome DesignL(RunState& state);

// What a family design computed, before anything is stored.
struct ElementValues {
  float X1, X2, X3;  // element reactances, ohms
  float P;           // network phase, degrees
  float Q1, Q2;      // input and output Q
};

// Omega of the state's working frequency.
double Omega(const RunState& state);

// The results step: stores the elements, their part values, the intermediate resistance and
// each part's volts and amps, unless any of them is not a finite number, in which case the
// design is impossible. `isPi` selects the Pi results (shunt elements carry the source and load
// voltages) or the Tee results (series elements carry the source and load currents).
DesignOutcome StoreResults(RunState& state, const ElementValues& e, float r1, float r2, bool isPi);

}  // namespace corvantile::detail
