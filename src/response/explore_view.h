#pragma once

// What the response window's Explore page shows for the design on the screen: every candidate
// network with its figures as table text, the points and curves of a Pareto plot of two chosen
// figures, the Bode-Fano bar, and which candidates the design window can take over.
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/formats/touchstone_reader.h"
#include "analysis/studies/explore.h"
#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile {

// The table's columns after the name and kind columns, in order.
inline constexpr std::array<Figure, 10> kExploreColumns = {
    Figure::Bandwidth,    Figure::Bandwidth15,   Figure::Attenuation2f, Figure::Attenuation3f,
    Figure::InputLoadedQ, Figure::OutputLoadedQ, Figure::Voltage,       Figure::Current,
    Figure::BoundShare,   Figure::Efficiency,
};

// The heading of a figure's column and axis: "2:1 bandwidth (%)", "Atten. 2f (dB)" ...
std::string FigureHeading(Figure figure);

// A figure as the table shows it: fractions as percent with two decimals, dB and Q with two
// decimals, volts and amps with four significant digits; "-" for none, NaN or infinity.
std::string FigureText(Figure figure, std::optional<double> value);

// A candidate's figure as the table and its hover show it: FigureText of its value, or
// "not measured" for a harmonic's attenuation beyond a measured side's file.
std::string CandidateFigureText(const Candidate& candidate, Figure figure);

// The figure as it is plotted: percent for fractions, else as FigureValue; nothing for none,
// NaN or infinity.
std::optional<double> PlotValue(const Candidate& candidate, Figure figure);

// The NetworkFamily code the design window takes the candidate over with (FamilyPi, FamilyTee,
// FamilyLowpassL, FamilyHighpassL), or nothing for an L the window cannot show.
std::optional<float> ApplicableFamily(const Candidate& candidate);

// What the design window is given for a candidate: family, then phase (degrees; for a
// design-window L the phase it makes, which the window derives itself).
struct CandidateChoice {
  float family = 0.0f;
  float phase = 0.0f;
};
std::optional<CandidateChoice> ChoiceFor(const Candidate& candidate);

// The lines a hover shows: the name, then one line per figure with a value.
std::string CandidateTooltip(const Candidate& candidate);

// The Bode-Fano bar: the best candidate's 2:1 bandwidth as a share of the bound.
struct BoundBar {
  bool hasBound = false;
  double share = 0.0;  // the best share, 0 to 1 (clamped for the bar)
  std::string text;    // "best 2:1 band 42.10 % of the Bode-Fano bound (Pi at -120 degrees)"
                       // or "no Bode-Fano bound: source and load are resistive"
};

struct ExploreView {
  bool hasCandidates = false;
  std::string noCandidatesReason;  // when there is nothing to explore
  Exploration exploration;
  Figure x = Figure::Bandwidth;
  Figure y = Figure::Attenuation2f;
  std::vector<std::size_t> front;  // ParetoFront over x and y
  BoundBar bar;
};

// Fills `view` for `state` after a design pass that returned `outcome`, keeping its x and y.
// With measured `sides` every candidate's summary follows their files (ExploreOptions::sides).
void UpdateExploreView(const RunState& state, DesignOutcome outcome, ExploreView& view,
                       const MeasuredSides& sides = {});

// The exploration as a page's worker runs it: on a copy of `state`, holding the measured ports
// (null for a typed side) until it is done, the figures `x` and `y` kept. The search cannot be
// stopped half-way: a stop asked for before it begins gives no result. Progress 0, then 1.
std::function<std::optional<ExploreView>(std::stop_token, std::atomic<int>&)> ExploreWork(
    const RunState& state, DesignOutcome outcome, std::shared_ptr<const TouchstonePort> source,
    std::shared_ptr<const TouchstonePort> load, Figure x, Figure y);

// Recomputes only the Pareto front for the view's x and y (after the user chose other figures).
void UpdateParetoFront(ExploreView& view);

BoundBar BoundBarFor(const Exploration& exploration);

// Why the plot of the view's x and y is empty although there are candidates, "" when it is
// not (or when there are none: noCandidatesReason says why). With a measured load whose file
// ends below 2f, the default plot's "Atten. 2f" reads: "Nothing to plot: the measured file does
// not reach 2f, so no candidate has Atten. 2f (dB), the figure up. Choose another figure."
std::string EmptyPlotReason(const ExploreView& view);

}  // namespace corvantile
