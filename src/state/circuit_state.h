#pragma once

#include <array>
#include <cstdint>

#include "state/startup_values.h"

namespace corvantile {

// Index names of SourceValues and LoadValues: both hold one impedance record.
inline constexpr int Angle = 0;         // -atan(SeriesX / SeriesR) in degrees
inline constexpr int SeriesR = 1;       // ohms
inline constexpr int SeriesX = 2;       // ohms, positive inductive
inline constexpr int SeriesPart = 3;    // henries, or minus farads for a capacitor
inline constexpr int ParallelR = 4;     // ohms
inline constexpr int ParallelX = 5;     // ohms
inline constexpr int ParallelPart = 6;  // henries, or minus farads
inline constexpr int EntryForm =
    7;  // 1 series R+jX, 2 parallel R,jX, 3 series R+part, 4 parallel R,part
inline constexpr int EntryFormCopy = 9;

// Index names of NetValues.
inline constexpr int Frequency = 0;       // Hz
inline constexpr int SolutionBranch = 1;  // 0 not chosen, 1 first, 2 second solution
inline constexpr int NetworkFamily = 2;   // 1 Tee, 2 Pi, 3 low-pass L, 4 high-pass L
inline constexpr int DesignDriver = 3;  // 1-3 reactance fixed, 4-6 part value fixed, 7 phase fixed
inline constexpr int NetX1 = 4;
inline constexpr int NetX2 = 5;
inline constexpr int NetX3 = 6;
inline constexpr int NetworkPhase = 7;  // degrees, "R to R"
inline constexpr int InputQ = 8;
inline constexpr int OutputQ = 9;
inline constexpr int NetPart1 = 10;
inline constexpr int NetPart2 = 11;
inline constexpr int NetPart3 = 12;
inline constexpr int IntermediateR = 13;
inline constexpr int NetPart1Volts = 15;
inline constexpr int NetPart2Volts = 16;
inline constexpr int NetPart3Volts = 17;
inline constexpr int NetPart1Amps = 18;
inline constexpr int NetPart2Amps = 19;
inline constexpr int NetPart3Amps = 20;
inline constexpr int Power = 21;       // W
inline constexpr int DesignMode = 27;  // negative: only derive part values, design nothing

// Codes stored in the arrays (compared exactly).
inline constexpr float FamilyTee = 1.0f;
inline constexpr float FamilyPi = 2.0f;
inline constexpr float FamilyLowpassL = 3.0f;
inline constexpr float FamilyHighpassL = 4.0f;
inline constexpr float DriverPhase = 7.0f;

// The single-precision value standing for an open circuit (a reactance of 1e15 ohm).
inline constexpr float OpenReactance = 1e15f;

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

// True when the entry form is a series one (1 or 3); parallel forms are 2 and 4.
inline bool IsSeriesForm(const ImpedanceValues& values) {
  return values[EntryForm] == 1.0f || values[EntryForm] == 3.0f;
}
inline bool IsParallelForm(const ImpedanceValues& values) {
  return values[EntryForm] == 2.0f || values[EntryForm] == 4.0f;
}

}  // namespace corvantile
