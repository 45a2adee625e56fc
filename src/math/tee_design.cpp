// The Tee network: elements 1 and 3 in series at the source and the load, element 2 a shunt at
// the middle node. It works on the series form of source and load, whose own reactances are
// absorbed into the series elements.
#include <cmath>

#include "math/family_designs.h"
#include "math/three_element_design.h"
#include "units/precision.h"

namespace corvantile::detail {
namespace {

using precision::D;
using precision::F;

// T1(theta), T2(theta), T3(theta): the element reactances for a phase angle theta (radians).
double SeriesAtSource(const Sides& s, double theta) {
  return (D(s.R1) * std::cos(theta) - D(s.G)) / std::sin(theta);
}
double ShuntElement(const Sides& s, double theta) { return D(s.G) / std::sin(theta); }
double SeriesAtLoad(const Sides& s, double theta) {
  return (D(s.R2) * std::cos(theta) - D(s.G)) / std::sin(theta);
}

// Phase of a Tee whose outer element (with the side's own reactance) totals xt and whose
// middle node therefore sits at rm ohms; false when rm lies below either resistance.
bool MiddleNodePhase(const Sides& s, float xt, float rm, float& theta) {
  const float up1 = F(D(rm) / D(s.R1) - 1.0);
  const float up2 = F(D(rm) / D(s.R2) - 1.0);
  if (up1 < -1e-5f || up2 < -1e-5f) return false;
  theta = F(std::atan(std::sqrt(std::fabs(D(up1)))) + std::atan(std::sqrt(std::fabs(D(up2)))));
  if (xt > 0.0f) theta = -theta;
  return true;
}

bool ElementOneFixed(const Sides& s, float x1, ElementValues& out) {
  if (x1 == 0.0f && !(s.R1 > s.R2)) return false;
  const float xt = F(D(x1) + D(s.XS));
  const float rm = F(D(xt) * D(xt) / D(s.R1) + D(s.R1));
  float theta = 0.0f;
  if (!MiddleNodePhase(s, xt, rm, theta)) return false;
  const float p = F(D(theta) * s.degreesPerRadian);
  const float x3 = F(SeriesAtLoad(s, D(theta)));
  const float q2 = F(std::fabs(D(x3)) / D(s.R2));
  const float q1 = F(std::fabs(D(xt)) / D(s.R1));
  const float x2 = F(ShuntElement(s, D(theta)));
  out = {x1, x2, F(D(x3) - D(s.XL)), RToRPhase(s, p), q1, q2};
  return true;
}

bool ElementTwoFixed(const Sides& s, float x2, float& branch, ElementValues& out) {
  if (x2 == 0.0f) return false;
  const float ratio = F(D(s.G) / std::fabs(D(x2)));
  if (ratio > 1.00001f) return false;
  const float theta = MiddleElementAngle(ratio, x2, branch);
  const float p = AnglePhase(s, theta);
  const float x1 = F(SeriesAtSource(s, D(theta)));
  const float q1 = F(std::fabs(D(x1)) / D(s.R1));
  const float x3 = F(SeriesAtLoad(s, D(theta)));
  const float q2 = F(std::fabs(D(x3)) / D(s.R2));
  out = {F(D(x1) - D(s.XS)), x2, F(D(x3) - D(s.XL)), RToRPhase(s, p), q1, q2};
  return true;
}

bool ElementThreeFixed(const Sides& s, float x3, ElementValues& out) {
  if (x3 == 0.0f && !(s.R1 < s.R2)) return false;
  const float xt = F(D(x3) + D(s.XL));
  const float rm = F(D(xt) * D(xt) / D(s.R2) + D(s.R2));
  float theta = 0.0f;
  if (!MiddleNodePhase(s, xt, rm, theta)) return false;
  const float p = F(D(theta) * s.degreesPerRadian);
  const float x1 = F(SeriesAtSource(s, D(theta)));
  const float q1 = F(std::fabs(D(x1)) / D(s.R1));
  const float q2 = F(std::fabs(D(xt)) / D(s.R2));
  const float x2 = F(ShuntElement(s, D(theta)));
  out = {F(D(x1) - D(s.XS)), x2, x3, RToRPhase(s, p), q1, q2};
  return true;
}

bool PhaseFixed(const Sides& s, float phase, ElementValues& out) {
  double theta = 0.0;
  if (!PhaseFixedAngle(s, phase, theta)) return false;
  const float x1 = F(SeriesAtSource(s, theta));
  const float q1 = F(std::fabs(D(x1)) / D(s.R1));
  const float x3 = F(SeriesAtLoad(s, theta));
  const float q2 = F(std::fabs(D(x3) / D(s.R2)));
  const float x2 = F(ShuntElement(s, theta));
  out = {F(D(x1) - D(s.XS)), x2, F(D(x3) - D(s.XL)), phase, q1, q2};
  return true;
}

}  // namespace

DesignOutcome DesignTee(RunState& state) {
  const Sides s = SidesOf(state, SideForm::Series);
  // A resistance that is not positive has no network (with no power to carry, nothing else
  // would catch a negative one).
  if (!(s.R1 > 0.0f) || !(s.R2 > 0.0f)) return ShowCaution(state);

  ElementValues e{};
  constexpr DriverSteps kTeeSteps{ElementOneFixed, ElementTwoFixed, ElementThreeFixed, PhaseFixed};
  if (!DesignByDriver(s, state.NetValues, kTeeSteps, e)) return ShowCaution(state);
  return StoreResults(state, e, s.R1, s.R2, /*isPi=*/false);
}

}  // namespace corvantile::detail
