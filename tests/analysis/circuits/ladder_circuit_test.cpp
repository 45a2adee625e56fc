// The ladder solver against the three-element engine and against plain impedance arithmetic.
#include "analysis/circuits/ladder_circuit.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

using testing::Complex;

double Relative(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(b), 1e-300); }

TEST(LadderCircuitTest, AgreesWithTheThreeElementEngineOnEveryDesign) {
  int checked = 0;
  for (const testing::DesignCase& d : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    if (build.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(d));
    const LadderCircuit ladder = LadderFromMatching(build.circuit);
    for (double scale : {0.3, 0.97, 1.0, 1.6, 3.0}) {
      const double f = scale * build.circuit.designFrequency;
      const ResponsePoint a = EvaluateResponse(build.circuit, f);
      const ResponsePoint b = EvaluateLadder(ladder, f);
      EXPECT_LT(std::abs(a.inputImpedance - b.inputImpedance), 1e-9 * std::abs(a.inputImpedance));
      EXPECT_LT(Relative(b.loadPower, a.loadPower), 1e-9);
      EXPECT_NEAR(b.transducerGainDb, a.transducerGainDb, 1e-9);
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST(LadderCircuitTest, ConvertsBackToTheSameCircuit) {
  for (const testing::DesignCase& d : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    if (build.problem != CircuitProblem::None) continue;
    const std::optional<MatchingCircuit> back =
        MatchingFromLadder(LadderFromMatching(build.circuit));
    ASSERT_TRUE(back.has_value()) << testing::Describe(d);
    const double f = 1.3 * build.circuit.designFrequency;
    EXPECT_LT(std::abs(EvaluateResponse(*back, f).inputImpedance -
                       EvaluateResponse(build.circuit, f).inputImpedance),
              1e-9 * std::abs(EvaluateResponse(build.circuit, f).inputImpedance));
  }
  LadderCircuit four;
  four.elements.resize(4);
  EXPECT_FALSE(MatchingFromLadder(four).has_value());
}

// A five-element ladder with reactive ends, solved from the load back by plain arithmetic.
TEST(LadderCircuitTest, LongLadderMatchesPlainArithmetic) {
  LadderCircuit ladder;
  ladder.source = {Connection::Series, 50.0, {PartKind::Inductor, 0.2e-6}};
  ladder.load = {Connection::Parallel, 400.0, {PartKind::Capacitor, 30e-12}};
  ladder.elements = {{true, {PartKind::Capacitor, 200e-12}},
                     {false, {PartKind::Inductor, 1.1e-6}},
                     {true, {PartKind::Inductor, 4e-6}},
                     {false, {PartKind::Capacitor, 500e-12}},
                     {true, {PartKind::Capacitor, 80e-12}}};
  ladder.designFrequency = 7e6;
  ladder.sourceEmf = 10.0;
  for (double f : {2e6, 7e6, 13e6, 40e6}) {
    const double omega = 2.0 * 3.14159265358979323846 * f;
    const Complex zl = testing::SideImpedance(ladder.load, omega);
    const Complex zs = testing::SideImpedance(ladder.source, omega);
    // Impedance and voltage transfer, element by element from the load.
    Complex z = zl;
    Complex transfer{1.0, 0.0};  // V_load / V_here
    for (std::size_t k = ladder.elements.size(); k-- > 0;) {
      const Complex part = testing::PartImpedance(ladder.elements[k].part, omega);
      if (ladder.elements[k].shunt) {
        z = testing::Parallel(z, part);
      } else {
        transfer *= z / (z + part);
        z += part;
      }
    }
    const Complex vIn = Complex{ladder.sourceEmf, 0.0} * z / (zs + z);
    const Complex vLoad = vIn * transfer;
    const double loadPower = std::norm(vLoad) * zl.real() / std::norm(zl);
    const ResponsePoint p = EvaluateLadder(ladder, f);
    EXPECT_LT(std::abs(p.inputImpedance - z), 1e-9 * std::abs(z)) << f;
    EXPECT_LT(Relative(p.loadPower, loadPower), 1e-9) << f;
  }
}

// For resistive ends the design's volts and amps follow from the powers at the source, the
// load and the intermediate resistance; the circuit's currents must give the same.
TEST(LadderCircuitTest, PartStressAgreesWithTheDesignForResistiveEnds) {
  for (float family : {FamilyPi, FamilyTee, FamilyLowpassL, FamilyHighpassL}) {
    for (float phase : {-150.0f, -90.0f, -45.0f, 60.0f, 120.0f}) {
      testing::DesignCase d;
      d.family = family;
      d.source = {1, 1500.0f, 0.0f};
      d.load = {1, 300.0f, 0.0f};
      d.phase = phase;
      RunState state = testing::StateFor(d);
      const DesignOutcome outcome = RunDesignPass(state);
      if (outcome != DesignOutcome::Designed) continue;
      SCOPED_TRACE(testing::Describe(d));
      const CircuitBuild build = BuildCircuit(state, outcome);
      ASSERT_EQ(build.problem, CircuitProblem::None);
      const LadderCircuit ladder = LadderFromMatching(build.circuit);
      const std::vector<ElementStress> stress = LadderPartStress(ladder, ladder.designFrequency);
      // Element k of the ladder is element k of the network unless an open shunt was dropped.
      std::size_t next = 0;
      for (int k = 0; k < 3; ++k) {
        if (build.circuit.elements[static_cast<std::size_t>(k)].kind == PartKind::Open) continue;
        const ElementStress& s = stress[next++];
        EXPECT_LT(Relative(s.volts, static_cast<double>(state.NetValues[NetPart1Volts + k])), 1e-4)
            << "element " << k + 1;
        EXPECT_LT(Relative(s.amps, static_cast<double>(state.NetValues[NetPart1Amps + k])), 1e-4)
            << "element " << k + 1;
      }
      EXPECT_EQ(next, stress.size());
    }
  }
}

// Ladders for the solver's circuit laws: reactive ends, two series parts in a row, an open shunt
// and a series short, lossless and with the parts' series resistances.
struct SolvedLadderCase {
  const char* name;
  std::vector<LadderElement> elements;
  double frequency;
  bool lossy;
};

LadderCircuit SolvedLadder(const SolvedLadderCase& c) {
  LadderCircuit ladder;
  ladder.source = {Connection::Series, 50.0, {PartKind::Inductor, 0.2e-6}};
  ladder.load = {Connection::Parallel, 400.0, {PartKind::Capacitor, 30e-12}};
  ladder.elements = c.elements;
  ladder.designFrequency = 7e6;
  ladder.sourceEmf = 14.0;
  return ladder;
}

class SolveLadderTest : public ::testing::TestWithParam<SolvedLadderCase> {};

// Kirchhoff at the source, at every node and round every series part; each part's own law; and
// the power into the ladder is the load's plus the parts' dissipation (none when ideal).
TEST_P(SolveLadderTest, ObeysTheCircuitLaws) {
  const SolvedLadderCase& c = GetParam();
  const LadderCircuit ladder = SolvedLadder(c);
  std::vector<PartQ> q;
  if (c.lossy) {
    for (const LadderElement& e : ladder.elements) {
      q.push_back(e.part.kind == PartKind::Inductor ? PartQ{60.0, 0.5} : PartQ{400.0, 0.0});
    }
  }
  const LadderSolution s = SolveLadder(ladder, c.frequency, q);
  const double omega = 2.0 * 3.14159265358979323846 * c.frequency;
  const Complex zs = testing::SideImpedance(ladder.source, omega);
  const Complex zl = testing::SideImpedance(ladder.load, omega);
  const double scale = ladder.sourceEmf;
  EXPECT_NEAR(std::abs(s.inputVolts + zs * s.inputAmps), ladder.sourceEmf, 1e-9 * scale);
  Complex v = s.inputVolts, i = s.inputAmps;
  double dissipated = 0.0;
  ASSERT_EQ(s.volts.size(), ladder.elements.size());
  for (std::size_t k = 0; k < ladder.elements.size(); ++k) {
    const CircuitPart& part = ladder.elements[k].part;
    SCOPED_TRACE("element " + std::to_string(k + 1));
    if (ladder.elements[k].shunt) {
      EXPECT_LT(std::abs(s.volts[k] - v), 1e-9 * scale);  // across the node
      i -= s.amps[k];                                     // the node's currents sum to zero
    } else {
      EXPECT_LT(std::abs(s.amps[k] - i), 1e-9 * scale);  // the line's current
      v -= s.volts[k];                                   // round the loop
    }
    if (part.kind == PartKind::Open) {
      EXPECT_EQ(std::abs(s.amps[k]), 0.0);
      continue;
    }
    const double x = testing::PartImpedance(part, omega).imag();
    const double r =
        c.lossy ? std::fabs(x) / (q[k].q0 * std::pow(c.frequency / 7e6, q[k].law)) : 0.0;
    EXPECT_LT(std::abs(s.volts[k] - Complex{r, x} * s.amps[k]), 1e-9 * scale);
    dissipated += r * std::norm(s.amps[k]);
  }
  EXPECT_LT(std::abs(s.loadVolts - v), 1e-9 * scale);
  EXPECT_LT(std::abs(s.loadAmps - i), 1e-9 * scale);
  EXPECT_LT(std::abs(s.loadVolts - zl * s.loadAmps), 1e-9 * scale);
  const double input = (s.inputVolts * std::conj(s.inputAmps)).real();
  const double load = (s.loadVolts * std::conj(s.loadAmps)).real();
  EXPECT_GT(load, 0.0);
  EXPECT_NEAR(input, load + dissipated, 1e-9 * input);
  if (c.lossy) {
    EXPECT_GT(dissipated, 1e-4 * input);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ladders, SolveLadderTest,
    ::testing::Values(SolvedLadderCase{"five",
                                       {{true, {PartKind::Capacitor, 200e-12}},
                                        {false, {PartKind::Inductor, 1.1e-6}},
                                        {true, {PartKind::Inductor, 4e-6}},
                                        {false, {PartKind::Capacitor, 500e-12}},
                                        {true, {PartKind::Capacitor, 80e-12}}},
                                       7e6,
                                       false},
                      SolvedLadderCase{"five_lossy_off_design",
                                       {{true, {PartKind::Capacitor, 200e-12}},
                                        {false, {PartKind::Inductor, 1.1e-6}},
                                        {true, {PartKind::Inductor, 4e-6}},
                                        {false, {PartKind::Capacitor, 500e-12}},
                                        {true, {PartKind::Capacitor, 80e-12}}},
                                       11e6,
                                       true},
                      SolvedLadderCase{"series_pair_open_short",
                                       {{false, {PartKind::Inductor, 0.7e-6}},
                                        {false, {PartKind::Capacitor, 900e-12}},
                                        {true, {PartKind::Open, 0.0}},
                                        {false, {PartKind::Short, 0.0}},
                                        {true, {PartKind::Capacitor, 150e-12}},
                                        {false, {PartKind::Inductor, 2.2e-6}}},
                                       7e6,
                                       false},
                      SolvedLadderCase{"six_lossy",
                                       {{false, {PartKind::Inductor, 0.7e-6}},
                                        {true, {PartKind::Capacitor, 330e-12}},
                                        {false, {PartKind::Inductor, 1.5e-6}},
                                        {true, {PartKind::Capacitor, 120e-12}},
                                        {false, {PartKind::Capacitor, 1e-9}},
                                        {true, {PartKind::Inductor, 3e-6}}},
                                       7e6,
                                       true}),
    [](const ::testing::TestParamInfo<SolvedLadderCase>& p) { return std::string(p.param.name); });

// A designed match takes all the power the source has to give: the EMF is scaled right.
TEST(SolveLadderTest, DesignedMatchTakesTheAvailablePower) {
  int checked = 0;
  for (const testing::DesignCase& d : testing::DesignGrid()) {
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    if (build.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(d));
    const LadderCircuit ladder = LadderFromMatching(build.circuit);
    const LadderSolution s = SolveLadder(ladder, ladder.designFrequency);
    const double load = (s.loadVolts * std::conj(s.loadAmps)).real();
    EXPECT_LT(Relative(load, ladder.designPower), 1e-4);
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace corvantile
