#include "response/explore_apply.h"

#include <string_view>

#include "state/codes.h"

namespace corvantile {
namespace {

// The design window's family buttons.
std::string_view FamilyButton(float family) {
  if (family == FamilyTee) return "cmdTee";
  if (family == FamilyPi) return "cmdPi";
  if (family == FamilyLowpassL) return "cmdLPFL";
  if (family == FamilyHighpassL) return "cmdHPFL";
  return {};
}

}  // namespace

bool ApplyExploredCandidate(RunState& state, DesignWindow& window, DesignDocument* document,
                            float family, float phase) {
  const std::string_view button = FamilyButton(family);
  if (button.empty()) return false;
  const auto change = [&] {
    window.Click(button);
    if (IsLNetwork(family)) return;
    // As the exploration designed it: the phase fixed, the network built from it.
    state.NetValues[DesignDriver] = DriverPhase;
    state.NetValues[NetworkPhase] = phase;
    window.RefreshDesign();
  };
  if (document) {
    document->Change(change);
  } else {
    change();
  }
  return true;
}

}  // namespace corvantile
