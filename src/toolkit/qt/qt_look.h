#pragma once

// Builds a Qt window's controls from its design-time look (toolkit/control_look.h).
#include <span>

#include "toolkit/control_look.h"
#include "toolkit/qt/qt_window.h"

namespace corvantile::toolkit {

// The one builder of every Qt window: adds every control of `look` to `window` with its text,
// font, colours, transparency, alignment, selection and visibility, places those that have a
// designed rectangle (in twips), sets the window's background, caption and drawing colour and
// font, chains the focus in the look's order, makes the look's default button the one the
// Return key presses, and puts the option buttons in one exclusive group. Labels lie behind
// the other controls where they overlap, unless marked in front.
void BuildFromLook(QtWindow& window, const WindowLook& look);

// Adds `controls` to a window already built, each as BuildFromLook adds it, their focus chained
// after `previous` (none: a chain of their own); returns the last of the chain.
QWidget* AddFromLook(QtWindow& window, std::span<const ControlLook> controls,
                     QWidget* previous = nullptr);

}  // namespace corvantile::toolkit
