#pragma once

#include "state/circuit_state.h"

namespace corvantile {

// What the reduction stores for a series resistance of exactly 0 (a short circuit), which keeps
// the parallel form finite: a side holding it is a short, not a resistance.
inline constexpr float kZeroResistance = 1e-6f;

// Completes the source's impedance record (indexes 0 to 6) from the values its entry form
// names: 50 + j50 ohm in series form gives ParallelR 100, ParallelX 100 and Angle -45.
void ReduceSource(RunState& state);

// The same for the load.
void ReduceLoad(RunState& state);

// The reduction of one record at angular frequency omega (rad/s).
void ReduceImpedance(ImpedanceValues& values, double omega, double degreesPerRadian);

}  // namespace corvantile
