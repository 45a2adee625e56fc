// Lossy parts against properties the engine does not spell out: the power that flows in is the
// load's plus the parts' dissipation, two independent solutions of the lossy circuit agree, the
// compensated design matches the source once its losses are in, and ideal parts leave every
// lossless figure as it was, bit for bit.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/solvers/sweep_summary.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

using testing::DesignCase;

struct Designed {
  DesignCase design;
  float driver = 0.0f;
  MatchingCircuit circuit;
};

// Random designs of every family: sides in every entry form with resistances from 5 ohm to
// 5 kohm, reactive or not, and phases over both signs; the impossible ones drop out.
std::vector<Designed> RandomDesigns(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto resistance = [&] { return static_cast<float>(5.0 * std::pow(1000.0, unit(random))); };
  auto reactance = [&](float r) {
    if (unit(random) < 0.3) return 0.0f;
    return static_cast<float>((unit(random) * 4.0 - 2.0) * static_cast<double>(r));
  };
  const float families[] = {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL};
  std::vector<Designed> designs;
  for (int i = 0; i < count; ++i) {
    DesignCase c;
    c.family = families[i % 4];
    const float rs = resistance(), rl = resistance();
    c.source = {1 + static_cast<int>(random() % 4), rs, reactance(rs)};
    c.load = {1 + static_cast<int>(random() % 4), rl, reactance(rl)};
    c.phase = static_cast<float>((unit(random) < 0.5 ? -1.0 : 1.0) * (20.0 + 150.0 * unit(random)));
    c.frequency = static_cast<float>(1e5 * std::pow(1e4, unit(random)));
    c.power = static_cast<float>(1.0 + 2000.0 * unit(random));
    RunState state = testing::StateFor(c);
    const CircuitBuild build = DesignCircuit(state);
    if (build.problem == CircuitProblem::None) designs.push_back({c, 0.0f, build.circuit});
  }
  return designs;
}

LossModel RandomModel(std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double laws[] = {0.0, 0.5, 1.0, 0.3};
  LossModel model;
  model.inductor = {10.0 * std::pow(100.0, unit(random)), laws[random() % 4]};
  model.capacitor = {50.0 * std::pow(100.0, unit(random)), laws[random() % 4]};
  for (auto& own : model.elementQ) {
    const double pick = unit(random);
    if (pick < 0.15) own = 0.0;  // this element ideal
    if (pick > 0.85) own = 20.0 + 500.0 * unit(random);
  }
  return model;
}

double Relative(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(b), 1e-300); }

TEST(PartLossesTest, QFollowsItsLaw) {
  struct Row {
    PartQ q;
    double ratio, expectedQ;
  };
  const Row rows[] = {{{200.0, 0.0}, 4.0, 200.0}, {{200.0, 0.5}, 4.0, 400.0},
                      {{200.0, 1.0}, 0.5, 100.0}, {{200.0, 2.0}, 3.0, 1800.0},
                      {{0.0, 0.5}, 4.0, 0.0},     {{-5.0, 0.0}, 1.0, -5.0}};
  for (const Row& r : rows) {
    EXPECT_DOUBLE_EQ(QAt(r.q, r.ratio * 3.75e6, 3.75e6), r.expectedQ) << r.q.q0 << " " << r.q.law;
  }
  EXPECT_DOUBLE_EQ(SeriesResistance(474.3, {100.0, 0.0}, 1e6, 1e6), 4.743);
  EXPECT_DOUBLE_EQ(SeriesResistance(-360.3, {0.0, 0.0}, 1e6, 1e6), 0.0);
  EXPECT_DOUBLE_EQ(SeriesResistance(-360.3, {-3.0, 0.0}, 1e6, 1e6), 0.0);
  EXPECT_EQ(QLawText(0.0), "constant Q");
  EXPECT_EQ(QLawText(0.5), "skin effect");
  EXPECT_EQ(QLawText(1.0), "constant R");
  EXPECT_EQ(QLawText(0.25), "Q ~ f^0.25");
}

TEST(PartLossesTest, ElementQFollowsKindUnlessTheElementHasItsOwn) {
  LossModel model;
  EXPECT_EQ(ElementQ(model, 1, PartKind::Inductor).q0, kDefaultInductorQ);
  EXPECT_EQ(ElementQ(model, 1, PartKind::Inductor).law, kDefaultInductorLaw);
  EXPECT_EQ(ElementQ(model, 2, PartKind::Capacitor).q0, kDefaultCapacitorQ);
  EXPECT_FALSE(IsLossy(ElementQ(model, 2, PartKind::Short)));
  EXPECT_FALSE(IsLossy(ElementQ(model, 3, PartKind::Open)));
  model.elementQ[1] = 55.0;
  model.elementQ[2] = 0.0;
  EXPECT_EQ(ElementQ(model, 2, PartKind::Capacitor).q0, 55.0);
  EXPECT_EQ(ElementQ(model, 2, PartKind::Capacitor).law, kDefaultCapacitorLaw);
  EXPECT_FALSE(IsLossy(ElementQ(model, 3, PartKind::Inductor)));
  EXPECT_TRUE(IsIdealFor(DesignCircuit(MakeDefaultRunState()).circuit, IdealLossModel()));
}

