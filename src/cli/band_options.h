#pragma once

// The band options of the band command and of the exports of its designs, and the search a
// command line asks for.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/studies/band_match.h"
#include "analysis/studies/standard_design.h"
#include "cli/design_options.h"
#include "cli/option_table.h"
#include "state/circuit_state.h"

namespace corvantile::cli {

struct BandRequest {
  BandMatchOptions options;
  bool elementsGiven = false;
  bool standardBest = false;
  StandardChoice standard;
  std::optional<double> tolerance;  // --tolerance, relative (0.05 for 5 %)
  int builds = kDefaultBuilds;      // --builds
};

// --band (repeated for several bands), --elements, --topology and --attenuation: the search,
// which export takes too.
std::vector<OptionDecl> BandSearchOptions(BandRequest& request);

// --points, --standard, --series-inductor, --series-capacitor, --tolerance and --builds: the
// band command's figures of its designs.
std::vector<OptionDecl> BandFigureOptions(BandRequest& request);

// --pick N, the design of N elements among the search's, for the commands that take one design
// of it (export, report).
OptionDecl BandPickOption(std::optional<int>& count);

// "3.5 MHz to 3.8 MHz, 7 MHz to 7.2 MHz".
std::string BandsText(const std::vector<FrequencyBand>& bands);

struct BandRun {
  RunState state;
  MeasuredDesign measured;
  double designFrequency = 0.0;  // Hz: --frequency, else the middle of the bands
  BandMatch match;               // the designs with a positive worst return loss
};

// The search of a command line: the state from the design options (the design frequency the
// middle of the bands unless --frequency gives one), the measured sides, the source and load as
// circuits, then MatchOverBands. kExitOk, or kExitUsage / kExitImpossibleDesign with a one-line
// `error` (no ladder reaches a positive return loss, or the attenuation asked). Notes of the
// design options go to `err` as they do for every command.
int RunBandSearch(DesignRequest design, BandRequest& band, BandRun& run, std::string& error,
                  std::ostream& err);

// The design of `count` elements, or without a count the one with the best worst return loss;
// null when the search gave no design of that count.
const BandDesign* PickBandDesign(const BandMatch& match, std::optional<int> count);

// "no design of 5 elements (the search gave 4)", for a pick that found none.
std::string NoPickedDesignText(const BandMatch& match, int count);

}  // namespace corvantile::cli
