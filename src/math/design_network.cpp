#include "math/design_network.h"

#include <cmath>

#include "math/design_range.h"
#include "math/family_designs.h"
#include "math/reduction.h"
#include "units/precision.h"

namespace corvantile {

using precision::D;
using precision::F;
using precision::Saturated;

namespace detail {

double Omega(const RunState& state) { return D(state.NetValues[Frequency]) * state.startup.TwoPi; }

DesignOutcome StoreResults(RunState& state, const ElementValues& e, float r1, float r2, bool isPi) {
  const double omega = Omega(state);
  const double w = D(state.NetValues[Power]);
  const float part1 = NetPartFromReactance(e.X1, omega);
  const float part2 = NetPartFromReactance(e.X2, omega);
  const float part3 = NetPartFromReactance(e.X3, omega);
  const double q2 = D(e.Q2);
  float intermediateR, v1, v2, v3, a1, a2, a3;
  if (isPi) {
    intermediateR = F(D(r2) / (q2 * q2 + 1.0));
    v1 = F(std::sqrt(D(r1) * w));
    a1 = F(D(v1) / std::fabs(D(e.X1)));
    a2 = F(std::sqrt(w / D(intermediateR)));
    v2 = F(std::fabs(D(a2) * D(e.X2)));
    v3 = F(std::sqrt(D(r2) * w));
    a3 = F(D(v3) / std::fabs(D(e.X3)));
  } else {
    intermediateR = F((q2 * q2 + 1.0) * D(r2));
    a1 = F(std::sqrt(w / D(r1)));
    v1 = F(std::fabs(D(a1) * D(e.X1)));
    v2 = F(std::sqrt(w * D(intermediateR)));
    a2 = F(std::fabs(D(v2) / D(e.X2)));
    a3 = F(std::sqrt(w / D(r2)));
    v3 = F(std::fabs(D(a3) * D(e.X3)));
  }
  // An arithmetic fault anywhere (a division by zero, the root of a negative power, an
  // overflow) is an impossible design rather than a NaN or an infinity on the screen.
  for (const float value : {e.X1, e.X2, e.X3, e.P, e.Q1, e.Q2, part1, part2, part3, intermediateR,
                            v1, v2, v3, a1, a2, a3}) {
    if (!std::isfinite(value)) return ShowCaution(state);
  }
  NetworkValues& net = state.NetValues;
  net[NetX1] = e.X1;
  net[NetX2] = e.X2;
  net[NetX3] = e.X3;
  net[NetworkPhase] = e.P;
  net[InputQ] = e.Q1;
  net[OutputQ] = e.Q2;
  net[NetPart1] = part1;
  net[NetPart2] = part2;
  net[NetPart3] = part3;
  net[IntermediateR] = intermediateR;
  net[NetPart1Volts] = v1;
  net[NetPart2Volts] = v2;
  net[NetPart3Volts] = v3;
  net[NetPart1Amps] = a1;
  net[NetPart2Amps] = a2;
  net[NetPart3Amps] = a3;
  return DesignOutcome::Designed;
}

}  // namespace detail

float NetPartFromReactance(float reactance, double omega) {
  const double x = D(reactance);
  if (x < 0.0) return Saturated(1.0 / (omega * x));
  if (x > 0.0) return Saturated(x / omega);
  return 0.0f;
}

float NetReactanceFromPart(float part, double omega) {
  const double value = D(part);
  if (value > 0.0) return Saturated(omega * value);
  if (value < 0.0) return Saturated(1.0 / (omega * value));
  return 0.0f;
}

void DeriveNetParts(RunState& state) {
  const double omega = detail::Omega(state);
  NetworkValues& net = state.NetValues;
  net[NetPart1] = NetPartFromReactance(net[NetX1], omega);
  net[NetPart2] = NetPartFromReactance(net[NetX2], omega);
  net[NetPart3] = NetPartFromReactance(net[NetX3], omega);
}

DesignOutcome ShowCaution(RunState& state) {
  NetworkValues& net = state.NetValues;
  const float driver = net[DesignDriver];
  struct DriverSlot {
    float driver;
    int slot;
  };
  constexpr DriverSlot kDriverSlots[] = {{DriverX1, NetX1},          {DriverX2, NetX2},
                                         {DriverX3, NetX3},          {DriverPart1, NetPart1},
                                         {DriverPart2, NetPart2},    {DriverPart3, NetPart3},
                                         {DriverPhase, NetworkPhase}};
  for (const DriverSlot& fixed : kDriverSlots) {
    if (driver != fixed.driver) net[fixed.slot] = 0.0f;
  }
  net[InputQ] = 0.0f;
  net[OutputQ] = 0.0f;
  net[IntermediateR] = 0.0f;
  for (int k = NetPart1Volts; k <= NetPart3Amps; ++k) net[k] = 0.0f;
  return DesignOutcome::Impossible;
}

DesignOutcome DesignNetwork(RunState& state) {
  NetworkValues& net = state.NetValues;
  const float driver = net[DesignDriver];
  // The branch choice survives only while the middle element is the fixed quantity.
  if (!FixesMiddleElement(driver)) net[SolutionBranch] = BranchNotChosen;

  const double omega = detail::Omega(state);
  if (driver == DriverPart1) net[NetX1] = NetReactanceFromPart(net[NetPart1], omega);
  if (driver == DriverPart2) net[NetX2] = NetReactanceFromPart(net[NetPart2], omega);
  if (driver == DriverPart3) net[NetX3] = NetReactanceFromPart(net[NetPart3], omega);

  if (DerivesPartsOnly(net[DesignMode])) {
    DeriveNetParts(state);
    return DesignOutcome::NotDesigned;
  }

  const float family = net[NetworkFamily];
  if (!IsKnownFamily(family)) return DesignOutcome::NotDesigned;

  // Without a positive, finite frequency there are no part values: no network can be built.
  const float frequency = net[Frequency];
  if (!(frequency > 0.0f) || !std::isfinite(frequency)) return ShowCaution(state);
  // Only the phase and the six element codes say what to design from.
  if (!IsKnownDriver(driver)) return ShowCaution(state);

  if (family == FamilyTee) return detail::DesignTee(state);
  if (family == FamilyPi) return detail::DesignPi(state);
  return detail::DesignL(state);
}

DesignOutcome RunDesignPass(RunState& state) {
  ReduceSource(state);
  ReduceLoad(state);
  return DesignWithinRange(state);
}

}  // namespace corvantile
