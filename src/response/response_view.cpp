#include "response/response_view.h"

#include <cmath>

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

void NoNetwork(ResponseView& view, std::string_view reason) {
  view.hasNetwork = false;
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
  const SweepSpan span = ChosenSpan(settings, circuit.designFrequency);
  if (const std::string_view problem = SweepSpanProblem(span); !problem.empty()) {
    NoNetwork(view, problem);
    return;
  }

  view.hasNetwork = true;
  view.noNetworkReason.clear();
  view.span = span;
  view.referenceImpedance = z0;
  SweepResponse(circuit, span, view.sweep, settings.losses);
  view.summary = SummarizeSweep(circuit, view.sweep, settings.losses);
  for (int h = 1; h <= 3; ++h) {
    HarmonicMarker& marker = view.markers[static_cast<std::size_t>(h - 1)];
    marker.harmonic = h;
    marker.frequency = static_cast<double>(h) * circuit.designFrequency;
    marker.response = EvaluateResponse(circuit, marker.frequency, settings.losses);
    marker.inSpan = InSpan(marker.frequency, span);
  }
  view.summaryLines = ResponseSummaryLines(view.summary, span);

  view.path = ImpedancePath(circuit, circuit.designFrequency, z0);
  const double omega0 = kTwoPi * circuit.designFrequency;
  const std::complex<double> target = std::conj(TerminationImpedance(circuit.source, omega0));
  view.sourceTarget = {"Conjugate of the source", target, target / z0, ReflectionOf(target / z0),
                       0};
  view.locus.resize(view.sweep.size());
  for (std::size_t i = 0; i < view.sweep.size(); ++i) {
    view.locus[i] = ReflectionOf(view.sweep[i].inputImpedance / z0);
  }
}

}  // namespace corvantile
