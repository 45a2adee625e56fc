#pragma once

// The small white schematic on the opening screen: a source resistor and series capacitor, a
// blue box with a Pi network in it, a series inductor and a load resistor, drawn by the pen
// from left to right with the design window's symbol routines.
#include "design/symbols.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The zigzag resistor between the rails at the pen's x, then two wire steps: 320 wide.
void DrawSourceResistor(toolkit::Surface& surface, Pen& pen);

// The same zigzag at the pen's x with nothing after it; the pen does not move.
void DrawLoadResistor(toolkit::Surface& surface, Pen& pen);

// A dotted vertical line from 400 above the upper rail to 1400 below it (a side of the
// network box); the pen does not move.
void DrawBoxEdge(toolkit::Surface& surface, const Pen& pen);

// The whole picture with the pen starting at (5500, 3200), white, width 2; the pen ends at
// x 9700 with width 1 again. The network box is (6500, 2800)-(8730, 4600).
void DrawOpeningArtwork(toolkit::Surface& surface, Pen& pen);

}  // namespace corvantile
