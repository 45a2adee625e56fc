#pragma once

// Every index of the three value arrays and every code stored in them, by name. The arrays hold
// single-precision values and the codes are whole numbers compared exactly; code outside this
// header compares them only through these names and helpers.
//
// Worked example: a Pi network driven by its phase, with the load entered as parallel R and a
// part value, is NetValues[NetworkFamily] == FamilyPi, NetValues[DesignDriver] == DriverPhase
// and LoadValues[EntryForm] == FormParallelPart.

#include <cstdint>

namespace corvantile {

// ---- Index names of SourceValues and LoadValues: both hold one impedance record. ----
inline constexpr int Angle = 0;          // -atan(SeriesX / SeriesR) in degrees
inline constexpr int SeriesR = 1;        // ohms
inline constexpr int SeriesX = 2;        // ohms, positive inductive
inline constexpr int SeriesPart = 3;     // henries, or minus farads for a capacitor
inline constexpr int ParallelR = 4;      // ohms
inline constexpr int ParallelX = 5;      // ohms
inline constexpr int ParallelPart = 6;   // henries, or minus farads
inline constexpr int EntryForm = 7;      // one of the Form... codes below
inline constexpr int Spare8 = 8;         // carried by the session file, read by nothing
inline constexpr int EntryFormCopy = 9;  // written beside EntryForm; nothing reads it
inline constexpr int Spare10 = 10;       // carried by the session file, read by nothing (default 1)
inline constexpr int Spare11 = 11;       // carried by the session file, read by nothing (default 4)
inline constexpr int Spare12 = 12;       // carried by the session file, read by nothing
inline constexpr int Spare13 = 13;       // carried by the session file, read by nothing
inline constexpr int Spare14 = 14;       // carried by the session file, read by nothing
inline constexpr int Spare15 = 15;       // carried by the session file, read by nothing

// ---- Index names of NetValues. ----
inline constexpr int Frequency = 0;       // Hz
inline constexpr int SolutionBranch = 1;  // one of the Branch... codes below
inline constexpr int NetworkFamily = 2;   // one of the Family... codes below
inline constexpr int DesignDriver = 3;    // one of the Driver... codes below
inline constexpr int NetX1 = 4;           // reactance of element 1 (next to the source), ohms
inline constexpr int NetX2 = 5;           // reactance of element 2 (the middle one), ohms
inline constexpr int NetX3 = 6;           // reactance of element 3 (next to the load), ohms
inline constexpr int NetworkPhase = 7;    // degrees, "R to R"
inline constexpr int InputQ = 8;
inline constexpr int OutputQ = 9;
inline constexpr int NetPart1 = 10;
inline constexpr int NetPart2 = 11;
inline constexpr int NetPart3 = 12;
inline constexpr int IntermediateR = 13;
inline constexpr int NetSpare14 = 14;  // carried by the session file, read by nothing (default 4)
inline constexpr int NetPart1Volts = 15;
inline constexpr int NetPart2Volts = 16;
inline constexpr int NetPart3Volts = 17;
inline constexpr int NetPart1Amps = 18;
inline constexpr int NetPart2Amps = 19;
inline constexpr int NetPart3Amps = 20;
inline constexpr int Power = 21;       // W
inline constexpr int NetSpare22 = 22;  // carried by the session file, read by nothing
inline constexpr int NetSpare23 = 23;  // carried by the session file, read by nothing
inline constexpr int NetSpare24 = 24;  // carried by the session file, read by nothing
inline constexpr int NetSpare25 = 25;  // carried by the session file, read by nothing (default 1)
inline constexpr int NetSpare26 = 26;  // carried by the session file, read by nothing (default 0)
inline constexpr int DesignMode = 27;  // see DerivesPartsOnly below
inline constexpr int NetSpare28 = 28;  // carried by the session file, read by nothing (default 1)
inline constexpr int NetSpare29 = 29;  // carried by the session file, read by nothing
inline constexpr int NetSpare30 = 30;  // carried by the session file, read by nothing

// ---- EntryForm: which description of a side the user entered (and so keeps fixed when the
// frequency changes). ----
inline constexpr float FormSeriesReactance = 1.0f;    // series R + jX
inline constexpr float FormParallelReactance = 2.0f;  // parallel R, jX
inline constexpr float FormSeriesPart = 3.0f;         // series R + part value
inline constexpr float FormParallelPart = 4.0f;       // parallel R, part value

inline bool IsSeriesEntryForm(float form) {
  return form == FormSeriesReactance || form == FormSeriesPart;
}
inline bool IsParallelEntryForm(float form) {
  return form == FormParallelReactance || form == FormParallelPart;
}
inline bool IsKnownEntryForm(float form) {
  return IsSeriesEntryForm(form) || IsParallelEntryForm(form);
}

// EntryKind, the 16-bit selector the design window sets before it opens a side's entry dialog,
// holds the same four numbers: KindSeriesReactance opens the series R + jX dialog, and so on.
inline constexpr std::int16_t KindSeriesReactance = 1;
inline constexpr std::int16_t KindParallelReactance = 2;
inline constexpr std::int16_t KindSeriesPart = 3;
inline constexpr std::int16_t KindParallelPart = 4;

inline constexpr bool IsKnownEntryKind(std::int16_t kind) {
  return kind >= KindSeriesReactance && kind <= KindParallelPart;
}
// The entry form an entry kind writes: KindSeriesPart -> FormSeriesPart.
inline constexpr float EntryFormOfKind(std::int16_t kind) { return static_cast<float>(kind); }
// The entry kind that opens a side's dialog in its entry form; a code outside the four forms
// (only an edited session file holds one) gives KindSeriesReactance.
inline std::int16_t EntryKindOfForm(float form) {
  if (form == FormParallelReactance) return KindParallelReactance;
  if (form == FormSeriesPart) return KindSeriesPart;
  if (form == FormParallelPart) return KindParallelPart;
  return KindSeriesReactance;
}

// ---- NetworkFamily. ----
inline constexpr float FamilyTee = 1.0f;
inline constexpr float FamilyPi = 2.0f;
inline constexpr float FamilyLowpassL = 3.0f;
inline constexpr float FamilyHighpassL = 4.0f;

inline bool IsLNetwork(float family) {
  return family == FamilyLowpassL || family == FamilyHighpassL;
}
// The "Phase (R to R)" command's test: every code above FamilyPi counts as an L network there,
// so an unknown code from an edited session file is refused too. The designs and the family
// buttons use IsLNetwork, which knows only the two L codes.
inline bool CountsAsLNetwork(float family) { return family > FamilyPi; }
inline bool IsKnownFamily(float family) {
  return family == FamilyTee || family == FamilyPi || IsLNetwork(family);
}

// ---- DesignDriver: which quantity the design is built from. ----
inline constexpr float DriverX1 = 1.0f;     // reactance NetX1 fixed
inline constexpr float DriverX2 = 2.0f;     // reactance NetX2 fixed
inline constexpr float DriverX3 = 3.0f;     // reactance NetX3 fixed
inline constexpr float DriverPart1 = 4.0f;  // part value NetPart1 fixed
inline constexpr float DriverPart2 = 5.0f;  // part value NetPart2 fixed
inline constexpr float DriverPart3 = 6.0f;  // part value NetPart3 fixed
inline constexpr float DriverPhase = 7.0f;  // NetworkPhase fixed (what every command sets)

// The drivers that fix element k (1, 2 or 3): its reactance, or its part value.
inline constexpr float ReactanceDriverOf(int k) { return DriverX1 + static_cast<float>(k - 1); }
inline constexpr float PartDriverOf(int k) { return DriverPart1 + static_cast<float>(k - 1); }
inline bool DriverFixesElement(float driver, int k) {
  return driver == ReactanceDriverOf(k) || driver == PartDriverOf(k);
}
// The middle element fixed, the only case with two solutions to choose between.
inline bool FixesMiddleElement(float driver) { return DriverFixesElement(driver, 2); }
inline bool IsKnownDriver(float driver) {
  return DriverFixesElement(driver, 1) || DriverFixesElement(driver, 2) ||
         DriverFixesElement(driver, 3) || driver == DriverPhase;
}

// ---- SolutionBranch: which of the two solutions a fixed middle element gives. ----
inline constexpr float BranchNotChosen = 0.0f;  // taken as BranchFirst by the next design
inline constexpr float BranchFirst = 1.0f;      // the solution with the smaller phase magnitude
inline constexpr float BranchSecond = 2.0f;     // the phase taken as 180 degrees minus it

// ---- DesignMode: 0 or more designs the network (DesignModeNormal is the default); a negative
// value designs nothing and only derives the part values from the stored reactances. ----
inline constexpr float DesignModeNormal = 1.0f;
inline bool DerivesPartsOnly(float designMode) { return designMode < 0.0f; }

// The single-precision value that stands for an open circuit wherever the arrays store one (a
// source or load with no parallel reactance, an L network's absent shunt): 1e15 ohm.
inline constexpr float OpenReactanceStored = 1e15f;

}  // namespace corvantile
