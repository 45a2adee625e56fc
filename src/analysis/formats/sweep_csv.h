#pragma once

// The sweep as a CSV table: a header row with the SI unit in each column name, then one row
// per frequency.
#include <span>
#include <string>

#include "analysis/solvers/frequency_response.h"

namespace corvantile {

// The header row, without the line end:
// "frequency_Hz,zin_real_ohm,zin_imag_ohm,reflection_real,reflection_imag,return_loss_dB,vswr,
//  transducer_gain_dB,transfer_phase_deg,load_power_W"
std::string_view SweepCsvHeader();

// Header and rows, "\n" line ends, every number the shortest text that reads back exactly.
std::string SweepCsv(std::span<const ResponsePoint> sweep);

}  // namespace corvantile
