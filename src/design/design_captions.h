#pragma once

// What the design window's results show for a designed state, as plain data: the captions of
// the element, part and result labels and of the three value buttons, and which labels are
// shown. Formatters only, no toolkit: RefreshDesign writes these into its controls, and the
// command-line tool prints them.
#include <map>
#include <optional>
#include <string>

#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile {

struct DesignCaptions {
  // Every caption a refresh writes, by control name (19): lblChangeNetPart1-3 ("1.234 uH"),
  // lblChangeNetX1-3 ("-123.4 ohms"), lblNetPart1-3Volts and Amps ("70.711 V"),
  // lblNetworkPhase, lblInputQ, lblOutputQ, lblIntermediateR, cmdPhase, cmdFrequency, cmdPower.
  std::map<std::string, std::string> captions;
  // Every label a refresh shows or hides, by control name (13): the element and part labels and
  // lblCaution. No value (std::nullopt) means the refresh leaves the label as it was: a part
  // volts or amps label inside its limits when the power is not above 0.
  std::map<std::string, std::optional<bool>> visible;
  // The phase lblNetworkPhase shows: NetworkPhase less the angle of each side entered in any
  // form but parallel R, jX.
  float shownPhase = 0;
};

// The results of a state the design pass has just run on (`outcome` is what it returned):
// lblCaution is shown for an impossible design only.
DesignCaptions ComputeDesignCaptions(const RunState& designed, DesignOutcome outcome);

// The label visibility of a design window just opened on the state: where the refresh leaves a
// label alone it keeps its design-time visibility, and the part volts and amps labels are
// designed hidden.
std::map<std::string, bool> VisibleOnOpening(const DesignCaptions& shown);

}  // namespace corvantile
