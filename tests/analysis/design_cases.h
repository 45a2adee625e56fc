#pragma once

// Designed circuits for the analysis tests: sources and loads in every entry form, every
// family, and an independent solution of the circuit by plain impedance arithmetic.
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "analysis/matching_circuit.h"
#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile::testing {

using Complex = std::complex<double>;

// One side as the user would enter it: `x` is the reactance at the design frequency of the
// entry form (series or parallel); forms 3 and 4 store the part value that realises it.
struct SideEntry {
  int form = 1;
  float r = 50.0f;
  float x = 0.0f;  // 0: no reactive part (an open part in forms 2 and 4)
};

inline void StoreSide(ImpedanceValues& side, const SideEntry& entry, double omega) {
  side = ImpedanceValues{};
  side[EntryForm] = static_cast<float>(entry.form);
  side[EntryFormCopy] = side[EntryForm];
  const double x = static_cast<double>(entry.x);
  const float part = x == 0.0 ? 0.0f : static_cast<float>(x > 0.0 ? x / omega : 1.0 / (omega * x));
  switch (entry.form) {
    case 1:
      side[SeriesR] = entry.r;
      side[SeriesX] = entry.x;
      break;
    case 2:
      side[ParallelR] = entry.r;
      side[ParallelX] = entry.x == 0.0f ? OpenReactanceStored : entry.x;
      break;
    case 3:
      side[SeriesR] = entry.r;
      side[SeriesPart] = part;
      break;
    default:
      side[ParallelR] = entry.r;
      side[ParallelPart] = part;  // 0 is an open capacitor: no reactive part
      break;
  }
}

struct DesignCase {
  float family = FamilyPi;
  SideEntry source;
  SideEntry load;
  float phase = -135.0f;
  float frequency = 3.75e6f;
  float power = 1000.0f;
};

inline RunState StateFor(const DesignCase& c) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = c.family;
  state.NetValues[NetworkPhase] = c.phase;
  state.NetValues[Frequency] = c.frequency;
  state.NetValues[Power] = c.power;
  const double omega = static_cast<double>(c.frequency) * state.startup.TwoPi;
  StoreSide(state.SourceValues, c.source, omega);
  StoreSide(state.LoadValues, c.load, omega);
  return state;
}

inline std::string Describe(const DesignCase& c) {
  auto side = [](const SideEntry& s) {
    return "form " + std::to_string(s.form) + " R " + std::to_string(s.r) + " X " +
           std::to_string(s.x);
  };
  return "family " + std::to_string(c.family) + " phase " + std::to_string(c.phase) + ", source " +
         side(c.source) + ", load " + side(c.load);
}

// Many designs: every family, every pair of entry forms, resistive and reactive sides, a
// spread of phases (the L families find their own).
inline std::vector<DesignCase> DesignGrid() {
  const std::vector<std::pair<float, float>> sides = {{1500.0f, 0.0f},  {300.0f, 0.0f},
                                                      {50.0f, 25.0f},   {75.0f, -40.0f},
                                                      {600.0f, 900.0f}, {200.0f, -350.0f}};
  const std::vector<float> phases = {-150.0f, -135.0f, -90.0f, -45.0f, 30.0f, 90.0f, 120.0f};
  std::vector<DesignCase> cases;
  for (float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    for (int sourceForm = 1; sourceForm <= 4; ++sourceForm) {
      for (int loadForm = 1; loadForm <= 4; ++loadForm) {
        for (std::size_t i = 0; i < sides.size(); ++i) {
          const auto& [rs, xs] = sides[i];
          const auto& [rl, xl] = sides[(i + 1 + static_cast<std::size_t>(loadForm)) % sides.size()];
          for (float phase : phases) {
            DesignCase c;
            c.family = family;
            c.source = {sourceForm, rs, xs};
            c.load = {loadForm, rl, xl};
            c.phase = phase;
            c.frequency = sourceForm == 3 ? 1.8e6f : 14.2e6f;
            cases.push_back(c);
            if (family == FamilyLowpassL || family == FamilyHighpassL) break;  // phase unused
          }
        }
      }
    }
  }
  return cases;
}

// The circuit solved by plain impedance arithmetic, from the load back to the source, without
// the chain matrices the engine uses.
struct Solution {
  Complex inputImpedance;
  Complex sourceImpedance;
  double loadPower = 0.0;  // W, with the circuit's EMF
};

inline Complex PartImpedance(const CircuitPart& part, double omega) {
  if (part.kind == PartKind::Inductor) return {0.0, omega * part.value};
  if (part.kind == PartKind::Capacitor) return {0.0, -1.0 / (omega * part.value)};
  return {0.0, 0.0};
}

inline Complex Parallel(Complex a, Complex b) { return a * b / (a + b); }

inline Complex SideImpedance(const Termination& side, double omega) {
  const Complex r{side.resistance, 0.0};
  if (side.part.kind == PartKind::Short || side.part.kind == PartKind::Open) return r;
  const Complex part = PartImpedance(side.part, omega);
  return side.connection == Connection::Series ? r + part : Parallel(r, part);
}

inline Solution Solve(const MatchingCircuit& c, double frequency) {
  const double omega = 2.0 * 3.14159265358979323846 * frequency;
  const Complex zl = SideImpedance(c.load, omega);
  const Complex zs = SideImpedance(c.source, omega);
  auto shunt = [&](Complex z, int k) {
    const CircuitPart& part = c.elements[k - 1];
    return part.kind == PartKind::Open ? z : Parallel(z, PartImpedance(part, omega));
  };
  auto series = [&](Complex z, int k) { return z + PartImpedance(c.elements[k - 1], omega); };
  Solution s;
  s.sourceImpedance = zs;
  const Complex emf{c.sourceEmf, 0.0};
  Complex vOut;
  if (c.topology == NetworkTopology::Pi) {
    const Complex back = shunt(zl, 3);
    s.inputImpedance = shunt(series(back, 2), 1);
    const Complex vIn = emf * s.inputImpedance / (zs + s.inputImpedance);
    vOut = vIn * back / series(back, 2);
  } else {
    const Complex afterSeries3 = series(zl, 3);
    const Complex middle = shunt(afterSeries3, 2);
    s.inputImpedance = series(middle, 1);
    const Complex vIn = emf * s.inputImpedance / (zs + s.inputImpedance);
    const Complex vMid = vIn * middle / s.inputImpedance;
    vOut = vMid * zl / afterSeries3;
  }
  s.loadPower = std::norm(vOut) * zl.real() / std::norm(zl);
  return s;
}

}  // namespace corvantile::testing
