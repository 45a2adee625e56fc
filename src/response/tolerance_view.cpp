#include "response/tolerance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"
#include "response/background_run.h"
#include "units/value_text.h"

namespace corvantile {

std::string FiniteText(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

namespace {

std::string Percent(double share) { return PercentText(share, 1); }

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
  f.nominal = "Nominal return loss: " + ReturnLossText(result.nominalReturnLossDb, 2);
  std::string corner;
  for (int sign : result.worst.signs) corner += SignText(sign);
  f.worstCase = "Worst case (" + corner + "): " + ReturnLossText(result.worst.returnLossDb, 2) +
                ", VSWR " + FiniteText(result.worst.vswr, 2) + ":1";
  for (const Sensitivity& s : result.sensitivities) {
    if (s.element < 1 || !(s.share > 0.0)) continue;
    f.sensitivities.push_back("Element " + std::to_string(s.element) + ": " + Percent(s.share) +
                              " of the spread");
  }
  return f;
}

std::vector<std::string> ToleranceLines(const ToleranceResult& result) {
  const ToleranceFigures f = DescribeTolerance(result);
  std::vector<std::string> lines{f.nominal, f.yieldAtDesign};
  if (!f.yieldOverBand.empty()) lines.push_back(f.yieldOverBand);
  lines.push_back(f.percentiles);
  lines.push_back(f.worstCase);
  lines.push_back("Sensitivity, most first:");
  for (const std::string& s : f.sensitivities) lines.push_back("  " + s);
  return lines;
}

bool SameToleranceNetwork(const ToleranceRequest& a, const ToleranceRequest& b) {
  if (!a.hasNetwork || !b.hasNetwork) return false;
  const auto same = [](const CircuitPart& x, const CircuitPart& y) {
    return x.kind == y.kind && x.value == y.value;
  };
  const auto sameSide = [&](const Termination& x, const Termination& y) {
    return x.connection == y.connection && x.resistance == y.resistance && same(x.part, y.part);
  };
  const MatchingCircuit& x = a.circuit;
  const MatchingCircuit& y = b.circuit;
  bool equal = x.topology == y.topology && x.designFrequency == y.designFrequency &&
               sameSide(x.source, y.source) && sameSide(x.load, y.load) &&
               a.measuredSource == b.measuredSource && a.measuredLoad == b.measuredLoad;
  for (std::size_t k = 0; k < 3; ++k) equal = equal && same(x.elements[k], y.elements[k]);
  return equal;
}

std::function<std::optional<ToleranceResult>(std::stop_token, std::atomic<int>&)> ToleranceWork(
    const ToleranceRequest& request) {
  return [request](std::stop_token stop,
                   std::atomic<int>& progress) -> std::optional<ToleranceResult> {
    if (!request.hasNetwork) return std::nullopt;
    return WithCancelFlag(stop,
                          [&](const std::atomic<bool>* cancel) -> std::optional<ToleranceResult> {
                            ToleranceOptions options = request.options;
                            options.progress = &progress;
                            options.cancel = cancel;
                            ToleranceResult result = RunTolerance(request.circuit, options);
                            if (result.cancelled) return std::nullopt;
                            return result;
                          });
  };
}

}  // namespace corvantile
