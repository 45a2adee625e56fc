#pragma once

// What the response window's Band page shows and does, without the window: the search it asks
// the design model (BandOf) from the bands typed and the element count, the designs as table
// rows, the chosen design's return loss over the bands against the Bode-Fano level, its
// exports, and whether (and how) the design window can take it. Its bound, schematic and parts
// lines, and the report's lines, are model/band_report.h's, which the command line shares.
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/studies/band_match.h"
#include "model/band_report.h"
#include "model/design_answers.h"
#include "model/design_model.h"

namespace corvantile {

// The page's choices: the bands as typed ("3.5M:3.8M, 7M:7.2M"), the most elements and which
// ladders may come back.
struct BandChoices {
  std::string bands;
  int maxElements = 3;  // 1 to 6
  LadderFamily family = LadderFamily::Any;
};

// The bands the page starts with for a design at `designFrequency`: 5 % either side of it
// (3.75 MHz -> "3.5625M:3.9375M").
std::string DefaultBandsText(double designFrequency);

// The search the choices ask for, or the reason there is none ("'3,5M' is not a value ...").
struct BandSearchChoice {
  BandMatchOptions options;
  std::string error;
};
BandSearchChoice BandSearchOf(const BandChoices& choices);

// The search as the page's worker runs it: BandOf on a copy of the model, progress counting
// BandSearchSteps, a stop ending it with no answer.
std::function<std::optional<BandAnswer>(std::stop_token, std::atomic<int>&)> BandWork(
    const DesignModel& model, const BandMatchOptions& options);

// One row of the designs table.
inline constexpr std::array<const char*, 6> kBandColumns = {
    "n", "Worst dB", "Mean dB", "VSWR", "To bound dB", "Ladder from the source"};
std::vector<std::array<std::string, 6>> BandRows(const BandAnswer& answer);

// The chosen design's return loss over the plotted span: the bands with a sixth of their width
// on either side (cut to the measured files' bands), 401 points, every value finite. The
// bound's return loss when there is one, and the bands, for the plot's level and shading.
struct BandCurve {
  SweepSpan span;
  std::vector<double> frequencies;
  std::vector<double> returnLossDb;
  std::optional<double> boundDb;
  std::vector<FrequencyBand> bands;
};
BandCurve BandCurveOf(const BandAnswer& answer, std::size_t design,
                      const std::vector<FrequencyBand>& bands);

// The files the page writes of the chosen design, as 'corvantile-cli export' writes a band
// design: a SPICE netlist, a Touchstone two-port (50 ohm) or the sweep table, over `span`.
enum class BandExport { Spice, Touchstone, Csv };
std::string BandExportText(const BandAnswer& answer, std::size_t design, BandExport format,
                           const SweepSpan& span);

// True while the model's source and load are the ones the answer searched between (the same
// impedance at the band centre, the same measured files): its designs still stand for it.
bool SameBandSides(const DesignModel& model, const BandAnswer& answer);

// How the design window takes a band design: it designs an exact match at one frequency from
// one fixed quantity (a part's value, or the phase), so the design goes over as that network
// at the in-band frequency where it matches best, with the fixed quantity that keeps its worst
// in-band return loss best; that return loss is `worstReturnLossDb`, within 0.1 dB of the band
// design's. None, with the reason, for a ladder that is no L, Pi or Tee of the design window,
// or that the window's design would make worse.
struct BandApplication {
  float frequency = 0.0f;
  float family = 0.0f;
  float driver = 0.0f;
  float branch = 0.0f;
  int fixedPart = 0;               // 1 to 3 with a part driver
  float fixedValue = 0.0f;         // henries, or minus farads; or the phase in degrees
  double worstReturnLossDb = 0.0;  // of the window's network over the band's points
};
struct BandApplicationChoice {
  std::optional<BandApplication> application;
  std::string reason;
};
BandApplicationChoice ApplicationOf(const DesignModel& model, const BandAnswer& answer,
                                    std::size_t design);
// Writes the application into the state; the design pass then builds the network.
void ApplyBandDesign(RunState& state, const BandApplication& application);

}  // namespace corvantile
