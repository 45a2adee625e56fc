#include "design/design_captions.h"

#include <cmath>

#include "units/format.h"

namespace corvantile {
namespace {

constexpr float kLargestShownPart = 10;  // henries, or farads for a capacitor

// The phase shown subtracts the angle of each side that is not entered as parallel R, jX.
bool AngleCountsInPhase(const ImpedanceValues& values) {
  const float code = values[EntryForm];
  return IsSeriesEntryForm(code) || code == FormParallelPart;
}

std::string PartText(float part) {
  return part >= 0.0f ? FormatInductance(part) : FormatCapacitance(std::fabs(part));
}

// Element k's controls, k = 1..3.
std::string Numbered(std::string_view prefix, int k, std::string_view suffix = {}) {
  return std::string(prefix) + static_cast<char>('0' + k) + std::string(suffix);
}

}  // namespace

DesignCaptions ComputeDesignCaptions(const RunState& designed, DesignOutcome outcome) {
  const NetworkValues& net = designed.NetValues;
  const StartupValues& limits = designed.startup;
  DesignCaptions shown;
  auto& captions = shown.captions;
  auto& visible = shown.visible;
  visible["lblCaution"] = outcome == DesignOutcome::Impossible;
  for (int k = 1; k <= 3; ++k) {
    const float part = net[NetPart1 + k - 1];
    captions[Numbered("lblChangeNetPart", k)] = PartText(part);
    captions[Numbered("lblChangeNetX", k)] = FormatEngineering(net[NetX1 + k - 1]) + "ohms";
    // Written as a negation so that a part value that is not a number still shows.
    const bool elementShown =
        !(std::fabs(part) > kLargestShownPart || std::fabs(part) < limits.TinyMagnitude);
    visible[Numbered("lblChangeNetPart", k)] = elementShown;
    visible[Numbered("lblChangeNetX", k)] = elementShown;

    const float volts = net[NetPart1Volts + k - 1];
    const float amps = net[NetPart1Amps + k - 1];
    captions[Numbered("lblNetPart", k, "Volts")] = FormatQuantity(volts) + "V";
    captions[Numbered("lblNetPart", k, "Amps")] = FormatQuantity(amps) + "A";
    // Shown with a positive power, hidden outside the limits, otherwise left as they were.
    std::optional<bool> partShown;
    if (net[Power] > 0.0f) partShown = true;
    if (volts < limits.VoltsShownMin || volts > limits.VoltsShownMax ||
        amps < limits.AmpsShownMin || amps > limits.AmpsShownMax) {
      partShown = false;
    }
    visible[Numbered("lblNetPart", k, "Volts")] = partShown;
    visible[Numbered("lblNetPart", k, "Amps")] = partShown;
  }

  shown.shownPhase = net[NetworkPhase];
  if (AngleCountsInPhase(designed.SourceValues)) shown.shownPhase -= designed.SourceValues[Angle];
  if (AngleCountsInPhase(designed.LoadValues)) shown.shownPhase -= designed.LoadValues[Angle];
  captions["lblNetworkPhase"] = "Network phase:  " + FormatEngineering(shown.shownPhase);
  captions["lblInputQ"] = "Input Q:  " + FormatQuantity(net[InputQ]);
  captions["lblOutputQ"] = "Output Q:  " + FormatQuantity(net[OutputQ]);
  captions["lblIntermediateR"] = "Intermediate r:   " + FormatQuantity(net[IntermediateR]);
  captions["cmdPhase"] = "Phase (r-r):  " + FormatEngineering(net[NetworkPhase]) + "deg";
  captions["cmdFrequency"] = "Frequency:  " + FormatFrequency(net[Frequency]) + "Hz";
  captions["cmdPower"] = "Power:  " + FormatQuantity(net[Power]) + "W";
  return shown;
}

std::map<std::string, bool> VisibleOnOpening(const DesignCaptions& shown) {
  std::map<std::string, bool> visible;
  // Only the part volts and amps labels are ever left alone, and they are designed hidden.
  for (const auto& [name, state] : shown.visible) visible.emplace(name, state.value_or(false));
  return visible;
}

}  // namespace corvantile
