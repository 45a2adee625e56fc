// How a designed state becomes a physical circuit: which parts are there, how the source and
// load are connected, and which states have no circuit at all.
#include "analysis/circuits/matching_circuit.h"

#include <cmath>

#include <gtest/gtest.h>

#include "analysis/solvers/frequency_response.h"
#include "math/design_network.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

using testing::DesignCase;

TEST(MatchingCircuitTest, DefaultDesignIsTheLowPassPi) {
  const CircuitBuild build = DesignCircuit(MakeDefaultRunState());
  ASSERT_EQ(build.problem, CircuitProblem::None);
  const MatchingCircuit& c = build.circuit;
  EXPECT_EQ(c.topology, NetworkTopology::Pi);
  EXPECT_EQ(c.elements[0].kind, PartKind::Capacitor);
  EXPECT_NEAR(c.elements[0].value, 117.8e-12, 0.1e-12);
  EXPECT_EQ(c.elements[1].kind, PartKind::Inductor);
  EXPECT_NEAR(c.elements[1].value, 20.13e-6, 0.01e-6);
  EXPECT_EQ(c.elements[2].kind, PartKind::Capacitor);
  EXPECT_NEAR(c.elements[2].value, 230.9e-12, 0.1e-12);
  EXPECT_EQ(c.source.connection, Connection::Series);
  EXPECT_EQ(c.source.part.kind, PartKind::Short);
  EXPECT_EQ(c.designFrequency, 3.75e6);
  // 1000 W available from 1500 ohm: E^2 / (4 R) = 1000.
  EXPECT_NEAR(c.sourceEmf * c.sourceEmf / (4.0 * 1500.0), 1000.0, 1e-9);
}

// The parts hold their henries and farads: at the design frequency they give back the
// reactances the design stored.
TEST(MatchingCircuitTest, PartsReproduceTheStoredReactances) {
  for (const DesignCase& d : testing::DesignGrid()) {
    RunState state = testing::StateFor(d);
    const DesignOutcome outcome = RunDesignPass(state);
    const CircuitBuild build = BuildCircuit(state, outcome);
    if (build.problem != CircuitProblem::None) continue;
    const double omega = build.circuit.designFrequency * state.startup.TwoPi;
    const int slots[] = {NetX1, NetX2, NetX3};
    for (int k = 0; k < 3; ++k) {
      const CircuitPart& part = build.circuit.elements[k];
      const double stored = static_cast<double>(state.NetValues[slots[k]]);
      if (part.kind == PartKind::Open) {
        EXPECT_GT(std::fabs(stored), kOpenCircuitCutoff);
      } else {
        EXPECT_NEAR(PartReactance(part, omega), stored, 1e-6 * std::fabs(stored) + 1e-9)
            << testing::Describe(d) << " element " << k + 1;
      }
    }
  }
}

struct SideCase {
  testing::SideEntry entry;
  Connection connection;
  PartKind kind;
  double reactance;  // of the part at the design frequency, when it has one
};

class TerminationFormTest : public ::testing::TestWithParam<SideCase> {};

