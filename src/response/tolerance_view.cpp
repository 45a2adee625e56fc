#include "response/tolerance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"

namespace corvantile {

StandardSeries SeriesOfCount(int count) {
  constexpr StandardSeries kAll[] = {StandardSeries::E3,  StandardSeries::E6,  StandardSeries::E12,
                                     StandardSeries::E24, StandardSeries::E48, StandardSeries::E96,
                                     StandardSeries::E192};
  for (StandardSeries series : kAll) {
    if (SeriesCount(series) == count) return series;
  }
  return StandardSeries::E12;
}

ToleranceRequest MakeToleranceRequest(const RunState& state, DesignOutcome outcome,
                                      const ToleranceSettings& settings,
                                      std::optional<SweepSpan> envelope, const LossModel& losses,
                                      bool compensate,
                                      std::shared_ptr<const TouchstonePort> measuredSource,
                                      std::shared_ptr<const TouchstonePort> measuredLoad) {
  ToleranceRequest request;
  const CircuitBuild build = BuildCircuit(state, outcome);
  if (build.problem != CircuitProblem::None) {
    request.noNetworkReason = std::string(CircuitProblemText(build.problem));
    return request;
  }
  request.hasNetwork = true;
  request.circuit =
      compensate ? CompensateLosses(build.circuit, losses, state.NetValues[DesignDriver]).circuit
                 : build.circuit;
  StandardChoice choice;
  choice.inductors = SeriesOfCount(settings.inductorSeries);
  choice.capacitors = SeriesOfCount(settings.capacitorSeries);
  if (settings.standard == ToleranceStandard::Nearest) {
    request.circuit = NearestStandardCircuit(request.circuit, choice);
  } else if (settings.standard == ToleranceStandard::Best) {
    request.circuit = BestStandardCircuit(request.circuit, choice, losses);
  }
  ToleranceOptions& options = request.options;
  options.tolerance =
      DefaultTolerances(request.circuit, settings.inductorTolerance, settings.capacitorTolerance);
  options.distribution =
      settings.normal ? ToleranceDistribution::Normal : ToleranceDistribution::Uniform;
  options.builds = settings.builds;
  options.seed = settings.seed;
  options.band = settings.band;
  options.losses = losses;
  SweepSpan span = envelope ? *envelope : DefaultSweepSpan(request.circuit.designFrequency);
  request.measuredSource = std::move(measuredSource);
  request.measuredLoad = std::move(measuredLoad);
  options.sides = {request.measuredSource.get(), request.measuredLoad.get()};
  for (const TouchstonePort* port : {options.sides.source, options.sides.load}) {
    if (port == nullptr) continue;
    for (const double f :
         {request.circuit.designFrequency, settings.band ? (*settings.band)[0] : 0.0,
          settings.band ? (*settings.band)[1] : 0.0}) {
      if (f > 0.0 && !port->Covers(f)) {
        request.hasNetwork = false;
        request.noNetworkReason = port->OutsideBandText(f);
        return request;
      }
    }
    span.from = std::max(span.from, port->From());
    span.to = std::min(span.to, port->To());
  }
  // An envelope over a span that cannot be swept is left out rather than failing the run.
  if (SweepSpanProblem(span).empty()) options.envelope = span;
  return request;
}

std::string FiniteText(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

namespace {

std::string Percent(double share) { return FiniteText(100.0 * share, 1) + " %"; }

std::string YieldText(const YieldFigures& y) {
  return Percent(y.vswr15) + " within 1.5:1, " + Percent(y.vswr2) + " within 2:1";
}

char SignText(int sign) { return sign < 0 ? '-' : sign > 0 ? '+' : '0'; }

}  // namespace

ToleranceFigures DescribeTolerance(const ToleranceResult& result) {
  ToleranceFigures f;
  f.yieldAtDesign = "Yield at f0: " + YieldText(result.atDesign);
  if (result.overBand) f.yieldOverBand = "Yield over the band: " + YieldText(*result.overBand);
  f.percentiles = "Return loss percentiles 1/5/50/95/99: ";
  for (std::size_t i = 0; i < result.percentilesDb.size(); ++i) {
    f.percentiles += (i ? " / " : "") + FiniteText(result.percentilesDb[i], 1);
  }
  f.percentiles += " dB";
  f.nominal = "Nominal return loss: " + FiniteText(result.nominalReturnLossDb, 2) + " dB";
  std::string corner;
  for (int sign : result.worst.signs) corner += SignText(sign);
  f.worstCase = "Worst case (" + corner + "): " + FiniteText(result.worst.returnLossDb, 2) +
                " dB, VSWR " + FiniteText(result.worst.vswr, 2) + ":1";
  for (const Sensitivity& s : result.sensitivities) {
    if (s.element < 1 || !(s.share > 0.0)) continue;
    f.sensitivities.push_back("Element " + std::to_string(s.element) + ": " + Percent(s.share) +
                              " of the spread");
  }
  return f;
}

}  // namespace corvantile
