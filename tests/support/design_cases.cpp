#include "support/design_cases.h"

#include <cstddef>
#include <sstream>
#include <utility>

namespace corvantile::testing {

float PartOf(double reactance, double omega) {
  return static_cast<float>(reactance > 0.0 ? reactance / omega : 1.0 / (omega * reactance));
}

void StoreSide(ImpedanceValues& side, const SideEntry& entry, double omega) {
  side = ImpedanceValues{};
  side[EntryForm] = static_cast<float>(entry.form);
  side[EntryFormCopy] = side[EntryForm];
  const bool series = entry.form == 1 || entry.form == 3;
  side[series ? SeriesR : ParallelR] = entry.r;
  const bool reactive = !entry.resistive && entry.x != 0.0f;
  const double x = static_cast<double>(entry.x);
  switch (entry.form) {
    case 1:
      side[SeriesX] = reactive ? entry.x : 0.0f;
      break;
    case 2:
      side[ParallelX] = reactive ? entry.x : OpenReactanceStored;
      break;
    case 3:
      side[SeriesPart] = entry.x == 0.0f ? 0.0f : PartOf(x, omega);
      break;
    default:  // a parallel part value of 0 is an open capacitor: a resistive side
      side[ParallelPart] = reactive ? PartOf(x, omega) : 0.0f;
      break;
  }
}

RunState StateFor(const DesignCase& c) {
  RunState state = MakeDefaultRunState();
  NetworkValues& net = state.NetValues;
  net[Frequency] = c.frequency;
  net[Power] = c.power;
  net[NetworkFamily] = c.family;
  net[DesignDriver] = c.driver;
  net[SolutionBranch] = c.branch;
  net[NetworkPhase] = c.phase;
  const double omega = static_cast<double>(c.frequency) * state.startup.TwoPi;
  StoreSide(state.SourceValues, c.source, omega);
  StoreSide(state.LoadValues, c.load, omega);
  const int driver = static_cast<int>(c.driver);
  if (driver >= 1 && driver <= 3) net[NetX1 + driver - 1] = c.fixedValue;
  if (driver >= 4 && driver <= 6) net[NetPart1 + driver - 4] = c.fixedValue;
  return state;
}

std::string Describe(const DesignCase& c) {
  std::ostringstream out;
  out.precision(9);
  auto side = [&out](const char* name, const SideEntry& s) {
    out << ' ' << name << "{form " << s.form << ", r " << s.r << ", x "
        << (s.resistive && s.form != 3 ? 0.0f : s.x) << '}';
  };
  out << "family " << c.family << ", driver " << c.driver << ", branch " << c.branch << ", f "
      << c.frequency << ", W " << c.power << ", phase " << c.phase << ", fixed " << c.fixedValue
      << (c.fixedFromDesign ? " (from a phase design)" : "");
  side("source", c.source);
  side("load", c.load);
  return out.str();
}

std::vector<DesignCase> DesignGrid() {
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

}  // namespace corvantile::testing
