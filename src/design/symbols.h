#pragma once

// Pen-style schematic symbols shared by the design window and the opening screen. Each
// symbol starts at the pen's x, draws between the upper rail (the pen's y) and the lower rail
// 1040 units below it, and leaves the pen's x at its right end; y is never changed.
#include "toolkit/geometry.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The pen: position in the window's logical units, line colour and width.
struct Pen {
  float x = 0;
  float y = 0;
  toolkit::Rgb colour;
  int width = 1;
};

// Distance between the upper and the lower rail.
inline constexpr float kRailGap = 1040.0f;

// The coil of a shunt inductor in the design window: a near-black red, RGB(15, 0, 0).
inline constexpr toolkit::Rgb kShuntInductorColour{15, 0, 0};

// The arcs' pi: the single-precision 4 * atan(1), 3.14159274.
float SymbolPi();

// Both rails for 160 units: pen at 1560 -> lines 1560..1720 at y and y + 1040, pen to 1720.
void DrawWireStep(toolkit::Surface& surface, Pen& pen);

// Wire step, a three-hump coil on the upper rail (humps of radius 80 centred 160, 320 and 480
// units right of the first step's end), the lower rail under it, a wire step: 960 wide.
// Pen at 1880 -> humps centred at 2200, 2360, 2520, pen to 2840.
void DrawSeriesInductor(toolkit::Surface& surface, Pen& pen);

// Two wire steps, a coil from rail to rail bulging to the right (drawn in coilColour; the
// wire steps in the pen's colour), two wire steps: 640 wide, coil at 320 from the start.
void DrawShuntInductor(toolkit::Surface& surface, Pen& pen,
                       toolkit::Rgb coilColour = kShuntInductorColour);

// Wire step, two vertical plates 64 apart in the upper rail (at 160 and 224 from the step's
// end), the lower rail, a wire step: 680 wide. Pen at 5820 -> plates at 6140 and 6204.
void DrawSeriesCapacitor(toolkit::Surface& surface, Pen& pen);

// Two wire steps, two horizontal plates 60 apart between the rails (at y + 480 and y + 540),
// two wire steps: 640 wide, capacitor at 320 from the start.
void DrawShuntCapacitor(toolkit::Surface& surface, Pen& pen);

// The zigzag resistor from the upper to the lower rail at the pen's x; the pen does not move.
void DrawResistorZigzag(toolkit::Surface& surface, const Pen& pen);

}  // namespace corvantile
