#include "response/tolerance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"
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

}  // namespace corvantile
