// The Pi network: element 1 a shunt across the source, element 2 in series, element 3 a shunt
// across the load. It works on the parallel form of source and load, whose own reactances are
// absorbed into the shunt elements.
#include <cmath>

#include "math/family_designs.h"
#include "math/three_element_design.h"
#include "units/precision.h"

namespace corvantile::detail {
namespace {

using precision::D;
using precision::F;

// X1(theta) and X3(theta): the shunt reactances for a phase angle theta (radians).
double ShuntAtSource(const Sides& s, double theta) {
  return D(s.R1) * D(s.R2) * std::sin(theta) / (D(s.R2) * std::cos(theta) - D(s.G));
}
double ShuntAtLoad(const Sides& s, double theta) {
  return D(s.R1) * D(s.R2) * std::sin(theta) / (D(s.R1) * std::cos(theta) - D(s.G));
}
double SeriesElement(const Sides& s, double theta) { return D(s.G) * std::sin(theta); }

// Takes a side's own parallel reactance out of a shunt value: what remains in parallel with it
// gives the shunt value. A shunt equal to the side's reactance is scaled by k instead.
float RemoveShunt(float x, float own, double k) {
  if (x == own) return F(D(x) * k);
  return F(1.0 / (1.0 / D(x) - 1.0 / D(own)));
}

// Phase angle (radians) of an L section with this resistance ratio, 0 when the ratio is below
// `margin`: a ratio of 2 gives pi/4.
float SectionAngle(float ratio, float margin) {
  if (ratio < margin) return 0.0f;
  return F(std::atan(std::sqrt(D(ratio) - 1.0)));
}

// Shunt x in parallel with the side's own reactance `own`. An own reactance beyond `openBeyond`
// is an open circuit and leaves x alone; an x that cancels it (their sum below `cancelBelow`)
// would be a division by zero and is scaled by `cancelScale` instead.
float WithOwnReactance(float x, float own, float openBeyond, float cancelBelow,
                       double cancelScale) {
  if (std::fabs(own) > openBeyond) return x;
  if (std::fabs(F(D(own) + D(x))) < cancelBelow) return F(D(x) * cancelScale);
  return F(1.0 / (1.0 / D(x) + 1.0 / D(own)));
}

// Element 1 and element 3 fixed use different limits on purpose, as the design rules give them
// (element 1: 1e6, 1e-6 and the section margin 1.001; element 3: 1e8, 1e-8 and 1.00001). They
// are not a copy to be made equal: equal limits would move results.
bool ElementOneFixed(const Sides& s, float x1, ElementValues& out) {
  if (x1 == 0.0f) return false;
  const float xe = WithOwnReactance(x1, s.XS, 1e6f, 1e-6f, 1e6);
  const float q1 = F(D(s.R1) / std::fabs(D(xe)));
  const float d = F((D(q1) * D(q1) + 1.0) * D(s.R2) / D(s.R1) - 1.0);
  if (d < -0.0001f) return false;
  const float q2 = F(std::sqrt(std::fabs(D(d))));
  const double k = D(s.R1) / D(xe);
  const float r = F(D(s.R1) / (k * k + 1.0));
  const float a1 = SectionAngle(F(D(s.R1) / D(r)), 1.001f);
  const float a2 = SectionAngle(F(D(s.R2) / D(r)), 1.001f);
  float p = F((D(a1) + D(a2)) * s.degreesPerRadian);
  float theta = F(D(p) / s.degreesPerRadian);
  if (xe > 0.0f) theta = -theta;
  const float x2 = F(SeriesElement(s, D(theta)));
  const float x3 = RemoveShunt(F(ShuntAtLoad(s, D(theta))), s.XL, 1e6);
  if (x1 < 0.0f) p = -p;
  out = {x1, x2, x3, RToRPhase(s, p), q1, q2};
  return true;
}

bool ElementTwoFixed(const Sides& s, float x2, float& branch, ElementValues& out) {
  const float ratio = F(std::fabs(D(x2)) / D(s.G));
  if (ratio > 1.00001f || x2 == 0.0f) return false;
  const float theta = MiddleElementAngle(ratio, x2, branch);
  const float p = AnglePhase(s, theta);
  const float x1 = F(ShuntAtSource(s, D(theta)));
  const float x3 = F(ShuntAtLoad(s, D(theta)));
  const float q1 = F(D(s.R1) / std::fabs(D(x1)));
  const float q2 = F(D(s.R2) / std::fabs(D(x3)));
  out = {RemoveShunt(x1, s.XS, 1e6), x2, RemoveShunt(x3, s.XL, 1e6), RToRPhase(s, p), q1, q2};
  return true;
}

bool ElementThreeFixed(const Sides& s, float x3, ElementValues& out) {
  if (x3 == 0.0f) return false;
  const float xe = WithOwnReactance(x3, s.XL, 1e8f, 1e-8f, 1e8);
  const float q2 = F(D(s.R2) / std::fabs(D(xe)));
  const float d = F((D(q2) * D(q2) + 1.0) * D(s.R1) / D(s.R2) - 1.0);
  if (d < -0.0001f) return false;
  const float q1 = F(std::sqrt(std::fabs(D(d))));
  float x1 = q1 < 0.001f ? OpenReactanceStored : F(D(s.R1) / D(q1));
  if (xe < 0.0f) x1 = -x1;
  const double k = D(s.R1) / D(x1);
  const float r = F(D(s.R1) / (k * k + 1.0));
  const float a1 = SectionAngle(F(D(s.R1) / D(r)), 1.00001f);
  const float a2 = SectionAngle(F(D(s.R2) / D(r)), 1.00001f);
  float p = F((D(a1) + D(a2)) * s.degreesPerRadian);
  if (xe < 0.0f) p = -p;
  const float theta = F(-D(p) / s.degreesPerRadian);
  const float x2 = F(SeriesElement(s, D(theta)));
  out = {RemoveShunt(x1, s.XS, 1e8), x2, x3, RToRPhase(s, p), q1, q2};
  return true;
}

bool PhaseFixed(const Sides& s, float phase, ElementValues& out) {
  double theta = 0.0;
  if (!PhaseFixedAngle(s, phase, theta)) return false;
  const float numerator = F(D(s.R1) * D(s.R2) * std::sin(theta));
  const float x1 = F(D(numerator) / (D(s.R2) * std::cos(theta) - D(s.G)));
  const float x2 = F(SeriesElement(s, theta));
  const float x3 = F(D(numerator) / (D(s.R1) * std::cos(theta) - D(s.G)));
  const float q1 = F(D(s.R1) / std::fabs(D(x1)));
  const float q2 = F(D(s.R2) / std::fabs(D(x3)));
  out = {RemoveShunt(x1, s.XS, 1e6), x2, RemoveShunt(x3, s.XL, 1e6), phase, q1, q2};
  return true;
}

// A shunt element with no finite reactance is an open circuit. In an L network the element the
// L does not have comes out as rounding noise (or as a division by an exact zero): it is stored
// as an open circuit with the sign it came out with.
float OpenShunt(float x) {
  return std::signbit(x) && !std::isnan(x) ? -OpenReactanceStored : OpenReactanceStored;
}

void MarkOpenShunts(ElementValues& e, OpenElement open) {
  if (open == OpenElement::First || std::isinf(e.X1)) e.X1 = OpenShunt(e.X1);
  if (open == OpenElement::Third || std::isinf(e.X3)) e.X3 = OpenShunt(e.X3);
}

}  // namespace

DesignOutcome DesignPi(RunState& state, OpenElement open) {
  const Sides s = SidesOf(state, SideForm::Parallel);
  // A resistance that is not positive has no network (with no power to carry, nothing else
  // would catch a negative one). Nor has a pair whose product overflows single precision: a
  // shunt formula that overflowed would then pass for an open element.
  if (!(s.R1 > 0.0f) || !(s.R2 > 0.0f) || !std::isfinite(F(D(s.R1) * D(s.R2)))) {
    return ShowCaution(state);
  }

  ElementValues e{};
  constexpr DriverSteps kPiSteps{ElementOneFixed, ElementTwoFixed, ElementThreeFixed, PhaseFixed};
  if (!DesignByDriver(s, state.NetValues, kPiSteps, e)) return ShowCaution(state);
  MarkOpenShunts(e, open);
  return StoreResults(state, e, s.R1, s.R2, /*isPi=*/true);
}

}  // namespace corvantile::detail
