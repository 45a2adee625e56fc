// The design window's whole pass on arbitrary values, NaN and the infinities included: both
// reductions, the design, the schematic and every caption and visibility, as the window runs
// it at load and after every command. Nothing may fail or store a NaN or an infinity; no text
// the window shows may read "nan" or "inf" or grow without bound; the caution label is shown
// exactly when the design was impossible; and the window stores exactly what the core's design
// pass stores.
//
// Input: up to 63 floats in the session file's order (source, network, load), 4 bytes each
// in the machine's byte order, laid over the default circuit; bytes past the 63rd are unused.
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "fuzz_check.h"
#include "math/design_network.h"
#include "session_values.h"
#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"
#include "units/format.h"

namespace {

using corvantile::RunState;
using corvantile::SessionValueCount;
using corvantile::hardening::InFileOrder;
using corvantile::toolkit::DrawCall;
using corvantile::toolkit::RecordingPlatform;
using corvantile::toolkit::RecordingWindow;

// No formatter writes more (the header of format.h promises 16), and no caption or printed
// text of the window needs more than its words plus one value.
constexpr std::size_t kLongestFormatted = 16;
constexpr std::size_t kLongestShownText = 64;

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

bool ReadsNanOrInf(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

void CheckShownText(std::string_view where, std::string_view text, std::size_t longest) {
  FUZZ_REQUIRE(!ReadsNanOrInf(text) && text.size() <= longest, "%.*s shows '%.*s'",
               static_cast<int>(where.size()), where.data(), static_cast<int>(text.size()),
               text.data());
}

void CheckFormatters(float value) {
  CheckShownText("FormatFrequency", corvantile::FormatFrequency(value), kLongestFormatted);
  CheckShownText("FormatCapacitance", corvantile::FormatCapacitance(value), kLongestFormatted);
  CheckShownText("FormatInductance", corvantile::FormatInductance(value), kLongestFormatted);
  CheckShownText("FormatEngineering", corvantile::FormatEngineering(value), kLongestFormatted);
  CheckShownText("FormatQuantity", corvantile::FormatQuantity(value), kLongestFormatted);
}

// A value the pass wrote is finite; one it left alone may still be what the input held.
void CheckStored(const RunState& before, const RunState& after, const char* pass) {
  for (int k = 0; k < SessionValueCount; ++k) {
    const float in = InFileOrder(before, k);
    const float out = InFileOrder(after, k);
    FUZZ_REQUIRE(std::isfinite(out) || Bits(out) == Bits(in), "%s stored %g at value %d", pass,
                 static_cast<double>(out), k);
  }
}

void CheckSameState(const RunState& window, const RunState& core) {
  for (int k = 0; k < SessionValueCount; ++k) {
    FUZZ_REQUIRE(Bits(InFileOrder(window, k)) == Bits(InFileOrder(core, k)),
                 "the window stored %.9g at value %d, the core's pass %.9g",
                 static_cast<double>(InFileOrder(window, k)), k,
                 static_cast<double>(InFileOrder(core, k)));
  }
}

bool IsFinite(const DrawCall& call) {
  for (const double v :
       {call.x1, call.y1, call.x2, call.y2, call.radius, call.startAngle, call.endAngle}) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Everything the window shows after a refresh: control texts, the schematic's drawing calls
// and printed values, and the caution label against the design's outcome.
void CheckWindow(RecordingWindow& window, corvantile::DesignOutcome outcome) {
  for (const auto& [name, control] : window.controls()) {
    CheckShownText(name, control->Text(), kLongestShownText);
  }
  for (const DrawCall& call : window.surface().calls()) {
    FUZZ_REQUIRE(IsFinite(call), "a drawing call of kind %d has a non-finite coordinate",
                 static_cast<int>(call.kind));
    CheckShownText("the schematic", call.text, kLongestShownText);
  }
  const bool impossible = outcome == corvantile::DesignOutcome::Impossible;
  FUZZ_REQUIRE(window.Find("lblCaution").IsVisible() == impossible,
               "lblCaution shown %d for an impossible design %d",
               window.Find("lblCaution").IsVisible(), impossible);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunState input = corvantile::MakeDefaultRunState();
  for (int k = 0; k < SessionValueCount && (static_cast<std::size_t>(k) + 1) * 4 <= size; ++k) {
    std::memcpy(&InFileOrder(input, k), data + static_cast<std::size_t>(k) * 4, sizeof(float));
  }
  for (int k = 0; k < SessionValueCount; ++k) CheckFormatters(InFileOrder(input, k));

  // The core's pass on a copy: what the window must store and show.
  RunState core = input;
  const corvantile::DesignOutcome outcome = corvantile::RunDesignPass(core);
  CheckStored(input, core, "RunDesignPass");

  RunState state = input;
  RecordingWindow window;
  RecordingPlatform platform;
  corvantile::ApplyDesignTimeState(window);
  corvantile::DesignWindow design(state, window, platform);
  design.FormLoad();
  CheckStored(input, state, "FormLoad");
  CheckSameState(state, core);
  CheckWindow(window, outcome);
  FUZZ_REQUIRE(platform.beeps() == (outcome == corvantile::DesignOutcome::Impossible ? 1 : 0),
               "%d beeps", platform.beeps());
  // The phase shown is the stored phase less the two angles, which the reductions keep finite.
  FUZZ_REQUIRE(std::isfinite(design.ShownPhase()) ||
                   !std::isfinite(state.NetValues[corvantile::NetworkPhase]),
               "shown phase %g", static_cast<double>(design.ShownPhase()));

  // Every later command refreshes the design from what the last pass stored.
  const RunState first = state;
  const corvantile::DesignOutcome secondOutcome = corvantile::RunDesignPass(core);
  design.RefreshDesign();
  CheckStored(first, state, "a second RefreshDesign");
  CheckSameState(state, core);
  CheckWindow(window, secondOutcome);
  return 0;
}
