// The Pi network: element 1 a shunt across the source, element 2 in series, element 3 a shunt
// across the load. It works on the parallel form of source and load, whose own reactances are
// absorbed into the shunt elements.
#include <cmath>

#include "math/family_designs.h"
#include "units/precision.h"

namespace corvantile::detail {
namespace {

using precision::D;
using precision::F;

constexpr float kHalfPi = 1.5707963f;  // one single-precision step below pi/2
constexpr float kPi = 3.1415927f;

struct PiSides {
  float R1, XS, R2, XL, G;
  double degreesPerRadian;
  bool sourceSeries, loadSeries;
  float sourceAngle, loadAngle;
};

// X1(theta) and X3(theta): the shunt reactances for a phase angle theta (radians).
double ShuntAtSource(const PiSides& s, double theta) {
  return D(s.R1) * D(s.R2) * std::sin(theta) / (D(s.R2) * std::cos(theta) - D(s.G));
}
double ShuntAtLoad(const PiSides& s, double theta) {
  return D(s.R1) * D(s.R2) * std::sin(theta) / (D(s.R1) * std::cos(theta) - D(s.G));
}
double SeriesElement(const PiSides& s, double theta) { return D(s.G) * std::sin(theta); }

// Takes a side's own parallel reactance out of a shunt value: what remains in parallel with it
// gives the shunt value. A shunt equal to the side's reactance is scaled by k instead.
float RemoveShunt(float x, float own, double k) {
  if (x == own) return F(D(x) * k);
  return F(1.0 / (1.0 / D(x) - 1.0 / D(own)));
}

// The Pi phase counts from resistance to resistance: a series-form side adds its own angle.
float SeriesAdjusted(const PiSides& s, float p) {
  if (s.sourceSeries) p = F(D(p) + D(s.sourceAngle));
  if (s.loadSeries) p = F(D(p) + D(s.loadAngle));
  return p;
}

// Phase angle (radians) of an L section with this resistance ratio, 0 when the ratio is below
// `margin`: a ratio of 2 gives pi/4.
float SectionAngle(float ratio, float margin) {
  if (ratio < margin) return 0.0f;
  return F(std::atan(std::sqrt(D(ratio) - 1.0)));
}

bool ElementOneFixed(const PiSides& s, float x1, ElementValues& out) {
  if (x1 == 0.0f) return false;
  float xe;
  if (std::fabs(s.XS) > 1e6f) {
    xe = x1;
  } else if (std::fabs(F(D(s.XS) + D(x1))) < 1e-6f) {
    xe = F(D(x1) * 1e6);  // the element cancels the source's own reactance
  } else {
    xe = F(1.0 / (1.0 / D(x1) + 1.0 / D(s.XS)));
  }
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
  out = {x1, x2, x3, SeriesAdjusted(s, p), q1, q2};
  return true;
}

bool ElementTwoFixed(const PiSides& s, float x2, float& branch, ElementValues& out) {
  const float ratio = F(std::fabs(D(x2)) / D(s.G));
  if (ratio > 1.00001f || x2 == 0.0f) return false;
  float theta =
      ratio > 0.9999f ? kHalfPi : F(std::atan(D(ratio) / std::sqrt(1.0 - D(ratio) * D(ratio))));
  if (branch == BranchNotChosen) branch = BranchFirst;
  if (branch == BranchSecond) theta = F(D(kPi) - D(theta));
  if (x2 < 0.0f) theta = -theta;
  const float p = F(-D(theta) * s.degreesPerRadian);
  const float x1 = F(ShuntAtSource(s, D(theta)));
  const float x3 = F(ShuntAtLoad(s, D(theta)));
  const float q1 = F(D(s.R1) / std::fabs(D(x1)));
  const float q2 = F(D(s.R2) / std::fabs(D(x3)));
  out = {RemoveShunt(x1, s.XS, 1e6), x2, RemoveShunt(x3, s.XL, 1e6), SeriesAdjusted(s, p), q1, q2};
  return true;
}

bool ElementThreeFixed(const PiSides& s, float x3, ElementValues& out) {
  if (x3 == 0.0f) return false;
  float xe;
  if (std::fabs(s.XL) > 1e8f) {
    xe = x3;
  } else if (std::fabs(F(D(x3) + D(s.XL))) < 1e-8f) {
    xe = F(D(x3) * 1e8);  // the element cancels the load's own reactance
  } else {
    xe = F(1.0 / (1.0 / D(x3) + 1.0 / D(s.XL)));
  }
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
  out = {RemoveShunt(x1, s.XS, 1e8), x2, x3, SeriesAdjusted(s, p), q1, q2};
  return true;
}

bool PhaseFixed(const PiSides& s, float phase, ElementValues& out) {
  float p0 = phase;
  if (s.sourceSeries) p0 = F(D(p0) - D(s.sourceAngle));
  if (s.loadSeries) p0 = F(D(p0) - D(s.loadAngle));
  if (p0 == 0.0f || p0 == 180.0f || p0 == -180.0f) return false;
  const double theta = D(F(-D(p0) / s.degreesPerRadian));
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
  const ImpedanceValues& src = state.SourceValues;
  const ImpedanceValues& load = state.LoadValues;
  NetworkValues& net = state.NetValues;
  PiSides s{};
  s.R1 = src[ParallelR];
  s.XS = src[ParallelX];
  s.R2 = load[ParallelR];
  s.XL = load[ParallelX];
  // A resistance that is not positive has no network (with no power to carry, nothing else
  // would catch a negative one). Nor has a pair whose product overflows single precision: a
  // shunt formula that overflowed would then pass for an open element.
  if (!(s.R1 > 0.0f) || !(s.R2 > 0.0f) || !std::isfinite(F(D(s.R1) * D(s.R2)))) {
    return ShowCaution(state);
  }
  s.G = F(std::sqrt(D(s.R1) * D(s.R2)));
  s.degreesPerRadian = state.startup.DegreesPerRadian;
  s.sourceSeries = IsSeriesForm(src);
  s.loadSeries = IsSeriesForm(load);
  s.sourceAngle = src[Angle];
  s.loadAngle = load[Angle];

  const float driver = net[DesignDriver];
  ElementValues e{};
  bool built = false;
  if (DriverFixesElement(driver, 1)) {
    built = ElementOneFixed(s, net[NetX1], e);
  } else if (DriverFixesElement(driver, 2)) {
    built = ElementTwoFixed(s, net[NetX2], net[SolutionBranch], e);
  } else if (DriverFixesElement(driver, 3)) {
    built = ElementThreeFixed(s, net[NetX3], e);
  } else if (driver == DriverPhase) {
    built = PhaseFixed(s, net[NetworkPhase], e);
  }
  if (!built) return ShowCaution(state);
  MarkOpenShunts(e, open);
  return StoreResults(state, e, s.R1, s.R2, /*isPi=*/true);
}

}  // namespace corvantile::detail
