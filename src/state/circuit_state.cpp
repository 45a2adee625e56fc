#include "state/circuit_state.h"

namespace corvantile {
namespace {

void StoreImpedanceDefaults(ImpedanceValues& values, float resistance) {
  values[SeriesR] = resistance;
  values[SeriesX] = 0.0f;
  values[EntryForm] = FormSeriesReactance;
  values[EntryFormCopy] = values[EntryForm];
  values[Spare10] = 1.0f;
  values[Spare11] = 4.0f;
}

}  // namespace

void StoreDefaults(RunState& state) {
  StoreImpedanceDefaults(state.SourceValues, 1500.0f);
  StoreImpedanceDefaults(state.LoadValues, 300.0f);
  NetworkValues& net = state.NetValues;
  net[Frequency] = 3750000.0f;
  net[NetworkFamily] = FamilyPi;
  net[DesignDriver] = DriverPhase;
  net[NetworkPhase] = -135.0f;
  net[NetSpare14] = 4.0f;
  net[Power] = 1000.0f;
  net[NetSpare25] = 1.0f;
  net[NetSpare26] = 0.0f;
  net[DesignMode] = DesignModeNormal;
  net[NetSpare28] = 1.0f;
}

RunState MakeDefaultRunState() {
  RunState state;
  SetStartupValues(state.startup);
  StoreDefaults(state);
  return state;
}

}  // namespace corvantile
