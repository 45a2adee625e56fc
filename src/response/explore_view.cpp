#include "response/explore_view.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "analysis/formats/number_text.h"
#include "state/codes.h"
#include "units/value_text.h"

namespace corvantile {
namespace {

bool IsFraction(Figure figure) {
  return figure == Figure::Bandwidth || figure == Figure::Bandwidth15 ||
         figure == Figure::BoundShare || figure == Figure::Efficiency;
}

std::optional<double> Finite(std::optional<double> value) {
  if (value && std::isfinite(*value)) return value;
  return std::nullopt;
}

}  // namespace

std::string FigureHeading(Figure figure) {
  switch (figure) {
    case Figure::Bandwidth:
      return "2:1 bandwidth (%)";
    case Figure::Bandwidth15:
      return "1.5:1 bandwidth (%)";
    case Figure::Attenuation2f:
      return "Atten. 2f (dB)";
    case Figure::Attenuation3f:
      return "Atten. 3f (dB)";
    case Figure::Voltage:
      return "Largest V (V RMS)";
    case Figure::Current:
      return "Largest I (A RMS)";
    case Figure::InputLoadedQ:
      return "Input Q";
    case Figure::OutputLoadedQ:
      return "Output Q";
    case Figure::BoundShare:
      return "Of Bode-Fano (%)";
    case Figure::Efficiency:
      return "Efficiency (%)";
    case Figure::HottestPartWatts:
      return "Hottest part (W)";
    case Figure::StandardReturnLoss:
      return "Standard RL (dB)";
  }
  return std::string(FigureName(figure));
}

std::string FigureText(Figure figure, std::optional<double> value) {
  value = Finite(value);
  if (!value) return "-";
  if (IsFraction(figure)) return FixedNumber(100.0 * *value, 2);
  if (figure == Figure::Voltage || figure == Figure::Current ||
      figure == Figure::HottestPartWatts) {
    return ShortNumber(*value, 4);
  }
  if (figure == Figure::InputLoadedQ || figure == Figure::OutputLoadedQ) return QText(*value);
  return FixedNumber(*value, 2);
}

std::string CandidateFigureText(const Candidate& candidate, Figure figure) {
  if ((figure == Figure::Attenuation2f && !candidate.summary.measured2f0) ||
      (figure == Figure::Attenuation3f && !candidate.summary.measured3f0)) {
    return "not measured";
  }
  return FigureText(figure, FigureValue(candidate, figure));
}

std::optional<double> PlotValue(const Candidate& candidate, Figure figure) {
  const std::optional<double> value = Finite(FigureValue(candidate, figure));
  if (value && IsFraction(figure)) return 100.0 * *value;
  return value;
}

std::optional<float> ApplicableFamily(const Candidate& candidate) {
  if (!candidate.inDesignWindow) return std::nullopt;
  switch (candidate.kind) {
    case CandidateKind::Pi:
      return FamilyPi;
    case CandidateKind::Tee:
      return FamilyTee;
    case CandidateKind::LowpassL:
      return FamilyLowpassL;
    case CandidateKind::HighpassL:
      return FamilyHighpassL;
    case CandidateKind::OtherL:
    case CandidateKind::TwoSectionL:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<CandidateChoice> ChoiceFor(const Candidate& candidate) {
  const std::optional<float> family = ApplicableFamily(candidate);
  if (!family) return std::nullopt;
  // A Pi or Tee needs its phase; an L makes its own, which the window derives again.
  if (!IsLNetwork(*family) && !(candidate.phase && std::isfinite(*candidate.phase))) {
    return std::nullopt;
  }
  CandidateChoice choice;
  choice.family = *family;
  choice.phase = candidate.phase ? static_cast<float>(*candidate.phase) : 0.0f;
  return choice;
}

std::string CandidateTooltip(const Candidate& candidate) {
  std::string text = candidate.name;
  if (!ApplicableFamily(candidate)) text += " (the design window cannot show it)";
  for (Figure figure : kExploreColumns) {
    const std::string value = CandidateFigureText(candidate, figure);
    if (value == "-") continue;
    text += "\n" + FigureHeading(figure) + ": " + value;
  }
  text += candidate.passesDc ? "\nPasses DC" : "\nBlocks DC";
  return text;
}

BoundBar BoundBarFor(const Exploration& exploration) {
  BoundBar bar;
  if (!exploration.bound.fractional) {
    bar.text = std::string(BodeFanoNote(exploration.bound));
    if (bar.text.empty()) bar.text = "no Bode-Fano bound";
    return bar;
  }
  bar.hasBound = true;
  const Candidate* best = nullptr;
  for (const Candidate& c : exploration.candidates) {
    const std::optional<double> share = Finite(c.boundShare);
    if (share && (!best || *share > *best->boundShare)) best = &c;
  }
  if (!best) {
    bar.text = "Bode-Fano bound " + FigureText(Figure::Bandwidth, exploration.bound.fractional) +
               " %; no candidate's 2:1 band lies inside the sweep";
    return bar;
  }
  bar.share = std::clamp(*best->boundShare, 0.0, 1.0);
  bar.text = "best 2:1 band " + FigureText(Figure::BoundShare, best->boundShare) +
             " % of the Bode-Fano bound (" + best->name + ")";
  return bar;
}

void UpdateParetoFront(ExploreView& view) {
  view.front = ParetoFront(view.exploration.candidates, view.x, view.y);
}

void UpdateExploreView(const RunState& state, DesignOutcome /*outcome*/, ExploreView& view,
                       const MeasuredSides& sides) {
  // Every candidate is designed afresh on a copy of the state, so a family the window cannot
  // design at the moment leaves the others to explore.
  ExploreOptions options;
  options.sides = sides;
  view.exploration = Explore(state, options);
  view.hasCandidates =
      view.exploration.problem == CircuitProblem::None && !view.exploration.candidates.empty();
  view.noCandidatesReason.clear();
  if (view.exploration.problem != CircuitProblem::None) {
    view.noCandidatesReason = std::string(CircuitProblemText(view.exploration.problem));
  } else if (view.exploration.candidates.empty()) {
    view.noCandidatesReason = "no network matches this source and load";
  }
  UpdateParetoFront(view);
  view.bar = BoundBarFor(view.exploration);
}

std::function<std::optional<ExploreView>(std::stop_token, std::atomic<int>&)> ExploreWork(
    const RunState& state, DesignOutcome outcome, std::shared_ptr<const TouchstonePort> source,
    std::shared_ptr<const TouchstonePort> load, Figure x, Figure y) {
  return [state, outcome, source = std::move(source), load = std::move(load), x, y](
             std::stop_token stop, std::atomic<int>& progress) -> std::optional<ExploreView> {
    if (stop.stop_requested()) return std::nullopt;
    ExploreView view;
    view.x = x;
    view.y = y;
    UpdateExploreView(state, outcome, view, {source.get(), load.get()});
    progress = 1;
    return view;
  };
}

std::string EmptyPlotReason(const ExploreView& view) {
  const std::vector<Candidate>& all = view.exploration.candidates;
  if (!view.hasCandidates || all.empty()) return {};
  bool anyX = false, anyY = false;
  for (const Candidate& c : all) {
    const bool x = PlotValue(c, view.x).has_value(), y = PlotValue(c, view.y).has_value();
    if (x && y) return {};
    anyX = anyX || x;
    anyY = anyY || y;
  }
  // Why no candidate has `figure`: a harmonic none of them reaches in the measured files.
  const auto missing = [&all](Figure figure, std::string_view axis) {
    const bool harmonic = figure == Figure::Attenuation2f || figure == Figure::Attenuation3f;
    const bool unmeasured =
        harmonic && std::all_of(all.begin(), all.end(), [figure](const Candidate& c) {
          return figure == Figure::Attenuation2f ? !c.summary.measured2f0 : !c.summary.measured3f0;
        });
    const std::string which = figure == Figure::Attenuation2f ? "2f" : "3f";
    return (unmeasured ? "the measured file does not reach " + which + ", so no candidate has "
                       : std::string("no candidate has ")) +
           FigureHeading(figure) + ", the figure " + std::string(axis);
  };
  std::string reason;
  if (!anyY) {
    reason = missing(view.y, "up");
  } else if (!anyX) {
    reason = missing(view.x, "across");
  } else {
    reason = "no candidate has both " + FigureHeading(view.x) + " and " + FigureHeading(view.y);
  }
  return "Nothing to plot: " + reason + ". Choose another figure.";
}

}  // namespace corvantile
