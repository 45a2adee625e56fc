#include "response/response_view.h"

#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include "analysis/formats/touchstone_reader.h"
#include "model/design_answers.h"
#include "response/response_text.h"
#include "units/constants.h"

namespace corvantile {
namespace {

// A harmonic marker sits on the plot when the span reaches it; its frequency is computed as a
// multiple, so allow the last digits of a span end that names it.
bool InSpan(double frequency, const SweepSpan& span) {
  constexpr double kSlack = 1e-12;
  return frequency >= span.from * (1.0 - kSlack) && frequency <= span.to * (1.0 + kSlack);
}

// "Load measured: antenna.s1p port 1, 75 GHz to 110 GHz".
std::string MeasuredLine(std::string_view side, const TouchstonePort& port) {
  return std::string(side) + " measured: " + port.FileName() + " port " +
         std::to_string(port.Port()) + ", " + FrequencyText(port.From()) + " to " +
         FrequencyText(port.To());
}

void NoNetwork(ResponseView& view, std::string_view reason) {
  view.hasNetwork = false;
  view.measuredLoadLocus.clear();
  view.measuredSourceLocus.clear();
  view.measuredSourceFile.clear();
  view.measuredLoadFile.clear();
  view.measuredSourcePort.reset();
  view.measuredLoadPort.reset();
  view.noNetworkReason = std::string(reason);
  view.sweep.clear();
  view.locus.clear();
  view.summaryLines.clear();
  view.path = {};
  view.feedline.reset();
  view.feedlineName.clear();
}

}  // namespace

SweepSpan ChosenSpan(const ResponseSettings& settings, double designFrequency) {
  return settings.span ? *settings.span : DefaultSweepSpan(designFrequency);
}

void UpdateResponseView(const DesignModel& model, const ResponseSettings& settings,
                        ResponseView& view) {
  const Network network = NetworkOf(model);
  if (network.problem != CircuitProblem::None) {
    NoNetwork(view, CircuitProblemText(network.problem));
    return;
  }
  const double z0 = settings.referenceImpedance;
  if (!(std::isfinite(z0) && z0 > 0.0)) {
    NoNetwork(view, "the reference impedance must be a positive number of ohms");
    return;
  }
  view.compensationText =
      network.compensation ? CompensationText(*network.compensation) : std::string();
  view.circuit = network.built;
  const MatchingCircuit& circuit = view.circuit;
  const MeasuredSides& sides = network.sides;
  const SweepSpan chosen = ChosenSpan(settings, circuit.designFrequency);
  SweepAnswer sweep = SweepOf(network, SpanOf(model, chosen));
  if (!sweep.problem.empty()) {
    NoNetwork(view, sweep.problem);
    return;
  }
  const SweepSpan& span = sweep.span;
  const bool cut = span.from != chosen.from || span.to != chosen.to;

  view.hasNetwork = true;
  view.noNetworkReason.clear();
  view.measuredSourcePort = model.SeenPort(MeasuredSideKind::Source);
  view.measuredLoadPort = model.SeenPort(MeasuredSideKind::Load);
  view.span = span;
  view.referenceImpedance = z0;
  view.sweep = std::move(sweep.points);
  view.summary = sweep.summary;
  for (int h = 1; h <= 3; ++h) {
    HarmonicMarker& marker = view.markers[static_cast<std::size_t>(h - 1)];
    marker.harmonic = h;
    marker.frequency = static_cast<double>(h) * circuit.designFrequency;
    marker.measured = sides.Covers(marker.frequency);
    marker.response = marker.measured
                          ? EvaluateResponse(circuit, marker.frequency, sides, network.losses)
                          : ResponsePoint{};
    marker.inSpan = marker.measured && InSpan(marker.frequency, span);
  }
  view.summaryLines = ResponseSummaryLines(view.summary, span);
  // Each file as measured, and the side a feedline runs to as seen through it.
  for (const auto& [side, name] :
       {std::pair(MeasuredSideKind::Source, "Source"), std::pair(MeasuredSideKind::Load, "Load")}) {
    if (const std::shared_ptr<const TouchstonePort> file = model.Port(side)) {
      view.summaryLines.push_back(MeasuredLine(name, *file));
    }
    if (const std::string line = model.FeedlineText(side); !line.empty()) {
      view.summaryLines.push_back(std::string(name) + " seen " + line);
    }
  }
  if (cut && settings.span) {
    view.summaryLines.push_back("The span was cut to the measured band: " +
                                FrequencyText(span.from) + " to " + FrequencyText(span.to));
  }

  view.path = ImpedancePath(circuit, circuit.designFrequency, z0);
  const double omega0 = kTwoPi * circuit.designFrequency;
  const std::complex<double> target = std::conj(TerminationImpedance(circuit.source, omega0));
  view.sourceTarget = {"Conjugate of the source", target, target / z0, ReflectionOf(target / z0),
                       0};
  view.locus.resize(view.sweep.size());
  for (std::size_t i = 0; i < view.sweep.size(); ++i) {
    view.locus[i] = ReflectionOf(view.sweep[i].inputImpedance / z0);
  }
  view.measuredLoadLocus.clear();
  view.measuredLoadFile.clear();
  // The load's file as measured, before any feedline.
  if (const std::shared_ptr<const TouchstonePort> load = model.Port(MeasuredSideKind::Load)) {
    view.measuredLoadFile = load->FileName();
    for (const double hertz : load->Frequencies()) {
      view.measuredLoadLocus.push_back(ReflectionOf(load->Impedance(hertz) / z0));
    }
  }
  view.feedline.reset();
  view.feedlineName.clear();
  if (const std::optional<FeedlineAnswer> line = FeedlineOf(model)) {
    view.feedline =
        FeedlinePath(line->choice->line, line->frequency, line->figures.farImpedance, z0);
    view.feedlineName = line->choice->description;
  }
  view.measuredSourceLocus.clear();
  view.measuredSourceFile.clear();
  if (sides.source) {
    view.measuredSourceFile = sides.source->FileName();
    view.measuredSourceLocus.reserve(view.sweep.size());
    for (const ResponsePoint& point : view.sweep) {
      view.measuredSourceLocus.push_back(
          ReflectionOf(std::conj(sides.source->Impedance(point.frequency)) / z0));
    }
  }
}

void UpdateResponseView(const RunState& state, DesignOutcome outcome,
                        const ResponseSettings& settings, ResponseView& view) {
  (void)outcome;  // the model designs the state again, to the same outcome
  Settings design;
  design.measuredSource = settings.measuredSource;
  design.measuredLoad = settings.measuredLoad;
  design.losses = LossSettingsOf(settings.losses, settings.compensate);
  std::vector<std::string> problems;
  const DesignModel model(state, design, &problems);
  if (!problems.empty()) {
    NoNetwork(view, problems.front());
    return;
  }
  UpdateResponseView(model, settings, view);
}

}  // namespace corvantile