// The source and the load keep the form they were entered in, whichever form the network
// design worked with.
TEST_P(TerminationFormTest, SourceAndLoadKeepTheirEntryForm) {
  const SideCase& sc = GetParam();
  for (float family : {FamilyTee, FamilyPi}) {
    DesignCase d;
    d.family = family;
    d.source = sc.entry;
    d.load = sc.entry;
    d.load.r = sc.entry.r * 4.0f;
    d.phase = -100.0f;
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    ASSERT_EQ(build.problem, CircuitProblem::None) << testing::Describe(d);
    const Termination& source = build.circuit.source;
    EXPECT_EQ(source.connection, sc.connection);
    EXPECT_EQ(source.part.kind, sc.kind);
    EXPECT_NEAR(source.resistance, static_cast<double>(sc.entry.r), 1e-3);
    const double omega = 2.0 * 3.14159265358979323846 * static_cast<double>(d.frequency);
    if (sc.kind == PartKind::Inductor || sc.kind == PartKind::Capacitor) {
      EXPECT_NEAR(PartReactance(source.part, omega), sc.reactance, 1e-4 * std::fabs(sc.reactance));
    }
    EXPECT_EQ(build.circuit.load.connection, sc.connection);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TerminationFormTest,
    ::testing::Values(
        SideCase{{1, 50.0f, 25.0f}, Connection::Series, PartKind::Inductor, 25.0},
        SideCase{{1, 50.0f, 0.0f}, Connection::Series, PartKind::Short, 0.0},
        SideCase{{2, 200.0f, -300.0f}, Connection::Parallel, PartKind::Capacitor, -300.0},
        SideCase{{2, 200.0f, 0.0f}, Connection::Parallel, PartKind::Open, 0.0},
        SideCase{{3, 75.0f, -40.0f}, Connection::Series, PartKind::Capacitor, -40.0},
        SideCase{{4, 600.0f, 900.0f}, Connection::Parallel, PartKind::Inductor, 900.0},
        SideCase{{4, 600.0f, 0.0f}, Connection::Parallel, PartKind::Open, 0.0}));

TEST(MatchingCircuitTest, LNetworksArePiNetworksWithOneShuntOpen) {
  for (float family : {FamilyLowpassL, FamilyHighpassL}) {
    for (float loadR : {300.0f, 6000.0f}) {
      DesignCase d;
      d.family = family;
      d.source = {1, 1500.0f, 0.0f};
      d.load = {1, loadR, 0.0f};
      const CircuitBuild build = DesignCircuit(testing::StateFor(d));
      ASSERT_EQ(build.problem, CircuitProblem::None);
      const MatchingCircuit& c = build.circuit;
      EXPECT_EQ(c.topology, NetworkTopology::Pi);
      // The shunt goes across the side with the higher resistance; the other one is open.
      const int open = loadR < 1500.0f ? 2 : 0;
      EXPECT_EQ(c.elements[static_cast<std::size_t>(open)].kind, PartKind::Open);
      EXPECT_NE(c.elements[static_cast<std::size_t>(2 - open)].kind, PartKind::Open);
      const PartKind series = family == FamilyLowpassL ? PartKind::Inductor : PartKind::Capacitor;
      EXPECT_EQ(c.elements[1].kind, series);
    }
  }
}

// A Tee whose first element is fixed at 0 ohm (possible when the source resistance is the
// higher): the element is a plain wire, and the rest of the network still matches.
RunState TeeWithoutFirstElement() {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = FamilyTee;
  state.NetValues[DesignDriver] = 1.0f;
  state.NetValues[NetX1] = 0.0f;
  return state;
}

TEST(MatchingCircuitTest, SeriesElementOfZeroReactanceIsAShort) {
  const CircuitBuild build = DesignCircuit(TeeWithoutFirstElement());
  ASSERT_EQ(build.problem, CircuitProblem::None);
  EXPECT_EQ(build.circuit.elements[0].kind, PartKind::Short);
  EXPECT_NE(build.circuit.elements[1].kind, PartKind::Short);
  const ResponsePoint p = EvaluateResponse(build.circuit, build.circuit.designFrequency);
  EXPECT_GT(p.returnLossDb, 40.0);
}

struct ProblemCase {
  const char* name;
  void (*change)(RunState&);
  CircuitProblem expected;
};

class CircuitProblemTest : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(CircuitProblemTest, StatesWithoutACircuitSayWhy) {
  RunState state = MakeDefaultRunState();
  GetParam().change(state);
  const CircuitBuild build = DesignCircuit(state);
  EXPECT_EQ(build.problem, GetParam().expected);
  EXPECT_FALSE(CircuitProblemText(build.problem).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Problems, CircuitProblemTest,
    ::testing::Values(
        ProblemCase{"PhaseZero", [](RunState& s) { s.NetValues[NetworkPhase] = 0.0f; },
                    CircuitProblem::Impossible},
        ProblemCase{"EqualResistanceL",
                    [](RunState& s) {
                      s.NetValues[NetworkFamily] = FamilyLowpassL;
                      s.LoadValues[SeriesR] = 1500.0f;
                    },
                    CircuitProblem::Impossible},
        ProblemCase{"AnalysisMode", [](RunState& s) { s.NetValues[DesignMode] = -1.0f; },
                    CircuitProblem::NotDesigned},
        ProblemCase{"UnknownFamily", [](RunState& s) { s.NetValues[NetworkFamily] = 9.0f; },
                    CircuitProblem::NotDesigned},
        // A series part value of 0 is an open capacitor: nothing flows from the source.
        ProblemCase{"OpenSeriesSourcePart",
                    [](RunState& s) {
                      s.NetValues[NetworkFamily] = FamilyTee;
                      s.SourceValues[EntryForm] = 3.0f;
                      s.SourceValues[SeriesPart] = 0.0f;
                    },
                    CircuitProblem::SourceOpen},
        ProblemCase{"UnknownEntryForm",
                    [](RunState& s) {
                      s.NetValues[NetworkFamily] = FamilyTee;
                      s.LoadValues[EntryForm] = 0.0f;
                    },
                    CircuitProblem::UnknownLoadForm}),
    [](const ::testing::TestParamInfo<ProblemCase>& param) {
      return std::string(param.param.name);
    });

}  // namespace
}  // namespace corvantile
