#pragma once

// What the Pi and the Tee design share: the two sides they design between, the design angle of
// a fixed phase or a fixed middle element, and the way back to the phase shown "R to R".
//
// The two designs differ in the form of the sides they work on (the Pi the parallel form, the
// Tee the series form) and in the sign of their design angle: the Pi's phase runs opposite to
// its angle theta, the Tee's with it. Sides::phaseSign carries that sign, so each step below is
// one formula for both (multiplying by +1 or -1 is exact: the results are those of the two
// separate formulas, bit for bit).
#include <cmath>

#include "math/family_designs.h"
#include "state/codes.h"
#include "units/constants.h"
#include "units/precision.h"

namespace corvantile::detail {

// One single-precision step below pi/2: the middle element's angle when its ratio is within
// 1e-4 of 1.
inline constexpr float kHalfPiBelow = 1.5707963f;

struct Sides {
  float R1, XS;  // the source's resistance and own reactance, in the form the design works on
  float R2, XL;  // the load's
  float G;       // sqrt(R1 R2), single precision
  double degreesPerRadian;
  double phaseSign;  // -1 for the Pi, +1 for the Tee (see above)
  // A side entered in the other form (series for the Pi, parallel for the Tee) counts its own
  // angle in the phase.
  bool sourceAngled, loadAngled;
  float sourceAngle, loadAngle;
};

enum class SideForm { Parallel, Series };

// The sides in the form the design works on: Parallel for the Pi, Series for the Tee.
inline Sides SidesOf(const RunState& state, SideForm form) {
  using precision::D;
  using precision::F;
  const ImpedanceValues& src = state.SourceValues;
  const ImpedanceValues& load = state.LoadValues;
  const bool parallel = form == SideForm::Parallel;
  Sides s{};
  s.R1 = src[parallel ? ParallelR : SeriesR];
  s.XS = src[parallel ? ParallelX : SeriesX];
  s.R2 = load[parallel ? ParallelR : SeriesR];
  s.XL = load[parallel ? ParallelX : SeriesX];
  s.G = F(std::sqrt(D(s.R1) * D(s.R2)));
  s.degreesPerRadian = state.startup.DegreesPerRadian;
  s.phaseSign = parallel ? -1.0 : 1.0;
  s.sourceAngled = parallel ? IsSeriesForm(src) : IsParallelForm(src);
  s.loadAngled = parallel ? IsSeriesForm(load) : IsParallelForm(load);
  s.sourceAngle = src[Angle];
  s.loadAngle = load[Angle];
  return s;
}

// The phase the network shows for the design's own phase p (degrees): the angle of each side
// entered in the other form is taken back out (the Pi adds it, the Tee subtracts it).
inline float RToRPhase(const Sides& s, float p) {
  using precision::D;
  using precision::F;
  if (s.sourceAngled) p = F(D(p) - s.phaseSign * D(s.sourceAngle));
  if (s.loadAngled) p = F(D(p) - s.phaseSign * D(s.loadAngle));
  return p;
}

// The design angle (radians) of a design for the phase shown: false at 0 and +/-180 degrees
// after the sides' angles are counted in, where no network of three elements exists.
inline bool PhaseFixedAngle(const Sides& s, float phase, double& theta) {
  using precision::D;
  using precision::F;
  float p0 = phase;
  if (s.sourceAngled) p0 = F(D(p0) + s.phaseSign * D(s.sourceAngle));
  if (s.loadAngled) p0 = F(D(p0) + s.phaseSign * D(s.loadAngle));
  if (p0 == 0.0f || p0 == 180.0f || p0 == -180.0f) return false;
  theta = D(F(s.phaseSign * D(p0) / s.degreesPerRadian));
  return true;
}

// The design angle (radians) for a fixed middle element x2, from its ratio against G (the
// caller has refused ratios above 1.00001). An unchosen branch becomes the first; the second
// takes pi minus the angle.
inline float MiddleElementAngle(float ratio, float x2, float& branch) {
  using precision::D;
  using precision::F;
  float theta = ratio > 0.9999f ? kHalfPiBelow
                                : F(std::atan(D(ratio) / std::sqrt(1.0 - D(ratio) * D(ratio))));
  if (branch == BranchNotChosen) branch = BranchFirst;
  if (branch == BranchSecond) theta = F(D(kPiSingle) - D(theta));
  if (x2 < 0.0f) theta = -theta;
  return theta;
}

// The design's own phase (degrees) of design angle theta.
inline float AnglePhase(const Sides& s, float theta) {
  using precision::D;
  using precision::F;
  return F(s.phaseSign * D(theta) * s.degreesPerRadian);
}

// One family's four ways to a design, one per kind of driver.
struct DriverSteps {
  bool (*elementOneFixed)(const Sides&, float x1, ElementValues&);
  bool (*elementTwoFixed)(const Sides&, float x2, float& branch, ElementValues&);
  bool (*elementThreeFixed)(const Sides&, float x3, ElementValues&);
  bool (*phaseFixed)(const Sides&, float phase, ElementValues&);
};

// Runs the step that DesignDriver names; false when it finds no network or the driver is none of
// the seven codes. A fixed middle element may set the branch (BranchNotChosen becomes first).
inline bool DesignByDriver(const Sides& s, NetworkValues& net, const DriverSteps& steps,
                           ElementValues& e) {
  const float driver = net[DesignDriver];
  if (DriverFixesElement(driver, 1)) return steps.elementOneFixed(s, net[NetX1], e);
  if (DriverFixesElement(driver, 2)) {
    return steps.elementTwoFixed(s, net[NetX2], net[SolutionBranch], e);
  }
  if (DriverFixesElement(driver, 3)) return steps.elementThreeFixed(s, net[NetX3], e);
  if (driver == DriverPhase) return steps.phaseFixed(s, net[NetworkPhase], e);
  return false;
}

}  // namespace corvantile::detail
