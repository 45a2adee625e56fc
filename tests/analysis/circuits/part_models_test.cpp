// Parts with their parasitics: the equivalent circuits' impedance and self-resonance, the
// sweep and the re-solve with them, checked against the tests' own circuit arithmetic.
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/circuits/part_losses.h"
#include "analysis/formats/part_file.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "support/circuit_solver.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// The reference case: a 433 MHz Pi from a 15.6 ohm amplifier to a 50 ohm load, 5 W, at the
// design window's -135 degrees.
MatchingCircuit ReferencePi() {
  MatchingCircuit c;
  c.topology = NetworkTopology::Pi;
  c.designFrequency = 433e6;
  c.designPower = 5.0;
  c.source = {Connection::Series, 15.6, CircuitPart{}};
  c.load = {Connection::Series, 50.0, CircuitPart{}};
  c.sourceEmf = std::sqrt(4.0 * 5.0 * 15.6);
  c.elements = {CircuitPart{PartKind::Capacitor, 42.174e-12},
                CircuitPart{PartKind::Inductor, 7.25879e-9},
                CircuitPart{PartKind::Capacitor, 25.9636e-12}};
  return c;
}

// Typical 0402 parts: a C0G capacitor of 0.1 ohm ESR and 0.4 nH ESL, a wire-wound inductor of
// Q 50 with 0.14 pF across it.
LossModel Typical0402() {
  LossModel m = IdealLossModel();
  m.capacitorParts.esr = 0.1;
  m.capacitorParts.esl = 0.4e-9;
  m.inductor = {50.0, 0.5};
  m.inductorParts.cp = 0.14e-12;
  return m;
}

PartParasitics Parts(double esr, double esl, double leakage, double cp) {
  PartParasitics p;
  p.esr = esr;
  p.esl = esl;
  p.leakage = leakage;
  p.cp = cp;
  return p;
}

// The tests' own equivalent circuits, written out as a textbook draws them.
Complex CapacitorZ(double c, double esr, double esl, double leakage, double f) {
  const double w = 2.0 * kPi * f;
  Complex core = 1.0 / Complex(0.0, w * c);
  if (leakage > 0.0) core = 1.0 / (1.0 / core + 1.0 / leakage);
  return esr + Complex(0.0, w * esl) + core;
}
Complex InductorZ(double l, double r, double cp, double f) {
  const double w = 2.0 * kPi * f;
  const Complex branch = r + Complex(0.0, w * l);
  return 1.0 / (1.0 / branch + Complex(0.0, w * cp));
}

