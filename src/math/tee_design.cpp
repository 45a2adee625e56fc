// The Tee network: elements 1 and 3 in series at the source and the load, element 2 a shunt at
// the middle node. It works on the series form of source and load, whose own reactances are
// absorbed into the series elements.
#include <cmath>

#include "math/family_designs.h"
#include "units/precision.h"

namespace corvantile::detail {
namespace {

using precision::D;
using precision::F;

constexpr float kHalfPi = 1.5707963f;  // one single-precision step below pi/2
constexpr float kPi = 3.1415927f;

struct TeeSides {
  float R1, XS, R2, XL, G;
  double degreesPerRadian;
  bool sourceParallel, loadParallel;
  float sourceAngle, loadAngle;
};

// T1(theta), T2(theta), T3(theta): the element reactances for a phase angle theta (radians).
double SeriesAtSource(const TeeSides& s, double theta) {
  return (D(s.R1) * std::cos(theta) - D(s.G)) / std::sin(theta);
}
double ShuntElement(const TeeSides& s, double theta) { return D(s.G) / std::sin(theta); }
double SeriesAtLoad(const TeeSides& s, double theta) {
  return (D(s.R2) * std::cos(theta) - D(s.G)) / std::sin(theta);
}

// The Tee phase counts from resistance to resistance: a parallel-form side takes its own
// angle away.
float ParallelAdjusted(const TeeSides& s, float p) {
  if (s.sourceParallel) p = F(D(p) - D(s.sourceAngle));
  if (s.loadParallel) p = F(D(p) - D(s.loadAngle));
  return p;
}

// Phase of a Tee whose outer element (with the side's own reactance) totals xt and whose
// middle node therefore sits at rm ohms; false when rm lies below either resistance.
bool MiddleNodePhase(const TeeSides& s, float xt, float rm, float& theta) {
  const float up1 = F(D(rm) / D(s.R1) - 1.0);
  const float up2 = F(D(rm) / D(s.R2) - 1.0);
  if (up1 < -1e-5f || up2 < -1e-5f) return false;
  theta = F(std::atan(std::sqrt(std::fabs(D(up1)))) + std::atan(std::sqrt(std::fabs(D(up2)))));
  if (xt > 0.0f) theta = -theta;
  return true;
}

bool ElementOneFixed(const TeeSides& s, float x1, ElementValues& out) {
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
  out = {x1, x2, F(D(x3) - D(s.XL)), ParallelAdjusted(s, p), q1, q2};
  return true;
}

bool ElementTwoFixed(const TeeSides& s, float x2, float& branch, ElementValues& out) {
  if (x2 == 0.0f) return false;
  const float ratio = F(D(s.G) / std::fabs(D(x2)));
  if (ratio > 1.00001f) return false;
  float theta =
      ratio > 0.9999f ? kHalfPi : F(std::atan(D(ratio) / std::sqrt(1.0 - D(ratio) * D(ratio))));
  if (branch == BranchNotChosen) branch = BranchFirst;
  if (branch == BranchSecond) theta = F(D(kPi) - D(theta));
  if (x2 < 0.0f) theta = -theta;
  const float p = F(D(theta) * s.degreesPerRadian);
  const float x1 = F(SeriesAtSource(s, D(theta)));
  const float q1 = F(std::fabs(D(x1)) / D(s.R1));
  const float x3 = F(SeriesAtLoad(s, D(theta)));
  const float q2 = F(std::fabs(D(x3)) / D(s.R2));
  out = {F(D(x1) - D(s.XS)), x2, F(D(x3) - D(s.XL)), ParallelAdjusted(s, p), q1, q2};
  return true;
}

bool ElementThreeFixed(const TeeSides& s, float x3, ElementValues& out) {
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
  out = {F(D(x1) - D(s.XS)), x2, x3, ParallelAdjusted(s, p), q1, q2};
  return true;
}

bool PhaseFixed(const TeeSides& s, float phase, ElementValues& out) {
  float p0 = phase;
  if (s.sourceParallel) p0 = F(D(p0) + D(s.sourceAngle));
  if (s.loadParallel) p0 = F(D(p0) + D(s.loadAngle));
  if (p0 == 0.0f || p0 == 180.0f || p0 == -180.0f) return false;
  const double theta = D(F(D(p0) / s.degreesPerRadian));
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
  const ImpedanceValues& src = state.SourceValues;
  const ImpedanceValues& load = state.LoadValues;
  NetworkValues& net = state.NetValues;
  TeeSides s{};
  s.R1 = src[SeriesR];
  s.XS = src[SeriesX];
  s.R2 = load[SeriesR];
  s.XL = load[SeriesX];
  // A resistance that is not positive has no network (with no power to carry, nothing else
  // would catch a negative one).
  if (!(s.R1 > 0.0f) || !(s.R2 > 0.0f)) return ShowCaution(state);
  s.G = F(std::sqrt(D(s.R1) * D(s.R2)));
  s.degreesPerRadian = state.startup.DegreesPerRadian;
  s.sourceParallel = IsParallelForm(src);
  s.loadParallel = IsParallelForm(load);
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
  return StoreResults(state, e, s.R1, s.R2, /*isPi=*/false);
}

}  // namespace corvantile::detail