// Input power = load power + the parts' dissipation; the drive is the design power; and the
// ladder solution of the analysis agrees with the chain matrices of the lossy sweep.
TEST(LossyNetworkTest, EnergyIsConservedAndTwoSolutionsAgree) {
  const std::vector<Designed> designs = RandomDesigns(6000, 13);
  ASSERT_GT(designs.size(), 3000u);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int lossy = 0;
  for (const Designed& d : designs) {
    SCOPED_TRACE(testing::Describe(d.design));
    const LossModel model = RandomModel(random);
    const double f0 = d.circuit.designFrequency;
    for (double f : {f0, f0 * std::pow(16.0, unit(random) - 0.5)}) {
      const LossAnalysis a = AnalyzeLosses(d.circuit, model, f);
      double parts = 0.0;
      for (const PartStress& p : a.parts) {
        parts += p.watts;
        EXPECT_GE(p.watts, 0.0);
        EXPECT_DOUBLE_EQ(p.voltsPeak, std::sqrt(2.0) * p.voltsRms);
        EXPECT_DOUBLE_EQ(p.ampsPeak, std::sqrt(2.0) * p.ampsRms);
        if (IsLossy(p.q)) {
          EXPECT_NEAR(p.watts, p.ampsRms * p.ampsRms * p.resistance, 1e-9 * a.inputPower);
        }
      }
      if (parts > 0.0) ++lossy;
      EXPECT_LT(Relative(a.loadPower + parts, a.inputPower), 1e-9);
      EXPECT_LT(Relative(a.dissipatedPower, parts), 1e-12);
      // Driven as the sweep drives: the EMF that makes the design power available.
      EXPECT_LT(Relative(a.sourceEmf, d.circuit.sourceEmf), 1e-12);
      EXPECT_LT(Relative(a.efficiency, a.loadPower / a.inputPower), 1e-12);
      EXPECT_NEAR(a.dissipativeLossDb + a.mismatchLossDb, a.transducerLossDb, 1e-12);

      const ResponsePoint p = EvaluateResponse(d.circuit, f, model);
      EXPECT_LT(std::abs(p.inputImpedance - a.inputImpedance) / std::abs(a.inputImpedance), 1e-9);
      // The sweep drives with the circuit's EMF, the analysis with the one the power needs.
      const double emfRatio = d.circuit.sourceEmf / a.sourceEmf;
      EXPECT_LT(Relative(p.loadPower, a.loadPower * emfRatio * emfRatio), 1e-8);
      EXPECT_NEAR(p.transducerGainDb, -a.transducerLossDb, 1e-8);
      EXPECT_NEAR(p.returnLossDb, a.returnLossDb, 1e-6 * std::max(1.0, a.returnLossDb));
    }
  }
  EXPECT_GT(lossy, 5000);
}

// The circuit solved by plain impedance arithmetic in design_cases.h knows nothing of the
// losses; with every part ideal the analysis must give its figures and an efficiency of 1.
TEST(LossyNetworkTest, IdealPartsDissipateNothing) {
  for (const Designed& d : RandomDesigns(400, 5)) {
    const LossAnalysis a = AnalyzeLosses(d.circuit, IdealLossModel());
    const testing::Solution s = testing::Solve(d.circuit, d.circuit.designFrequency);
    EXPECT_EQ(a.dissipatedPower, 0.0);
    EXPECT_NEAR(a.efficiency, 1.0, 1e-12);
    EXPECT_NEAR(a.dissipativeLossDb, 0.0, 1e-10);
    EXPECT_LT(std::abs(a.inputImpedance - s.inputImpedance) / std::abs(s.inputImpedance), 1e-10);
  }
}

