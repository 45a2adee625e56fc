#pragma once

#include "state/circuit_state.h"

namespace corvantile {

// Completes the source's impedance record (indexes 0 to 6) from the values its entry form
// names: 50 + j50 ohm in series form gives ParallelR 100, ParallelX 100 and Angle -45.
void ReduceSource(RunState& state);

// The same for the load.
void ReduceLoad(RunState& state);

// The reduction of one record at angular frequency omega (rad/s).
void ReduceImpedance(ImpedanceValues& values, double omega, double degreesPerRadian);

}  // namespace corvantile
