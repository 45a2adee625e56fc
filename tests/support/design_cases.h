#pragma once

// Circuits to design, described as a user would enter them: a source and a load in any entry
// form, a family, a design driver and its fixed element, the phase, frequency and power.
//
//   DesignCase c;                       // the default: a Pi at -135 degrees, 3.75 MHz, 1 kW
//   c.load = {4, 200.0f, -350.0f};      // a 200 ohm load with a parallel capacitor of -350 ohm
//   RunState state = StateFor(c);       // ready for RunDesignPass or DesignCircuit
#include <string>
#include <vector>

#include "state/circuit_state.h"

namespace corvantile::testing {

// One side as the user would enter it: `x` is the reactance at the design frequency of the
// entry form (series or parallel); forms 3 and 4 store the part value that realises it. A side
// is resistive when `x` is 0 or `resistive` is set; form 3 always stores the part of `x` (a
// series part value of 0 is an open capacitor, so form 3 cannot be resistive).
struct SideEntry {
  int form = 1;
  float r = 50.0f;
  float x = 0.0f;
  bool resistive = false;
};

// The part value (henry or farad) that has `reactance` at angular frequency `omega`.
float PartOf(double reactance, double omega);

void StoreSide(ImpedanceValues& side, const SideEntry& entry, double omega);

struct DesignCase {
  float family = FamilyPi;
  float driver = DriverPhase;
  float branch = 0.0f;
  float phase = -135.0f;
  float frequency = 3.75e6f;
  float power = 1000.0f;
  float fixedValue = 0.0f;  // the fixed reactance (drivers 1-3) or part value (4-6)
  bool fixedFromDesign = false;
  SideEntry source;
  SideEntry load;
};

// The default run state with the case's circuit and design choices stored in it.
RunState StateFor(const DesignCase& c);

// One line naming everything about a case, for failure messages.
std::string Describe(const DesignCase& c);

// Many designs: every family, every pair of entry forms, resistive and reactive sides, a
// spread of phases (the L families find their own).
std::vector<DesignCase> DesignGrid();

}  // namespace corvantile::testing
