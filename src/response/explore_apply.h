#pragma once

// Takes an explored candidate over into the design window the way the user would: the family's
// own command, then the phase (the design driven by its phase), as one undo step when a
// document records the window's changes.
#include "design/design_document.h"
#include "design/design_window.h"
#include "state/circuit_state.h"

namespace corvantile {

// `family` is a NetworkFamily code; an unknown one changes nothing and returns false. For an L
// the phase is left to the design (the window refuses a phase there).
bool ApplyExploredCandidate(RunState& state, DesignWindow& window, DesignDocument* document,
                            float family, float phase);

}  // namespace corvantile
