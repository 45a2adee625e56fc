#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile {

// The values a quantity can take, both ends included; `unit` names them in a message.
struct ValueRange {
  double low;
  double high;
  std::string_view unit;  // "Hz", "W", "deg", "" for a plain number
};

// What the design can work with: the frequencies whose parts and figures it can show, the
// powers whose volts and amps it can show (beyond, the results blank them; the network itself
// is still right, so only the command line refuses them), and the network phases that name a
// network (beyond +-180 degrees the angle wraps to another one).
inline constexpr ValueRange kDesignFrequencies{1e-3, 1e10, "Hz"};
inline constexpr ValueRange kDesignPowers{1e-3, 1e8, "W"};
inline constexpr ValueRange kNetworkPhases{-180.0, 180.0, "deg"};

// Why no meaningful network can be designed from this state (a frequency or a network phase
// outside its range, a short-circuit side) although the family's own conditions might let one
// through, or nothing when the state is within what the design can
// work with: "the frequency is outside 1 mHz to 10 GHz". Read from a reduced state (the
// reduction is what turns a short-circuit side into its micro-ohm stand-in).
std::optional<std::string> OutOfDesignRange(const RunState& state);

// DesignNetwork, after the range check: a state outside what the design can work with shows
// the caution state (Impossible) without designing. The design window's refresh and every
// other front end's design pass both design through this.
DesignOutcome DesignWithinRange(RunState& state);

}  // namespace corvantile
