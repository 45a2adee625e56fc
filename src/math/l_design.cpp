// The L networks (low-pass: series inductor and shunt capacitor; high-pass: series capacitor and
// shunt inductor) are Pi networks at the one phase where a shunt element vanishes: the shunt
// goes across the side with the higher resistance, the other one is open.
#include <cmath>

#include "math/family_designs.h"
#include "units/precision.h"

namespace corvantile::detail {
namespace {

using precision::D;
using precision::F;

// Phase in degrees of an L section stepping down by the ratio high / low: atan(sqrt(ratio-1)).
float LSectionPhase(float high, float low, double degreesPerRadian) {
  return F(std::atan(std::sqrt(D(high) / D(low) - 1.0)) * degreesPerRadian);
}

}  // namespace

DesignOutcome DesignL(RunState& state) {
  const ImpedanceValues& src = state.SourceValues;
  const ImpedanceValues& load = state.LoadValues;
  NetworkValues& net = state.NetValues;
  const float family = net[NetworkFamily];
  const double dpr = state.startup.DegreesPerRadian;
  const float rsp = src[ParallelR];
  const float rss = src[SeriesR];
  const float rlp = load[ParallelR];
  const float rls = load[SeriesR];

  float p = 0.0f;
  OpenElement open = OpenElement::None;
  if (F(D(rsp) - 0.0005) > rls) {
    // Shunt across the source: element 3 is the one the L does not have.
    if (rsp == 0.0f || rls == 0.0f || rsp == rls) return ShowCaution(state);
    p = LSectionPhase(rsp, rls, dpr);
    if (family == FamilyLowpassL) p = -p;
    if (IsSeriesForm(src)) p = F(D(p) + D(src[Angle]));
    if (IsParallelForm(load)) p = F(D(p) - D(load[Angle]));
    open = OpenElement::Third;
  } else if (F(D(rss) + 0.0005) < rlp) {
    // Shunt across the load: element 1 is the one the L does not have.
    if (rss == 0.0f || rlp == 0.0f || rss == rlp) return ShowCaution(state);
    p = LSectionPhase(rlp, rss, dpr);
    if (family == FamilyLowpassL) p = -p;
    if (IsParallelForm(src)) p = F(D(p) - D(src[Angle]));
    if (IsSeriesForm(load)) p = F(D(p) + D(load[Angle]));
    open = OpenElement::First;
  } else {
    return ShowCaution(state);
  }
  // A negative resistance has no L section; its phase must not become the stored one.
  if (!std::isfinite(p)) return ShowCaution(state);

  net[NetworkFamily] = FamilyPi;
  net[DesignDriver] = DriverPhase;
  net[NetworkPhase] = p;
  const DesignOutcome outcome = DesignPi(state, open);
  net[NetworkFamily] = family;
  return outcome;
}

}  // namespace corvantile::detail