TEST(PartModelTest, ImpedanceIsTheEquivalentCircuit) {
  struct Case {
    const char* name;
    CircuitPart part;
    PartParasitics parasitics;
    double q;
    double frequency;
  };
  const std::vector<Case> cases = {
      {"capacitor with ESR and ESL",
       {PartKind::Capacitor, 100e-12},
       Parts(0.05, 0.4e-9, 0, 0),
       0,
       433e6},
      {"capacitor above its SRF",
       {PartKind::Capacitor, 100e-12},
       Parts(0.05, 0.4e-9, 0, 0),
       0,
       1.5e9},
      {"capacitor with leakage",
       {PartKind::Capacitor, 10e-12},
       Parts(0.2, 0.3e-9, 5e3, 0),
       0,
       100e6},
      {"inductor with Cp", {PartKind::Inductor, 3.3e-9}, Parts(0.3, 0, 0, 0.2e-12), 0, 2.4e9},
      {"inductor above its SRF", {PartKind::Inductor, 22e-9}, Parts(1.0, 0, 0, 0.15e-12), 0, 3e9},
      {"inductor with Q and Cp", {PartKind::Inductor, 3.3e-9}, Parts(0, 0, 0, 0.2e-12), 20, 433e6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LossModel m = IdealLossModel();
    m.capacitorParts = c.parasitics;
    m.inductorParts = c.parasitics;
    m.inductor.q0 = c.q;
    const PartQ q = ElementQ(m, 2, c.part.kind);
    const Complex z = LossyPartImpedance(c.part, q, c.frequency, 433e6);
    Complex expected;
    if (c.part.kind == PartKind::Capacitor) {
      expected = CapacitorZ(c.part.value, c.parasitics.esr, c.parasitics.esl, c.parasitics.leakage,
                            c.frequency);
    } else {
      const double x = 2.0 * kPi * c.frequency * c.part.value;
      const double r = c.q > 0.0 ? x / c.q : c.parasitics.esr;
      expected = InductorZ(c.part.value, r, c.parasitics.cp, c.frequency);
    }
    EXPECT_LT(std::abs(z - expected), 1e-12 * std::abs(expected)) << z << " vs " << expected;
  }
}

TEST(PartModelTest, AQAloneIsTheUsualSeriesResistance) {
  LossModel m;
  const CircuitPart l{PartKind::Inductor, 20.13e-6};
  const PartQ q = ElementQ(m, 1, PartKind::Inductor);
  EXPECT_FALSE(HasParasitics(q));
  const Complex z = LossyPartImpedance(l, q, 3.75e6, 3.75e6);
  EXPECT_DOUBLE_EQ(z.real(), z.imag() / 100.0);
}

// The self-resonant frequency, 1 / (2 pi sqrt(L C)), is where the reactance of the lossless
// part changes sign: a capacitor's from negative to positive, an inductor's from positive to
// negative (through infinity).
TEST(PartModelTest, SelfResonanceIsWhereTheReactanceTurns) {
  struct Case {
    CircuitPart part;
    double esl, cp, expected;
  };
  const std::vector<Case> cases = {
      {{PartKind::Capacitor, 100e-12}, 0.4e-9, 0, 1.0 / (2 * kPi * std::sqrt(0.4e-9 * 100e-12))},
      {{PartKind::Capacitor, 1e-12}, 0.3e-9, 0, 1.0 / (2 * kPi * std::sqrt(0.3e-9 * 1e-12))},
      {{PartKind::Inductor, 3.3e-9}, 0, 0.2e-12, 1.0 / (2 * kPi * std::sqrt(3.3e-9 * 0.2e-12))},
      {{PartKind::Inductor, 100e-9}, 0, 0.1e-12, 1.0 / (2 * kPi * std::sqrt(100e-9 * 0.1e-12))},
      {{PartKind::Capacitor, 100e-12}, 0, 0.2e-12, 0.0},  // no ESL: no series resonance
      {{PartKind::Inductor, 10e-9}, 0, 0, 0.0},
  };
  for (const Case& c : cases) {
    PartQ q;
    q.esl = c.esl;
    q.cp = c.cp;
    const double srf = SelfResonantFrequency(c.part, q);
    EXPECT_NEAR(srf, c.expected, 1e-9 * c.expected);
    if (c.expected == 0.0) continue;
    const double sign = c.part.kind == PartKind::Capacitor ? -1.0 : 1.0;
    EXPECT_GT(sign * LossyPartImpedance(c.part, q, 0.999 * srf, srf).imag(), 0.0);
    EXPECT_LT(sign * LossyPartImpedance(c.part, q, 1.001 * srf, srf).imag(), 0.0);
  }
}

TEST(PartModelTest, WarningsNameTheElementAndWhatThePartBecomes) {
  PartQ q;
  q.esl = 0.4e-9;
  const CircuitPart c{PartKind::Capacitor, 100e-12};    // SRF 795.8 MHz
  EXPECT_EQ(SelfResonanceWarning(1, c, q, 433e6), "");  // 0.54 of it
  EXPECT_EQ(SelfResonanceWarning(2, c, q, 600e6),
            "element 2 works at 0.75 of its self-resonant frequency (795.77 MHz)");
  EXPECT_EQ(SelfResonanceWarning(3, c, q, 900e6),
            "element 3 is above its self-resonant frequency (795.77 MHz): a capacitor there acts "
            "as an inductor");
  PartQ l;
  l.cp = 1e-12;
  EXPECT_NE(SelfResonanceWarning(1, {PartKind::Inductor, 100e-9}, l, 1e9)
                .find("an inductor there acts as a capacitor"),
            std::string::npos);
}

// The sweep with parasitics is the circuit solved with the equivalent circuits, point by point,
// across both parts' self-resonances.
TEST(PartModelTest, SweepIsTheCircuitWithItsEquivalentCircuits) {
  const MatchingCircuit c = ReferencePi();
  LossModel m = Typical0402();
  m.elementParts[2] = Parts(0.2, 0.5e-9, 2e3, 0.0);
  const SweepSpan span{100e6, 6e9, 301, true};
  const std::vector<ResponsePoint> points = SweepResponse(c, span, m);
  for (const ResponsePoint& p : points) {
    const double f = p.frequency;
    const double xl = 2.0 * kPi * f * c.elements[1].value;
    const double ql = 50.0 * std::sqrt(f / c.designFrequency);
    std::array<testing::LadderElement, 3> e{};
    e[0].impedance = CapacitorZ(c.elements[0].value, 0.1, 0.4e-9, 0.0, f);
    e[1].impedance = InductorZ(c.elements[1].value, xl / ql, 0.14e-12, f);
    e[2].impedance = CapacitorZ(c.elements[2].value, 0.2, 0.5e-9, 2e3, f);
    const testing::LadderSolution s =
        testing::SolveLadder(testing::Ladder::ShuntSeriesShunt, e, Complex(50.0, 0.0));
    EXPECT_LT(std::abs(p.inputImpedance - s.inputImpedance), 1e-9 * std::abs(s.inputImpedance))
        << "at " << f << " Hz";
  }
}

// The re-solved network, built with its parasitics and solved as a circuit by the tests' own
// arithmetic, presents the conjugate of the source at f0.
TEST(PartModelTest, ReSolvedNetworkMatchesWithItsParasitics) {
  struct Case {
    const char* name;
    LossModel model;
  };
  LossModel heavy = Typical0402();
  heavy.capacitorParts.esl = 1.2e-9;  // element 1 close to its self-resonance
  heavy.inductorParts.cp = 0.6e-12;
  LossModel leaky = Typical0402();
  leaky.elementParts[0] = Parts(0.3, 0.6e-9, 500.0, 0.0);
  const std::vector<Case> cases = {
      {"typical 0402", Typical0402()}, {"heavy parasitics", heavy}, {"a leaky element 1", leaky}};
  for (const Case& tc : cases) {
    SCOPED_TRACE(tc.name);
    const MatchingCircuit ideal = ReferencePi();
    const CompensatedDesign d = CompensateLosses(ideal, tc.model, 0.0f);
    ASSERT_EQ(d.status, CompensationStatus::Matched) << CompensationText(d);
    const MatchingCircuit& c = d.circuit;
    const double f = c.designFrequency;
    const PartParasitics& p1 =
        tc.model.elementParts[0] ? *tc.model.elementParts[0] : tc.model.capacitorParts;
    ASSERT_EQ(c.elements[0].kind, PartKind::Capacitor);
    ASSERT_EQ(c.elements[2].kind, PartKind::Capacitor);
    std::array<testing::LadderElement, 3> e{};
    e[0].impedance = CapacitorZ(c.elements[0].value, p1.esr, p1.esl, p1.leakage, f);
    e[1].impedance = InductorZ(c.elements[1].value, 2.0 * kPi * f * c.elements[1].value / 50.0,
                               tc.model.inductorParts.cp, f);
    e[2].impedance = CapacitorZ(c.elements[2].value, tc.model.capacitorParts.esr,
                                tc.model.capacitorParts.esl, 0.0, f);
    const testing::LadderSolution s =
        testing::SolveLadder(testing::Ladder::ShuntSeriesShunt, e, Complex(50.0, 0.0));
    EXPECT_GT(testing::ReturnLossDb(s.inputImpedance, Complex(15.6, 0.0)), 40.0);
    // Without the re-solve the same parts miss the match.
    EXPECT_LT(AnalyzeLosses(ideal, tc.model).returnLossDb, 30.0);
  }
}

TEST(PartModelTest, ReSolveSaysWhenItCannot) {
  const MatchingCircuit ideal = ReferencePi();
  // A 1 ohm leak across element 1 shorts the 15.6 ohm source whatever its capacitance.
  LossModel shorted = Typical0402();
  shorted.elementParts[0] = Parts(0.0, 0.0, 1.0, 0.0);
  const CompensatedDesign d = CompensateLosses(ideal, shorted, 0.0f);
  EXPECT_EQ(d.status, CompensationStatus::NoExactMatch);
  EXPECT_NE(CompensationText(d).find("impossible"), std::string::npos);

  // Of an L, whose two elements are both re-solved, one given by a file leaves one free.
  MatchingCircuit l = ideal;
  l.elements[2] = CircuitPart{PartKind::Open, 0.0};
  TouchstoneData data;
  data.name = "cap.s1p";
  data.ports = 1;
  data.referenceImpedances = {50.0};
  data.frequencies = {100e6, 1e9};
  data.s = {Complex(-0.9, -0.3), Complex(-0.95, -0.1)};
  std::string error;
  LossModel filed = Typical0402();
  filed.elementParts[0] = PartParasitics{};
  filed.elementParts[0]->file = std::make_shared<PartFile>(data, PartFileMounting::OnePort, error);
  ASSERT_EQ(error, "");
  const CompensatedDesign f = CompensateLosses(l, filed, 0.0f);
  EXPECT_EQ(f.status, CompensationStatus::NoExactMatch);
  EXPECT_NE(CompensationText(f).find("two elements not given by makers' files"), std::string::npos)
      << CompensationText(f);
  EXPECT_EQ(f.circuit.elements[0].value, l.elements[0].value);
}

TEST(PartModelTest, PartFileTurnsTransmissionIntoImpedance) {
  // A 2 Z0 part in series passes half; a Z0 / 2 part in shunt passes half.
  EXPECT_NEAR(std::abs(SeriesPartImpedance(0.5, 50.0) - Complex(100.0, 0.0)), 0.0, 1e-12);
  EXPECT_NEAR(std::abs(ShuntPartImpedance(0.5, 50.0) - Complex(25.0, 0.0)), 0.0, 1e-12);
  // And back: the fixture's own transmission for a part of impedance z.
  const Complex z(3.0, -40.0);
  const Complex series = 2.0 * 50.0 / (2.0 * 50.0 + z);
  const Complex shunt = 2.0 * z / (2.0 * z + 50.0);
  EXPECT_LT(std::abs(SeriesPartImpedance(series, 50.0) - z), 1e-12);
  EXPECT_LT(std::abs(ShuntPartImpedance(shunt, 50.0) - z), 1e-12);
}

TEST(PartModelTest, PartFileBandIsRefusedOutside) {
  TouchstoneData data;
  data.name = "cap.s2p";
  data.ports = 2;
  data.referenceImpedances = {50.0, 50.0};
  data.frequencies = {100e6, 6e9};
  data.s.assign(8, Complex(0.5, 0.0));
  std::string error;
  auto part = std::make_shared<PartFile>(data, PartFileMounting::Series, error);
  ASSERT_EQ(error, "");
  MatchingCircuit c = ReferencePi();
  LossModel m = IdealLossModel();
  m.elementParts[1] = PartParasitics{};
  m.elementParts[1]->file = part;
  EXPECT_EQ(PartFileProblem(c, m, 200e6, 1e9), "");
  EXPECT_EQ(PartFileProblem(c, m, 50e6, 1e9),
            "element 2: 50 MHz is outside cap.s2p's band (100 MHz to 6 GHz)");
  EXPECT_EQ(PartModelText(ElementQ(m, 2, PartKind::Inductor)), "file cap.s2p (series)");
}

// Every parasitic the grammar takes reads as a number, the formatters' range or not.
TEST(PartModelTextTest, NamesEveryParasiticWithItsValue) {
  struct Case {
    PartQ q;
    std::string text;
  };
  PartQ tiny;
  tiny.cp = 1e-30;
  PartQ chip;
  chip.esr = 0.15;
  chip.esl = 0.4e-9;
  PartQ coil(40.0, 0.5);
  coil.cp = 0.17e-12;
  for (const Case& c :
       {Case{PartQ{}, "ideal"}, Case{tiny, "Cp 1e-30 F"}, Case{chip, "ESR 0.15 ohm, ESL 0.4 nH"},
        Case{coil, "Q 40 (skin effect), Cp 0.17 pF"}}) {
    EXPECT_EQ(PartModelText(c.q), c.text);
  }
}

}  // namespace
}  // namespace corvantile
