#pragma once

// The design window's "Response..." button: a grey command button like the entry buttons,
// placed in the free space below the result lines, clear of every other control and of the
// drawn panel. It is not one of the window's designed controls, so their table, focus order
// and command list stay as they are.
#include <string_view>

#include "design/design_controls.h"

namespace corvantile {

inline constexpr std::string_view kResponseButtonName = "cmdResponse";

inline constexpr ControlSpec kResponseButtonLook{
    .name = kResponseButtonName, .kind = ControlKind::Button, .text = "Response..."};

// Under "Intermediate r:", as wide as the Phase, Frequency and Power buttons above it; sized
// and given the H x 0.0008 font by the load like them.
inline constexpr ControlPlacement kResponseButtonPlacement{kResponseButtonName, 4000, 7900, 2000,
                                                           300};

// The keyboard shortcut that opens or raises the response window, as Qt reads it.
inline constexpr std::string_view kResponseShortcut = "Ctrl+R";

}  // namespace corvantile
