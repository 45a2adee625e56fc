#pragma once

// A side (source or load) that follows a measured Touchstone file: it is entered as series
// R + jX with the impedance the file's port presents at the design frequency, and read again
// from the file whenever the frequency changes. Nothing here shows anything: every problem is
// returned as the one line the window shows.
#include <optional>
#include <string>
#include <vector>

#include "analysis/formats/touchstone_reader.h"
#include "design/design_controls.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// The settings member of a side.
std::optional<MeasuredSide>& MeasuredMember(Settings& settings, MeasuredSideKind side);
const std::optional<MeasuredSide>& MeasuredMember(const Settings& settings, MeasuredSideKind side);

// The side's values.
ImpedanceValues& SideValues(RunState& state, MeasuredSideKind side);

// Enters the side as series R + jX with port `port` of `data` at the design frequency; "" when
// it was entered, else why not (no such port, a frequency outside the band, a negative
// resistance), and the side is unchanged.
std::string EnterMeasuredImpedance(RunState& state, MeasuredSideKind side,
                                   const TouchstoneData& data, int port);

// Reads the side's file again and enters it as above; the reader's one-line error when the
// file cannot be read.
std::string EnterMeasuredFile(RunState& state, MeasuredSideKind side, const MeasuredSide& measured);

// Every side `settings` marks as measured, read again at the design frequency: one line for
// each side that could not be (its values are kept), source first.
std::vector<std::string> ReenterMeasuredSides(RunState& state, const Settings& settings);

// The file's name alone, as the label under the side shows it: "/data/antenna.s1p", port 1 ->
// "antenna.s1p"; port 2 -> "antenna.s2p port 2".
std::string MeasuredSideText(const MeasuredSide& measured);

}  // namespace corvantile
