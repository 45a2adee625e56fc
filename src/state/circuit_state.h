#pragma once

#include <array>
#include <cstdint>

#include "state/codes.h"
#include "state/startup_values.h"

namespace corvantile {

inline constexpr int SourceValueCount = 16;
inline constexpr int NetValueCount = 31;
inline constexpr int LoadValueCount = 16;
inline constexpr int SessionValueCount = SourceValueCount + NetValueCount + LoadValueCount;

using ImpedanceValues = std::array<float, SourceValueCount>;
using NetworkValues = std::array<float, NetValueCount>;

// Everything one run of the program holds: the start-up values, the three value arrays that
// are the whole circuit, and the entry-form selector the design window hands to the source and
// load dialogs. A plain value: tests and the command-line tool can hold as many as they like.
struct RunState {
  StartupValues startup;
  ImpedanceValues SourceValues{};
  NetworkValues NetValues{};
  ImpedanceValues LoadValues{};
  std::int16_t EntryKind = 0;
};

// Stores the default circuit over the arrays: a 1500-ohm source and a 300-ohm load, 3.75 MHz,
// 1000 W, a Pi network at -135 degrees. Touches only the default indexes.
void StoreDefaults(RunState& state);

// A fresh run: start-up values set, every value 0, then the defaults stored.
RunState MakeDefaultRunState();

// True when the side's entry form is a series one (FormSeriesReactance or FormSeriesPart);
// IsParallelForm for the two parallel forms. A code outside the four is neither.
inline bool IsSeriesForm(const ImpedanceValues& values) {
  return IsSeriesEntryForm(values[EntryForm]);
}
inline bool IsParallelForm(const ImpedanceValues& values) {
  return IsParallelEntryForm(values[EntryForm]);
}

}  // namespace corvantile
