#pragma once

// The one table of the network families' names. Every text that names a family takes its
// spelling from here:
//   button  the design window's family button ("Lowpass L")
//   text    prose: the command-line reports, exports and the response window ("low-pass L")
//   option  the command line's --family value and any JSON that names a family ("lowpass-l")
#include <array>
#include <string_view>

#include "state/circuit_state.h"

namespace corvantile {

struct FamilyNames {
  float code;  // the NetworkFamily value: FamilyTee ... FamilyHighpassL
  std::string_view button;
  std::string_view text;
  std::string_view option;
};

inline constexpr std::array<FamilyNames, 4> kFamilyNames{{
    {FamilyTee, "Tee", "Tee", "tee"},
    {FamilyPi, "Pi", "Pi", "pi"},
    {FamilyLowpassL, "Lowpass L", "low-pass L", "lowpass-l"},
    {FamilyHighpassL, "Highpass L", "high-pass L", "highpass-l"},
}};

// The names of the family with this NetworkFamily code, or nullptr for any other value (only an
// edited session file holds one).
constexpr const FamilyNames* FindFamilyNames(float code) {
  for (const FamilyNames& names : kFamilyNames) {
    if (names.code == code) return &names;
  }
  return nullptr;
}

// The family whose command-line name is `option` ("pi"), or nullptr.
constexpr const FamilyNames* FindFamilyByOption(std::string_view option) {
  for (const FamilyNames& names : kFamilyNames) {
    if (names.option == option) return &names;
  }
  return nullptr;
}

}  // namespace corvantile
