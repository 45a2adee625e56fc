#pragma once

// A design window on the recording toolkit, loaded as the program loads it.
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile::testing {

class DesignWindowTest : public ::testing::Test {
 protected:
  // Builds the controls in their design-time state, then runs the window's load routine.
  void Load() {
    ApplyDesignTimeState(window);
    design.FormLoad();
  }

  const std::vector<toolkit::DrawCall>& calls() { return window.surface().calls(); }
  std::string Caption(std::string_view name) { return window.Find(name).Text(); }
  bool Shown(std::string_view name) { return window.Find(name).IsVisible(); }

  // A point no refresh draws: it survives until the next RefreshDesign clears the surface.
  void PutMarker() { window.surface().Point(-1, -1, toolkit::Rgb{1, 2, 3}); }
  bool MarkerSurvived() {
    const auto& drawn = calls();
    return !drawn.empty() && drawn.back().kind == toolkit::DrawCall::Kind::Point &&
           drawn.back().colour == toolkit::Rgb{1, 2, 3};
  }

  // The design the window shows, as the program holds it.
  DesignModel model;
  RunState& state = model.state();
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform;
  DesignWindow design{state, window, platform};
};

}  // namespace corvantile::testing
