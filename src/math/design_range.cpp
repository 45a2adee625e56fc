#include "math/design_range.h"

#include <cmath>

#include "math/reduction.h"
#include "state/codes.h"

namespace corvantile {
namespace {

bool Within(double value, const ValueRange& range) {
  return value >= range.low && value <= range.high;
}

}  // namespace

std::optional<std::string> OutOfDesignRange(const RunState& state) {
  const NetworkValues& net = state.NetValues;
  if (!Within(static_cast<double>(net[Frequency]), kDesignFrequencies)) {
    return "the frequency is outside 1 mHz to 10 GHz";
  }
  const float family = net[NetworkFamily];
  if ((family == FamilyTee || family == FamilyPi) && net[DesignDriver] == DriverPhase &&
      !Within(static_cast<double>(net[NetworkPhase]), kNetworkPhases)) {
    return "the network phase is outside -180 to 180 degrees";
  }
  // The reduction stands a short circuit in with a resistance of a micro-ohm; a network
  // designed against that stand-in carries kiloamps through millifarads.
  if (state.SourceValues[SeriesR] == kZeroResistance) {
    return "the source is a short circuit (zero ohms), which no network can match";
  }
  if (state.LoadValues[SeriesR] == kZeroResistance) {
    return "the load is a short circuit (zero ohms), which no network can match";
  }
  return std::nullopt;
}

DesignOutcome DesignWithinRange(RunState& state) {
  if (IsKnownFamily(state.NetValues[NetworkFamily]) &&
      !DerivesPartsOnly(state.NetValues[DesignMode]) && OutOfDesignRange(state)) {
    return ShowCaution(state);
  }
  return DesignNetwork(state);
}

}  // namespace corvantile
