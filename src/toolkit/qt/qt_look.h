#pragma once

// Builds a Qt window's controls from its design-time look (toolkit/control_look.h).
#include "toolkit/control_look.h"
#include "toolkit/qt/qt_window.h"

namespace corvantile::toolkit {

// Adds every control of `look` to `window` with its text, font, colours, alignment and
// selection, places those that have a designed rectangle (in twips), sets the window's
// background and caption, chains the focus in the look's order, makes the look's default
// button the one the Return key presses, and puts the option buttons in one exclusive group.
// Labels lie behind the other controls where they overlap.
void BuildFromLook(QtWindow& window, const WindowLook& look);

}  // namespace corvantile::toolkit
