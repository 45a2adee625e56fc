#pragma once

#include "state/circuit_state.h"

namespace corvantile {

enum class DesignOutcome {
  Designed,     // a network was built and stored
  Impossible,   // no network can be built: the caution state (derived values cleared)
  NotDesigned,  // analysis-only mode or an unknown family: nothing designed, nothing wrong
};

// Designs the network of the current family from the reduced source and load and stores its
// reactances, part values, phase, Q values, intermediate resistance and part volts and amps.
// Never shows anything itself: the caller shows the caution state on Impossible.
DesignOutcome DesignNetwork(RunState& state);

// Part values NetPart1..3 from the reactances NetX1..3 at the current frequency.
void DeriveNetParts(RunState& state);

// The impossible-design path: clears every derived quantity except the one the design driver
// names. Returns DesignOutcome::Impossible for the caller's convenience.
DesignOutcome ShowCaution(RunState& state);

// Part value of a network reactance: negative X -> 1/(omega X) (minus farads), positive
// X -> X/omega (henries), 0 -> 0. -424.4 ohm at 3.75 MHz -> -1e-10 (100 pF).
float NetPartFromReactance(float reactance, double omega);

// Reactance of a network part value, the reverse rule: 0 -> 0.
float NetReactanceFromPart(float part, double omega);

// Reduces source and load, then designs: the pass the design window runs on every change.
DesignOutcome RunDesignPass(RunState& state);

}  // namespace corvantile
