#pragma once

// The sweep command's three outputs: a table for reading, CSV and JSON for programs. Each
// carries the summary figures with the rows.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/sweep_summary.h"
#include "cli/json_output.h"

namespace corvantile::cli {

// Where a sweep's measured sides came from, for the three outputs: lines after the circuit's
// description and a "measured" member in JSON. A harmonic the summary flags as not measured is
// "not measured" in the table, null in JSON.
struct SweepMeasurement {
  std::vector<std::string> lines;
  Json json;  // null without measured sides
};

// A heading, the summary (return loss, VSWR and gain at the design frequency, the 2:1 and
// 1.5:1 bands, the attenuation at 2 f0 and 3 f0), then one aligned row per frequency.
std::string SweepTable(const MatchingCircuit& circuit, const SweepSpan& span,
                       std::span<const ResponsePoint> sweep, const SweepSummary& summary,
                       const SweepMeasurement& measurement = SweepMeasurement{});

// The summary as "# " comment lines, then the CSV table of the csv export (header row with
// SI units in the column names, one row per frequency).
std::string SweepCsvWithSummary(const MatchingCircuit& circuit, const SweepSpan& span,
                                std::span<const ResponsePoint> sweep, const SweepSummary& summary,
                                const SweepMeasurement& measurement = SweepMeasurement{});

// One JSON object: "circuit" (lines describing it), "span", "summary", "columns" (the CSV
// column names) and "points" (one array of numbers per frequency, in the columns' order).
// A band edge beyond the sweep is null. The command writes it with JsonLine.
Json SweepJson(const MatchingCircuit& circuit, const SweepSpan& span,
               std::span<const ResponsePoint> sweep, const SweepSummary& summary,
               const SweepMeasurement& measurement = SweepMeasurement{});

}  // namespace corvantile::cli
