#pragma once

// The design-time look of the five entry dialogs: captions, client sizes, colours, fonts and
// the controls with their texts, so that a toolkit implementation can build each dialog before
// its Form_Load runs.
#include "toolkit/control_look.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The source and load dialogs keep their designed client area and control positions.
inline constexpr double kEntryDialogClientWidthTwips = 5295;
inline constexpr double kEntryDialogClientHeightTwips = 4455;
// The frequency, power and phase dialogs' designed client area: the base of their logical
// scale (6000 x 4500 units over it).
inline constexpr double kValueDialogClientWidthTwips = 5880;
inline constexpr double kValueDialogClientHeightTwips = 3990;

const toolkit::WindowLook& DialogLook(toolkit::DialogId dialog);

}  // namespace corvantile
