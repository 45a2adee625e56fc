#include "design/display_capture.h"

#include <array>
#include <string_view>
#include <utility>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

constexpr std::array<std::string_view, 19> kCaptionControls{
    "lblChangeNetPart1", "lblChangeNetPart2", "lblChangeNetPart3", "lblChangeNetX1",
    "lblChangeNetX2",    "lblChangeNetX3",    "lblNetPart1Volts",  "lblNetPart1Amps",
    "lblNetPart2Volts",  "lblNetPart2Amps",   "lblNetPart3Volts",  "lblNetPart3Amps",
    "lblNetworkPhase",   "lblInputQ",         "lblOutputQ",        "lblIntermediateR",
    "cmdPhase",          "cmdFrequency",      "cmdPower"};

constexpr std::array<std::string_view, 13> kShownOrHidden{
    "lblChangeNetPart1", "lblChangeNetPart2", "lblChangeNetPart3", "lblChangeNetX1",
    "lblChangeNetX2",    "lblChangeNetX3",    "lblNetPart1Volts",  "lblNetPart1Amps",
    "lblNetPart2Volts",  "lblNetPart2Amps",   "lblNetPart3Volts",  "lblNetPart3Amps",
    "lblCaution"};

}  // namespace

DisplayCapture CaptureDisplay(RunState state, toolkit::ScreenTwips screen) {
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform(screen);
  ApplyDesignTimeState(window);
  DesignWindow design(state, window, platform);
  design.FormLoad();

  DisplayCapture capture;
  for (std::string_view name : kCaptionControls) {
    capture.captions.emplace(name, window.Find(name).Text());
  }
  for (std::string_view name : kShownOrHidden) {
    capture.visible.emplace(name, window.Find(name).IsVisible());
  }
  return capture;
}

DisplayCapture CaptureDisplay(RunState state) {
  return CaptureDisplay(std::move(state), toolkit::ScreenTwips::FromPixels(1024, 768));
}

}  // namespace corvantile