// Between resistive sides the design pass itself states every part's volts and amps at the
// design power; ideal parts solved as a circuit carry the same.
TEST(LossyNetworkTest, IdealPartsCarryTheDesignPassVoltsAndAmps) {
  int checked = 0;
  for (const DesignCase& c : testing::DesignGrid()) {
    if (c.source.x != 0.0f || c.load.x != 0.0f) continue;
    RunState state = testing::StateFor(c);
    const DesignOutcome outcome = RunDesignPass(state);
    const CircuitBuild build = BuildCircuit(state, outcome);
    if (build.problem != CircuitProblem::None) continue;
    SCOPED_TRACE(testing::Describe(c));
    const LossAnalysis a = AnalyzeLosses(build.circuit, IdealLossModel());
    for (std::size_t k = 0; k < 3; ++k) {
      const PartStress& p = a.parts[k];
      if (p.kind != PartKind::Inductor && p.kind != PartKind::Capacitor) continue;
      const double volts =
          static_cast<double>(state.NetValues[NetPart1Volts + static_cast<int>(k)]);
      const double amps = static_cast<double>(state.NetValues[NetPart1Amps + static_cast<int>(k)]);
      EXPECT_NEAR(p.voltsRms, volts, 1e-4 * volts) << "element " << k + 1;
      EXPECT_NEAR(p.ampsRms, amps, 1e-4 * amps) << "element " << k + 1;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

bool SameBits(const ResponsePoint& a, const ResponsePoint& b) {
  return std::memcmp(&a.frequency, &b.frequency, sizeof(double)) == 0 &&
         std::memcmp(&a.inputImpedance, &b.inputImpedance, sizeof(a.inputImpedance)) == 0 &&
         std::memcmp(&a.reflection, &b.reflection, sizeof(a.reflection)) == 0 &&
         std::memcmp(&a.returnLossDb, &b.returnLossDb, sizeof(double)) == 0 &&
         std::memcmp(&a.vswr, &b.vswr, sizeof(double)) == 0 &&
         std::memcmp(&a.transducerGainDb, &b.transducerGainDb, sizeof(double)) == 0 &&
         std::memcmp(&a.transferPhaseDeg, &b.transferPhaseDeg, sizeof(double)) == 0 &&
         std::memcmp(&a.loadPower, &b.loadPower, sizeof(double)) == 0;
}

bool SameBits(const std::optional<double>& a, const std::optional<double>& b) {
  return a.has_value() == b.has_value() && (!a || std::memcmp(&*a, &*b, sizeof(double)) == 0);
}

TEST(LossyNetworkTest, IdealPartsGiveTodaysSweepAndSummaryBitForBit) {
  LossModel everyElementIdeal;  // kinds lossy, every element overridden to ideal
  everyElementIdeal.elementQ = {0.0, 0.0, 0.0};
  for (const LossModel& model : {IdealLossModel(), everyElementIdeal}) {
    for (const Designed& d : RandomDesigns(200, 21)) {
      SweepSpan span = DefaultSweepSpan(d.circuit.designFrequency);
      span.points = 301;
      const std::vector<ResponsePoint> today = SweepResponse(d.circuit, span);
      const std::vector<ResponsePoint> ideal = SweepResponse(d.circuit, span, model);
      ASSERT_EQ(today.size(), ideal.size());
      for (std::size_t i = 0; i < today.size(); ++i) ASSERT_TRUE(SameBits(today[i], ideal[i]));
      const SweepSummary a = SummarizeSweep(d.circuit, today);
      const SweepSummary b = SummarizeSweep(d.circuit, ideal, model);
      EXPECT_TRUE(SameBits(a.atDesign, b.atDesign));
      EXPECT_EQ(std::memcmp(&a.attenuation2f0Db, &b.attenuation2f0Db, sizeof(double)), 0);
      EXPECT_EQ(std::memcmp(&a.attenuation3f0Db, &b.attenuation3f0Db, sizeof(double)), 0);
      for (std::size_t i = 0; i < a.bands.size(); ++i) {
        EXPECT_TRUE(SameBits(a.bands[i].lower, b.bands[i].lower));
        EXPECT_TRUE(SameBits(a.bands[i].upper, b.bands[i].upper));
        EXPECT_TRUE(SameBits(a.bands[i].fractional, b.bands[i].fractional));
        EXPECT_EQ(a.bands[i].matchedAtDesign, b.bands[i].matchedAtDesign);
      }
      const CompensatedDesign c = CompensateLosses(d.circuit, model, 0.0f);
      EXPECT_EQ(c.iterations, 0);
      EXPECT_EQ(c.status, CompensationStatus::Matched);
      for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(c.circuit.elements[k].kind, d.circuit.elements[k].kind);
        EXPECT_EQ(c.circuit.elements[k].value, d.circuit.elements[k].value);
      }
    }
  }
}

// Losses lower the gain and the load power at every frequency, and the summary sees them.
TEST(LossyNetworkTest, LossySweepShowsTheInsertionLoss) {
  const MatchingCircuit circuit = DesignCircuit(MakeDefaultRunState()).circuit;
  const SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  const LossModel model;  // the default Q values
  const std::vector<ResponsePoint> ideal = SweepResponse(circuit, span);
  const std::vector<ResponsePoint> lossy = SweepResponse(circuit, span, model);
  for (std::size_t i = 0; i < ideal.size(); ++i) {
    EXPECT_LT(lossy[i].transducerGainDb, ideal[i].transducerGainDb);
    EXPECT_LT(lossy[i].loadPower, ideal[i].loadPower);
  }
  const SweepSummary summary = SummarizeSweep(circuit, lossy, model);
  const LossAnalysis a = AnalyzeLosses(circuit, model);
  EXPECT_NEAR(summary.atDesign.transducerGainDb, -a.transducerLossDb, 1e-9);
  EXPECT_LT(summary.atDesign.transducerGainDb, -0.05);
}

TEST(CompensationTest, ElementsToResolveFollowTheDesignDriver) {
  const MatchingCircuit pi = DesignCircuit(MakeDefaultRunState()).circuit;
  using R = std::array<bool, 3>;
  EXPECT_EQ(ElementsToResolve(pi, DriverPhase), (R{true, false, true}));
  EXPECT_EQ(ElementsToResolve(pi, 2.0f), (R{true, false, true}));
  EXPECT_EQ(ElementsToResolve(pi, 5.0f), (R{true, false, true}));
  EXPECT_EQ(ElementsToResolve(pi, 1.0f), (R{false, true, true}));
  EXPECT_EQ(ElementsToResolve(pi, 4.0f), (R{false, true, true}));
  EXPECT_EQ(ElementsToResolve(pi, 3.0f), (R{true, true, false}));
  EXPECT_EQ(ElementsToResolve(pi, 6.0f), (R{true, true, false}));
  MatchingCircuit l = pi;
  l.elements[0] = {PartKind::Open, 0.0};
  EXPECT_EQ(ElementsToResolve(l, DriverPhase), (R{false, true, true}));
  l = pi;
  l.elements[2] = {PartKind::Open, 0.0};
  EXPECT_EQ(ElementsToResolve(l, 1.0f), (R{true, true, false}));
}

// Solved as a circuit with its losses, every compensated design matches the source; those the
// iteration cannot match say so, with the return loss they reached, and never pass for matched.
TEST(CompensationTest, CompensatedDesignsMatchWithTheirLosses) {
  std::mt19937 random(3);
  const std::vector<Designed> designs = RandomDesigns(3000, 29);
  int matched = 0, unmatched = 0, slow = 0;
  const float drivers[] = {DriverPhase, 1.0f, 3.0f};
  for (std::size_t i = 0; i < designs.size(); ++i) {
    const Designed& d = designs[i];
    SCOPED_TRACE(testing::Describe(d.design));
    const LossModel model = RandomModel(random);
    if (IsIdealFor(d.circuit, model)) continue;
    const float driver = drivers[i % 3];
    const CompensatedDesign c = CompensateLosses(d.circuit, model, driver);
    const std::array<bool, 3> resolve = ElementsToResolve(d.circuit, driver);
    for (std::size_t k = 0; k < 3; ++k) {
      if (resolve[k]) continue;
      EXPECT_EQ(c.circuit.elements[k].kind, d.circuit.elements[k].kind);
      EXPECT_EQ(c.circuit.elements[k].value, d.circuit.elements[k].value);
    }
    const LossAnalysis solved = AnalyzeLosses(c.circuit, model);
    const ResponsePoint swept = EvaluateResponse(c.circuit, c.circuit.designFrequency, model);
    EXPECT_NEAR(solved.returnLossDb, c.returnLossDb, 1e-9);
    if (c.status == CompensationStatus::Matched) {
      ++matched;
      if (c.iterations >= 10) ++slow;
      EXPECT_GT(solved.returnLossDb, 40.0);
      EXPECT_GT(swept.returnLossDb, 40.0);
      EXPECT_LT(
          std::abs(solved.inputImpedance -
                   std::conj(TerminationImpedance(
                       c.circuit.source, 2.0 * std::numbers::pi * c.circuit.designFrequency))) /
              std::abs(solved.inputImpedance),
          1e-6);
    } else {
      ++unmatched;
      EXPECT_LT(solved.returnLossDb, 180.0);  // 1e-9 reflection: it would have been matched
      EXPECT_NE(CompensationText(c).find("impossible"), std::string::npos);
    }
  }
  std::printf("compensated: %d matched (%d in 10 or more steps), %d without an exact match\n",
              matched, slow, unmatched);
  EXPECT_GT(matched, 1500);
  // Heavy losses (Q of 10 and below) start the iteration far from the answer and take longer.
  EXPECT_LT(slow, matched / 20);
}

// Element 1 kept at -5 ohm across a 50-ohm source with a Q of 1: its series resistance alone
// takes a conductance of 0.1 S from the input, five times the 0.02 S of a match, whatever the
// other two elements do.
TEST(CompensationTest, AnImpossibleMatchSaysSo) {
  DesignCase c;
  c.family = FamilyPi;
  c.source = {1, 50.0f, 0.0f};
  c.load = {1, 50.0f, 0.0f};
  RunState state = testing::StateFor(c);
  state.NetValues[DesignDriver] = 1.0f;
  state.NetValues[NetX1] = -5.0f;
  const CircuitBuild build = DesignCircuit(state);
  ASSERT_EQ(build.problem, CircuitProblem::None);
  LossModel model;
  model.elementQ[0] = 1.0;
  const CompensatedDesign d = CompensateLosses(build.circuit, model, 1.0f);
  std::printf("element 1 of Q 1: %s after %d steps\n", CompensationText(d).c_str(), d.iterations);
  EXPECT_EQ(d.status, CompensationStatus::NoExactMatch);
  EXPECT_TRUE(std::isfinite(d.returnLossDb));
  EXPECT_LT(d.returnLossDb, 10.0);
  EXPECT_GE(d.returnLossDb, AnalyzeLosses(build.circuit, model).returnLossDb);
  EXPECT_NE(CompensationText(d).find("impossible"), std::string::npos);
}

// A transmitter tank: 2500 ohm to 50 ohm, Pi, element 1 fixed at -208.33 ohm (an input Q of
// 12), 1.5 kW, capacitors of Q 2000 and a coil of Q 200, both constant.
TEST(CompensationTest, TransmitterTank) {
  DesignCase c;
  c.family = FamilyPi;
  c.source = {1, 2500.0f, 0.0f};
  c.load = {1, 50.0f, 0.0f};
  c.power = 1500.0f;
  RunState state = testing::StateFor(c);
  state.NetValues[DesignDriver] = 1.0f;
  state.NetValues[NetX1] = -208.33f;
  const CircuitBuild build = DesignCircuit(state);
  ASSERT_EQ(build.problem, CircuitProblem::None);
  const MatchingCircuit& circuit = build.circuit;
  ASSERT_EQ(circuit.elements[1].kind, PartKind::Inductor);
  LossModel model;
  model.inductor = {200.0, 0.0};
  model.capacitor = {2000.0, 0.0};
  const LossAnalysis a = AnalyzeLosses(circuit, model);
  std::printf(
      "tank: efficiency %.4f, parts %.3f / %.3f / %.3f W, load %.2f W, Zin %.2f%+.2fj, "
      "return loss %.2f dB, dissipative %.4f dB, mismatch %.4f dB\n",
      a.efficiency, a.parts[0].watts, a.parts[1].watts, a.parts[2].watts, a.loadPower,
      a.inputImpedance.real(), a.inputImpedance.imag(), a.returnLossDb, a.dissipativeLossDb,
      a.mismatchLossDb);
  EXPECT_NEAR(a.efficiency, 0.93, 0.01);
  EXPECT_NEAR(a.parts[1].watts, 94.0, 3.0);
  EXPECT_NEAR(a.parts[0].watts, 8.0, 1.0);
  EXPECT_NEAR(a.inputImpedance.real(), 2332.0, 10.0);
  EXPECT_NEAR(a.inputImpedance.imag(), -26.0, 5.0);

  const CompensatedDesign d = CompensateLosses(circuit, model, state.NetValues[DesignDriver]);
  ASSERT_EQ(d.status, CompensationStatus::Matched);
  EXPECT_EQ(d.reactance[0], d.idealReactance[0]);  // the fixed element keeps its value
  const LossAnalysis m = AnalyzeLosses(d.circuit, model);
  std::printf(
      "tank compensated in %d steps: X %.3f / %.3f / %.3f ohm (ideal %.3f / %.3f / "
      "%.3f), efficiency %.4f, return loss %.1f dB\n",
      d.iterations, d.reactance[0], d.reactance[1], d.reactance[2], d.idealReactance[0],
      d.idealReactance[1], d.idealReactance[2], m.efficiency, m.returnLossDb);
  EXPECT_GT(m.returnLossDb, 40.0);
  EXPECT_LT(d.iterations, 10);
}

}  // namespace
}  // namespace corvantile
