#include "response/response_view.h"

#include <cmath>
#include <memory>
#include <optional>

#include "analysis/formats/touchstone_reader.h"
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

// A measured side's port, or why it cannot be used.
struct MeasuredPort {
  std::shared_ptr<const TouchstonePort> port;
  std::string problem;
};

MeasuredPort ReadMeasuredPort(const std::optional<MeasuredSide>& side) {
  if (!side) return {};
  const TouchstoneRead read = ReadTouchstoneFile(side->file);
  if (!read.Ok()) return {nullptr, read.error};
  if (std::string problem = TouchstonePortProblem(read.data, side->port); !problem.empty()) {
    return {nullptr, problem};
  }
  return {std::make_shared<const TouchstonePort>(read.data, side->port), {}};
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
}

}  // namespace

SweepSpan ChosenSpan(const ResponseSettings& settings, double designFrequency) {
  return settings.span ? *settings.span : DefaultSweepSpan(designFrequency);
}

void UpdateResponseView(const RunState& state, DesignOutcome outcome,
                        const ResponseSettings& settings, ResponseView& view) {
  const CircuitBuild build = BuildCircuit(state, outcome);
  if (build.problem != CircuitProblem::None) {
    NoNetwork(view, CircuitProblemText(build.problem));
    return;
  }
  const double z0 = settings.referenceImpedance;
  if (!(std::isfinite(z0) && z0 > 0.0)) {
    NoNetwork(view, "the reference impedance must be a positive number of ohms");
    return;
  }
  view.compensationText.clear();
  if (settings.compensate) {
    const CompensatedDesign compensated =
        CompensateLosses(build.circuit, settings.losses, state.NetValues[DesignDriver]);
    view.circuit = compensated.circuit;
    view.compensationText = CompensationText(compensated);
  } else {
    view.circuit = build.circuit;
  }
  const MatchingCircuit& circuit = view.circuit;
  const MeasuredPort source = ReadMeasuredPort(settings.measuredSource);
  const MeasuredPort load = ReadMeasuredPort(settings.measuredLoad);
  for (const MeasuredPort* side : {&source, &load}) {
    if (!side->problem.empty()) {
      NoNetwork(view, side->problem);
      return;
    }
  }
  const MeasuredSides sides{source.port.get(), load.port.get()};
  SweepSpan span = ChosenSpan(settings, circuit.designFrequency);
  bool cut = false;
  for (const TouchstonePort* port : {sides.source, sides.load}) {
    if (port == nullptr) continue;
    if (span.from < port->From()) {
      span.from = port->From();
      cut = true;
    }
    if (span.to > port->To()) {
      span.to = port->To();
      cut = true;
    }
  }
  if (const std::string problem = MeasuredSpanProblem(span, sides); !problem.empty()) {
    NoNetwork(view, problem);
    return;
  }

  view.hasNetwork = true;
  view.noNetworkReason.clear();
  view.measuredSourcePort = source.port;
  view.measuredLoadPort = load.port;
  view.span = span;
  view.referenceImpedance = z0;
  // The network with the Parts page's losses between the measured sides, as the command line's
  // sweep makes it.
  SweepResponse(circuit, span, sides, view.sweep, settings.losses);
  view.summary = SummarizeSweep(circuit, span, sides, settings.losses, view.sweep);
  for (int h = 1; h <= 3; ++h) {
    HarmonicMarker& marker = view.markers[static_cast<std::size_t>(h - 1)];
    marker.harmonic = h;
    marker.frequency = static_cast<double>(h) * circuit.designFrequency;
    marker.measured = sides.Covers(marker.frequency);
    marker.response = marker.measured
                          ? EvaluateResponse(circuit, marker.frequency, sides, settings.losses)
                          : ResponsePoint{};
    marker.inSpan = marker.measured && InSpan(marker.frequency, span);
  }
  view.summaryLines = ResponseSummaryLines(view.summary, span);
  if (sides.source) view.summaryLines.push_back(MeasuredLine("Source", *sides.source));
  if (sides.load) view.summaryLines.push_back(MeasuredLine("Load", *sides.load));
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
  if (sides.load) {
    view.measuredLoadFile = sides.load->FileName();
    for (const double hertz : sides.load->Frequencies()) {
      view.measuredLoadLocus.push_back(ReflectionOf(sides.load->Impedance(hertz) / z0));
    }
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

}  // namespace corvantile
